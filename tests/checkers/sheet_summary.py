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
import sys

import ezdxf


def num(v):
    return repr(float(v))


def caret_decoded(text):
    """A DXF text value with its caret notation undone ("^ " is a caret)."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "^" and i + 1 < len(text):
            n = text[i + 1]
            if n == " ":
                out.append("^")
                i += 2
                continue
            if "@" <= n <= "_":
                out.append(chr(ord(n) - 64))
                i += 2
                continue
        out.append(c)
        i += 1
    return "".join(out)


def r12_views(path):
    """Viewport handle -> (view centre x, y, view height, twist) of an R12
    file, from each VIEWPORT's "ACAD" MVIEW extended data (ezdxf 0.18 does
    not load it)."""
    with open(path, "rb") as f:
        lines = f.read().decode("cp1252").split("\n")
    tags = []
    for i in range(0, len(lines) - 1, 2):
        tags.append((int(lines[i].strip()), lines[i + 1].rstrip("\r")))
    views = {}
    i = 0
    while i < len(tags):
        if tags[i] != (0, "VIEWPORT"):
            i += 1
            continue
        j = i + 1
        while j < len(tags) and tags[j][0] != 0:
            j += 1
        entity = tags[i + 1:j]
        handle = next((v for c, v in entity if c == 5), None)
        values = []
        started = False
        for code, value in entity:
            if code == 1000 and value == "MVIEW":
                started = True
            elif started and code in (1010, 1040, 1070):
                values.append(float(value))
        # version, target x, direction x, twist, height, centre x, centre y
        if handle and len(values) >= 7:
            views[handle.upper()] = (values[5], values[6], values[4], values[3])
        i = j
    return views


R12_VIEWS = {}
RAW_TEXT = False


def describe(space, e):
    t = e.dxftype()
    layer = e.dxf.layer
    if t == "POLYLINE":
        pts = []
        for v in e.vertices:
            pts += [num(v.dxf.location[0]), num(v.dxf.location[1])]
        return " ".join([space, t, layer, str(e.dxf.flags)] + pts)
    if t == "LWPOLYLINE":
        pts = []
        for p in e.get_points("xy"):
            pts += [num(p[0]), num(p[1])]
        return " ".join([space, "POLYLINE", layer, str(e.dxf.flags)] + pts)
    if t == "VIEWPORT":
        d = e.dxf
        view = (d.view_center_point[0], d.view_center_point[1], d.view_height, d.get("view_twist_angle", 0.0))
        view = R12_VIEWS.get(d.handle.upper(), view)
        return " ".join([space, t, layer, str(d.id), num(d.center[0]), num(d.center[1]), num(d.width),
                         num(d.height), num(view[0]), num(view[1]), num(view[2]), num(view[3])])
    if t == "TEXT":
        d = e.dxf
        just = d.get("halign", 0) or d.get("valign", 0)
        p = d.align_point if just and d.hasattr("align_point") else d.insert
        return " ".join([space, t, layer, num(p[0]), num(p[1]), num(d.height), d.text if RAW_TEXT else caret_decoded(d.text)])
    if t == "INSERT":
        d = e.dxf
        return " ".join([space, t, layer, d.name, num(d.insert[0]), num(d.insert[1]), num(d.get("xscale", 1)),
                         num(d.get("yscale", 1))])
    if t == "HATCH":
        pts = []
        paths = list(e.paths)
        if paths and hasattr(paths[0], "vertices"):
            for v in paths[0].vertices:
                pts += [num(v[0]), num(v[1])]
        return " ".join([space, t, layer, str(e.dxf.solid_fill)] + pts)
    return " ".join([space, t, layer])


def main(argv):
    global RAW_TEXT
    RAW_TEXT = "--raw-text" in argv[2:]
    try:
        doc = ezdxf.readfile(argv[1])
    except Exception as e:  # noqa: BLE001 - any failure to read is reported
        print("cannot read: %s" % e, file=sys.stderr)
        return 2
    if doc.dxfversion == "AC1009":
        R12_VIEWS.update(r12_views(argv[1]))
    auditor = doc.audit()
    print("VERSION", doc.dxfversion)
    print("AUDIT", len(auditor.errors), len(auditor.fixes))
    print("TILEMODE", doc.header.get("$TILEMODE", 1))
    active = doc.layouts.active_layout()
    print("ACTIVE", active.name)
    for name in doc.layouts.names_in_taborder():
        if name == "Model":
            continue
        print("LAYOUT", name, len(doc.layouts.get(name)))
    for e in doc.modelspace():
        print(describe("MS", e))
    for e in active:
        print(describe("PS", e))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
