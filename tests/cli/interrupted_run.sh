#!/usr/bin/env bash
# Interrupts the real zum-convert while it waits in the middle of a log (fed
# through a FIFO that is held open) and checks that it ends with the usual
# 128+signal status, leaves no temporary behind, and leaves the previous
# outputs as they were, with their mode and link. Then a run killed outright
# (which no program can clean up after) must not block the next run.
#   interrupted_run.sh ZUM_CONVERT GOLDEN_DIR
set -u
convert=$1
golden=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set -m # job control: a background run keeps SIGINT, as from a terminal

pid=
fail() {
    echo "FAIL: $*" >&2
    [ -n "$pid" ] && kill -s KILL "$pid" 2>/dev/null
    exit 1
}
# Hidden files (temporaries) in the folder and below.
hidden() { find "$1" -mindepth 1 -name '.*' | wc -l; }

# Starts a run over $1/LOG.TXT, a FIFO holding part of a log and held open,
# and waits until its temporaries exist: five, and with --gpx ($2) three
# more (the GPX file and its two scratch parts). Sets pid.
start_waiting_run() {
    mkfifo "$1/LOG.TXT"
    exec 3<>"$1/LOG.TXT"
    head -c 3000 "$golden/drive.nmea" >&3
    "$convert" --settings /dev/null ${2:-} "$1/LOG.TXT" &
    pid=$!
    for _ in $(seq 200); do
        [ "$(hidden "$1")" -ge "$([ -n "${2:-}" ] && echo 8 || echo 5)" ] && return
        sleep 0.05
    done
    fail "the run over $1 did not start"
}

# The last run also writes the GPX file.
for run in INT TERM HUP INT--gpx; do
    sig=${run%%-*}
    gpx=${run#"$sig"}
    dir=$work/$run
    mkdir -p "$dir/elsewhere"
    for suffix in _draw.txt _time.txt _speed.txt _2d.txt .gpx; do
        printf 'previous\r\n' >"$dir/LOG.TXT$suffix"
    done
    chmod 600 "$dir/LOG.TXT_draw.txt"
    printf 'previous\r\n' >"$dir/elsewhere/sat.txt"
    ln -s elsewhere/sat.txt "$dir/LOG.TXT_sat.txt"

    start_waiting_run "$dir" "$gpx"
    kill -s "$sig" "$pid"
    wait "$pid"
    status=$?
    exec 3>&-
    expected=$((128 + $(kill -l "$sig")))
    [ "$status" -eq "$expected" ] || fail "SIG$sig: status $status, not $expected"
    [ "$(hidden "$dir")" -eq 0 ] || fail "SIG$sig: temporaries left: $(ls -A "$dir")"
    for suffix in _draw.txt _time.txt _sat.txt _speed.txt _2d.txt .gpx; do
        [ "$(cat "$dir/LOG.TXT$suffix")" = $'previous\r' ] || fail "SIG$sig: LOG.TXT$suffix changed"
    done
    [ "$(stat -c %a "$dir/LOG.TXT_draw.txt")" = 600 ] || fail "SIG$sig: mode changed"
    [ -L "$dir/LOG.TXT_sat.txt" ] || fail "SIG$sig: the link was replaced"
    echo "SIG$sig${gpx:+ $gpx}: status $status, nothing left behind"
done

dir=$work/KILL
mkdir -p "$dir"
start_waiting_run "$dir"
kill -s KILL "$pid"
wait "$pid"
exec 3>&-
rm "$dir/LOG.TXT"
cp "$golden/drive.nmea" "$dir/LOG.TXT"
"$convert" --settings /dev/null --marking stops -q "$dir/LOG.TXT" || fail "a run after a killed one failed"
for suffix in _draw.txt _time.txt _sat.txt _speed.txt _2d.txt; do
    cmp -s "$dir/LOG.TXT$suffix" "$golden/drive-at-stops/0511NMEA.TXT$suffix" ||
        fail "LOG.TXT$suffix differs after a killed run"
done
echo "a killed run's leftovers do not block the next run"
