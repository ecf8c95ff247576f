#!/usr/bin/python3
"""fill_cover.py FILE.dxf LAYER: the area of the first model-space polyline on
LAYER and of the fills on LAYER (SOLID corners 1-2-4-3, solid HATCH paths),
the SOLID and HATCH counts, and whether every SOLID's centre lies inside the
polyline: {"outline": a, "filled": b, "solids": n, "hatches": m, "inside": true}."""
import json, sys

import ezdxf

def area(p):
    return abs(sum(p[i][0] * p[i - 1][1] - p[i - 1][0] * p[i][1] for i in range(len(p)))) / 2

def inside(q, p):
    return sum((a[1] > q[1]) != (b[1] > q[1]) and q[0] < a[0] + (q[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
               for a, b in zip(p, p[1:] + p[:1])) % 2 == 1

outline, filled, centres, n = None, 0.0, [], {"SOLID": 0, "HATCH": 0}
for e in doc.modelspace() if (doc := ezdxf.readfile(sys.argv[1])) else []:
    if e.dxf.layer != sys.argv[2]:
        continue
    t = e.dxftype()
    if t in ("POLYLINE", "LWPOLYLINE") and outline is None:
        outline = [(p[0], p[1]) for p in (e.points() if t == "POLYLINE" else e.get_points("xy"))]
    elif t == "SOLID":
        pts = list(dict.fromkeys((e.dxf.get(k)[0], e.dxf.get(k)[1]) for k in ("vtx0", "vtx1", "vtx3", "vtx2")))
        filled += area(pts)
        centres.append((sum(x for x, _ in pts) / len(pts), sum(y for _, y in pts) / len(pts)))
    elif t == "HATCH" and e.dxf.solid_fill:
        filled += sum(area([(v[0], v[1]) for v in p.vertices]) for p in e.paths)
    n[t] = n.get(t, 0) + 1
if outline is None:
    sys.exit("no polyline on " + sys.argv[2])
outline = outline[:-1] if outline[0] == outline[-1] else outline
print(json.dumps({"outline": area(outline), "filled": filled, "solids": n["SOLID"], "hatches": n["HATCH"],
                  "inside": all(inside(c, outline) for c in centres)}))
