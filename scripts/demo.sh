#!/bin/sh
# The main job: builds setup.exe and runs it under Wine. With a display
# (DISPLAY set) it runs for the user in a demo prefix under build/demo;
# without one it runs under Xvfb and saves a screenshot.
set -e
. "$(dirname "$0")/common.sh"
sh "$NL_ROOT/scripts/build.sh"
ARCH=$(cat "$NL_ROOT/build/test-arch")
BUILD=$NL_ROOT/build/$ARCH
export WINEPREFIX=$NL_ROOT/build/demo/prefix WINEDEBUG=-all
export WINELOADER=$(nl_wine_loader "$ARCH") WINESERVER=$(nl_wine_server "$ARCH")
mkdir -p "$NL_ROOT/build/demo"
[ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1

if [ -n "$DISPLAY" ]; then
    "$WINELOADER" "$BUILD/setup.exe" || true
    exit 0
fi

NL_SCREEN=1024x768x24 NL_PREFIX=demo "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" \
    "$BUILD/setup.exe" &
sleep 4
shot=$NL_ROOT/build/demo/setup-window.png
display=$(sed -n 1p "$BUILD/wine/xvfb-1024x768x24")
import -window root -display ":$display" "$shot"
echo "screenshot: $shot"
WINEPREFIX=$BUILD/wine/demo "$WINESERVER" -k
wait || true
