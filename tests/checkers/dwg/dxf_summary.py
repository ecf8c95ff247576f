#!/usr/bin/python3
"""Summarises a DXF file for comparing two writers' views of one drawing.

Usage: dxf_summary.py FILE.dxf

Prints one JSON object: "layers" (sorted names), "blocks" (upper-cased block
name -> {entity type: count}, the entities of each block as ezdxf lists
them, POLYLINE vertices not counted separately). Exit status 2 when ezdxf
cannot read the file.
"""
import json
import os
import sys
from collections import Counter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from dxf_file import load  # noqa: E402

doc = load(sys.argv[1])
print(json.dumps({"layers": sorted(layer.dxf.name for layer in doc.layers),
                  "blocks": {b.name.upper(): dict(Counter(e.dxftype() for e in b)) for b in doc.blocks}},
                 sort_keys=True))
