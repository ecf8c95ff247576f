#!/usr/bin/python3
"""Reads a DXF file with ezdxf and prints what a CAD program sees in it, one
item per line, fields separated by "|", numbers in repr form. Usage:
dump_dxf.py lines|tables|values FILE. Exit status 2 when the file cannot be read.

lines:  AUDIT|<errors>|<fixes>
        EXTENTS|<min x>|<min y>|<max x>|<max y>
        LAYER|<name>|<colour>|<linetype>
        POLYLINE|<layer>|<flags>|<start width>|<end width>|<colour>|<vertex count>
        VERTEX|<x>|<y>|<z>|<flags>|<start width>|<end width>|<colour>|<layer>
          (after the POLYLINE they belong to)
        FACE|<layer>|<colour>|<x>,<y>,<z>;... (four corners)
tables: AUDIT|<errors>|<fixes>
        HEADER|PSTYLEMODE|<value>
        LAYER|<name>|<colour>|<linetype>|<plot-style handle>
        LTYPE|<name>|<description>|<pattern length>|<element>;<element>;...
        PSTYLE|<entry name>|<handle>|<owner of the named object>
        BLOCK|<name>|<POLYLINE count>
        BPOLY|<block>|<closed 0/1>|<x>,<y>;<x>,<y>;...
        POINT|<layer>|<x>|<y>|<z>
        INSERT|<layer>|<block>|<x>|<y>|<z>|<xscale>|<yscale>|<rotation degrees>|<colour>
        TEXT|<layer>|<x>|<y>|<z>|<height>|<rotation degrees>|<colour>|<text>
        CIRCLE|<layer>|<x>|<y>|<z>|<radius>|<colour>
values: <TYPE>|<layer>|<colour>|<values>, for every model-space entity:
        CIRCLE, ARC: radius; POINT: x, y, z; TEXT: height, width factor,
        horizontal and vertical alignment; INSERT: x, y, z scale, columns, rows
"""
import sys

import ezdxf


def num(v):
    return repr(float(v))


def out(*fields):
    print("|".join(str(f) for f in fields))


def audit(doc):
    auditor = doc.audit()
    out("AUDIT", len(auditor.errors), len(auditor.fixes))


def lines(doc):
    audit(doc)
    lo = doc.header.get("$EXTMIN", (0, 0, 0))
    hi = doc.header.get("$EXTMAX", (0, 0, 0))
    out("EXTENTS", num(lo[0]), num(lo[1]), num(hi[0]), num(hi[1]))
    for layer in doc.layers:
        out("LAYER", layer.dxf.name, layer.dxf.color, layer.dxf.linetype)
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "POLYLINE":
            vertices = list(e.vertices)
            out("POLYLINE", e.dxf.layer, e.dxf.flags, num(e.dxf.get("default_start_width", 0)),
                num(e.dxf.get("default_end_width", 0)), e.dxf.get("color", 256), len(vertices))
            for v in vertices:
                loc = v.dxf.location
                out("VERTEX", num(loc[0]), num(loc[1]), num(loc[2]), v.dxf.flags,
                    num(v.dxf.get("start_width", 0)), num(v.dxf.get("end_width", 0)),
                    v.dxf.get("color", 256), v.dxf.layer)
        elif kind == "3DFACE":
            corners = ";".join("%s,%s,%s" % (num(c[0]), num(c[1]), num(c[2]))
                               for c in (e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3))
            out("FACE", e.dxf.layer, e.dxf.get("color", 256), corners)


def tables(doc):
    audit(doc)
    out("HEADER", "PSTYLEMODE", doc.header.get("$PSTYLEMODE", ""))
    for layer in doc.layers:
        out("LAYER", layer.dxf.name, layer.dxf.color, layer.dxf.linetype,
            layer.dxf.get("plotstyle_handle", "-"))
    for lt in doc.linetypes:
        pattern = lt.pattern_tags.tags if hasattr(lt, "pattern_tags") else []
        elements = [num(t.value) for t in pattern if t.code == 49]
        length = [num(t.value) for t in pattern if t.code == 40]
        out("LTYPE", lt.dxf.name, lt.dxf.get("description", ""), length[0] if length else "",
            ";".join(elements))
    if "ACAD_PLOTSTYLENAME" in doc.rootdict:
        for name, entity in doc.rootdict["ACAD_PLOTSTYLENAME"].items():
            has = hasattr(entity, "dxf")
            out("PSTYLE", name, entity.dxf.handle if has else str(entity),
                entity.dxf.get("owner", "-") if has else "-")
    for block in doc.blocks:
        if block.name.lower() in ("*model_space", "*paper_space"):
            continue
        polys = [e for e in block if e.dxftype() == "POLYLINE"]
        out("BLOCK", block.name, len(polys))
        for p in polys:
            pts = ";".join("%s,%s" % (num(v.dxf.location.x), num(v.dxf.location.y)) for v in p.vertices)
            out("BPOLY", block.name, 1 if p.is_closed else 0, pts)
    for e in doc.modelspace():
        t, layer, colour = e.dxftype(), e.dxf.layer, e.dxf.get("color", 256)
        if t == "POINT":
            p = e.dxf.location
            out("POINT", layer, num(p.x), num(p.y), num(p.z))
        elif t == "INSERT":
            p = e.dxf.insert
            out("INSERT", layer, e.dxf.name, num(p.x), num(p.y), num(p.z), num(e.dxf.get("xscale", 1)),
                num(e.dxf.get("yscale", 1)), num(e.dxf.get("rotation", 0)), colour)
        elif t == "TEXT":
            p = e.dxf.insert
            out("TEXT", layer, num(p.x), num(p.y), num(p.z), num(e.dxf.height),
                num(e.dxf.get("rotation", 0)), colour, e.dxf.text)
        elif t == "CIRCLE":
            c = e.dxf.center
            out("CIRCLE", layer, num(c.x), num(c.y), num(c.z), num(e.dxf.radius), colour)


def entity_values(e):
    kind = e.dxftype()
    if kind in ("CIRCLE", "ARC"):
        return [num(e.dxf.radius)]
    if kind == "POINT":
        return [num(c) for c in e.dxf.location]
    if kind == "TEXT":
        return [num(e.dxf.height), num(e.dxf.width), e.dxf.halign, e.dxf.valign]
    if kind == "INSERT":
        return [num(e.dxf.xscale), num(e.dxf.yscale), num(e.dxf.zscale),
                e.dxf.get("column_count", 1), e.dxf.get("row_count", 1)]
    return []


def values(doc):
    for e in doc.modelspace():
        out(e.dxftype(), e.dxf.layer, e.dxf.color, *entity_values(e))


def main(mode, path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any reader failure is the finding
        print("READ-ERROR|%s" % e)
        return 2
    {"lines": lines, "tables": tables, "values": values}[mode](doc)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
