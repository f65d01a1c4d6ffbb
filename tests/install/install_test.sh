#!/usr/bin/env bash
# Installs the build into a temporary root, as a package would, and checks
# that every file a user's system looks for is there and passes its
# validator: the desktop entry, the AppStream data and the manual pages.
# Usage: install_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$root/usr" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr=$root/usr

for f in bin/zum-convert bin/zum-points \
    share/applications/zum-points.desktop \
    share/metainfo/org.zumpoints.zumpoints.metainfo.xml \
    share/icons/hicolor/scalable/apps/zum-points.svg \
    share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/zum-points.png \
    share/man/man1/zum-convert.1.gz share/man/man1/zum-points.1.gz \
    share/bash-completion/completions/zum-convert \
    share/doc/zum-points/copyright share/doc/zum-points/changelog.gz; do
    [[ -s $usr/$f ]] || fail "missing $f"
done
[[ -x $usr/bin/zum-convert && -x $usr/bin/zum-points ]] || fail "programs not executable"
for size in 16 32 48 64 128 256; do
    file "$usr/share/icons/hicolor/${size}x${size}/apps/zum-points.png" |
        grep -q "PNG image data, $size x $size" || fail "icon ${size}x$size is not a $size px PNG"
done

# Hints are advice; warnings and errors are failures.
out=$(desktop-file-validate "$usr/share/applications/zum-points.desktop" 2>&1)
if [[ $? -ne 0 ]] || grep -v ': hint: ' <<<"$out" | grep -q .; then
    fail "desktop-file-validate: $out"
fi
grep -qx 'Exec=zum-points %f' "$usr/share/applications/zum-points.desktop" || fail "Exec line"

out=$(appstreamcli validate --no-net "$usr/share/metainfo/org.zumpoints.zumpoints.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$usr/share/metainfo/org.zumpoints.zumpoints.metainfo.xml" ||
    fail "metainfo does not name version $version"

for page in zum-convert zum-points; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man --warnings $page.1: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$usr/share/man/man1/$page.1.gz" 2>/dev/null)
    for section in OPTIONS 'EXIT STATUS' FILES EXAMPLES "ZUM-POINTS $version" zum-settings.dat zum-points.conf; do
        grep -q -- "$section" <<<"$text" || fail "$page.1 lacks \"$section\""
    done
done
# Every option the program knows is in its manual page.
man_text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$usr/share/man/man1/zum-convert.1.gz" 2>/dev/null)
for option in $("$usr/bin/zum-convert" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
    grep -q -- "$option" <<<"$man_text" || fail "zum-convert.1 lacks $option"
done

[[ $("$usr/bin/zum-convert" --version) == "zum-convert $version" ]] || fail "installed zum-convert --version"

# The completion offers the options, their values and files after "--".
completions() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             cd "$0"
             _zum_convert zum-convert "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
             printf "%s\n" "${COMPREPLY[@]}"' "$root/x" \
        "$usr/share/bash-completion/completions/zum-convert" "$@"
}
mkdir -p "$root/x" && touch "$root/x/-x.TXT" "$root/x/0511NMEA.TXT"
[[ $(completions zum-convert --units k | sort | xargs) == "kmh knots" ]] || fail "completion of --units"
[[ $(completions zum-convert --marking '' | sort | xargs) == "interval stops" ]] || fail "completion of --marking"
[[ $(completions zum-convert --ma | xargs) == "--marking" ]] || fail "completion of options"
[[ $(completions zum-convert 0511 | xargs) == "0511NMEA.TXT" ]] || fail "completion of logs"
[[ $(completions zum-convert -- -x | xargs) == "-x.TXT" ]] || fail "completion of logs after --"

if [[ $failures -ne 0 ]]; then
    echo "$failures install check(s) failed"
    exit 1
fi
echo "install into $usr: every file present and valid"
