#!/usr/bin/env bash
# The Windows build under wine: the core tests, then zum-convert.exe on every
# golden-file case, byte for byte, with Windows paths ("Z:\...\0511NMEA.TXT").
# Usage: run-windows-tests.sh BUILD_DIR   (make test-windows)
set -uo pipefail
build=$(cd "$1" && pwd)
golden=$(cd "$(dirname "$0")/../cli/golden" && pwd)
# A wine prefix of its own in the build folder, quiet.
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEARCH=win64
exe=$build/zum-convert.exe
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

wine "$exe" --version >/dev/null 2>&1 # the first start creates the prefix

for t in "$build"/tests/convert/zum_convert_tests.exe "$build"/tests/settings/zum_settings_tests.exe; do
    echo "== $(basename "$t")"
    out=$(cd "$(dirname "$t")" && wine "$t" 2>&1)
    status=$?
    grep -E '^\[  (PASSED|FAILED|SKIPPED) |^\[==========\] [0-9]+ tests' <<<"$out"
    [[ $status -eq 0 ]] || { fail "$(basename "$t")"; grep -F '[  FAILED  ]' <<<"$out"; }
done

echo "== zum-convert.exe on the golden files"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cases=0
for dir in "$golden"/*/; do
    name=$(basename "$dir")
    mkdir -p "$work/$name"
    cp "$golden/$(head -n 1 "$dir/log")" "$work/$name/0511NMEA.TXT"
    mapfile -t args < <(grep -v '^$' "$dir/args" 2>/dev/null)
    log=$(winepath -w "$work/$name/0511NMEA.TXT")
    # No settings file: the built-in defaults, as --settings /dev/null on Linux.
    none=$(winepath -w "$work/none.dat")
    if ! wine "$exe" --settings "$none" -q "${args[@]}" "$log" >"$work/$name.out" 2>&1; then
        fail "$name: $(cat "$work/$name.out")"
        continue
    fi
    for suffix in _draw.txt _time.txt _sat.txt _speed.txt _2d.txt; do
        cmp -s "$work/$name/0511NMEA.TXT$suffix" "$dir/0511NMEA.TXT$suffix" ||
            fail "$name: 0511NMEA.TXT$suffix differs from the golden file"
    done
    cases=$((cases + 1))
done
echo "$cases golden cases converted"

# The Windows conventions: the settings file, messages, exit statuses.
help=$(wine "$exe" --help 2>&1)
grep -qF 'c:\zum-settings.dat' <<<"$help" || fail "--help does not name c:\\zum-settings.dat"
missing=$(winepath -w "$work/MISSINGNMEA.TXT")
err=$(wine "$exe" --settings "$none" "$missing" 2>&1 >/dev/null)
[[ $? -eq 1 && $err == "zum-convert: "*MISSINGNMEA.TXT* ]] || fail "a missing log: $err"
err=$(wine "$exe" --bogus "$missing" 2>&1 >/dev/null)
[[ $? -eq 2 && $err == "zum-convert: "* ]] || fail "a bad option: $err"

if [[ $failures -ne 0 ]]; then
    echo "test-windows: $failures failure(s)"
    exit 1
fi
echo "test-windows: all passed (core tests, $cases golden cases, Windows conventions)"
