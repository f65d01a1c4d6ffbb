#!/usr/bin/env bash
# Throughput and peak memory of zum-convert on a ~20 MB and a ~200 MB drive
# log, with `wc -l` and GPSBabel timed side by side in the same run; the same
# runs through the window (offscreen, preview and all) beside zum-convert,
# and the window's peak memory on a ~1 MB and the ~200 MB log; then the
# micro-benchmarks of the number texts. zum-convert is timed in both talker
# readings: the default (GP only) and --talkers any, the latter on the same log
# and on a copy whose sentences come from the GN talker ($GNRMC, $GNGSA),
# the three timed in turn; with valgrind installed, the instructions each runs
# on the 20 MB log are counted too, a figure the machine's load cannot change.
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
window_run=$(find_tool zum-window-run 2>/dev/null) || window_run=
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

# gn_log LOG: prints the path of a copy of LOG with $GPRMC and $GPGSA sent by
# the GN talker, made when LOG is newer.
gn_log() {
    local gn=${1%-NMEA.TXT}-GN-NMEA.TXT
    if [[ ! -f $gn || $1 -nt $gn ]]; then
        echo "== generating $(basename "$gn")" >&2
        sed -e 's/^\$GP\(RMC\|GSA\)/$GN\1/' "$1" >"$gn.tmp"
        mv "$gn.tmp" "$gn"
    fi
    echo "$gn"
}

# measure_once CMD...: runs CMD once; sets dt (wall seconds), cpu1 (user +
# system seconds) and r (peak RSS, KiB).
measure_once() {
    local t0 t1
    t0=$EPOCHREALTIME
    if ! /usr/bin/time -f '%e %M %U %S' -o "$tmp/time" "$@" >/dev/null 2>"$tmp/stderr"; then
        echo "run-bench: failed: $*" >&2
        cat "$tmp/stderr" >&2
        exit 1
    fi
    t1=$EPOCHREALTIME
    dt=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
    r=$(awk 'END { print $2 }' "$tmp/time")
    cpu1=$(awk 'END { printf "%.2f", $3 + $4 }' "$tmp/time")
}

# measure CMD...: runs CMD $runs times; sets best (wall seconds), cpu (user +
# system seconds of that run) and rss (KiB, the largest of the runs).
measure() {
    local i
    best= cpu= rss=0
    for ((i = 0; i < runs; i++)); do
        measure_once "$@"
        if [[ -z $best ]] || awk -v a="$dt" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$dt
            cpu=$cpu1
        fi
        if ((r > rss)); then
            rss=$r
        fi
    done
}

# measure_talkers LOG GN_LOG: times the three talker runs in turn, $runs
# rounds, so that a change in the machine's load falls on all three alike;
# sets t_gp, t_any, t_gn (best wall seconds) and rss_gp, rss_any, rss_gn.
measure_talkers() {
    local i mode log
    t_gp= t_any= t_gn= rss_gp=0 rss_any=0 rss_gn=0
    for ((i = 0; i < runs; i++)); do
        for mode in gp any gn; do
            log=$1
            [[ $mode == gn ]] && log=$2
            # --talkers is given, so that no zum-points.conf of the user's can choose.
            measure_once "$convert" --settings /dev/null --talkers "${mode/gn/any}" -q \
                --output-dir "$tmp/outputs" "$log"
            local -n t=t_$mode m=rss_$mode
            if [[ -z $t ]] || awk -v a="$dt" -v b="$t" 'BEGIN { exit !(a < b) }'; then
                t=$dt
            fi
            if ((r > m)); then
                m=$r
            fi
            unset -n t m
        done
    done
}

# instructions LOG TALKERS: the instructions zum-convert runs on LOG, counted
# by callgrind; unlike the time, the count does not depend on the machine's load.
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$convert" --settings /dev/null \
        --talkers "$2" -q --output-dir "$tmp/outputs" "$1" 2>&1 |
        awk '/refs:/ { gsub(",", "", $NF); print $NF }'
}

