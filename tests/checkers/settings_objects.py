"""Prints what a DXF's root dictionary holds of a current drawing's settings
objects, as ezdxf reads them, and the errors of ezdxf's audit:
  audit N
  ACAD_COLOR DICTIONARY 0
  ACAD_SCALELIST DICTIONARY 17 SCALE 1:1=1:1 ...
  AcDbVariableDictionary DICTIONARY 9 DICTIONARYVAR DIMASSOC=2 ...
An entry that names no object reads "missing".
Usage: /usr/bin/python3 settings_objects.py FILE.dxf"""
import sys

import ezdxf

NAMES = ("ACAD_COLOR", "ACAD_SCALELIST", "AcDbVariableDictionary")


def entry_text(obj):
    kind = obj.dxftype()
    if kind == "SCALE":
        tags = {t.code: t.value for t in obj.xtags.get_subclass("AcDbScale")}
        return "%s=%g:%g" % (tags.get(300), tags.get(140), tags.get(141))
    if kind == "DICTIONARYVAR":
        return "=" + obj.dxf.value
    return kind


def main(path):
    doc = ezdxf.readfile(path)
    print("audit", len(doc.audit().errors))
    db = doc.entitydb
    for name in NAMES:
        d = doc.rootdict.get(name)
        d = db.get(d) if isinstance(d, str) else d
        if d is None:
            print(name, "missing")
            continue
        parts = []
        for key, obj in sorted(d.items()):
            obj = db.get(obj) if isinstance(obj, str) else obj
            parts.append(key + (":" + entry_text(obj) if obj is not None else ":missing"))
        print(name, d.dxftype(), len(parts), " ".join(parts))


main(sys.argv[1])
