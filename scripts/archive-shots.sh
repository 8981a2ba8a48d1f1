#!/bin/sh
# The office archive on a demonstration's USB export: three demonstration
# tests of a 3 m hole against the winch simulator (limit 200 mm, two judged), laid out as
# the USB export lays them out (one folder per project), signed by the
# demonstration's instrument (registered as rig-7), one of them judged again
# in the office (passed against its verdict, the supervisor confirming);
# imported, queried and verified with zpvw-archive,
# served on 127.0.0.1 and photographed in headless Chromium into
# docs/archive-*.png. Prints every command with its output (the README's
# archive section shows them).
#
#   scripts/archive-shots.sh            # uses build/
#   BUILD_DIR=build-x scripts/archive-shots.sh
set -eu
cd "$(dirname "$0")/.."
ROOT="$PWD"
BIN="$(cd "${BUILD_DIR:-build}/bin" && pwd)"
WORK="$(mktemp -d)"
SIM_PID=""
SERVE_PID=""
stop() {
    if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}
cleanup() {
    stop "$SIM_PID"
    stop "$SERVE_PID"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
unset ZPVW_WINCH DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

# wait_port LOG PATTERN: the port a child printed.
wait_port() {
    port=""
    tries=0
    while [ -z "$port" ] && [ "$tries" -lt 200 ]; do
        sleep 0.1
        port="$(sed -n "s/$2/\\1/p" "$1" | head -1)"
        tries=$((tries + 1))
    done
    [ -n "$port" ] || { echo "no port in $1" >&2; cat "$1" >&2; exit 1; }
    echo "$port"
}

# demo HOLE JUDGE SEDIMENT: one automatic test of a 3 m hole.
demo() {
    "$BIN/zpvw-winchsim" --listen 127.0.0.1:0 --depth 3 --speed 1 --wait 0.5 --sediment "$3" --seed "$4" \
        --max-seconds 120 >"$WORK/sim.log" 2>&1 &
    SIM_PID=$!
    port="$(wait_port "$WORK/sim.log" '^listening on 127\.0\.0\.1:\([0-9][0-9]*\).*')"
    set -- "$1" "$2"
    if [ -n "$2" ]; then set -- --hole "$1" --judge "$2"; else set -- --hole "$1"; fi
    ZPVW_APP_DIR="$WORK/instrument" "$BIN/zpvw" --demo --winch "127.0.0.1:$port" --project "跨江大桥" \
        --depth 3 --move 50 --limit 200 --max-seconds 120 "$@" >/dev/null
    stop "$SIM_PID"
    SIM_PID=""
}

demo Z1 2.70 0.3 1
demo Z2 "" 0.1 2
demo Z3 2.70 0.3 3
# The USB export: the project's folder with its files, copied as they are.
mkdir -p "$WORK/usb"
cp -a "$WORK/instrument/ZPV_CZL-FILE/"* "$WORK/usb/"
# The instrument's public key, for the archive to know its signatures by.
device_key="$(ZPVW_APP_DIR="$WORK/instrument" "$BIN/zpvw" --device | cut -d' ' -f2)"
# Z1 judged again in the office: 30 cm fails the 200 mm limit, but the
# supervisor confirmed the hole, so it is passed against the verdict; in a
# folder named as the project's (unsigned): a new version of its test.
project_dir="$(ls -d "$WORK/usb/"*)"
project_name="$(basename "$project_dir")"
cp "$project_dir/Z1.CZO" "$WORK/z1.CZO"
"$BIN/zpvw-hole" dump "$WORK/z1.CZO" |
    sed -e 's/"holeQuality":1/"holeQuality":0/' -e 's/"overridden":false/"overridden":true/' \
        -e 's/"overrideReason":""/"overrideReason":"supervisor"/' >"$WORK/z1.json"
"$BIN/zpvw-hole" write "$WORK/z1.json" "$WORK/z1-office.CZO"
# The folder's name as the instrument wrote it (GBK bytes): copied by the shell.
mkdir -p "$WORK/office/$project_name"
cp "$WORK/z1-office.CZO" "$WORK/office/$project_name/Z1.CZO"

DB="$WORK/archive.sqlite"
run() {
    echo "\$ zpvw-archive $*"
    "$BIN/zpvw-archive" --db "$DB" "$@" || true
    echo
}
cd "$WORK"
run device add rig-7 "$device_key"
run import usb
run import usb
run import office
run projects
run holes 跨江大桥
run history 跨江大桥 Z1
run find 大桥
run export 跨江大桥 Z1 --version 1 out
run verify
run log 跨江大桥 Z1
run summary 跨江大桥 --csv summary.csv --pdf summary.pdf
cat summary.csv
cd "$ROOT"

"$BIN/zpvw-archive" --db "$DB" serve --listen 127.0.0.1:0 >"$WORK/serve.log" 2>&1 &
SERVE_PID=$!
port="$(wait_port "$WORK/serve.log" '.*on http:\/\/127\.0\.0\.1:\([0-9][0-9]*\)\/.*')"
P="%E8%B7%A8%E6%B1%9F%E5%A4%A7%E6%A1%A5" # 跨江大桥
shot() {
    profile="$(mktemp -d)"
    chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
        --window-size="$3" --screenshot="$WORK/shot.png" "http://127.0.0.1:$port$2" >/dev/null 2>&1
    rm -rf "$profile"
    if command -v convert >/dev/null 2>&1; then
        convert "$WORK/shot.png" -colors 128 "PNG8:$ROOT/docs/$1"
    else
        cp "$WORK/shot.png" "$ROOT/docs/$1"
    fi
}
shot archive-projects.png "/" 1100,320
shot archive-project.png "/project?name=$P" 1100,420
shot archive-hole.png "/hole?project=$P&hole=Z1" 1240,1500
echo "pictures: docs/archive-projects.png docs/archive-project.png docs/archive-hole.png"
