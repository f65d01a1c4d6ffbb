#!/usr/bin/env bash
# Throughput, CPU time and peak memory of zum-convert at one and two threads
# on generated drive logs of 2, 20, 200 and 1000 MB, side by side in the same
# run with cat, wc -l, a naive awk converter and (on 20 MB) GPSBabel, then the
# start-up time on a one-line log and the micro-benchmarks of the number texts.
# Beside the run at two threads stand two processes at once, each converting
# one half of the log: what the machine's two cores give when nothing is
# shared, the ceiling for the threads.
# zum-convert is also timed with --gpx, and with --talkers any on the same log
# and on a copy whose sentences come from the GN talker ($GNRMC, $GNGSA). Then
# the window (offscreen, preview and all) against the core in one process, and
# the window's peak memory on a ~1 MB and the ~200 MB log.
#
#   bench/run-bench.sh BUILD_DIR        (make bench: BUILD_DIR = build/release)
#
# Environment:
#   BENCH_RUNS=5          runs per row; rows alternate within each round and
#                         the median is shown
#   BENCH_SIZES="2 20 200 1000"   log sizes in MB (drop 1000 on a small disk:
#                         the 1 GB log takes about 15 s to generate)
#   BENCH_BASELINE=BINARY also time another zum-convert (an older build)
#   BENCH_SEED=511
#
# Every zum-convert is timed as two copies of its binary, because where a
# binary lands in memory can move its speed by as much as 30%; both copies'
# medians are shown. MB = 1,000,000 bytes. The wall-clock figures need a quiet
# machine: the load average is printed before each size, and the CPU time
# (user + system) is shown beside the wall time because it suffers less from
# other work. The logs are made by zum-make-drive-log into bench/out/ and kept
# while the seed, the size and the generator's source stay the same.
set -euo pipefail -o noglob
export LC_ALL=C

