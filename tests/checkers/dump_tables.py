#!/usr/bin/python3
"""Reads a DXF file with ezdxf and prints what the table and annotation
records put into it, one item per line, fields separated by "|":

  AUDIT|<errors>|<fixes>
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

Exit status 2 when the file cannot be read.
"""
import sys

import ezdxf
from ezdxf import recover


def num(v):
    return repr(float(v))


def main(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any reader failure is the finding
        print("READ-ERROR|%s" % e)
        return 2
    auditor = doc.audit()
    print("AUDIT|%d|%d" % (len(auditor.errors), len(auditor.fixes)))
    print("HEADER|PSTYLEMODE|%s" % doc.header.get("$PSTYLEMODE", ""))
    for layer in doc.layers:
        ps = layer.dxf.get("plotstyle_handle", "-")
        print("LAYER|%s|%d|%s|%s" % (layer.dxf.name, layer.dxf.color, layer.dxf.linetype, ps))
    for lt in doc.linetypes:
        pattern = lt.pattern_tags.tags if hasattr(lt, "pattern_tags") else []
        elements = [num(t.value) for t in pattern if t.code == 49]
        length = [num(t.value) for t in pattern if t.code == 40]
        print("LTYPE|%s|%s|%s|%s" % (lt.dxf.name, lt.dxf.get("description", ""),
                                    length[0] if length else "", ";".join(elements)))
    rootdict = doc.rootdict
    if "ACAD_PLOTSTYLENAME" in rootdict:
        styles = rootdict["ACAD_PLOTSTYLENAME"]
        for name, entity in styles.items():
            handle = entity.dxf.handle if hasattr(entity, "dxf") else str(entity)
            owner = entity.dxf.get("owner", "-") if hasattr(entity, "dxf") else "-"
            print("PSTYLE|%s|%s|%s" % (name, handle, owner))
    for block in doc.blocks:
        if block.name.lower() in ("*model_space", "*paper_space"):
            continue
        polys = [e for e in block if e.dxftype() == "POLYLINE"]
        print("BLOCK|%s|%d" % (block.name, len(polys)))
        for p in polys:
            pts = ";".join("%s,%s" % (num(v.dxf.location.x), num(v.dxf.location.y)) for v in p.vertices)
            print("BPOLY|%s|%d|%s" % (block.name, 1 if p.is_closed else 0, pts))
    for e in doc.modelspace():
        t = e.dxftype()
        layer = e.dxf.layer
        colour = e.dxf.get("color", 256)
        if t == "POINT":
            p = e.dxf.location
            print("POINT|%s|%s|%s|%s" % (layer, num(p.x), num(p.y), num(p.z)))
        elif t == "INSERT":
            p = e.dxf.insert
            print("INSERT|%s|%s|%s|%s|%s|%s|%s|%s|%d" % (
                layer, e.dxf.name, num(p.x), num(p.y), num(p.z), num(e.dxf.get("xscale", 1)),
                num(e.dxf.get("yscale", 1)), num(e.dxf.get("rotation", 0)), colour))
        elif t == "TEXT":
            p = e.dxf.insert
            print("TEXT|%s|%s|%s|%s|%s|%s|%d|%s" % (
                layer, num(p.x), num(p.y), num(p.z), num(e.dxf.height), num(e.dxf.get("rotation", 0)),
                colour, e.dxf.text))
        elif t == "CIRCLE":
            c = e.dxf.center
            print("CIRCLE|%s|%s|%s|%s|%s|%d" % (layer, num(c.x), num(c.y), num(c.z), num(e.dxf.radius), colour))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
