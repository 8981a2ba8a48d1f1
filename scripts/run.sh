#!/bin/sh
# Installs everything, builds, and runs the instrument program.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
DATA_DIR="${ZPVW_DATA_DIR:-$PWD/data}"
mkdir -p "$DATA_DIR"
export ZPVW_APP_DIR="$DATA_DIR"
echo "application directory: $DATA_DIR"
./build/bin/zpvw -V version -qws || true
echo "version report written to $DATA_DIR/version.KRV"
