#!/usr/bin/env bash
# Runs the instrumented zum-convert of a profile-training build on the kinds
# of work it meets in use, so the release build can be optimised for them:
# a generated 20 MB drive at one and at two threads, with the GPX file, other
# units and intervals, stops, and the same drive from the GN talker. The
# counts land in build/profile (ZUM_PROFILE_DIR), then the stamp is touched
# so the release build recompiles against them. A binary already trained
# is not trained again.
#
#   bench/train-profile.sh TRAINING_BUILD_DIR     (make release runs it)
set -euo pipefail
export LC_ALL=C

build=${1:?usage: bench/train-profile.sh TRAINING_BUILD_DIR}
profile=$(sed -n 's/^ZUM_PROFILE_DIR:PATH=//p' "$build/CMakeCache.txt")
convert=$build/zum-convert
generator=$build/bench/zum-make-drive-log
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

trained=$(sha256sum "$convert" | cut -c1-64)
if [[ -f $profile/profile.stamp && -f $profile/trained-binary &&
    $(<"$profile/trained-binary") == "$trained" ]]; then
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$profile" "$work/config"
find "$profile" -name '*.gcda' -delete
# No settings file of the user's is read.
export XDG_CONFIG_HOME=$work/config

"$generator" --seed 511 --megabytes 20 --output "$work/drive.TXT"
sed 's/^\$GP\(RMC\|GSA\)/$GN\1/' "$work/drive.TXT" >"$work/gn.TXT"
cp "$here/../samples/0511NMEA.TXT" "$work/sample.TXT"

run() { "$convert" --settings /dev/null -q --output-dir "$work" "$@"; }
run --threads 1 "$work/drive.TXT"
run --threads 1 "$work/drive.TXT"
run --threads 2 "$work/drive.TXT"
run --threads 1 --gpx --units kmh --interval-time 1 "$work/drive.TXT"
run --threads 1 --marking stops --interval-distance 30 --tz -8 "$work/sample.TXT"
run --threads 1 --talkers any "$work/gn.TXT"

echo "$trained" >"$profile/trained-binary"
touch "$profile/profile.stamp"
echo "train-profile: counts in $profile"
