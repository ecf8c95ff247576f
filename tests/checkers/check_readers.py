#!/usr/bin/python3
"""Runs two independent DXF readers over a file and checks what they report.

Usage: check_readers.py FILE [--features N] [--geometry KIND=N ...]

- GDAL: `ogrinfo -al FILE`. Counts the features and their geometry kinds
  (POINT, LINESTRING, POLYGON, ... with " Z" dropped). ogrinfo exits 0 even on
  broken files, so the checks are on what it prints: --features N wants
  exactly N features, --geometry KIND=N exactly N geometries of that kind,
  and stderr may hold only the known harmless warnings below.
- dime: `dxf2vrml FILE -o /dev/null` must exit 0 with nothing on stderr.

Known harmless warnings:
- GDAL's "Non closed ring detected": a 3DFACE whose third and fourth corner
  are the same point (a triangle) becomes a polygon ring GDAL finds open.

Prints a JSON summary on stdout; exit status 0 when every check passes,
1 otherwise (the failures are listed on stderr).
"""
import argparse
import json
import re
import subprocess
import sys
from collections import Counter

HARMLESS = re.compile(r"^Warning 1: Non closed ring detected\. .*$")
GEOMETRY = re.compile(r"^  (POINT|LINESTRING|POLYGON|MULTIPOINT|MULTILINESTRING|MULTIPOLYGON|GEOMETRYCOLLECTION)( Z)? ")


def run(*command):
    p = subprocess.run(command, capture_output=True, timeout=300)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("path")
    parser.add_argument("--features", type=int)
    parser.add_argument("--geometry", action="append", default=[])
    args = parser.parse_args()
    want_geometry = {kind: int(count) for kind, count in (g.split("=") for g in args.geometry)}

    failures = []
    rc, out, err = run("ogrinfo", "-al", args.path)
    features = sum(1 for line in out.splitlines() if line.startswith("OGRFeature("))
    geometry = Counter(m.group(1) for m in map(GEOMETRY.match, out.splitlines()) if m)
    if rc != 0:
        failures.append("ogrinfo exit status %d" % rc)
    if "using driver `DXF' successful" not in out:
        failures.append("ogrinfo did not open the file with its DXF driver")
    failures += ["ogrinfo: " + line for line in err.splitlines() if line.strip() and not HARMLESS.match(line)]
    if args.features is not None and features != args.features:
        failures.append("ogrinfo: %d features, expected %d" % (features, args.features))
    for kind, count in want_geometry.items():
        if geometry.get(kind, 0) != count:
            failures.append("ogrinfo: %d %s geometries, expected %d" % (geometry.get(kind, 0), kind, count))

    drc, _, derr = run("dxf2vrml", args.path, "-o", "/dev/null")
    if drc != 0:
        failures.append("dxf2vrml exit status %d" % drc)
    if derr.strip():
        failures.append("dxf2vrml: " + derr.strip().splitlines()[0])

    print(json.dumps({"features": features, "geometry": dict(sorted(geometry.items())), "dime_status": drc,
                      "failures": failures}, indent=1))
    for f in failures:
        print("FAIL: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
