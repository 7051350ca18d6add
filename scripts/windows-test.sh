#!/usr/bin/env bash
# Runs the MinGW-w64 build's tests and command-line program under Wine, in a throwaway
# Wine prefix, and compares the Windows CSV export with the Linux one byte for byte.
# Usage: scripts/windows-test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail
windows_dir=$(realpath "$1")
linux_dir=$(realpath "$2")
cd "$(dirname "$0")/.."
fixtures=$(realpath -m ../shared/fixtures/real)

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tallowmark-wine.XXXXXX")
work=$(mktemp -d "${TMPDIR:-/tmp}/tallowmark-wintest.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true  # the server of this prefix only
    rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT

# A Wine that cannot start is a failure, never a skip.
echo "Starting Wine in $WINEPREFIX"
wineboot --init >/dev/null 2>&1 || { echo "windows-test: Wine did not start" >&2; exit 1; }

# TZ is pinned for the whole run: Windows' C library falls back to the system's zone when
# TZ is removed, and Wine's then forgets daylight saving for the zones the tests set later.
echo "Core tests under Wine"
TZ=UTC0 wine "$windows_dir/tests/tallowmark_core_tests.exe" --gtest_brief=1

cli_linux="$linux_dir/tallowmark-cli"
cli_windows="$windows_dir/tallowmark-cli.exe"
failures=0

# This build has no libtsk: its help says so rather than offering what it cannot do.
if ! wine "$cli_windows" --help | tr -d '\r' | grep -q "reads no file systems inside disk images"; then
    echo "windows-test: --help does not say that this build reads no file systems inside images" >&2
    failures=$((failures + 1))
fi
compare() {  # label, expected file, actual file
    if cmp -s "$2" "$3"; then echo "  same bytes: $1"
    else echo "  DIFFERENT: $1" >&2; failures=$((failures + 1)); fi
}

if compgen -G "$fixtures/*.dat" >/dev/null; then
    echo "CSV export, Windows against Linux"
    # The path holds letters outside every ANSI code page, so it must reach the program as UTF-16.
    unicode_dir="$work/Überprüfung κόσμος"
    mkdir -p "$unicode_dir"
    for zone in UTC0 "EST5EDT,M3.2.0,M11.1.0"; do
        for sample in "$fixtures"/*.dat; do
            name=$(basename "$sample")
            TZ=$zone "$cli_linux" export "$sample" >"$work/linux.csv"
            TZ=$zone wine "$cli_windows" export "$sample" >"$work/stdout.csv"
            compare "$name, $zone, standard output" "$work/linux.csv" "$work/stdout.csv"
            cp "$sample" "$unicode_dir/$name"
            TZ=$zone wine "$cli_windows" export "$unicode_dir/$name" -o "$unicode_dir/Ausgabe-$name.csv"
            compare "$name, $zone, file with a non-ASCII path" "$work/linux.csv" "$unicode_dir/Ausgabe-$name.csv"
        done
    done
else
    echo "No real sample files in $fixtures: export comparison skipped"
fi
[[ $failures -eq 0 ]] || { echo "windows-test: $failures check(s) failed" >&2; exit 1; }
echo "windows-test: passed"
