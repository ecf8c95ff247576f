#!/usr/bin/python3
"""kind_geometry.py FILE: the key geometry ezdxf reads of the LWPOLYLINE, ELLIPSE, SPLINE, MTEXT,
SOLID, ATTDEF, ATTRIB and DIMENSION entities of every block and layout, one sorted line each
(numbers rounded to 6 places), for comparing two files."""
import sys

import ezdxf


def r(v):
    if isinstance(v, (int, float)):
        return round(float(v), 6) + 0.0
    return tuple(r(x) for x in v)


def key(e):
    t, d = e.dxftype(), e.dxf
    if t == "LWPOLYLINE":
        return r(list(e.get_points("xyseb"))), e.closed
    if t == "ELLIPSE":
        return r(d.center), r(d.major_axis), r(d.ratio), r(d.start_param), r(d.end_param)
    if t == "SPLINE":
        return d.degree, r(list(e.control_points)), r(list(e.knots)), r(list(e.fit_points))
    if t == "MTEXT":
        return e.text, r(d.insert), r(d.char_height), d.attachment_point
    if t == "SOLID":
        return r([d.vtx0, d.vtx1, d.vtx2, d.vtx3])
    if t in ("ATTDEF", "ATTRIB"):
        return d.tag, e.dxf.text, r(d.insert), r(d.height), d.prompt if t == "ATTDEF" else ""
    if t == "DIMENSION":
        return d.dimtype, r(d.defpoint), r(d.text_midpoint), r(d.defpoint2), r(d.defpoint3), d.dimstyle
    return None


doc = ezdxf.readfile(sys.argv[1])
rows = []
for block in doc.blocks:
    for e in block:
        for one in [e] + (list(e.attribs) if e.dxftype() == "INSERT" else []):
            k = key(one)
            if k is not None:
                rows.append(one.dxftype() + " " + repr(k))
print("\n".join(sorted(rows)))
