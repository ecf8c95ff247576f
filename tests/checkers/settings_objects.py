"""settings_objects.py FILE.dxf: ezdxf's audit error count ("audit N"), then per settings
dictionary of the root one a line "NAME COUNT KEY=VALUE ..." (a SCALE's value paper:drawing
units, a DICTIONARYVAR's its text, a MLEADERSTYLE's text style, leader linetype and text
height, a TABLESTYLE's text styles; "NAME missing"
when the file lacks it: ezdxf makes some standard dictionaries on loading, with handles
from the file's $HANDSEED on)."""
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
print("audit", len(doc.audit().errors))
db = doc.entitydb
resolve = lambda o: db.get(o) if isinstance(o, str) else o
record = lambda h: db[h].dxf.name if h in db else "?" + h
seed = int(doc.header["$HANDSEED"], 16)


def value(obj):
    kind = obj.dxftype() if obj is not None else "?"
    if kind == "SCALE":
        tags = {t.code: t.value for t in obj.xtags.get_subclass("AcDbScale")}
        return "%s %g:%g" % (tags[300], tags[140], tags[141])
    if kind == "DICTIONARYVAR":
        return obj.dxf.value
    if kind == "MLEADERSTYLE":
        return "%s %s %s %g" % (kind, record(obj.dxf.text_style_handle), record(obj.dxf.leader_linetype_handle),
                                obj.dxf.char_height)
    if kind == "TABLESTYLE":   # the rows' (7) or, libredwg's DXF from R2010, the cell styles' (340) text styles
        tags = obj.xtags.get_subclass("AcDbTableStyle")
        styles = {t.value for t in tags if t.code == 7} | {record(t.value) for t in tags if t.code == 340 and t.value != "0"}
        return "%s %s" % (kind, "/".join(sorted(styles)))
    return "?"


for name in ("ACAD_COLOR", "ACAD_SCALELIST", "AcDbVariableDictionary", "ACAD_MLEADERSTYLE", "ACAD_TABLESTYLE"):
    d = resolve(doc.rootdict.get(name))
    if d is None or d.dxftype() != "DICTIONARY" or int(d.dxf.handle, 16) >= seed:
        print(name, "missing")
        continue
    print(name, len(d), " ".join("%s=%s" % (key, value(resolve(obj))) for key, obj in sorted(d.items())))
