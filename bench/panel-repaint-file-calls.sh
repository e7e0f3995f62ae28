#!/bin/sh
# Counts the file-system calls (open, stat, access, readlink, …) that 30 repaints of an open quota
# panel make: the calls of the painting thread between the benchmark's two marks, under strace
# (other threads, such as the metrics sampler's, are not the repaint's). Prints the calls by name
# and per repaint; asserts nothing.
# Usage: bench/panel-repaint-file-calls.sh [build folder]
set -eu
build=${1:-build}
program="$build/bench/QuotaPanelBenchmark"
[ -x "$program" ] || { echo "no $program: configure with -DPULSEGROVE_BUILD_BENCHMARKS=ON" >&2; exit 1; }
command -v strace >/dev/null || { echo "strace is needed (apt-get install strace)" >&2; exit 1; }
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
QT_QPA_PLATFORM=offscreen strace -f -qq -e trace=%file,%stat -o "$trace" \
    "$program" --benchmark_filter=repaintOpenPanel >/dev/null 2>&1
awk '
    /pulsegrove-bench-repaints-begin/ { counting = 1; painter = $1; next }
    /pulsegrove-bench-repaints-end/ { counting = 0; next }
    counting && $1 == painter && match($0, /^[0-9]+ +[a-z0-9_]+\(/) {
        call = substr($0, RSTART, RLENGTH - 1); sub(/^[0-9]+ +/, "", call); calls[call]++; total++
    }
    END {
        for (call in calls) printf "  %-12s %d\n", call, calls[call]
        printf "file-system calls in 30 repaints: %d (%.1f per repaint)\n", total, total / 30
    }' "$trace"
