#!/usr/bin/python3
"""Summarises a DXF file for comparing two writers' views of one drawing.

Usage: dxf_summary.py FILE.dxf

Prints one JSON object: "layers" (sorted names), "blocks" (upper-cased block
name -> {entity type: count}, the entities of each block as ezdxf lists
them, POLYLINE vertices not counted separately). Exit status 2 when ezdxf
cannot read the file.
"""
import json
import sys
from collections import Counter

import ezdxf


def main(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any reader failure is the finding
        print("cannot read %s: %s" % (path, e), file=sys.stderr)
        return 2
    blocks = {}
    for block in doc.blocks:
        blocks[block.name.upper()] = dict(sorted(Counter(e.dxftype() for e in block).items()))
    summary = {
        "layers": sorted(layer.dxf.name for layer in doc.layers),
        "blocks": dict(sorted(blocks.items())),
    }
    print(json.dumps(summary, sort_keys=True))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
