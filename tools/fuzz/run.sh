#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 600) on its seeds, JOBS of them side by side
# (default 1), and keeps each target's log in OUT (default /tmp/krn-fuzz). New inputs go to
# scratch folders in OUT, never into the tree; a finding is written to OUT as crash-* and becomes
# a regression test. The seeds of fuzz_X are in tools/fuzz/corpus/X.
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKRN_FUZZ=ON -DBUILD_TESTING=OFF -DKRN_BENCHMARKS=OFF
#   cmake --build build-fuzz --target fuzz_backup fuzz_frames ...
#   tools/fuzz/run.sh build-fuzz 600 /tmp/krn-fuzz 2
set -eu
BUILD=${1:-build-fuzz}
SECONDS_PER_TARGET=${2:-600}
OUT=${3:-/tmp/krn-fuzz}
JOBS=${4:-1}
HERE=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$OUT"

# One target: its run, then its summary (final coverage line, executions, findings) into
# OUT/NAME.summary, printed when the target is done.
run_one() {
    target=$1
    name=$(basename "$target")
    seeds="$HERE/corpus/${name#fuzz_}"
    mkdir -p "$OUT/$name"
    "$target" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
        -artifact_prefix="$OUT/$name-" "$OUT/$name" "$seeds" >"$OUT/$name.log" 2>&1 || true
    {
        echo "== $name ($SECONDS_PER_TARGET s)"
        grep -E "^#[0-9]+.*(DONE|cov:)" "$OUT/$name.log" | tail -1 || true
        grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$OUT/$name.log" || true
        ls "$OUT" | grep -E "^$name-(crash|leak|timeout|oom|slow-unit)-" || echo "no findings"
    } >"$OUT/$name.summary"
    cat "$OUT/$name.summary"
}

running=0
for target in "$BUILD"/tools/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    if [ "$running" -ge "$JOBS" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_one "$target" &
    running=$((running + 1))
done
wait