build=${1:?usage: bench/run-bench.sh BUILD_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$here/out
seed=${BENCH_SEED:-511}
runs=${BENCH_RUNS:-5}
sizes=${BENCH_SIZES:-2 20 200 1000}

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
awk_tool=$(command -v mawk || command -v awk)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out" "$tmp/outputs" "$tmp/bin" "$tmp/config"
# zum-convert reads our own settings file from here: none, so --gpx alone
# decides whether a GPX file is written.
export XDG_CONFIG_HOME=$tmp/config

# Two copies of each zum-convert binary.
cp "$convert" "$tmp/bin/zum-a"
cp "$convert" "$tmp/bin/zum-b"
if [[ -n ${BENCH_BASELINE:-} ]]; then
    cp "$BENCH_BASELINE" "$tmp/bin/base-a"
    cp "$BENCH_BASELINE" "$tmp/bin/base-b"
fi

make_log() { # MEGABYTES: prints the path of the log, generating it when needed
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

# halves LOG: prints the paths of LOG's two halves, cut at a line end, made
# when LOG is newer.
halves() {
    local first=${1%-NMEA.TXT}-half1-NMEA.TXT second=${1%-NMEA.TXT}-half2-NMEA.TXT
    if [[ ! -f $second || $1 -nt $second ]]; then
        split -n l/2 -d "$1" "$tmp/half"
        mv "$tmp/half00" "$first"
        mv "$tmp/half01" "$second"
    fi
    echo "$first $second"
}

# Rows: name, then the command with LOG standing for the log (GN_COPY for
# its copy from the GN talker).
declare -a names commands
add_row() {
    names+=("$1")
    commands+=("$2")
}
add_row cat 'cat LOG'
add_row "wc -l" 'wc -l LOG'
for copy in a b; do
    for threads in 1 2; do
        add_row "zum $threads thread$([[ $threads == 1 ]] || echo s) ($copy)" \
            "$tmp/bin/zum-$copy --settings /dev/null -q --threads $threads --output-dir $tmp/outputs LOG"
    done
done
if [[ -n ${BENCH_BASELINE:-} ]]; then
    for copy in a b; do
        add_row "baseline ($copy)" "$tmp/bin/base-$copy --settings /dev/null -q --output-dir $tmp/outputs LOG"
    done
fi
ceiling_row=${#names[@]}
add_row "2 processes, half each" "$here/two-halves.sh $tmp/bin/zum-a HALVES $tmp/outputs"
awk_row=${#names[@]}
add_row "naive awk" "$awk_tool -F, -v out=$tmp/outputs/awk.txt -f $here/naive-convert.awk LOG"
# The same runs writing the GPX file as well.
gpx_rows=()
for threads in 1 2; do
    gpx_rows+=("${#names[@]}")
    add_row "zum $threads --gpx (a)" \
        "$tmp/bin/zum-a --settings /dev/null -q --gpx --threads $threads --output-dir $tmp/outputs LOG"
done

# The any-talker reading beside the default, on the same log and on its GN copy.
talker_rows=()
for what in "any LOG" "any GN_COPY"; do
    talker_rows+=("${#names[@]}")
    label=${what/GN_COPY/GN copy}
    add_row "zum 1 ${label/LOG/same} (a)" \
        "$tmp/bin/zum-a --settings /dev/null -q --talkers any --threads 1 --output-dir $tmp/outputs ${what#any }"
done

# recache FILE...: drops each file from the page cache and reads it back in
# one pass, as a log read from the disk is, so that every row finds its log
# cached the same way however and whenever the file was written. The cache
# holds a file in folios of 4 KiB up to 2 MiB, and mapping a log held in 4 KiB
# ones costs about twice as much: 27-34 ms against 15-18 ms for 200 MB on the
# machine this was written on, a fifth of the CPU time of a run. An hour after
# this bench had made its logs they were held almost all in 4 KiB folios,
# while a fresh copy of the same bytes was held in 64 KiB ones.
recache() {
    local f
    sync -- "$@"
    for f in "$@"; do
        dd if="$f" iflag=nocache count=0 status=none
        cat -- "$f" >/dev/null
    done
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# measure LOG ROWS...: $runs rounds, each row once per round, in turn.
declare -A wall cpu rss
measure() {
    local log=$1 i r t0 t1 cmd
    shift
    for r in "$@"; do
        : >"$tmp/wall.$r"
        : >"$tmp/cpu.$r"
        rss[$r]=0
    done
    for ((i = 0; i < runs; i++)); do
        for r in "$@"; do
            cmd=${commands[$r]//GN_COPY/$gn}
            cmd=${cmd//HALVES/$halves_pair}
            cmd=${cmd//LOG/$log}
            t0=$EPOCHREALTIME
            # Word splitting makes the command line; no file name has blanks.
            # shellcheck disable=SC2086
            if ! /usr/bin/time -f '%M %U %S' -o "$tmp/time" $cmd >/dev/null 2>"$tmp/stderr"; then
                echo "run-bench: failed: $cmd" >&2
                cat "$tmp/stderr" >&2
                exit 1
            fi
            t1=$EPOCHREALTIME
            awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f\n", b - a }' >>"$tmp/wall.$r"
            awk 'END { printf "%.3f\n", $2 + $3 }' "$tmp/time" >>"$tmp/cpu.$r"
            local k
            k=$(awk 'END { print $1 }' "$tmp/time")
            ((k > rss[$r])) && rss[$r]=$k
        done
    done
    for r in "$@"; do
        wall[$r]=$(median <"$tmp/wall.$r")
        cpu[$r]=$(median <"$tmp/cpu.$r")
    done
}

mbs() { awk -v b="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.0f", b / t / 1e6; else printf "-" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

print_table() { # BYTES ROWS...
    local bytes=$1 r
    shift
    printf '  %-22s %9s %9s %9s %9s %11s %9s\n' row "wall s" "MB/s" "x wc -l" "CPU s" "CPU MB/s" "RSS MiB"
    for r in "$@"; do
        printf '  %-22s %9.3f %9s %9s %9.3f %11s %9s\n' "${names[$r]}" "${wall[$r]}" \
            "$(mbs "$bytes" "${wall[$r]}")" "$(ratio "${wall[$r]}" "${wall[1]}")" "${cpu[$r]}" \
            "$(mbs "$bytes" "${cpu[$r]}")" "$(mib "${rss[$r]}")"
    done
}

echo "== zum-convert: medians of $runs alternating runs, warm page cache, $(nproc) cores, seed $seed"
all_rows=("${!names[@]}")
# The awk converter takes seconds, and is timed in rounds of its own after the
# others. A virtual machine may hand memory that has lain free for a few
# seconds back to its host (free page reporting), and the next program to
# touch those pages waits on the host for each: about 2 ms a MiB on the
# machine this was written on, twelve times the cost of writing into pages
# just freed. In the same rounds, the row after awk paid that for every page
# its outputs took, and --gpx, whose outputs are three times the size, showed
# 2.46x the time without it on 200 MB where the two on warm pages give 1.4x. The zum-convert rows take at most a second or so,
# and each frees the pages of the outputs it replaces for the next one.
quick_rows=()
for r in "${all_rows[@]}"; do
    ((r == awk_row)) || quick_rows+=("$r")
done
declare -A one two ceiling wc_ratio_two peak gpx_ratio gpx_peak any_ratio gn_ratio
for size in $sizes; do
    log=$(make_log "$size")
    gn=$(gn_log "$log")
    halves_pair=$(halves "$log")
    bytes=$(stat -c %s "$log")
    # shellcheck disable=SC2086 # the halves are two paths without blanks
    recache "$log" "$gn" $halves_pair
    echo
    echo "$(basename "$log") ($bytes bytes); load average $(cut -d' ' -f1-3 /proc/loadavg)"
    measure "$log" "${quick_rows[@]}"
    measure "$log" "$awk_row"
    print_table "$bytes" "${all_rows[@]}"
    if [[ $size == 20 ]] && command -v gpsbabel >/dev/null; then
        t0=$EPOCHREALTIME
        /usr/bin/time -f '%M %U %S' -o "$tmp/time" gpsbabel -i nmea -f "$log" -o unicsv -F /dev/null
        t1=$EPOCHREALTIME
        gw=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
        printf '  %-22s %9.3f %9s %9s %9.3f %11s %9s   (one run)\n' gpsbabel "$gw" "$(mbs "$bytes" "$gw")" \
            "$(ratio "$gw" "${wall[1]}")" "$(awk 'END { print $2 + $3 }' "$tmp/time")" - \
            "$(mib "$(awk 'END { print $1 }' "$tmp/time")")"
    fi
    # The faster copy of each binary counts (placement, see above).
    one[$size]=$(printf '%s\n' "${wall[2]}" "${wall[4]}" | sort -g | head -1)
    two[$size]=$(printf '%s\n' "${wall[3]}" "${wall[5]}" | sort -g | head -1)
    one[$size]=$(mbs "$bytes" "${one[$size]}")
    wc_ratio_two[$size]=$(ratio "$(printf '%s\n' "${wall[3]}" "${wall[5]}" | sort -g | head -1)" "${wall[1]}")
    two[$size]=$(mbs "$bytes" "$(printf '%s\n' "${wall[3]}" "${wall[5]}" | sort -g | head -1)")
    ceiling[$size]=$(mbs "$bytes" "${wall[$ceiling_row]}")
    peak[$size]=$(printf '%s\n' "${rss[2]}" "${rss[3]}" "${rss[4]}" "${rss[5]}" | sort -g | tail -1)
    gpx_ratio[$size]=$(ratio "${wall[${gpx_rows[0]}]}" "${wall[2]}")
    # Wall medians: the CPU times are counted in 10 ms steps.
    any_ratio[$size]=$(ratio "${wall[${talker_rows[0]}]}" "${wall[2]}")
    gn_ratio[$size]=$(ratio "${wall[${talker_rows[1]}]}" "${wall[2]}")
    gpx_peak[$size]=$(printf '%s\n' "${rss[${gpx_rows[0]}]}" "${rss[${gpx_rows[1]}]}" | sort -g | tail -1)
done

echo
one_line=$tmp/one-line-NMEA.TXT
echo '$GPRMC,190334,A,3930.8400,N,11951.5400,W,0.0,286.8,110506,15.2,E,D*38' >"$one_line"
echo "start-up: a one-line log; load average $(cut -d' ' -f1-3 /proc/loadavg)"
saved_runs=$runs
runs=$((runs * 4))
measure "$one_line" 1 2 3
runs=$saved_runs
printf '  %-22s %9s ms\n' "wc -l" "$(awk -v t="${wall[1]}" 'BEGIN { printf "%.2f", t * 1000 }')" \
    "zum 1 thread" "$(awk -v t="${wall[2]}" 'BEGIN { printf "%.2f", t * 1000 }')" \
    "zum 2 threads" "$(awk -v t="${wall[3]}" 'BEGIN { printf "%.2f", t * 1000 }')"
startup_ratio=$(ratio "${wall[2]}" "${wall[1]}")

declare -A window_ratio window_pic_ratio window_rss
if [[ -n $window_run ]]; then
    echo
    # The runs are short and best-of-N is what steadies them on a busy
    # machine: three times the rounds of the rows above.
    window_rounds=$((runs * 3))
    echo "== the window against the core: the same log in one process, best of $window_rounds rounds"
    echo "   zum-window-run makes a first run of each, then rounds of the core's own run (no"
    echo "   observer) and the window's run (opened as the start-up argument opens it,"
    echo "   \"Create Files\" up to \"DONE\", offscreen, the preview growing), in turns, both"
    echo "   writing the same files; \"picture\" is the drawing after \"DONE\", and \"with"
    echo "   picture\" the ratio counting it. The first runs (\"1st\") are shown as they came."
    echo "   The peak RSS is that of a window-only run (--window-only)."
    mkdir -p "$tmp/window"
    printf '  %-26s %15s %15s %8s %9s %8s %17s %9s\n' log "core wall/CPU" "window wall/CPU" \
        "ratio" "picture" "with pic" "1st core/window" "RSS"
    for size in 1 20 200; do
        log=$(make_log "$size")
        recache "$log"
        # The runs write beside the log: a link in the scratch folder keeps
        # bench/out free of outputs.
        link="$tmp/window/$(basename "$log")"
        ln -sf "$log" "$link"
        echo "$(basename "$log"): load average $(cut -d' ' -f1-3 /proc/loadavg)" >"$tmp/window.load"
        if ! "$window_run" --rounds "$window_rounds" "$link" "$tmp/window/settings.dat" >"$tmp/window.out" \
            2>"$tmp/stderr"; then
            echo "run-bench: failed: $window_run $link" >&2
            cat "$tmp/stderr" >&2
            exit 1
        fi
        # Best of the rounds for each column (CPU seconds).
        read -r cw cc ww wc pc fc fw < <(awk '
            function least(a, b) { return a == "" || b < a ? b : a }
            $1 == "core" { cw = least(cw, $2); cc = least(cc, $3) }
            $1 == "window" { ww = least(ww, $2); wc = least(wc, $3) }
            $1 == "picture" { pc = least(pc, $3) }
            $1 == "first-core" { fc = $3 }
            $1 == "first-window" { fw = $3 }
            END { print cw, cc, ww, wc, pc, fc, fw }' "$tmp/window.out")
        /usr/bin/time -f '%M' -o "$tmp/time" "$window_run" --window-only "$link" \
            "$tmp/window/settings.dat" >/dev/null 2>"$tmp/stderr"
        wrss=$(awk 'END { print $1 }' "$tmp/time")
        window_ratio[$size]=$(awk -v w="$wc" -v c="$cc" 'BEGIN { printf "%.2f", w / c }')
        window_pic_ratio[$size]=$(awk -v w="$wc" -v p="$pc" -v c="$cc" 'BEGIN { printf "%.2f", (w + p) / c }')
        window_rss[$size]=$wrss
        printf '  %-26s %7s/%-7s %7s/%-7s %7sx %6.1f ms %7sx %8s/%-8s %5s MiB\n' "$(basename "$log")" \
            "$cw" "$cc" "$ww" "$wc" "${window_ratio[$size]}" "$(awk -v p="$pc" 'BEGIN { print p * 1000 }')" \
            "${window_pic_ratio[$size]}" "$fc" "$fw" "$(mib "$wrss")"
        sed 's/^/    /' "$tmp/window.load"
        rm -f "$tmp/window/"*_*.txt
    done
fi

echo
echo "== targets (wall-clock targets need a quiet machine)"
verdict() { if awk "BEGIN { exit !($2) }"; then echo "  met     $1"; else echo "  MISSED  $1"; fi; }
for size in $sizes; do
    if [[ $size == 200 ]]; then
        verdict "one thread >= 1250 MB/s on 200 MB (${one[200]} MB/s)" "${one[200]} >= 1250"
        verdict "two threads >= 2400 MB/s on 200 MB (${two[200]} MB/s)" "${two[200]} >= 2400"
        verdict "two threads at most 2.3x the time of wc -l on 200 MB (${wc_ratio_two[200]}x)" \
            "${wc_ratio_two[200]} <= 2.3"
        echo "          (two processes, half each: ${ceiling[200]} MB/s; two threads reach" \
            "$(awk -v t="${two[200]}" -v c="${ceiling[200]}" 'BEGIN { printf "%.0f", 100 * t / c }')% of that)"
    fi
    verdict "peak RSS < 16 MiB on $size MB ($(mib "${peak[$size]}") MiB)" "${peak[$size]} < 16384"
    verdict "--gpx at most 1.3x the time without on $size MB, one thread (${gpx_ratio[$size]}x)" \
        "${gpx_ratio[$size]} <= 1.3"
done
if [[ -n ${gpx_peak[20]:-} && -n ${gpx_peak[200]:-} ]]; then
    growth=$((gpx_peak[200] - gpx_peak[20]))
    verdict "with --gpx, peak RSS grows by at most 1 MiB from 20 MB to 200 MB ($growth KiB)" \
        "$growth <= 1024 && $growth >= -1024"
fi
for size in $sizes; do
    ((size >= 20)) || continue # a few milliseconds: too short to judge 5%
    verdict "--talkers any within 5% of the default's time on $size MB, one thread (${any_ratio[$size]}x; GN copy ${gn_ratio[$size]}x)" \
        "${any_ratio[$size]} <= 1.05 && ${gn_ratio[$size]} <= 1.05"
done
if [[ -n $window_run ]]; then
    for size in 1 20 200; do
        verdict "a window run takes at most 1.2x the core's CPU time on the $size MB log (${window_ratio[$size]}x; ${window_pic_ratio[$size]}x with the picture after DONE)" \
            "${window_ratio[$size]} <= 1.2"
    done
    wgrowth=$((window_rss[200] - window_rss[1]))
    verdict "the window's peak RSS on 200 MB is within 10 MB of that on 1 MB ($wgrowth KiB)" \
        "$wgrowth <= 9765"
fi
verdict "start-up: one-line log at most 2x the time of wc -l (${startup_ratio}x)" "$startup_ratio <= 2"

if [[ -n $micro ]]; then
    echo
    echo "== micro-benchmarks: the core's number texts against the C library"
    "$micro" --benchmark_min_time=0.2 2>&1 | grep -v -e '^\*\*\*' -e '^Run on' -e '^CPU Caches' \
        -e '^  L[123]' -e '^Load Average' -e '^[0-9-]*T[0-9:]*' || true
fi
