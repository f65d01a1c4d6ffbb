#!/usr/bin/env bash
# Throughput and peak memory of zum-convert on a ~20 MB and a ~200 MB drive
# log, with `wc -l` and GPSBabel timed side by side in the same run, then the
# micro-benchmarks of the number texts.
#
#   bench/run-bench.sh BUILD_DIR        (make bench: BUILD_DIR = build/release)
#
# Wall times are the best of $BENCH_RUNS runs (default 3) on a warm page cache,
# taken with the shell's microsecond clock around /usr/bin/time, which gives the
# peak resident memory (the largest of the runs is shown). MB = 1,000,000
# bytes. The logs are made by zum-make-drive-log into bench/out/ and kept for
# the next run while the seed, the size and the generator's source stay the
# same.
set -euo pipefail
export LC_ALL=C

build=${1:?usage: bench/run-bench.sh BUILD_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$here/out
seed=${BENCH_SEED:-511}
runs=${BENCH_RUNS:-3}
# GPSBabel is timed on the 200 MB log (one run) only when the 20 MB figure
# says that will take at most this many seconds.
gpsbabel_limit=${BENCH_GPSBABEL_MAX_SECONDS:-60}

find_tool() {
    local p
    for p in "$build/$1" "$build/src/$1" "$build/bench/$1"; do
        if [[ -x $p ]]; then
            echo "$p"
            return
        fi
    done
    echo "run-bench: $1 not found in $build (build it first: make release)" >&2
    exit 1
}
convert=$(find_tool zum-convert)
generator=$(find_tool zum-make-drive-log)
micro=$(find_tool zum-micro-bench 2>/dev/null) || micro=
if [[ ! -x /usr/bin/time ]]; then
    echo "run-bench: /usr/bin/time is missing (Debian package 'time'; make deps installs it)" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out" "$tmp/outputs" "$tmp/config"
# zum-convert reads our own settings file from here: none, so --gpx alone
# decides whether a GPX file is written.
export XDG_CONFIG_HOME=$tmp/config

# make_log MEGABYTES: prints the path of the log, generating it when needed.
make_log() {
    local size=$1
    local log="$out/drive-s$seed-${size}MB-NMEA.TXT"
    local stamp
    stamp="seed=$seed megabytes=$size $(cat "$here/drive_log.cpp" "$here/drive_log.hpp" \
        "$here/make_drive_log.cpp" | sha256sum | cut -c1-16)"
    if [[ ! -f $log || ! -f $log.stamp || $(<"$log.stamp") != "$stamp" ]]; then
        echo "== generating $(basename "$log")" >&2
        rm -f "$log.stamp"
        "$generator" --seed "$seed" --megabytes "$size" --output "$log"
        echo "$stamp" >"$log.stamp"
    fi
    echo "$log"
}

# measure CMD...: runs CMD $runs times; sets best (wall seconds), cpu (user +
# system seconds of that run) and rss (KiB, the largest of the runs).
measure() {
    local i t0 t1 dt r
    best= cpu= rss=0
    for ((i = 0; i < runs; i++)); do
        t0=$EPOCHREALTIME
        if ! /usr/bin/time -f '%e %M %U %S' -o "$tmp/time" "$@" >/dev/null 2>"$tmp/stderr"; then
            echo "run-bench: failed: $*" >&2
            cat "$tmp/stderr" >&2
            exit 1
        fi
        t1=$EPOCHREALTIME
        dt=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
        r=$(awk 'END { print $2 }' "$tmp/time")
        if [[ -z $best ]] || awk -v a="$dt" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$dt
            cpu=$(awk 'END { printf "%.2f", $3 + $4 }' "$tmp/time")
        fi
        if ((r > rss)); then
            rss=$r
        fi
    done
}

mbs() { awk -v b="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.0f", b / t / 1e6; else printf "-" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

row() { # tool seconds MB/s rss ratio
    printf '  %-13s %9s s %8s MB/s %9s MiB   %s\n' "$@"
}

declare -A zum_rss zum_mbs gpx_ratio gpx_rss
have_gpsbabel=$(command -v gpsbabel || true)
gpsbabel_20=

log20=$(make_log 20)
log200=$(make_log 200)

echo
echo "== zum-convert throughput: best of $runs, warm page cache, $(nproc) cores"
echo "   seed $seed; peers as zum-convert's speed-up over them, timed in this same run"
echo "   load average before the run: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every figure)"
for size in 20 200; do
    log=$log20
    [[ $size == 200 ]] && log=$log200
    bytes=$(stat -c %s "$log")
    cat "$log" >/dev/null # warm the page cache
    echo
    echo "$(basename "$log") ($bytes bytes)"
    printf '  %-13s %11s %13s %13s   %s\n' tool "wall" speed "peak RSS" "zum-convert is"

    measure "$convert" --settings /dev/null -q --output-dir "$tmp/outputs" "$log"
    zt=$best
    zum_rss[$size]=$rss zum_mbs[$size]=$(mbs "$bytes" "$best")
    row zum-convert "$best" "${zum_mbs[$size]}" "$(mib "$rss")" ""
    echo "  (zum-convert's CPU time, user + system: $cpu s, $(mbs "$bytes" "$cpu") MB/s)"

    # The same run writing the GPX file as well.
    zcpu=$cpu
    measure "$convert" --settings /dev/null -q --gpx --output-dir "$tmp/outputs" "$log"
    gpx_ratio[$size]=$(awk -v g="$best" -v z="$zt" 'BEGIN { printf "%.2f", g / z }')
    gpx_rss[$size]=$rss
    row "  with --gpx" "$best" "$(mbs "$bytes" "$best")" "$(mib "$rss")" \
        "${gpx_ratio[$size]}x the time without; CPU $cpu s, $(awk -v g="$cpu" -v z="$zcpu" \
            'BEGIN { if (z > 0) printf "%.2fx", g / z; else printf "-" }') the CPU time without"

    measure wc -l "$log"
    row "wc -l" "$best" "$(mbs "$bytes" "$best")" "$(mib "$rss")" \
        "$(awk -v p="$best" -v z="$zt" 'BEGIN { printf "%.2fx as fast", p / z }')"

    if [[ -z $have_gpsbabel ]]; then
        row gpsbabel - - - "not installed (make deps installs it)"
        continue
    fi
    gpsbabel=(gpsbabel -i nmea -f "$log" -o unicsv -F /dev/null)
    if [[ -z $gpsbabel_20 ]]; then
        measure "${gpsbabel[@]}"
        gpsbabel_20=$best
        gpsbabel_ratio=$(awk -v p="$best" -v z="$zt" 'BEGIN { printf "%.0f", p / z }')
        row gpsbabel "$best" "$(mbs "$bytes" "$best")" "$(mib "$rss")" "${gpsbabel_ratio}x as fast"
    elif awk -v t="$gpsbabel_20" -v l="$gpsbabel_limit" 'BEGIN { exit !(t * 10 <= l) }'; then
        saved_runs=$runs
        runs=1
        measure "${gpsbabel[@]}"
        runs=$saved_runs
        ratio=$(awk -v p="$best" -v z="$zt" 'BEGIN { printf "%.0f", p / z }')
        row gpsbabel "$best" "$(mbs "$bytes" "$best")" "$(mib "$rss")" "${ratio}x as fast (1 run)"
    else
        row gpsbabel - - - "not timed: 20 MB took $gpsbabel_20 s, so 200 MB would take over ${gpsbabel_limit} s"
    fi
done

echo
echo "== targets"
verdict() { if awk "BEGIN { exit !($2) }"; then echo "  met     $1"; else echo "  MISSED  $1"; fi; }
for size in 20 200; do
    verdict "zum-convert >= 500 MB/s on the $size MB log (${zum_mbs[$size]} MB/s)" \
        "${zum_mbs[$size]} >= 500"
    verdict "peak RSS < 16 MiB on the $size MB log ($(mib "${zum_rss[$size]}") MiB)" \
        "${zum_rss[$size]} < 16384"
done
growth=$((zum_rss[200] - zum_rss[20]))
for size in 20 200; do
    verdict "--gpx costs at most 1.3x the time without on the $size MB log (${gpx_ratio[$size]}x)" \
        "${gpx_ratio[$size]} <= 1.3"
done
gpx_growth=$((gpx_rss[200] - gpx_rss[20]))
verdict "with --gpx, peak RSS grows by at most 1 MiB from 20 MB to 200 MB ($gpx_growth KiB)" \
    "$gpx_growth <= 1024 && $gpx_growth >= -1024"
verdict "peak RSS grows by at most 1 MiB from 20 MB to 200 MB ($growth KiB)" \
    "$growth <= 1024 && $growth >= -1024"
if [[ -n $gpsbabel_20 ]]; then
    verdict "zum-convert >= 50x as fast as GPSBabel on the 20 MB log (${gpsbabel_ratio}x)" \
        "$gpsbabel_ratio >= 50"
fi

if [[ -n $micro ]]; then
    echo
    echo "== micro-benchmarks: the core's number texts against the C library"
    "$micro" --benchmark_min_time=0.2 2>&1 | grep -v -e '^\*\*\*' -e '^Run on' -e '^CPU Caches' \
        -e '^  L[123]' -e '^Load Average' -e '^[0-9-]*T[0-9:]*' || true
fi
