#!/usr/bin/python3
"""The peer of the benchmark: what a user would script instead of Ostrel.

Builds, with ezdxf, the drawing that the generator's survey.json describes
(the same layers with their colours and linetypes, the same symbol blocks,
the same entity kinds and counts on the same layers with the same explicit
colours, polylines with the same vertex totals and widths) and saves it as
DXF R2000. It reads no export and applies no conversion rules: coordinates
come from a seeded random source inside the survey's extents.

    peer_ezdxf.py MANIFEST OUT.dxf
"""
import json
import math
import os
import random
import sys


def build(manifest, ezdxf):
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    rnd = random.Random(manifest.get("seed", 1))
    x0, y0, x1, y1 = manifest["extents"]

    def point3():
        return (rnd.uniform(x0, x1), rnd.uniform(y0, y1), rnd.uniform(40.0, 60.0))

    # Linetypes: every record the conversion makes. Names repeat there; ezdxf
    # keeps names unique, so repeats get a number.
    linetype_names = []
    seen = {}
    for lt in manifest["linetypes"]:
        name = lt["name"]
        if name in seen or name.upper() in ("CONTINUOUS", "BYLAYER", "BYBLOCK"):
            seen[name] = seen.get(name, 0) + 1
            name = "%s-%d" % (name, seen[name])
        else:
            seen[name] = 0
        d1, g1, d2, g2 = lt["pattern"]
        doc.linetypes.add(name, [d1 + g1 + d2 + g2, d1, -g1, d2, -g2], description=name)
        linetype_names.append(name)
    next_linetype = 0

    # Layers in the order they are made, each with its colour and linetype.
    for layer in manifest["layers"]:
        attribs = {"color": layer["colour"] if 1 <= layer["colour"] <= 255 else 7}
        if layer["linetype"]:
            attribs["linetype"] = linetype_names[next_linetype]
            next_linetype += 1
        doc.layers.add(layer["name"], **attribs)

    # Symbol blocks: one heavy polyline per outline, coloured by block.
    for block in manifest["blocks"]:
        b = doc.blocks.new(block["name"])
        for outline in block["outlines"]:
            b.add_polyline2d([tuple(v) for v in outline["vertices"]], close=outline["closed"],
                             dxfattribs={"color": 0})

    for g in manifest["groups"]:
        kind, count = g["kind"], g["count"]
        attribs = {"layer": g["layer"]}
        if g["colour"] >= 0:
            attribs["color"] = g["colour"]
        if kind == "POINT":
            for _ in range(count):
                msp.add_point(point3(), dxfattribs=attribs)
        elif kind == "INSERT":
            for _ in range(count):
                a = dict(attribs, xscale=2.0, yscale=2.0, rotation=math.degrees(rnd.uniform(0, 2 * math.pi)))
                msp.add_blockref(g["block"], point3(), dxfattribs=a)
        elif kind == "TEXT":
            for _ in range(count):
                a = dict(attribs, insert=point3())
                msp.add_text("%.2f" % rnd.uniform(40.0, 60.0), height=0.75,
                             rotation=math.degrees(rnd.uniform(0, 2 * math.pi)), dxfattribs=a)
        elif kind == "CIRCLE":
            for _ in range(count):
                msp.add_circle(point3(), rnd.uniform(0.3, 6.0), dxfattribs=attribs)
        elif kind == "3DFACE":
            for _ in range(count):
                p = point3()
                q = (p[0] + 5.0, p[1], p[2] + 0.2)
                r = (p[0], p[1] + 5.0, p[2] - 0.1)
                msp.add_3dface([p, q, r, r], dxfattribs=attribs)
        elif kind == "POLYLINE":
            width = g["width"]
            three_d = g["flags"] == 8
            base, extra = divmod(g["vertices"], count)
            if width > 0:
                attribs["default_start_width"] = width
                attribs["default_end_width"] = width
            for i in range(count):
                n = base + (1 if i < extra else 0)
                x, y, z = point3()
                pts = []
                for _ in range(n):
                    x += rnd.uniform(-5.0, 5.0)
                    y += rnd.uniform(-5.0, 5.0)
                    pts.append((x, y, z) if three_d else (x, y, width, width, 0.0))
                a = dict(attribs)
                if g["linetype_per_entity"]:
                    a["linetype"] = linetype_names[next_linetype]
                    next_linetype += 1
                if three_d:
                    pl = msp.add_polyline3d(pts, dxfattribs=a)
                else:
                    a["flags"] = 128
                    pl = msp.add_polyline2d(pts, format="xyseb", dxfattribs=a)
                if g["vertex_colour"] >= 0:
                    for v in pl.vertices:
                        v.dxf.color = g["vertex_colour"]
        else:
            raise SystemExit("peer_ezdxf: unknown kind %r in the manifest" % kind)
    return doc


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: peer_ezdxf.py MANIFEST OUT.dxf\n")
        return 2
    try:
        import ezdxf
    except ImportError:
        sys.stderr.write("peer_ezdxf: this Python has no ezdxf (Debian: python3-ezdxf)\n")
        return 1
    try:
        with open(argv[1], encoding="utf-8") as f:
            manifest = json.load(f)
    except (OSError, ValueError) as e:
        sys.stderr.write("peer_ezdxf: cannot read the manifest %s: %s\n" % (argv[1], e))
        return 1
    doc = build(manifest, ezdxf)
    part = argv[2] + ".part"
    try:
        doc.saveas(part)
        os.replace(part, argv[2])
    except OSError as e:
        if os.path.exists(part):
            os.remove(part)
        sys.stderr.write("peer_ezdxf: cannot write %s: %s\n" % (argv[2], e))
        return 1
    n = len(doc.modelspace())
    print("%s: %d model-space entities (vertices not counted), %d layers" % (argv[2], n, len(doc.layers)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
