"""settings_objects.py FILE.dxf [REFERENCE.dxf]: ezdxf's audit error count ("audit N"), then per
settings dictionary of the root one a line "NAME COUNT KEY=VALUE ..." (a SCALE's value
paper:drawing units, a DICTIONARYVAR's its text, a MLEADERSTYLE's text style, leader linetype and
text height, a TABLESTYLE's text styles, a MATERIAL's or VISUALSTYLE's its kind and own name;
"NAME missing" when the file lacks it: ezdxf makes some standard dictionaries on loading,
with handles from the file's $HANDSEED on); then, from the file's own groups, "refs CMATERIAL=..
LAYER0=.. ACTIVE=.." naming what $CMATERIAL (347), layer 0 (347) and the *Active viewport (348)
point at ("-" nothing). With a REFERENCE (libredwg's DXF of a file of the leading program),
"reference N differ: NAMES" compares the groups of the MATERIAL and VISUALSTYLE records both hold."""
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
    if kind == "MATERIAL":
        return "MATERIAL:" + obj.dxf.name
    if kind == "VISUALSTYLE":
        return "VISUALSTYLE:" + obj.dxf.description
    return "?"


for name in ("ACAD_COLOR", "ACAD_SCALELIST", "AcDbVariableDictionary", "ACAD_MLEADERSTYLE", "ACAD_TABLESTYLE",
             "ACAD_MATERIAL", "ACAD_VISUALSTYLE"):
    d = resolve(doc.rootdict.get(name))
    if d is None or d.dxftype() != "DICTIONARY" or int(d.dxf.handle, 16) >= seed:
        print(name, "missing")
        continue
    parts = ["%s=%s" % (key, value(resolve(obj))) for key, obj in sorted(d.items())]
    print(name, len(parts), " ".join(parts))


def records(path):
    """The file's records as (type, [(code, value), ...]); header variables as ("$NAME", groups)."""
    lines = [line.strip() for line in open(path, encoding="utf-8", errors="replace")]
    out = []
    for code, val in zip(lines[0::2], lines[1::2]):
        if code == "0" or code == "9":
            out.append((val, []))
        elif out:
            out[-1][1].append((code, val))
    return out


def own_name(rec):
    kind, groups = rec
    marks = [i for i, (c, _) in enumerate(groups) if c == "100"]
    body = groups[marks[-1]:] if marks else groups
    return dict(body).get("1" if kind == "MATERIAL" else "2")


recs = records(sys.argv[1])
by_handle = {dict(g).get("5"): (k, g) for k, g in recs if k in ("MATERIAL", "VISUALSTYLE")}
pointed = lambda groups, code: own_name(by_handle[dict(groups)[code]]) if dict(groups).get(code) in by_handle else "-"
first = lambda kind, name: next((g for k, g in recs if k == kind and dict(g).get("2", "").upper() == name), [])
print("refs CMATERIAL=%s LAYER0=%s ACTIVE=%s" % (pointed(first("$CMATERIAL", ""), "347"),
                                                  pointed(first("LAYER", "0"), "347"),
                                                  pointed(first("VPORT", "*ACTIVE"), "348")))


def style_groups(path):
    """Each MATERIAL's and VISUALSTYLE's groups from its subclass marker on (no extended data)."""
    styles = {}
    for kind, groups in records(path):
        if kind in ("MATERIAL", "VISUALSTYLE"):
            marks = [i for i, (c, _) in enumerate(groups) if c == "100"]
            styles[(kind, own_name((kind, groups)))] = [t for t in groups[marks[0]:] if int(t[0]) < 1000]
    return styles


if len(sys.argv) > 2:
    ours, ref = style_groups(sys.argv[1]), style_groups(sys.argv[2])
    both = [k for k in ref if k in ours]
    print("reference", len(both), "differ:", " ".join(sorted(k[1] for k in both if ours[k] != ref[k])))
