#!/bin/sh
# Builds the board's Debian package from the instrument build: configured
# with ZPVW_INSTRUMENT_BUILD=ON (the winch controller's address on the
# instrument network, the USB disk /dev/sda1 mounted at /mnt) in Release into
# ${BUILD_DIR:-build-board}, then packed by cpack into that folder.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build-board}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZPVW_INSTRUMENT_BUILD=ON -DZPVW_BENCH=OFF
cmake --build "$BUILD_DIR" -j"$(nproc)"
cd "$BUILD_DIR"
cpack
