#!/usr/bin/python3
"""Counts and samples a DXF file's entities, to compare another reader's view of a drawing with ours.

Usage: entity_sample.py FILE.dxf. Prints "count|BLOCK|KIND|N" for every kind in every block (BLOCK its
record's handle; mesh polylines as POLYLINE-MESH; vertices, SEQEND and attributes not counted) and
"entity|HANDLE|KIND|LAYER|COLOUR|LINETYPE|X|Y" for the first four of each
kind in each block (colour 256 ByLayer; the kind's first point). Exit status 2 when ezdxf cannot read it.
"""
import os
import sys
from collections import Counter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from dxf_file import load  # noqa: E402

FIRST = {"LINE": "start", "CIRCLE": "center", "ARC": "center", "VIEWPORT": "center", "TEXT": "insert",
         "INSERT": "insert", "POINT": "location", "3DFACE": "vtx0", "ELLIPSE": "center", "MTEXT": "insert",
         "SOLID": "vtx0"}


def kind_of(e):
    if e.dxftype() == "POLYLINE" and e.get_mode() in ("AcDbPolyFaceMesh", "AcDbPolygonMesh"):
        return "POLYLINE-MESH"
    return e.dxftype()


def first_point(e):
    if e.dxftype() in FIRST:
        return e.dxf.get(FIRST[e.dxftype()])
    points = list(e.get_points("xy")) if e.dxftype() == "LWPOLYLINE" else [v.dxf.location for v in e.vertices]
    return points[0] if points else None


for block in load(sys.argv[1]).blocks:
    for kind, n in sorted(Counter(kind_of(e) for e in block).items()):
        print("count|%s|%s|%d" % (block.block_record_handle, kind, n))
    shown = Counter()
    for e in block:
        kind = kind_of(e)
        if kind not in FIRST and kind not in ("POLYLINE", "LWPOLYLINE") or shown[kind] >= 4 or first_point(e) is None:
            continue
        shown[kind] += 1
        p = first_point(e)
        print("entity|%s|%s|%s|%d|%s|%.9g|%.9g" % (e.dxf.handle, kind, e.dxf.layer, e.dxf.get("color", 256),
                                                  e.dxf.get("linetype", "BYLAYER").upper(), p[0], p[1]))
