#!/bin/sh
# Installs what is needed, builds, and runs the instrument program against the
# winch controller simulator on this machine (127.0.0.1, a free port).
#
#   With a display (DISPLAY or WAYLAND_DISPLAY set) the program opens in a
#   1024x768 window; run tests as on the instrument, quit with its exit button.
#   The simulator then takes steering commands typed in this terminal (it
#   prints them).
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
# The simulator takes steering commands (raise, lower, stop, goto, status) on
# its standard input. With a display it reads them from this terminal, or,
# when the script has no terminal, from a FIFO in the application directory
# (held open here, so that one writer's end is not the end of the input).
# The demonstration gives it no input. File descriptor 3 carries the choice:
# a command run in the background of a script would otherwise read nothing.
SIM_FIFO=""
if [ "$HAVE_DISPLAY" = 1 ] && [ -t 0 ]; then
    exec 3<&0
elif [ "$HAVE_DISPLAY" = 1 ]; then
    SIM_FIFO="$DATA_DIR/winchsim.commands"
    rm -f "$SIM_FIFO"
    mkfifo "$SIM_FIFO"
    exec 3<>"$SIM_FIFO"
else
    exec 3</dev/null
fi
# --max-seconds: even a script killed without a chance to clean up leaves no
# simulator behind for long.
"$BIN/zpvw-winchsim" --listen 127.0.0.1:0 --depth "$SIM_DEPTH" --speed 0.25 --wait 1 --max-seconds 86400 \
    <&3 >"$SIM_LOG" 2>&1 &
SIM_PID=$!
exec 3<&-
TAIL_PID=""
stop_simulator() {
    if [ -n "$TAIL_PID" ]; then
        kill "$TAIL_PID" 2>/dev/null || true
    fi
    if kill -0 "$SIM_PID" 2>/dev/null; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    if [ -n "$SIM_FIFO" ]; then
        rm -f "$SIM_FIFO"
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
    if [ -n "$SIM_FIFO" ]; then
        where="from another terminal, e.g.: echo lower > $SIM_FIFO"
    else
        where="type them here, one a line, while the program runs"
    fi
    cat <<EOF
Steer the simulated winch as an operator does at the winch ($where):
  raise [SPEED]       raise the probe to the top (m/s; default 0.25)
  lower [SPEED]       lower the probe to the bottom
  stop                hold the probe where it is
  goto DEPTH [SPEED]  move the probe to DEPTH metres below the hole top
  status              where the probe is
A new test starts the winch again: 1 s at the bottom, then it raises.
The simulator's answers follow below.
EOF
    tail -n 0 -f "$SIM_LOG" &
    TAIL_PID=$!
    if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        export QT_QPA_PLATFORM="wayland;xcb"
    fi
    # The folder 8.4 asks for the 8.4-inch instrument's small screen.
    WINDOW=1024x768
    if [ -d "$DATA_DIR/8.4" ]; then WINDOW=800x600; fi
    "$BIN/zpvw" --winch "127.0.0.1:$PORT" --window "$WINDOW"
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
