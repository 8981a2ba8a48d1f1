#!/bin/sh
# Installs what is needed, builds, and runs the instrument program against the
# winch controller simulator on this machine (127.0.0.1, a free port).
#
#   With a display (DISPLAY or WAYLAND_DISPLAY set) the program opens in a
#   1024x768 window; run tests as on the instrument, quit with its exit button.
#   Without one it runs the demonstration: a complete automatic test, saved,
#   reviewed and judged, then says where the hole file and the screenshot are.
#
# The simulator is stopped when this script ends, however it ends.
#
# Environment:
#   ZPVW_DATA_DIR         application directory: configuration and the data
#                         folder ZPV_CZL-FILE (default: data/ in the checkout,
#                         which git ignores)
#   BUILD_DIR             build directory (default: build)
#   ZPVW_RUN_SKIP_BUILD=1 use the build as it is: no package install, no build
#   ZPVW_DEMO_DEPTH       hole depth of the demonstration, metres (default 3)
#   ZPVW_DEMO_ARGS        further options for zpvw --demo, e.g. "--mode 4s"
set -eu
cd "$(dirname "$0")/.."
ROOT="$PWD"
BUILD_DIR="${BUILD_DIR:-build}"

if [ "${ZPVW_RUN_SKIP_BUILD:-0}" != 1 ]; then
    ./scripts/install-deps.sh
    BUILD_DIR="$BUILD_DIR" ./scripts/build.sh
fi
BIN="$(cd "$BUILD_DIR/bin" && pwd)"

DATA_DIR="${ZPVW_DATA_DIR:-$ROOT/data}"
mkdir -p "$DATA_DIR"
DATA_DIR="$(cd "$DATA_DIR" && pwd)"
export ZPVW_APP_DIR="$DATA_DIR"
unset ZPVW_WINCH

HAVE_DISPLAY=0
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    HAVE_DISPLAY=1
fi
DEPTH="${ZPVW_DEMO_DEPTH:-3}"
if [ "$HAVE_DISPLAY" = 1 ]; then
    SIM_DEPTH=20 # the set-up's default hole depth
else
    SIM_DEPTH="$DEPTH"
fi

SIM_LOG="$DATA_DIR/winchsim.log"
: >"$SIM_LOG"
# --max-seconds: even a script killed without a chance to clean up leaves no
# simulator behind for long.
"$BIN/zpvw-winchsim" --listen 127.0.0.1:0 --depth "$SIM_DEPTH" --speed 0.25 --wait 1 --max-seconds 86400 \
    >"$SIM_LOG" 2>&1 &
SIM_PID=$!
stop_simulator() {
    if kill -0 "$SIM_PID" 2>/dev/null; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    echo "winch simulator stopped"
}
trap stop_simulator EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

PORT=""
tries=0
while [ -z "$PORT" ]; do
    PORT="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$SIM_LOG" || true)"
    [ -n "$PORT" ] && break
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$SIM_PID" 2>/dev/null; then
        echo "the winch simulator did not start:" >&2
        cat "$SIM_LOG" >&2
        exit 1
    fi
    sleep 0.1
done
echo "winch simulator (process $SIM_PID) on 127.0.0.1:$PORT (log: $SIM_LOG)"
echo "application directory: $DATA_DIR"

if [ "$HAVE_DISPLAY" = 1 ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        export QT_QPA_PLATFORM="wayland;xcb"
    fi
    "$BIN/zpvw" --winch "127.0.0.1:$PORT" --window 1024x768
    exit 0
fi

export QT_QPA_PLATFORM=offscreen
SHOT="$DATA_DIR/demo-screen.png"
# The simulator's sediment layer is 0.3 m thick: judge where it begins.
JUDGE="$(awk -v d="$DEPTH" 'BEGIN { j = d - 0.3; if (j < 0) j = 0; printf "%.2f", j }')"
echo "no display: running the demonstration (automatic mode, ${DEPTH} m)"
# shellcheck disable=SC2086 # ZPVW_DEMO_ARGS holds separate options
HOLE="$("$BIN/zpvw" --demo --winch "127.0.0.1:$PORT" --depth "$DEPTH" --move 50 --judge "$JUDGE" \
    --screenshot "$SHOT" --max-seconds 300 ${ZPVW_DEMO_ARGS:-})"
echo "hole file: $HOLE"
echo "screenshot: $SHOT"
echo "the samples: $BIN/zpvw-hole csv \"$HOLE\""
