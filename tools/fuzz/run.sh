#!/bin/sh
# Runs every fuzz target for SECONDS (default 600) on its seeds, one after the other, and keeps
# each target's log in OUT (default /tmp/krn-fuzz). New inputs go to scratch folders in OUT, never
# into the tree; a finding is written to OUT as crash-* and becomes a regression test.
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKRN_FUZZ=ON -DBUILD_TESTING=OFF -DKRN_BENCHMARKS=OFF
#   cmake --build build-fuzz --target fuzz_backup fuzz_frames
#   tools/fuzz/run.sh build-fuzz 600
set -eu
BUILD=${1:-build-fuzz}
SECONDS_PER_TARGET=${2:-600}
OUT=${3:-/tmp/krn-fuzz}
HERE=$(dirname "$0")
mkdir -p "$OUT"
for target in "$BUILD"/tools/fuzz/fuzz_*; do
    name=$(basename "$target")
    seeds="$HERE/corpus"
    [ "$name" = fuzz_backup ] || seeds="$HERE/corpus/${name#fuzz_}"
    mkdir -p "$OUT/$name"
    echo "== $name ($SECONDS_PER_TARGET s)"
    "$target" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
        -artifact_prefix="$OUT/$name-" "$OUT/$name" "$seeds" >"$OUT/$name.log" 2>&1 || true
    grep -E "^#[0-9]+.*(DONE|cov:)" "$OUT/$name.log" | tail -1
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$OUT/$name.log" || true
    ls "$OUT" | grep -E "^$name-(crash|leak|timeout|oom)-" || echo "no findings"
done
