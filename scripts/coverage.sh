#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: builds build-coverage/ with gcov instrumentation,
# runs every test (the programs the end-to-end tests start count too), and prints the summary of
# gcovr; the per-file table is written to build-coverage/coverage.txt.
#   scripts/coverage.sh            build, test, report
#   scripts/coverage.sh --report   report on the counts of the last run only
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-coverage
command -v gcovr >/dev/null || { echo "coverage: gcovr is missing; run scripts/setup.sh" >&2; exit 1; }
if [ "${1:-}" != "--report" ]; then
    cmake -S . -B "$dir" -G Ninja -DKRN_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug -DKRN_BENCHMARKS=OFF \
        >/dev/null
    cmake --build "$dir" -j "$(nproc)"
    find "$dir" -name '*.gcda' -delete
    # A failing test still leaves its counts; the figure is only meaningful on a green suite.
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" -j "$(nproc)" >"$dir/ctest.log" 2>&1 ||
        echo "coverage: some tests failed, see $dir/ctest.log" >&2
fi
# gcovr 5.2 cannot parse one line of gcov's output here ("taken -2"): without
# --gcov-ignore-parse-errors it then waited for ever; with it, the line is skipped with a warning.
gcovr --root . --filter 'src/' --exclude-unreachable-branches --gcov-ignore-parse-errors \
    -j "$(nproc)" --output "$dir/coverage.txt" --print-summary "$dir"
