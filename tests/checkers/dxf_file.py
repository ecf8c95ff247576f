"""What the DXF checkers share: a file's tags as written, and ezdxf's reading of it."""
import sys


def read_tags(path):
    """($ACADVER, [(code, value), ...]) of an ASCII DXF file (R2007 on: UTF-8, before: cp1252).
    ValueError when a group code is missing or not a number."""
    with open(path, "rb") as f:
        raw = f.read()
    version = None
    marker = raw.find(b"$ACADVER")
    if marker >= 0:
        rest = raw[marker:marker + 64].split(b"\n")
        if len(rest) >= 3:
            version = rest[2].strip().decode("ascii", "replace")
    lines = raw.decode("utf-8" if version and version >= "AC1021" else "cp1252").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) % 2:
        raise ValueError("odd number of lines: a group code without a value")
    tags = []
    for i in range(0, len(lines), 2):
        try:
            code = int(lines[i].strip())
        except ValueError:
            raise ValueError("line %d: group code %r is not a number" % (i + 1, lines[i].strip()))
        tags.append((code, lines[i + 1].removesuffix("\r")))
    return version, tags


def structures(tags):
    """(section name, [tags]) for every structure that starts with a 0 tag."""
    section, current, naming = None, None, False
    for code, value in tags:
        if code == 0:
            if current is not None:
                yield section, current
            current = [(code, value)]
            if value == "SECTION":
                naming = True
            elif value == "ENDSEC":
                section = None
            continue
        if naming and code == 2:
            section, naming = value, False
        if current is not None:
            current.append((code, value))
    if current is not None:
        yield section, current


def load(path, failure="cannot read %s: %s", stream=sys.stderr):
    """ezdxf's document of the file; on any failure to read, the message and exit status 2."""
    import ezdxf
    try:
        return ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any reader failure is the finding
        print(failure % (path, e), file=stream)
        sys.exit(2)


def num(v):
    return repr(float(v))
