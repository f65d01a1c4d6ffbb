#!/usr/bin/env bash
# Two zum-convert processes at once, each on one half of a log, sharing
# nothing: the most two cores give the conversion on this machine, for the
# bench to set beside the run at two threads.
#
#   bench/two-halves.sh ZUM_CONVERT FIRST_HALF SECOND_HALF OUTPUT_DIR
set -u
"$1" --settings /dev/null -q --threads 1 --output-dir "$4" "$2" &
first=$!
"$1" --settings /dev/null -q --threads 1 --output-dir "$4" "$3"
second=$?
wait "$first"
exit $(($? | second))
