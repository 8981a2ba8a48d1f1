#!/bin/sh
# Installs everything, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
# Every reader of outside data under libFuzzer, a few seconds each (clang,
# build-fuzz), from a fixed seed so that the verdict is reproducible;
# fuzz/run.sh 3600 is the long run, from a fresh seed.
FUZZ_SEED="${FUZZ_SEED:-1}" ./fuzz/run.sh "${FUZZ_SECONDS:-5}"
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan).
./scripts/test-sanitize.sh
cd "${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
