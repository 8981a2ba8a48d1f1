#!/bin/sh
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer
# into ${SANITIZE_BUILD_DIR:-build-asan} and runs every test there. Any
# sanitizer report fails the test that shows it.
#
# With TSAN=1 it builds with ThreadSanitizer into ${TSAN_BUILD_DIR:-build-tsan}
# instead and runs the tests named by TSAN_TESTS (a ctest -R pattern; default
# the acquisition and link tests), where Qt's uninstrumented code stays out
# of the way.
set -eu
cd "$(dirname "$0")/.."
SUPP="$PWD/tests/reliability/sanitizer-suppressions"

if [ "${TSAN:-0}" = 1 ]; then
    DIR="${TSAN_BUILD_DIR:-build-tsan}"
    TARGETS="${TSAN_TARGETS:-tst_acqcycle tst_acquisition tst_winchlink tst_winchsim tst_linkfaults tst_soak}"
    PATTERN="${TSAN_TESTS:-^(tst_acqcycle|tst_acquisition|tst_winchlink|tst_winchsim|tst_linkfaults|tst_soak)$}"
    cmake -S . -B "$DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZPVW_TSAN=ON >/dev/null
    # shellcheck disable=SC2086
    cmake --build "$DIR" -j"$(nproc)" --target $TARGETS
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$SUPP/tsan.txt"
    cd "$DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R "$PATTERN"
    exit 0
fi

DIR="${SANITIZE_BUILD_DIR:-build-asan}"
cmake -S . -B "$DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZPVW_SANITIZE=ON >/dev/null
cmake --build "$DIR" -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$SUPP/lsan.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
