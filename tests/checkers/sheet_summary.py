#!/usr/bin/python3
"""Describes a DXF file's layouts as ezdxf reads them, one fact a line.

Usage: sheet_summary.py FILE [--raw-text]
       (--raw-text: text strings as the file holds them, for writers that do
       not use caret notation)

Lines (numbers in repr form, fields separated by one space; a text's string
is the rest of its line):
  VERSION <acadver>
  AUDIT <errors> <fixes>
  ACTIVE <name of the active layout>        (R2000 on: the *Paper_Space layout)
  TILEMODE <value of $TILEMODE>
  LAYOUT <name> <entity count>              every paper-space layout
  <space> POLYLINE <layer> <flags> <x y> ...     space: MS (model) or PS (active layout)
  <space> VIEWPORT <layer> <id> <cx> <cy> <w> <h> <vcx> <vcy> <vh> <twist degrees>
                                            (R12: the view from the "ACAD" MVIEW data)
  <space> TEXT <layer> <x> <y> <height> <string>   (caret notation undone)
  <space> INSERT <layer> <block> <x> <y> <xscale> <yscale>
  <space> HATCH <layer> <solid> <x y> ...        first boundary path's vertices
  <space> <TYPE> <layer>                         any other entity
Exit status 0, or 2 when the file cannot be read.
"""
import re
import sys

from dxf_file import load, num, read_tags, structures


def caret_decoded(text):
    """A DXF text value with its caret notation undone ("^ " is a caret)."""
    return re.sub(r"\^([ @-_])", lambda m: "^" if m[1] == " " else chr(ord(m[1]) - 64), text)


def r12_views(path):
    """Viewport handle -> (view centre x, y, view height, twist) of an R12 file, from each
    VIEWPORT's "ACAD" MVIEW extended data (ezdxf 0.18 does not load it)."""
    views = {}
    for _, entity in structures(read_tags(path)[1]):
        handle = next((v for c, v in entity if c == 5), None)
        mview = [i for i, t in enumerate(entity) if t == (1000, "MVIEW")]
        if entity[0] != (0, "VIEWPORT") or not mview:
            continue
        values = [float(v) for c, v in entity[mview[0]:] if c in (1010, 1040, 1070)]
        # version, target x, direction x, twist, height, centre x, centre y
        if handle and len(values) >= 7:
            views[handle.upper()] = (values[5], values[6], values[4], values[3])
    return views


def describe(space, e, r12_views, raw_text):
    t, d = e.dxftype(), e.dxf
    fields = [space, "POLYLINE" if t == "LWPOLYLINE" else t, d.layer]
    if t == "POLYLINE":
        fields += [str(d.flags)] + [num(v.dxf.location[i]) for v in e.vertices for i in (0, 1)]
    elif t == "LWPOLYLINE":
        fields += [str(d.flags)] + [num(c) for p in e.get_points("xy") for c in p]
    elif t == "VIEWPORT":
        view = r12_views.get(d.handle.upper(), (d.view_center_point[0], d.view_center_point[1], d.view_height,
                                                d.get("view_twist_angle", 0.0)))
        fields += [str(d.id)] + [num(v) for v in (d.center[0], d.center[1], d.width, d.height) + tuple(view)]
    elif t == "TEXT":
        p = d.align_point if (d.get("halign", 0) or d.get("valign", 0)) and d.hasattr("align_point") else d.insert
        fields += [num(p[0]), num(p[1]), num(d.height), d.text if raw_text else caret_decoded(d.text)]
    elif t == "INSERT":
        fields += [d.name] + [num(v) for v in (d.insert[0], d.insert[1], d.get("xscale", 1), d.get("yscale", 1))]
    elif t == "HATCH":
        paths = list(e.paths)
        vertices = paths[0].vertices if paths and hasattr(paths[0], "vertices") else []
        fields += [str(d.solid_fill)] + [num(v[i]) for v in vertices for i in (0, 1)]
    return " ".join(fields)


def main(argv):
    doc = load(argv[1], "cannot read: %.0s%s")
    views = r12_views(argv[1]) if doc.dxfversion == "AC1009" else {}
    auditor = doc.audit()
    print("VERSION", doc.dxfversion)
    print("AUDIT", len(auditor.errors), len(auditor.fixes))
    print("TILEMODE", doc.header.get("$TILEMODE", 1))
    active = doc.layouts.active_layout()
    print("ACTIVE", active.name)
    for name in doc.layouts.names_in_taborder():
        if name != "Model":
            print("LAYOUT", name, len(doc.layouts.get(name)))
    for space, layout in (("MS", doc.modelspace()), ("PS", active)):
        for e in layout:
            print(describe(space, e, views, "--raw-text" in argv[2:]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
