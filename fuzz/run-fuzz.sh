#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time with its seed corpus and
# dictionary, and says how many inputs each executed and whether one crashed.
#
#   fuzz/run-fuzz.sh BUILD_DIR SECONDS      (make fuzz: build/fuzz, FUZZ_SECONDS)
#
# New corpus entries go to fuzz/corpus-<target>/, crash reproducers to
# fuzz/corpus-crashes/ and the fuzzers' logs to fuzz/corpus-logs/ (all
# git-ignored). Reproduce a crash with: BUILD_DIR/fuzz/<target>_fuzz FILE
set -uo pipefail

build=${1:?usage: fuzz/run-fuzz.sh BUILD_DIR SECONDS}
seconds=${2:-60}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
crashes=$here/corpus-crashes
logs=$here/corpus-logs
mkdir -p "$crashes" "$logs"

failed=0
for entry in line_processor:nmea.dict whole_run:nmea.dict parallel_run:nmea.dict settings_reader:settings.dict; do
    name=${entry%%:*}
    dict=$here/${entry#*:}
    binary=$build/fuzz/${name}_fuzz
    [[ -x $binary ]] || binary=$build/${name}_fuzz
    if [[ ! -x $binary ]]; then
        echo "run-fuzz: ${name}_fuzz not found in $build (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
        exit 2
    fi
    found=$here/corpus-$name
    mkdir -p "$found"
    log=$logs/$name.log
    echo "== $name: ${seconds} s (log: ${log#"$PWD"/})"
    # The first corpus folder receives the new entries; the seeds stay as they are.
    "$binary" -max_total_time="$seconds" -dict="$dict" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/$name-" \
        "$found" "$here/corpus/${name/whole_run/line_processor}" >"$log" 2>&1
    status=$?
    executions=$(awk '/stat::number_of_executed_units/ { print $2 }' "$log")
    speed=$(awk '/stat::average_exec_per_sec/ { print $2 }' "$log")
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "   ${executions:-?} executions (${speed:-?}/s), ${coverage:-cov: ?}," \
        "corpus $(find "$found" -type f | wc -l) new + $(find "$here/corpus/${name/whole_run/line_processor}" -type f | wc -l) seeds"
    if ((status != 0)); then
        failed=1
        echo "   CRASH (exit $status):"
        grep -E 'ERROR|check failed|runtime error|Test unit written' "$log" | head -5 | sed 's/^/   /'
    else
        echo "   no crash"
    fi
done
exit $failed
