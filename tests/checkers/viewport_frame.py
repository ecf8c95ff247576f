#!/usr/bin/python3
"""Maps a sheet's trim frame onto paper through ezdxf's own viewport transform.

Usage: viewport_frame.py FILE.dxf

Takes the active layout's viewport (the one that is not the layout's own,
id 1) and the model-space polylines on title-block trim layers ("$TB-" and
"TRIM" in the name), maps every frame vertex with
Viewport.get_transformation_matrix() (ezdxf's model-to-paper transform of a
top view) and prints one JSON object:
  "rect": the viewport's rectangle [xmin, ymin, xmax, ymax] on paper,
  "mapped": the mapped vertices [[x, y], ...],
  "off": the largest distance of a mapped vertex from the nearest corner of
         the rectangle, and "missed": the largest distance of a corner of the
         rectangle from the nearest mapped vertex (both 0 when the frame fills
         the viewport exactly).
Exit status 0, or 2 when the file cannot be read or holds no such viewport
or frame.
"""
import json
import math
import sys

import ezdxf


def main(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any failure to read is reported
        print("cannot read: %s" % e, file=sys.stderr)
        return 2
    viewports = [e for e in doc.layouts.active_layout() if e.dxftype() == "VIEWPORT" and e.dxf.id != 1]
    if len(viewports) != 1:
        print("expected one sheet viewport, found %d" % len(viewports), file=sys.stderr)
        return 2
    vp = viewports[0]
    m = vp.get_transformation_matrix()
    frame = []
    for e in doc.modelspace():
        layer = e.dxf.layer
        if not (layer.startswith("$TB-") and "TRIM" in layer.upper()):
            continue
        if e.dxftype() == "POLYLINE":
            frame += [v.dxf.location for v in e.vertices]
        elif e.dxftype() == "LWPOLYLINE":
            frame += [(p[0], p[1], 0) for p in e.get_points("xy")]
    if not frame:
        print("no title-block trim frame in model space", file=sys.stderr)
        return 2
    mapped = [m.transform(p) for p in frame]
    cx, cy, w, h = vp.dxf.center[0], vp.dxf.center[1], vp.dxf.width, vp.dxf.height
    corners = [(cx + sx * w / 2, cy + sy * h / 2) for sx in (-1, 1) for sy in (-1, 1)]

    def dist(a, b):
        return math.hypot(a[0] - b[0], a[1] - b[1])

    off = max(min(dist(p, c) for c in corners) for p in mapped)
    missed = max(min(dist(c, p) for p in mapped) for c in corners)
    print(json.dumps({"rect": [cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2],
                      "mapped": [[p[0], p[1]] for p in mapped], "off": off, "missed": missed}))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
