#!/usr/bin/env bash
# Sets Skarvel up on a Debian 12 machine.
#   scripts/setup.sh run    install what is missing, build, start the program on the demo competition
#   scripts/setup.sh test   install what is missing, build, run every test (sanitizer build first,
#                           the Windows cross-build under Wine, the fuzz targets before the
#                           Release build), all under a throwaway PostgreSQL server (pg_virtualenv)
#                           for the shared competition's tests
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

packages=(cmake ninja-build g++ ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl-dev fonts-dejavu-core
          fonts-liberation fonts-urw-base35 socat poppler-utils clang-format qt6-httpserver-dev
          qt6-websockets-dev qt6-multimedia-dev libpugixml-dev libxml2-utils clang libclang-rt-14-dev
          libpq-dev postgresql)
# The user guide (docs/guide.*.md) is built into the file F1 opens with cmark-gfm.
packages+=(libcmark-gfm-dev libcmark-gfm-extensions-dev)
# Only the tests need the Windows cross-build: MinGW-w64, Wine to run it, dpkg-dev to fetch a
# Debian source package.
test_packages=(g++-mingw-w64-x86-64-posix wine64 dpkg-dev)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

case "${1:-}" in
    run)
        install_packages
        cmake --preset release >/dev/null
        cmake --build --preset release --target skarvel skarvel-cli
        demo=build/release/demo.wdb
        [ -f "$demo" ] || build/release/tools/skarvel-cli demo "$demo"
        exec build/release/app/skarvel "$demo"
        ;;
    test)
        packages+=("${test_packages[@]}")
        install_packages
        # The shared competition's tests need a PostgreSQL server: pg_virtualenv makes a
        # throwaway one (-t: in a temporary folder, also as root), sets PGHOST, PGPORT, PGUSER
        # and PGPASSWORD for the run, and removes the server afterwards (and says so: CTest's
        # summary is repeated after it, so that it stays the last line).
        log=$(mktemp)
        status=0
        pg_virtualenv -t "$here/scripts/setup.sh" test-with-server | tee "$log" || status=$?
        grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true
        rm -f "$log"
        exit "$status"
        ;;
    test-with-server)
        # Everything under AddressSanitizer and UBSan; the build without Qt (logic and
        # command-line tool, as on a headless finish computer); then everything in Release.
        cmake --workflow --preset asan
        cmake --workflow --preset nogui
        # The same logic and skarvel-cli cross-built for Windows (MinGW-w64) and tested under
        # Wine; its outputs are compared byte for byte with the build without Qt's.
        cmake --workflow --preset windows
        # Every reader of outside data under libFuzzer (clang): each fuzz target runs for
        # SKARVEL_FUZZ_SECONDS (20) over its corpus; a crash fails the run.
        fuzz_start=$SECONDS
        cmake --workflow --preset fuzz
        echo "Fuzzing took $((SECONDS - fuzz_start)) s (build and run)."
        cmake --workflow --preset release
        ;;
    *)
        echo "usage: scripts/setup.sh run|test" >&2
        exit 2
        ;;
esac