mbs() { awk -v b="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.0f", b / t / 1e6; else printf "-" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

row() { # tool seconds MB/s rss ratio
    printf '  %-13s %9s s %8s MB/s %9s MiB   %s\n' "$@"
}

declare -A zum_rss zum_mbs any_ratio gn_ratio gpx_ratio gpx_rss
have_gpsbabel=$(command -v gpsbabel || true)
gpsbabel_20=

log20=$(make_log 20)
log200=$(make_log 200)
gn20=$(gn_log "$log20")
gn200=$(gn_log "$log200")

echo
echo "== zum-convert throughput: best of $runs, warm page cache, $(nproc) cores"
echo "   seed $seed; peers as zum-convert's speed-up over them, timed in this same run"
echo "   load average before the run: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every figure)"
for size in 20 200; do
    log=$log20 gn=$gn20
    [[ $size == 200 ]] && log=$log200 gn=$gn200
    bytes=$(stat -c %s "$log")
    cat "$log" "$gn" >/dev/null # warm the page cache
    echo
    echo "$(basename "$log") ($bytes bytes)"
    printf '  %-13s %11s %13s %13s   %s\n' tool "wall" speed "peak RSS" "zum-convert is"

    measure_talkers "$log" "$gn"
    zt=$t_gp
    zum_rss[$size]=$rss_gp zum_mbs[$size]=$(mbs "$bytes" "$t_gp")
    row zum-convert "$t_gp" "${zum_mbs[$size]}" "$(mib "$rss_gp")" "(GP talker only, the default)"
    any_ratio[$size]=$(awk -v a="$t_any" -v z="$zt" 'BEGIN { printf "%.3f", a / z }')
    row "  any talker" "$t_any" "$(mbs "$bytes" "$t_any")" "$(mib "$rss_any")" \
        "--talkers any: ${any_ratio[$size]}x the default's time"
    gn_bytes=$(stat -c %s "$gn")
    gn_ratio[$size]=$(awk -v a="$t_gn" -v z="$zt" 'BEGIN { printf "%.3f", a / z }')
    row "  any, GN log" "$t_gn" "$(mbs "$gn_bytes" "$t_gn")" "$(mib "$rss_gn")" \
        "--talkers any on the GN copy: ${gn_ratio[$size]}x the default's time"
    measure "$convert" --settings /dev/null --talkers gp -q --output-dir "$tmp/outputs" "$log"
    echo "  (zum-convert's CPU time, user + system: $cpu s, $(mbs "$bytes" "$cpu") MB/s)"
    if [[ $size == 20 ]] && command -v valgrind >/dev/null; then
        i_gp=$(instructions "$log" gp)
        i_any=$(instructions "$log" any)
        i_gn=$(instructions "$gn" any)
        echo "  (instructions, callgrind: default $i_gp; --talkers any $(awk -v a="$i_any" \
            -v z="$i_gp" 'BEGIN { printf "%.3f", a / z }')x, on the GN copy $(awk -v a="$i_gn" \
            -v z="$i_gp" 'BEGIN { printf "%.3f", a / z }')x)"
    fi

    # The same run writing the GPX file as well.
    zcpu=$cpu
    measure "$convert" --settings /dev/null --talkers gp -q --gpx --output-dir "$tmp/outputs" "$log"
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

declare -A window_ratio window_rss
if [[ -n $window_run ]]; then
    log1=$(make_log 1)
    echo
    echo "== the window against the core: the same log in one process, best of $runs"
    echo "   zum-window-run times the core's own run (no observer) and then the window's run"
    echo "   (opened as the start-up argument opens it, \"Create Files\", offscreen, preview"
    echo "   included); the peak RSS is that of a window-only run (--window-only)"
    mkdir -p "$tmp/window"
    printf '  %-26s %17s %17s %13s %13s\n' log "core wall / CPU" "window wall / CPU" "ratio (CPU)" "window RSS"
    for size in 1 20 200; do
        case $size in 1) log=$log1 ;; 20) log=$log20 ;; 200) log=$log200 ;; esac
        # The window writes beside the log: a link in the scratch folder keeps
        # bench/out free of outputs.
        link="$tmp/window/$(basename "$log")"
        ln -sf "$log" "$link"
        for ((i = 0; i < runs; i++)); do
            if ! "$window_run" "$link" "$tmp/window/settings.dat" >>"$tmp/window.out" 2>"$tmp/stderr"; then
                echo "run-bench: failed: $window_run $link" >&2
                cat "$tmp/stderr" >&2
                exit 1
            fi
        done
        # Best of the runs for each column.
        read -r cw cc ww wc < <(awk '
            function least(a, b) { return a == "" || b < a ? b : a }
            $1 == "core" { cw = least(cw, $2); cc = least(cc, $3) }
            $1 == "window" { ww = least(ww, $2); wc = least(wc, $3) }
            END { print cw, cc, ww, wc }' "$tmp/window.out")
        rm -f "$tmp/window.out"
        measure "$window_run" --window-only "$link" "$tmp/window/settings.dat"
        window_ratio[$size]=$(awk -v w="$wc" -v c="$cc" 'BEGIN { printf "%.2f", w / c }')
        window_rss[$size]=$rss
        printf '  %-26s %7s / %-7s %7s / %-7s %12sx %9s MiB\n' "$(basename "$log")" "$cw" "$cc" \
            "$ww" "$wc" "${window_ratio[$size]}" "$(mib "$rss")"
        rm -f "$tmp/window/"*_*.txt
    done
fi

echo
echo "== targets"
verdict() { if awk "BEGIN { exit !($2) }"; then echo "  met     $1"; else echo "  MISSED  $1"; fi; }
for size in 20 200; do
    verdict "zum-convert >= 500 MB/s on the $size MB log (${zum_mbs[$size]} MB/s)" \
        "${zum_mbs[$size]} >= 500"
    verdict "peak RSS < 16 MiB on the $size MB log ($(mib "${zum_rss[$size]}") MiB)" \
        "${zum_rss[$size]} < 16384"
done
for size in 20 200; do
    verdict "--talkers any within 5% of the default's time on the $size MB log (${any_ratio[$size]}x; GN copy ${gn_ratio[$size]}x)" \
        "${any_ratio[$size]} <= 1.05 && ${gn_ratio[$size]} <= 1.05"
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
if [[ -n $window_run ]]; then
    for size in 20 200; do
        verdict "a window run takes at most 1.2x the core's CPU time on the $size MB log (${window_ratio[$size]}x)" \
            "${window_ratio[$size]} <= 1.2"
    done
    wgrowth=$((window_rss[200] - window_rss[1]))
    verdict "the window's peak RSS on 200 MB is within 10 MB of that on 1 MB ($wgrowth KiB)" \
        "$wgrowth <= 9765"
fi
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
