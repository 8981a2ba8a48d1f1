#!/bin/sh
# Makes the user guide's pictures (docs/*.png) with the demonstration, on a
# 1024x768 X screen of its own (xvfb-run), against the winch simulator:
# the main screen in Chinese, in English and in the dark theme, and the
# set-up dialog, the raising test, the end-of-test dialog and the file
# browser in Chinese and in English; the English basis grid.
#
#   scripts/doc-shots.sh                 # uses build/
#   BUILD_DIR=build-x scripts/doc-shots.sh
#   SHOTS_KEEP=/tmp/all scripts/doc-shots.sh   # also keep every dialog's picture
set -eu
cd "$(dirname "$0")/.."
ROOT="$PWD"
BIN="$(cd "${BUILD_DIR:-build}/bin" && pwd)"
OUT="$ROOT/docs"
WORK="$(mktemp -d)"
SIM_PID=""
cleanup() {
    if [ -n "$SIM_PID" ] && kill -0 "$SIM_PID" 2>/dev/null; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -p "$OUT"
unset ZPVW_WINCH DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# Small files: the screens have few colours.
keep() {
    if command -v convert >/dev/null 2>&1; then
        convert "$1" -colors 128 "PNG8:$2"
    else
        cp "$1" "$2"
    fi
}

# run NAME LANGUAGE STYLE: one demonstration with these basic settings.
run() {
    dir="$WORK/$1"
    mkdir -p "$dir"
    : >"$dir/sim.log"
    sed -e "s|<language>0</language>|<language>$2</language>|" \
        -e "s|<style>0</style>|<style>$3</style>|" deploy/SysBaseConfig.INI >"$dir/SysBaseConfig.INI"
    "$BIN/zpvw-winchsim" --listen 127.0.0.1:0 --depth 6 --speed 1 --wait 0.5 --max-seconds 300 \
        >"$dir/sim.log" 2>&1 &
    SIM_PID=$!
    port=""
    tries=0
    while [ -z "$port" ] && [ "$tries" -lt 100 ]; do
        sleep 0.1
        port="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$dir/sim.log" || true)"
        tries=$((tries + 1))
    done
    [ -n "$port" ] || { echo "the winch simulator did not start" >&2; exit 1; }
    ZPVW_APP_DIR="$dir" xvfb-run -a -s "-screen 0 1024x768x24" \
        "$BIN/zpvw" --demo --winch "127.0.0.1:$port" --project "$4" --hole "$5" --depth 6 --move 50 \
        --judge 5.7 --shots "$dir/shots" --screenshot "$dir/screen.png" --max-seconds 200 >/dev/null
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
    SIM_PID=""
    if [ -n "${SHOTS_KEEP:-}" ]; then
        mkdir -p "$SHOTS_KEEP/$1"
        cp "$dir"/shots/*.png "$dir/screen.png" "$SHOTS_KEEP/$1/"
    fi
}

run zh 0 0 "跨江大桥" "Z17"
run en 1 0 "RiverBridge" "Z17"
run dark 0 1 "跨江大桥" "Z18"

keep "$WORK/zh/screen.png" "$OUT/main-zh.png"
keep "$WORK/en/screen.png" "$OUT/main-en.png"
keep "$WORK/dark/screen.png" "$OUT/main-dark.png"
keep "$(ls "$WORK"/zh/shots/*-setup.png)" "$OUT/setup-zh.png"
keep "$(ls "$WORK"/en/shots/*-setup.png)" "$OUT/setup-en.png"
for lang in zh en; do
    keep "$(ls "$WORK"/$lang/shots/*-main-raising.png)" "$OUT/raising-$lang.png"
    keep "$(ls "$WORK"/$lang/shots/*-save.png)" "$OUT/save-$lang.png"
    keep "$(ls "$WORK"/$lang/shots/*-browser.png | tail -n 1)" "$OUT/browser-$lang.png"
done
# A reviewed repeat test with the test before it overlaid: the screen's
# picture tool writes both hole files and renders offscreen.
if [ -x "$BIN/mainscreen_shots" ]; then
    QT_QPA_PLATFORM=offscreen ZPVW_WINCH=127.0.0.1:9 "$BIN/mainscreen_shots" "$WORK/screen" >/dev/null 2>&1
    keep "$WORK/screen/review-overlay-zh-white-1024x768.png" "$OUT/accept-overlay-zh.png"
    keep "$WORK/screen/review-overlay-en-black-800x600.png" "$OUT/accept-overlay-en-dark-800.png"
    keep "$WORK/screen/review-override-zh-white-1024x768.png" "$OUT/accept-override-zh.png"
    keep "$WORK/screen/review-override-en-black-800x600.png" "$OUT/accept-override-en-dark-800.png"
fi
# The English basis grid, as the text-fitting test lays it out at 1024x768.
if [ -x "$BIN/tst_textfit" ]; then
    QT_QPA_PLATFORM=offscreen ZPVW_SHOTS_DIR="$WORK/fit" "$BIN/tst_textfit" \
        "everyTextFitsItsButton:set-up and its grids, English, 1024x768" >/dev/null 2>&1
    keep "$WORK/fit/basis-grid-en-1024.png" "$OUT/accept-basis-en.png"
fi
ls -l "$OUT"
