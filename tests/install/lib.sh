# Shared by check-install and check-deb (arguments: BUILD_DIR VERSION).
# shellcheck shell=bash
set -uo pipefail
build=$(cd "${1:?usage: BUILD_DIR VERSION}" && pwd)
version=${2:?usage: BUILD_DIR VERSION}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "== $* (${SECONDS}s)"; }
finish() { echo "== done in ${SECONDS}s"; exit $((failures > 0)); }
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The sample's user settings name settings.ini relative to the current folder.
cd "$source_dir/examples" || exit 1
printf 'TALVERO' >"$work/broken.txt"   # a header record and nothing after it

# The sample drawing as the strict checks and ezdxf see it: the settings'
# layer mappings applied, the model's entities, a sheet with a viewport.
check_drawing() {
    /usr/bin/python3 "$source_dir/tests/checkers/check_dxf.py" "$1" | /usr/bin/python3 -c '
import json, sys
s = json.load(sys.stdin)
m = s["layouts"]["Model"]
ok = ({"DRAINAGE-MH", "VEGETATION-HEDGE"} <= set(s["layers"]) and (m.get("POINT"), m.get("3DFACE"), m.get("CIRCLE")) == (5, 4, 3)
      and any(l.get("VIEWPORT") for n, l in s["layouts"].items() if n != "Model"))
sys.exit(0 if ok else 1)' || fail "$1 is not the sample drawing"
}
