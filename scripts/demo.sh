#!/bin/sh
# The main job: builds setup.exe and the sample medium, makes a demo Wine
# prefix and runs setup.exe from the medium. With a display (DISPLAY set) it
# runs for you to click through; without one it runs under Xvfb, driven as a
# person would (proposed language, drive C, Start, OK), saves a screenshot
# of each step and prints what was installed.
set -e
. "$(dirname "$0")/common.sh"
sh "$NL_ROOT/scripts/build.sh"
ARCH=$(cat "$NL_ROOT/build/test-arch")
BUILD=$NL_ROOT/build/$ARCH
PREFIX_NAME=demo
export WINEDEBUG=-all

if [ -n "$DISPLAY" ]; then
    export WINEPREFIX=$BUILD/wine/$PREFIX_NAME
    export WINELOADER=$(nl_wine_loader "$ARCH") WINESERVER=$(nl_wine_server "$ARCH")
    mkdir -p "$BUILD/wine"
    [ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1
    cd "$BUILD/medium"
    "$WINELOADER" setup.exe || true
    exit 0
fi

# A fresh prefix each time, so that the demo shows a first installation.
rm -rf "$BUILD/wine/$PREFIX_NAME" "$BUILD/screenshots"/demo-*
status=0
NL_PREFIX=$PREFIX_NAME "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" \
    "$BUILD/tools/nldemo.exe" || status=$?
WINEPREFIX=$BUILD/wine/$PREFIX_NAME "$(nl_wine_server "$ARCH")" -k 2>/dev/null || true
for info in "$BUILD"/wine/xvfb-*; do
    case $info in *.fd) continue ;; esac
    [ -f "$info" ] && kill "$(sed -n 2p "$info")" 2>/dev/null || true
done
echo "screenshots: $BUILD/screenshots/demo-*.png"
exit $status
