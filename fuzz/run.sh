#!/bin/sh
# Builds the fuzz targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer,
# libFuzzer) into ${FUZZ_BUILD_DIR:-build-fuzz} and runs each for a bounded time.
#
#   fuzz/run.sh [SECONDS_PER_TARGET]      default 60; the test command uses 5
#
# Environment: FUZZ_TARGETS (names without "fuzz_", blank-separated; default
# all), FUZZ_WORK (folder for the grown corpora, logs and crash inputs;
# default a fresh temporary folder), FUZZ_NO_BUILD=1 (use the build as it is),
# FUZZ_SEED (libFuzzer's seed; the test command fixes it so that a run gives
# the same verdict on every machine, while a run by hand explores anew).
# The seed corpus in fuzz/corpus/<target>/ is only read; what a run adds goes
# to FUZZ_WORK. A finding stops with status 1 and names the input that shows
# it; reproduce with  build-fuzz/bin/fuzz_<target> <input>.
set -eu
cd "$(dirname "$0")/.."
SECONDS_PER="${1:-60}"
BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
ALL="holefile paramfile sysconfig battery winchframe pinyin"
TARGETS="${FUZZ_TARGETS:-$ALL}"
WORK="${FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/zpvw-fuzz-run.XXXXXX")}"

if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
    CXX_CLANG="$(command -v clang++ || command -v clang++-14 || true)"
    if [ -z "$CXX_CLANG" ]; then
        echo "fuzz/run.sh: clang++ not found (scripts/install-deps.sh installs it)" >&2
        exit 2
    fi
    # The log lives in the build folder, like everything else of the build.
    mkdir -p "$BUILD_DIR"
    cmake -S . -B "$BUILD_DIR" -DCMAKE_CXX_COMPILER="$CXX_CLANG" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZPVW_FUZZ=ON -DZPVW_SANITIZE=ON >"$BUILD_DIR/configure.log" 2>&1 \
        || { cat "$BUILD_DIR/configure.log"; exit 2; }
    cmake --build "$BUILD_DIR" -j"$(nproc)" --target zpvw_fuzzers
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

status=0
total=0
echo "fuzzing ${SECONDS_PER}s per target; work folder $WORK"
for t in $TARGETS; do
    bin="$BUILD_DIR/bin/fuzz_$t"
    if [ ! -x "$bin" ]; then
        echo "fuzz_$t: not built, skipped"
        continue
    fi
    mkdir -p "$WORK/$t/corpus" "$WORK/$t/findings"
    log="$WORK/$t/log"
    # -malloc_limit_mb: one allocation above it is a finding (a reader that
    # believes a forged size); -rss_limit_mb bounds the whole process.
    if "$bin" ${FUZZ_SEED:+-seed="$FUZZ_SEED"} -max_total_time="$SECONDS_PER" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=256 \
        -print_final_stats=1 -artifact_prefix="$WORK/$t/findings/" \
        "$WORK/$t/corpus" "fuzz/corpus/$t" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
        corpus="$(ls "$WORK/$t/corpus" | wc -l)"
        printf 'fuzz_%-11s %10s executions, clean (%s new inputs kept)\n' "$t" "${runs:-?}" "$corpus"
        total=$((total + ${runs:-0}))
    else
        status=1
        echo "fuzz_$t: FINDING"
        tail -n 60 "$log"
        ls "$WORK/$t/findings/"
    fi
done
echo "fuzz total: $total executions"
# A temporary work folder goes unless it holds a finding.
if [ -z "${FUZZ_WORK:-}" ] && [ "$status" = 0 ]; then
    rm -rf "$WORK"
fi
exit $status
