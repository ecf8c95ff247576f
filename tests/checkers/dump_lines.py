#!/usr/bin/python3
"""Reads a DXF file with ezdxf and prints the polylines and 3D faces of model
space, one item per line, fields separated by "|":

  AUDIT|<errors>|<fixes>
  EXTENTS|<min x>|<min y>|<max x>|<max y>
  POLYLINE|<layer>|<flags>|<start width>|<end width>|<colour>|<vertex count>
  VERTEX|<x>|<y>|<z>|<flags>|<start width>|<end width>|<colour>|<layer>
  FACE|<layer>|<colour>|<x>,<y>,<z>;<x>,<y>,<z>;<x>,<y>,<z>;<x>,<y>,<z>
  LAYER|<name>|<colour>|<linetype>

VERTEX lines follow the POLYLINE they belong to. Exit status 2 when the file
cannot be read.
"""
import sys

import ezdxf


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
    lo = doc.header.get("$EXTMIN", (0, 0, 0))
    hi = doc.header.get("$EXTMAX", (0, 0, 0))
    print("EXTENTS|%s|%s|%s|%s" % (num(lo[0]), num(lo[1]), num(hi[0]), num(hi[1])))
    for layer in doc.layers:
        print("LAYER|%s|%d|%s" % (layer.dxf.name, layer.dxf.color, layer.dxf.linetype))
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "POLYLINE":
            vertices = list(e.vertices)
            print("POLYLINE|%s|%d|%s|%s|%d|%d" % (
                e.dxf.layer, e.dxf.flags, num(e.dxf.get("default_start_width", 0)),
                num(e.dxf.get("default_end_width", 0)), e.dxf.get("color", 256), len(vertices)))
            for v in vertices:
                loc = v.dxf.location
                print("VERTEX|%s|%s|%s|%d|%s|%s|%d|%s" % (
                    num(loc[0]), num(loc[1]), num(loc[2]), v.dxf.flags,
                    num(v.dxf.get("start_width", 0)), num(v.dxf.get("end_width", 0)),
                    v.dxf.get("color", 256), v.dxf.layer))
        elif kind == "3DFACE":
            corners = ";".join("%s,%s,%s" % (num(c[0]), num(c[1]), num(c[2]))
                               for c in (e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3))
            print("FACE|%s|%d|%s" % (e.dxf.layer, e.dxf.get("color", 256), corners))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
