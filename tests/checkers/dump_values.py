#!/usr/bin/python3
"""Reads a DXF file with ezdxf and prints the model-space entities with the
values a CAD program draws them by, one a line, fields separated by "|":

  <TYPE>|<layer>|<colour>|<values>
    CIRCLE, ARC: radius          POINT: x, y, z
    TEXT: height, width factor, horizontal and vertical alignment
    INSERT: x, y, z scale, columns, rows

Numbers in repr form. Exit status 2 when the file cannot be read.
"""
import sys

import ezdxf


def num(v):
    return repr(float(v))


def values(e):
    kind = e.dxftype()
    if kind in ("CIRCLE", "ARC"):
        return [num(e.dxf.radius)]
    if kind == "POINT":
        return [num(c) for c in e.dxf.location]
    if kind == "TEXT":
        return [num(e.dxf.height), num(e.dxf.width), str(e.dxf.halign), str(e.dxf.valign)]
    if kind == "INSERT":
        return [num(e.dxf.xscale), num(e.dxf.yscale), num(e.dxf.zscale),
                str(e.dxf.get("column_count", 1)), str(e.dxf.get("row_count", 1))]
    return []


def main(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any reader failure is the finding
        print("READ-ERROR|%s" % e)
        return 2
    for e in doc.modelspace():
        print("|".join([e.dxftype(), e.dxf.layer, str(e.dxf.color)] + values(e)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
