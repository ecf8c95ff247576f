#!/usr/bin/python3
"""Measures how a DXF file's fills cover the polylines they fill.

Usage: fill_cover.py FILE.dxf LAYER

For model space: the closed area of the (first) polyline on LAYER, and of
the fills on LAYER (SOLID entities, counting each as its corners 1-2-4-3,
and solid HATCH boundaries), whether every fill triangle's centroid lies
inside the polyline, and the number of fill entities. Prints one JSON object
{"outline": a, "filled": b, "inside": true/false, "solids": n, "hatches": m}.
Exit status 0, or 2 when the file cannot be read or has no such polyline.
"""
import json
import sys

import ezdxf


def area(pts):
    return abs(sum(pts[i][0] * pts[(i + 1) % len(pts)][1] - pts[(i + 1) % len(pts)][0] * pts[i][1]
                   for i in range(len(pts)))) / 2


def inside(p, poly):
    x, y = p
    hit = False
    for i in range(len(poly)):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % len(poly)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def main(path, layer):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any failure to read is reported
        print("cannot read: %s" % e, file=sys.stderr)
        return 2
    outline, filled, solids, hatches, centroids = None, 0.0, 0, 0, []
    for e in doc.modelspace():
        if e.dxf.layer != layer:
            continue
        t = e.dxftype()
        if t == "POLYLINE" and outline is None:
            outline = [(v.dxf.location[0], v.dxf.location[1]) for v in e.vertices]
        elif t == "LWPOLYLINE" and outline is None:
            outline = [(p[0], p[1]) for p in e.get_points("xy")]
        elif t == "SOLID":
            solids += 1
            c = [e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx3, e.dxf.vtx2]
            pts = []
            for p in c:
                if not pts or (p[0], p[1]) != pts[-1]:
                    pts.append((p[0], p[1]))
            filled += area(pts)
            centroid = (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))
            centroids.append(centroid)
        elif t == "HATCH" and e.dxf.solid_fill:
            hatches += 1
            for path_ in e.paths:
                filled += area([(v[0], v[1]) for v in path_.vertices])
    if outline is None:
        print("no polyline on %s" % layer, file=sys.stderr)
        return 2
    if outline[0] == outline[-1]:
        outline = outline[:-1]
    ok = all(inside(c, outline) for c in centroids)
    print(json.dumps({"outline": area(outline), "filled": filled, "inside": ok, "solids": solids,
                      "hatches": hatches}))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
