#!/usr/bin/python3
"""viewport_frame.py FILE.dxf: maps the model-space title-block trim frame
("$TB-" and "TRIM" in the layer) onto paper with ezdxf's own transform of the
active layout's sheet viewport (Viewport.get_transformation_matrix(), a top
view). Prints {"off": d1, "missed": d2}: the farthest a mapped vertex lies from
a viewport corner, and a viewport corner from a mapped vertex (0 and 0 when
the frame fills the viewport), and "kinds": the frame's entity kinds. Exit 2
when there is no such viewport or frame."""
import json, math, sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
vps = [e for e in doc.layouts.active_layout() if e.dxftype() == "VIEWPORT" and e.dxf.id != 1]
frame, kinds = [], set()
for e in doc.modelspace():
    if e.dxf.layer.startswith("$TB-") and "TRIM" in e.dxf.layer.upper():
        kinds.add(e.dxftype())
        if e.dxftype() == "POLYLINE":
            frame += [v.dxf.location for v in e.vertices]
        elif e.dxftype() == "LWPOLYLINE":
            frame += [(x, y, 0) for x, y in e.get_points("xy")]
if len(vps) != 1 or not frame:
    sys.exit("expected one sheet viewport and a trim frame")
m, d = vps[0].get_transformation_matrix(), vps[0].dxf
mapped = [m.transform(p) for p in frame]
corners = [(d.center[0] + sx * d.width / 2, d.center[1] + sy * d.height / 2) for sx in (-1, 1) for sy in (-1, 1)]
dist = lambda a, b: math.hypot(a[0] - b[0], a[1] - b[1])
print(json.dumps({"off": max(min(dist(p, c) for c in corners) for p in mapped),
                  "missed": max(min(dist(c, p) for p in mapped) for c in corners),
                  "kinds": sorted(kinds)}))
