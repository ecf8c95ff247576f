#!/usr/bin/python3
"""Checks an ASCII DXF file the way a strict reader would.

Usage: check_dxf.py FILE [--allow-r12-seqend]

1. ezdxf.readfile + doc.audit(): no errors and no fixes. With
   --allow-r12-seqend the one known false report of ezdxf 0.18 on R12 files
   ("[202] Deleted SEQEND ... #None" for polylines inside blocks) is ignored.
2. Tag-level checks ezdxf does not make: HEADER is the first section and
   starts with $ACADVER; every entity, table, table record and object has a
   handle, and no handle is used twice (R13 on; in R12 when $HANDLING is 1);
   every 330/340/350/360/390 reference names a handle of the file; $HANDSEED
   is above every handle; LTYPE comes before LAYER; table counts match.
3. Prints a JSON summary on stdout: version, layers, blocks, entity counts by
   type per layout (as ezdxf sees them) and by type in the ENTITIES section.

Exit status 0 when every check passes, 1 otherwise (the failures are listed
on stderr), 2 when the file cannot be read at all.
"""
import json
import sys
from collections import Counter, OrderedDict

from dxf_file import read_tags, structures

REFERENCE_CODES = {330, 340, 350, 360, 390}
NO_HANDLE_TYPES = {"SECTION", "ENDSEC", "ENDTAB", "EOF", "CLASS"}


def tag_checks(version, tags):
    failures = []
    sections = [tags[i + 1][1] for i, t in enumerate(tags[:-1]) if t == (0, "SECTION")]
    if not sections or sections[0] != "HEADER":
        failures.append("HEADER is not the first section: %s" % sections)
    if len(tags) < 4 or tags[2] != (9, "$ACADVER"):
        failures.append("the header does not start with $ACADVER")
    if not tags or tags[-1] != (0, "EOF"):
        failures.append("the file does not end with EOF")

    header, in_header = {}, False
    for i, (c, v) in enumerate(tags):
        if (c, v) in ((2, "HEADER"), (0, "ENDSEC")):
            in_header = v == "HEADER"
        elif in_header and c == 9 and i + 1 < len(tags):
            header[v] = tags[i + 1][1]
    r12 = version == "AC1009"
    handles_required = not r12 or header.get("$HANDLING", "0").strip() == "1"

    handles, references, table_order, table_counts = {}, [], [], {}
    entities, layers = Counter(), []
    current_table = None
    for section, structure in structures(tags):
        kind = structure[0][1]
        if section == "ENTITIES" and kind not in ("SECTION", "ENDSEC"):
            entities[kind] += 1
        if section == "TABLES" and kind == "LAYER":
            layers.append(next((v for c, v in structure if c == 2), ""))
        if kind in NO_HANDLE_TYPES or section == "HEADER":
            if kind == "ENDTAB":
                current_table = None
            continue
        if kind == "TABLE":
            current_table = next((v for c, v in structure if c == 2), "?")
            table_order.append(current_table)
            count = next((v for c, v in structure if c == 70), None)
            table_counts[current_table] = [int(count) if count is not None else None, 0]
        elif section == "TABLES" and current_table is not None:
            table_counts[current_table][1] += 1
        handle = next((v.strip() for c, v in structure[1:3] if c in (5, 105)), None)
        if handle is None:
            if handles_required and not (r12 and kind == "TABLE"):
                failures.append("%s in %s has no handle" % (kind, section))
        else:
            try:
                value = int(handle, 16)
            except ValueError:
                failures.append("%s has a malformed handle %r" % (kind, handle))
                continue
            if value == 0:
                failures.append("%s has handle 0" % kind)
            if value in handles:
                failures.append("handle %s used by %s and %s" % (handle, handles[value], kind))
            handles[value] = kind
        if not r12:
            references += [(kind, handle, c, v.strip()) for c, v in structure[1:] if c in REFERENCE_CODES]

    for kind, handle, code, value in references:
        try:
            target = int(value, 16)
        except ValueError:
            failures.append("%s %s: malformed %d reference %r" % (kind, handle, code, value) if value else
                            "%s %s: empty %d reference" % (kind, handle, code))
            continue
        if target == 0:
            if not (code == 330 and kind in ("TABLE", "DICTIONARY")):
                failures.append("%s %s: %d reference to 0" % (kind, handle, code))
        elif target not in handles:
            failures.append("%s %s: %d reference %s resolves to nothing" % (kind, handle, code, value))

    seed_text = header.get("$HANDSEED")
    if seed_text is None:
        if handles_required:
            failures.append("no $HANDSEED")
    elif handles and int(seed_text.strip(), 16) <= max(handles):
        failures.append("$HANDSEED %s is not above handle %X" % (seed_text.strip(), max(handles)))
    if "LTYPE" in table_order and "LAYER" in table_order and table_order.index("LTYPE") > table_order.index("LAYER"):
        failures.append("LTYPE table after LAYER")
    for name, (declared, actual) in table_counts.items():
        if declared is not None and declared != actual:
            failures.append("table %s declares %d records, holds %d" % (name, declared, actual))
    return failures, header, table_order, entities, layers


def ezdxf_checks(path, allow_r12_seqend):
    import ezdxf
    doc = ezdxf.readfile(path)
    auditor = doc.audit()

    def known_false(entry):
        return (allow_r12_seqend and doc.dxfversion == "AC1009" and entry.code == 202
                and entry.message.startswith("Deleted SEQEND") and entry.message.endswith("#None."))

    failures = ["ezdxf audit %s [%d] %s" % (what, e.code, e.message)
                for what, entries in (("error", auditor.errors), ("fix", auditor.fixes))
                for e in entries if not known_false(e)]
    layouts = OrderedDict((layout.name, dict(sorted(Counter(e.dxftype() for e in layout).items())))
                          for layout in doc.layouts)
    return failures, doc.dxfversion, sorted(b.name for b in doc.blocks if not b.is_any_layout), layouts


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    path = args[0]
    try:
        version, tags = read_tags(path)
    except (OSError, ValueError, UnicodeDecodeError) as e:
        print("cannot read %s: %s" % (path, e), file=sys.stderr)
        return 2
    failures, header, table_order, section_entities, layers = tag_checks(version, tags)
    try:
        more, loaded_version, blocks, layouts = ezdxf_checks(path, "--allow-r12-seqend" in argv)
        failures += more
    except Exception as e:  # ezdxf refuses the file
        failures.append("ezdxf cannot load the file: %r" % (e,))
        loaded_version, blocks, layouts = None, [], {}
    summary = OrderedDict(version=version, loaded_as=loaded_version, handseed=header.get("$HANDSEED", "").strip(),
                          tables=table_order, layers=layers, blocks=blocks, layouts=layouts,
                          entities_section=dict(sorted(section_entities.items())), failures=failures)
    print(json.dumps(summary, indent=1))
    for f in failures:
        print("FAIL: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
