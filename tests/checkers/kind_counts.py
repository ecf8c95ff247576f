#!/usr/bin/python3
"""kind_counts.py FILE: what ezdxf reads of a DXF file (ASCII or binary), one "|"-separated row each:
"entity|KIND|N" for the entities of every block and layout (ATTRIB and ATTDEF included, VERTEX and
SEQEND left out, meshes as "POLYLINE (polyface mesh)" and "POLYLINE (polygon mesh)"),
"object|KIND|N" for the OBJECTS section, "layer|NAME|COLOUR|LINETYPE" (colour without its sign)."""
import collections, sys

import ezdxf

MESHES = {"AcDbPolyFaceMesh": "POLYLINE (polyface mesh)", "AcDbPolygonMesh": "POLYLINE (polygon mesh)"}
doc = ezdxf.readfile(sys.argv[1])
entities = collections.Counter()
for block in doc.blocks:
    for e in block:
        entities[MESHES.get(e.get_mode(), "POLYLINE") if e.dxftype() == "POLYLINE" else e.dxftype()] += 1
        if e.dxftype() == "INSERT":
            entities["ATTRIB"] += len(e.attribs)
for name, n in sorted(entities.items()):
    print("entity", name, n, sep="|")
for name, n in sorted(collections.Counter(o.dxftype() for o in doc.objects).items()):
    print("object", name, n, sep="|")
for layer in doc.layers:
    print("layer", layer.dxf.name, abs(layer.dxf.color), layer.dxf.linetype.upper(), sep="|")
