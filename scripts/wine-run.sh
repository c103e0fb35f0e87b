#!/bin/bash
# Runs a Windows program under Wine with a prefix and an Xvfb display kept
# under the build tree, so that nothing touches the user's ~/.wine or screen.
#
# usage: wine-run.sh --build DIR [--arch ARCH] PROGRAM [ARGUMENTS...]
# environment:
#   NL_SCREEN   Xvfb screen as WIDTHxHEIGHTxDEPTH (default 1024x768x24)
#   NL_FIXTURE  name of a script in tests/fixtures sourced first (drives, ...);
#               it sees WINEPREFIX, WINELOADER, WINESERVER, BUILD and NL_ROOT
#   NL_PREFIX   name of the prefix under DIR/wine (default "prefix")
set -e
. "$(dirname "$0")/common.sh"

ARCH=x86_64
while [ $# -gt 0 ]; do
    case $1 in
    --build) BUILD=$(cd "$2" && pwd); shift 2 ;;
    --arch) ARCH=$2; shift 2 ;;
    *) break ;;
    esac
done
[ -n "$BUILD" ] && [ $# -gt 0 ] || { echo "usage: $0 --build DIR [--arch ARCH] PROGRAM [ARGS...]" >&2; exit 2; }

STATE=$BUILD/wine
mkdir -p "$STATE"
export WINEPREFIX=$STATE/${NL_PREFIX:-prefix}
export WINELOADER=$(nl_wine_loader "$ARCH")
export WINESERVER=$(nl_wine_server "$ARCH")
export WINEDEBUG=${WINEDEBUG:--all}
# A new prefix links its Desktop and Documents folders into $HOME: a home of
# its own keeps the shortcuts the tests make out of the user's, and apart
# from those of another build's tests running at the same time.
export HOME=$STATE/home
mkdir -p "$HOME"
if [ "$ARCH" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
SCREEN=${NL_SCREEN:-1024x768x24}
# Wine would otherwise turn every shortcut the tests make into a menu entry
# of the Linux desktop.
export WINEDLLOVERRIDES="winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

exec 9>"$STATE/lock"
flock 9

# One Xvfb server per screen format, started on first use and left running
# for the next test; the test command stops them at the end.
start_display() {
    info=$STATE/xvfb-$SCREEN
    if [ -f "$info" ] && kill -0 "$(sed -n 2p "$info")" 2>/dev/null; then
        DISPLAY=:$(sed -n 1p "$info")
        return
    fi
    fifo=$STATE/xvfb-$SCREEN.fd
    rm -f "$fifo"
    Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        [ -s "$fifo" ] && break
        sleep 0.1
    done
    [ -s "$fifo" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
    printf '%s\n%s\n' "$(head -n1 "$fifo")" "$pid" > "$info"
    DISPLAY=:$(head -n1 "$fifo")
}
start_display
export DISPLAY

if [ ! -f "$WINEPREFIX/.nl-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1
    # Wine draws its own title bars: Xvfb has no window manager.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.nl-ready"
fi

# The desktop process of a prefix belongs to one display: change the display
# only with the prefix's processes ended.
if [ "$(cat "$WINEPREFIX/.nl-display" 2>/dev/null)" != "$SCREEN" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    echo "$SCREEN" > "$WINEPREFIX/.nl-display"
fi

export NL_BUILD_DIR="Z:$(echo "$BUILD" | tr / '\\')"
export NL_SOURCE_DIR="Z:$(echo "$NL_ROOT" | tr / '\\')"
export NL_SCREEN="$SCREEN"

# A fixture prepares the prefix (drives, registry, files) before the
# program runs; if it defines fixture_cleanup, that runs afterwards.
if [ -n "$NL_FIXTURE" ]; then
    . "$NL_ROOT/tests/fixtures/$NL_FIXTURE.sh"
fi

flock -u 9
exec 9>&-
program=$1
shift
status=0
"$WINELOADER" "$program" "$@" || status=$?
# Programs the test started (Explorer windows, the product) would otherwise
# live on, holding the test's output open and changing what the next test
# sees: each test program leaves the prefix with no process running.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
if command -v fixture_cleanup >/dev/null 2>&1; then
    fixture_cleanup
fi
exit $status
