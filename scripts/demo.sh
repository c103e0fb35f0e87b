#!/bin/sh
# The main job: builds setup.exe and the sample medium, makes a demo Wine
# prefix and runs setup.exe from the medium. With a display (DISPLAY set) it
# runs for you to click through; without one it runs under Xvfb, driven as a
# person would (proposed language, drive C, Start, OK), saves a screenshot
# of each step and prints what was installed; then it removes the product
# through Add/Remove Programs and prints how the machine compares with
# what it was before.
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
    # The sample's viewer opens the instructions, as a browser would.
    viewer="Z:$(echo "$BUILD/sample/htmview.exe" | tr / '\\')"
    "$WINELOADER" reg add 'HKCR\.htm' /ve /d NimbaluneDemo.htm /f >/dev/null 2>&1
    "$WINELOADER" reg add 'HKCR\NimbaluneDemo.htm\shell\open\command' /ve /d "\"$viewer\" \"%1\"" /f >/dev/null 2>&1
    cd "$BUILD/medium"
    "$WINELOADER" setup.exe || true
    exit 0
fi

# A fresh prefix each time, so that the demo shows a first installation.
rm -rf "$BUILD/wine/$PREFIX_NAME" "$BUILD/screenshots"/demo-*
status=0
NL_PREFIX=$PREFIX_NAME "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" \
    "$BUILD/tools/nldemo.exe" || status=$?
nl_stop_wine "$BUILD" "$ARCH"
# Each step's picture is there, a PNG image that decodes, and small.
for name in demo-1-question-1 demo-2-panel demo-3-progress demo-4-final-notice demo-5-desktop \
    demo-6-uninstall-question demo-7-uninstall-done; do
    shot=$BUILD/screenshots/$name.png
    if ! identify -regard-warnings "$shot" >/dev/null 2>&1; then
        echo "demo: $shot is missing or no PNG image" >&2
        status=1
    elif [ "$(stat -c %s "$shot")" -ge 204800 ]; then
        echo "demo: $shot is $(stat -c %s "$shot") bytes, more than 200 KB" >&2
        status=1
    fi
done
echo "screenshots: $BUILD/screenshots/demo-*.png"
exit $status
