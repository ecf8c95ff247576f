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

REFERENCE_CODES = {330, 340, 350, 360, 390}
NO_HANDLE_TYPES = {"SECTION", "ENDSEC", "ENDTAB", "EOF", "CLASS"}


def read_tags(path):
    with open(path, "rb") as f:
        raw = f.read()
    version = None
    marker = raw.find(b"$ACADVER")
    if marker >= 0:
        rest = raw[marker:marker + 64].split(b"\n")
        if len(rest) >= 3:
            version = rest[2].strip().decode("ascii", "replace")
    encoding = "utf-8" if version and version >= "AC1021" else "cp1252"
    text = raw.decode(encoding)
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) % 2:
        raise ValueError("odd number of lines: a group code without a value")
    tags = []
    for i in range(0, len(lines), 2):
        code_text = lines[i].strip()
        try:
            code = int(code_text)
        except ValueError:
            raise ValueError("line %d: group code %r is not a number" % (i + 1, code_text))
        value = lines[i + 1]
        if value.endswith("\r"):
            value = value[:-1]
        tags.append((code, value))
    return version, tags


def split_structures(tags):
    """Yields (section, [tags of one structure]) for every 0-tag structure."""
    section = None
    current = None
    expect_section_name = False
    for code, value in tags:
        if code == 0:
            if current is not None:
                yield section, current
            current = [(code, value)]
            if value == "SECTION":
                expect_section_name = True
            elif value == "ENDSEC":
                section = None
            continue
        if expect_section_name and code == 2:
            section = value
            expect_section_name = False
        if current is not None:
            current.append((code, value))
    if current is not None:
        yield section, current


def tag_checks(version, tags):
    failures = []
    section_names = []
    for i, (c, v) in enumerate(tags):
        if c == 0 and v == "SECTION" and i + 1 < len(tags):
            section_names.append(tags[i + 1][1])
    if not section_names or section_names[0] != "HEADER":
        failures.append("HEADER is not the first section: %s" % section_names)
    if len(tags) < 4 or tags[2] != (9, "$ACADVER"):
        failures.append("the header does not start with $ACADVER")
    if not tags or tags[-1] != (0, "EOF"):
        failures.append("the file does not end with EOF")

    header = {}
    in_header = False
    for i, (c, v) in enumerate(tags):
        if c == 2 and v == "HEADER":
            in_header = True
        elif c == 0 and v == "ENDSEC":
            in_header = False
        elif in_header and c == 9 and i + 1 < len(tags):
            header[v] = tags[i + 1][1]
    r12 = version == "AC1009"
    handles_required = not r12 or header.get("$HANDLING", "0").strip() == "1"

    handles = {}
    references = []
    table_order = []
    table_counts = {}
    current_table = None
    for section, structure in split_structures(tags):
        kind = structure[0][1]
        if kind in NO_HANDLE_TYPES or section == "HEADER":
            if kind == "ENDTAB":
                current_table = None
            continue
        if kind == "TABLE":
            name = next((v for c, v in structure if c == 2), "?")
            table_order.append(name)
            count = next((v for c, v in structure if c == 70), None)
            current_table = name
            table_counts[name] = [int(count) if count is not None else None, 0]
        elif section == "TABLES" and current_table is not None:
            table_counts[current_table][1] += 1
        handle = None
        for c, v in structure[1:3]:
            if c in (5, 105):
                handle = v.strip()
                break
        if handle is None:
            needs = handles_required and not (r12 and kind == "TABLE")
            if needs:
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
            for c, v in structure[1:]:
                if c in REFERENCE_CODES:
                    references.append((kind, handle, c, v.strip()))

    for kind, handle, code, value in references:
        if value == "":
            failures.append("%s %s: empty %d reference" % (kind, handle, code))
            continue
        try:
            target = int(value, 16)
        except ValueError:
            failures.append("%s %s: malformed %d reference %r" % (kind, handle, code, value))
            continue
        if target == 0:
            if code == 330 and kind in ("TABLE", "DICTIONARY"):
                continue
            failures.append("%s %s: %d reference to 0" % (kind, handle, code))
        elif target not in handles:
            failures.append("%s %s: %d reference %s resolves to nothing" % (kind, handle, code, value))

    seed_text = header.get("$HANDSEED")
    if seed_text is None:
        if handles_required:
            failures.append("no $HANDSEED")
    else:
        seed = int(seed_text.strip(), 16)
        if handles and seed <= max(handles):
            failures.append("$HANDSEED %s is not above handle %X" % (seed_text.strip(), max(handles)))

    if "LTYPE" in table_order and "LAYER" in table_order:
        if table_order.index("LTYPE") > table_order.index("LAYER"):
            failures.append("LTYPE table after LAYER")
    for name, (declared, actual) in table_counts.items():
        if declared is not None and declared != actual:
            failures.append("table %s declares %d records, holds %d" % (name, declared, actual))

    entities = Counter()
    layers = []
    for section, structure in split_structures(tags):
        if section == "ENTITIES" and structure[0][1] not in ("SECTION", "ENDSEC"):
            entities[structure[0][1]] += 1
        if section == "TABLES" and structure[0][1] == "LAYER":
            layers.append(next((v for c, v in structure if c == 2), ""))
    return failures, header, table_order, entities, layers


def ezdxf_checks(path, allow_r12_seqend):
    import ezdxf
    failures = []
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    def known_false(entry):
        return (allow_r12_seqend and doc.dxfversion == "AC1009" and entry.code == 202
                and entry.message.startswith("Deleted SEQEND") and entry.message.endswith("#None."))

    for error in auditor.errors:
        if known_false(error):
            continue
        failures.append("ezdxf audit error [%d] %s" % (error.code, error.message))
    for fix in auditor.fixes:
        if known_false(fix):
            continue
        failures.append("ezdxf audit fix [%d] %s" % (fix.code, fix.message))
    layouts = OrderedDict()
    for layout in doc.layouts:
        layouts[layout.name] = dict(sorted(Counter(e.dxftype() for e in layout).items()))
    blocks = sorted(b.name for b in doc.blocks if not b.is_any_layout)
    return failures, doc.dxfversion, blocks, layouts


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    allow_r12_seqend = "--allow-r12-seqend" in argv
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
        more, loaded_version, blocks, layouts = ezdxf_checks(path, allow_r12_seqend)
        failures += more
    except Exception as e:  # ezdxf refuses the file
        failures.append("ezdxf cannot load the file: %r" % (e,))
        loaded_version, blocks, layouts = None, [], {}
    summary = OrderedDict(
        version=version,
        loaded_as=loaded_version,
        handseed=header.get("$HANDSEED", "").strip(),
        tables=table_order,
        layers=layers,
        blocks=blocks,
        layouts=layouts,
        entities_section=dict(sorted(section_entities.items())),
        failures=failures,
    )
    print(json.dumps(summary, indent=1))
    for f in failures:
        print("FAIL: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
