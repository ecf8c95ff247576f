"""settings_objects.py FILE.dxf: ezdxf's audit error count ("audit N"), then per settings
dictionary of the root one a line "NAME COUNT KEY=VALUE ..." (a SCALE's value paper:drawing
units, a DICTIONARYVAR's its text; "NAME missing" when the file lacks it: ezdxf makes some
standard dictionaries on loading, with handles from the file's $HANDSEED on)."""
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
print("audit", len(doc.audit().errors))
db = doc.entitydb
resolve = lambda o: db.get(o) if isinstance(o, str) else o
seed = int(doc.header["$HANDSEED"], 16)
for name in ("ACAD_COLOR", "ACAD_SCALELIST", "AcDbVariableDictionary"):
    d = resolve(doc.rootdict.get(name))
    if d is None or d.dxftype() != "DICTIONARY" or int(d.dxf.handle, 16) >= seed:
        print(name, "missing")
        continue
    parts = []
    for key, obj in sorted(d.items()):
        obj = resolve(obj)
        if obj is not None and obj.dxftype() == "SCALE":
            tags = {t.code: t.value for t in obj.xtags.get_subclass("AcDbScale")}
            parts.append("%s=%s %g:%g" % (key, tags[300], tags[140], tags[141]))
        else:
            parts.append(key + "=" + (obj.dxf.value if obj is not None and obj.dxftype() == "DICTIONARYVAR" else "?"))
    print(name, len(parts), " ".join(parts))
