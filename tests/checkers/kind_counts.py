#!/usr/bin/python3
"""Counts, as ezdxf reads a DXF file (ASCII or binary), its entities and objects by kind.

Usage: kind_counts.py FILE

Prints "entity KIND N" for the entities of every block and layout (ATTRIB
and ATTDEF included; VERTEX and SEQEND, which belong to their polyline, left
out; polyface and polygon meshes as "POLYLINE (polyface mesh)" and
"POLYLINE (polygon mesh)"), then "object KIND N" for the OBJECTS section,
then "layer NAME COLOUR LINETYPE" for each layer (colour without the sign
that switches a layer off). Fields are separated by "|".
"""
import collections
import sys

import ezdxf


def kind(e):
    name = e.dxftype()
    if name == "POLYLINE":
        mode = e.get_mode()
        if mode == "AcDbPolyFaceMesh":
            return "POLYLINE (polyface mesh)"
        if mode == "AcDbPolygonMesh":
            return "POLYLINE (polygon mesh)"
    return name


def main(argv):
    doc = ezdxf.readfile(argv[1])
    entities = collections.Counter()
    for block in doc.blocks:
        for e in block:
            entities[kind(e)] += 1
            if e.dxftype() == "INSERT":
                entities["ATTRIB"] += len(e.attribs)
    objects = collections.Counter(o.dxftype() for o in doc.objects)
    for name, n in sorted(entities.items()):
        print("entity", name, n, sep="|")
    for name, n in sorted(objects.items()):
        print("object", name, n, sep="|")
    for layer in doc.layers:
        print("layer", layer.dxf.name, abs(layer.dxf.color), layer.dxf.linetype.upper(), sep="|")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
