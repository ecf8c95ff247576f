# Shared by check-install and check-deb.
# shellcheck shell=bash
set -uo pipefail

source_dir=${OSTREL_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
examples=$source_dir/examples
python=/usr/bin/python3
build=$(cd "${1:?usage: BUILD_DIR VERSION}" && pwd)
version=${2:?usage: BUILD_DIR VERSION}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "== $* (${SECONDS}s)"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The sample's user settings name settings.ini relative to the current folder.
cd "$examples" || exit 1
# A broken export: the header record and nothing after it.
printf 'TALVERO' >"$work/broken.txt"

# check_drawing FILE: the sample drawing as ezdxf and the strict checks see
# it: layer mappings of the settings applied, the model's entities, the sheet.
check_drawing_code='
import json, sys
s = json.load(sys.stdin)
model = s["layouts"]["Model"]
wants = [("DRAINAGE-MH" in s["layers"] and "VEGETATION-HEDGE" in s["layers"], "mapped layers"),
         (model.get("POINT") == 5 and model.get("3DFACE") == 4 and model.get("CIRCLE") == 3, "model entities"),
         (any(l.get("VIEWPORT") for n, l in s["layouts"].items() if n != "Model"), "a sheet with a viewport")]
missing = [what for ok, what in wants if not ok]
if missing:
    print(sys.argv[1] + ": missing " + ", ".join(missing))
sys.exit(1 if missing else 0)
'
check_drawing() {
    local file=$1 summary
    if ! summary=$("$python" "$source_dir/tests/checkers/check_dxf.py" "$file"); then
        fail "$file does not pass the DXF checks"
    elif ! "$python" -c "$check_drawing_code" "$file" <<<"$summary"; then
        fail "$file is not the sample drawing"
    fi
}

finish() {
    echo "== done in ${SECONDS}s"
    exit $((failures > 0))
}
