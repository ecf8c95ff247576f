# Shared by the scripts: package installation and the build.
# shellcheck shell=bash

OSTREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OSTREL_BUILD="${OSTREL_BUILD:-$OSTREL_ROOT/build}"

# Installs the Debian packages that are not installed yet (one apt run at most).
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake g++ make pkg-config libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
                libcairo2-dev fonts-dejavu-core libdxflib-dev nlohmann-json3-dev)
# pkgconf, dpkg-dev and file: the install checks (pkg-config consumer, cpack -G DEB)
CHECK_PACKAGES=(python3-ezdxf gdal-bin dime time pkgconf dpkg-dev file)
# The fuzzers of tests/fuzz (scripts/fuzz): clang with libFuzzer and the sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Configures (once) and builds the given targets in $OSTREL_BUILD, Release.
build_targets() {
    if [ ! -f "$OSTREL_BUILD/CMakeCache.txt" ]; then
        cmake -S "$OSTREL_ROOT" -B "$OSTREL_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    local jobs
    jobs="$(nproc 2>/dev/null || echo 2)"
    if [ $# -eq 0 ]; then
        cmake --build "$OSTREL_BUILD" -j"$jobs"
    else
        cmake --build "$OSTREL_BUILD" -j"$jobs" --target "$@"
    fi
}
