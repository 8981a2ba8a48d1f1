#!/bin/sh
# Builds the program and the benchmarks in Release into ${BUILD_DIR:-build-bench}
# and prints every performance figure (README, "Performance"). Nothing here
# judges the figures. Extra arguments go to zpvw-bench (Google Benchmark
# options, e.g. --benchmark_filter=Refresh).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build-bench}"
if ! dpkg -s libbenchmark-dev >/dev/null 2>&1; then
    ./scripts/install-deps.sh
fi
mkdir -p "$BUILD_DIR"
log="$BUILD_DIR/bench-build.log"
if ! { cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZPVW_BENCH=ON &&
       cmake --build "$BUILD_DIR" -j"$(nproc)" \
           --target zpvw zpvw-winchsim zpvw-bench zpvw-benchrun zpvw-procbench; } >"$log" 2>&1; then
    tail -40 "$log"
    echo "bench.sh: the build failed (whole log: $log)" >&2
    exit 1
fi
export QT_QPA_PLATFORM=offscreen
# Three runs of each; the median is shown. (The DEBUG warning is about how
# Debian built the benchmark library itself, not about this build.)
"$BUILD_DIR/bin/zpvw-bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@" 2>&1 |
    grep -v -e XDG_RUNTIME_DIR -e 'built as DEBUG' -e '_mean ' -e '_stddev ' -e '_cv ' || true
"$BUILD_DIR/bin/zpvw-procbench" 2>&1 | grep -v XDG_RUNTIME_DIR || true
