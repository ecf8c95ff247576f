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

from dxf_file import load, num


def out(*fields):
    print("|".join(str(f) for f in fields))


def audit(doc):
    auditor = doc.audit()
    out("AUDIT", len(auditor.errors), len(auditor.fixes))


def lines(doc):
    audit(doc)
    lo, hi = doc.header.get("$EXTMIN", (0, 0, 0)), doc.header.get("$EXTMAX", (0, 0, 0))
    out("EXTENTS", num(lo[0]), num(lo[1]), num(hi[0]), num(hi[1]))
    for layer in doc.layers:
        out("LAYER", layer.dxf.name, layer.dxf.color, layer.dxf.linetype)
    for e in doc.modelspace():
        if e.dxftype() == "POLYLINE":
            vertices = list(e.vertices)
            out("POLYLINE", e.dxf.layer, e.dxf.flags, num(e.dxf.get("default_start_width", 0)),
                num(e.dxf.get("default_end_width", 0)), e.dxf.get("color", 256), len(vertices))
            for v in vertices:
                out("VERTEX", *map(num, v.dxf.location), v.dxf.flags, num(v.dxf.get("start_width", 0)),
                    num(v.dxf.get("end_width", 0)), v.dxf.get("color", 256), v.dxf.layer)
        elif e.dxftype() == "3DFACE":
            out("FACE", e.dxf.layer, e.dxf.get("color", 256),
                ";".join(",".join(map(num, c)) for c in (e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3)))


def tables(doc):
    audit(doc)
    out("HEADER", "PSTYLEMODE", doc.header.get("$PSTYLEMODE", ""))
    for layer in doc.layers:
        out("LAYER", layer.dxf.name, layer.dxf.color, layer.dxf.linetype, layer.dxf.get("plotstyle_handle", "-"))
    for lt in doc.linetypes:
        pattern = lt.pattern_tags.tags if hasattr(lt, "pattern_tags") else []
        length = [num(t.value) for t in pattern if t.code == 40]
        out("LTYPE", lt.dxf.name, lt.dxf.get("description", ""), length[0] if length else "",
            ";".join(num(t.value) for t in pattern if t.code == 49))
    if "ACAD_PLOTSTYLENAME" in doc.rootdict:
        for name, entity in doc.rootdict["ACAD_PLOTSTYLENAME"].items():
            has = hasattr(entity, "dxf")
            out("PSTYLE", name, entity.dxf.handle if has else str(entity), entity.dxf.get("owner", "-") if has else "-")
    for block in doc.blocks:
        if block.name.lower() in ("*model_space", "*paper_space"):
            continue
        polys = [e for e in block if e.dxftype() == "POLYLINE"]
        out("BLOCK", block.name, len(polys))
        for p in polys:
            out("BPOLY", block.name, 1 if p.is_closed else 0,
                ";".join("%s,%s" % (num(v.dxf.location.x), num(v.dxf.location.y)) for v in p.vertices))
    for e in doc.modelspace():
        t, layer, colour, d = e.dxftype(), e.dxf.layer, e.dxf.get("color", 256), e.dxf
        if t == "POINT":
            out("POINT", layer, *map(num, d.location))
        elif t == "INSERT":
            out("INSERT", layer, d.name, *map(num, d.insert), num(d.get("xscale", 1)), num(d.get("yscale", 1)),
                num(d.get("rotation", 0)), colour)
        elif t == "TEXT":
            out("TEXT", layer, *map(num, d.insert), num(d.height), num(d.get("rotation", 0)), colour, d.text)
        elif t == "CIRCLE":
            out("CIRCLE", layer, *map(num, d.center), num(d.radius), colour)


def values(doc):
    for e in doc.modelspace():
        d, kind = e.dxf, e.dxftype()
        more = {"CIRCLE": lambda: [num(d.radius)], "ARC": lambda: [num(d.radius)],
                "POINT": lambda: [num(c) for c in d.location],
                "TEXT": lambda: [num(d.height), num(d.width), d.halign, d.valign],
                "INSERT": lambda: [num(d.xscale), num(d.yscale), num(d.zscale), d.get("column_count", 1),
                                   d.get("row_count", 1)]}.get(kind, lambda: [])()
        out(kind, d.layer, d.color, *more)


if __name__ == "__main__":
    mode, path = sys.argv[1], sys.argv[2]
    {"lines": lines, "tables": tables, "values": values}[mode](load(path, "READ-ERROR|%.0s%s", sys.stdout))
