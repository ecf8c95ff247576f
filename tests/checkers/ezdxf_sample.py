#!/usr/bin/python3
"""Writes a DXF file with ezdxf (a program other than ours) for the reader tests.

Usage: ezdxf_sample.py VERSION FILE [BINARY_FILE]   (VERSION: R12, R2000 ... R2018; BINARY_FILE: as binary DXF)

Model space holds, in this order: LINE on WALLS, CIRCLE, ARC, POINT, TEXT
"H\u00e4ll\u20ac \u2713" (rotated 30 degrees, layer NOTES), a centred TEXT "Mid", a 2D polyline
(LWPOLYLINE from R2000, else POLYLINE) with widths and a bulge, a heavy 2D
POLYLINE, a 3D POLYLINE, a 3DFACE, an INSERT of SYM1, an INSERT of TAG with an
attribute, a SOLID, a linear DIMENSION (with its block) and from R2000 two
MTEXTs (one of two formatted lines), a SPLINE through fit points, one of
control points, an ELLIPSE and an elliptic arc, an XLINE and a RAY (kinds
the reader skips), a HATCH with a
polyline path and one with line and arc edges. Paper space
(Layout1) holds one VIEWPORT. Layer WALLS: colour 3, linetype DASHED; layer
OFF-LAYER: colour 5, switched off.
"""
import sys

import ezdxf


def main(argv):
    version, path = argv[1], argv[2]
    doc = ezdxf.new(version)
    doc.linetypes.add("DASHED", pattern=[0.75, 0.5, -0.25], description="Dashed __ __")
    doc.layers.add("WALLS", color=3, linetype="DASHED")
    off = doc.layers.add("OFF-LAYER", color=5)
    off.off()
    sym = doc.blocks.new("SYM1", base_point=(0, 0))
    sym.add_line((-1, 0), (1, 0))
    sym.add_circle((0, 0), 0.5)
    tag = doc.blocks.new("TAG")
    tag.add_attdef("NAME", (0, 0), dxfattribs={"height": 1})
    tag.add_line((0, 0), (1, 1))

    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "WALLS"})
    msp.add_circle((5, 5), 2, dxfattribs={"color": 1})
    msp.add_arc((1, 2), 3, 30, 120)
    msp.add_point((7, 8, 9), dxfattribs={"layer": "OFF-LAYER"})
    msp.add_text("H\u00e4ll\u20ac \u2713", dxfattribs={"height": 2.5, "rotation": 30, "layer": "NOTES"}).set_pos((1, 2))
    msp.add_text("Mid", dxfattribs={"height": 1.0}).set_pos((50, 60), align="MIDDLE_CENTER")
    pts = [(0, 0, 0.5, 0.25, 0.5), (10, 0, 0, 0, 0), (10, 10, 0, 0, 0)]
    if version == "R12":
        msp.add_polyline2d([(p[0], p[1]) for p in pts], dxfattribs={"layer": "PLINES", "closed": True})
    else:
        msp.add_lwpolyline(pts, format="xyseb", dxfattribs={"layer": "PLINES", "closed": True})
    msp.add_polyline2d([(0, 0), (5, 5), (10, 0)], dxfattribs={"layer": "PLINES"})
    msp.add_polyline3d([(0, 0, 1), (5, 5, 2), (10, 0, 3)], dxfattribs={"layer": "PLINES"})
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 1), (0, 1, 1)])
    msp.add_blockref("SYM1", (20, 30), dxfattribs={"xscale": 2, "yscale": 3, "rotation": 45})
    ref = msp.add_blockref("TAG", (40, 40))
    ref.add_auto_attribs({"NAME": "N1"})
    msp.add_solid([(0, 0), (2, 0), (0, 2), (2, 2)])
    msp.add_linear_dim(base=(0, 20), p1=(0, 15), p2=(10, 15)).render()
    if version != "R12":
        msp.add_mtext("plain")
        msp.add_mtext("{\\fArial|b1;Two}\\Plines", dxfattribs={"insert": (30, 0), "char_height": 1, "attachment_point": 5})
        msp.add_spline([(0, 0), (1, 2), (3, 1), (4, 4)])
        msp.add_open_spline([(20, 0), (22, 4), (26, 4), (28, 0)])
        msp.add_ellipse((0, 0), major_axis=(5, 0), ratio=0.5)
        msp.add_ellipse((20, 20), major_axis=(0, 4), ratio=0.25, start_param=0.5, end_param=3)
        msp.add_xline((0, 0), (1, 1))
        msp.add_ray((0, 0), (1, 0))
        hatch = msp.add_hatch(color=2, dxfattribs={"layer": "FILL"})
        hatch.paths.add_polyline_path([(0, 0), (4, 0), (4, 3), (0, 3)], is_closed=True)
        edge = msp.add_hatch(color=4)
        ep = edge.paths.add_edge_path()
        ep.add_line((0, 0), (10, 0))
        ep.add_arc((10, 5), 5, -90, 90)
        ep.add_line((10, 10), (0, 0))
    psp = doc.layout("Layout1")
    psp.add_viewport(center=(100, 100), size=(200, 150), view_center_point=(5, 5), view_height=20)
    doc.saveas(path)
    if len(argv) > 3:
        doc.saveas(argv[3], fmt="bin")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
