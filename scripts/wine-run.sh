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
#   NL_FRESH    when set, the program starts from the prefix as it was made
#               (registry, drives, the Windows folder's settings files),
#               whatever an earlier program changed or left behind
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
# for the next test; the test command stops them at the end. A server is
# taken again only when it is the one recorded (its process id and start
# time) and answers a connection: a stopping server passes kill -0.
display_answers() {   # display_answers NUMBER
    python3 - "$1" <<'PROBE' 2>/dev/null
import socket, sys
connection = socket.socket(socket.AF_UNIX)
connection.settimeout(30)
connection.connect("/tmp/.X11-unix/X" + sys.argv[1])
# A connection set-up without authorisation: byte order, protocol 11.0.
connection.sendall(b"l\0\x0b\0\0\0\0\0\0\0\0\0")
sys.exit(0 if connection.recv(1) == b"\x01" else 1)
PROBE
}

start_display() {
    info=$STATE/xvfb-$SCREEN
    if [ -f "$info" ] && [ "$(nl_process_start "$(sed -n 2p "$info")")" = "$(sed -n 3p "$info")" ] \
        && display_answers "$(sed -n 1p "$info")"; then
        DISPLAY=:$(sed -n 1p "$info")
        return
    fi
    [ -f "$info" ] && nl_stop_xvfb "$info"
    fifo=$STATE/xvfb-$SCREEN.fd
    rm -f "$fifo"
    # Without the lock's descriptor: the server outlives this script.
    Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 9>&- &
    pid=$!
    for _ in $(seq 100); do
        [ -s "$fifo" ] && break
        sleep 0.1
    done
    [ -s "$fifo" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
    printf '%s\n%s\n%s\n' "$(head -n1 "$fifo")" "$pid" "$(nl_process_start "$pid")" > "$info"
    DISPLAY=:$(head -n1 "$fifo")
}
start_display
export DISPLAY

# What a program may change that the next one must not see: the registry,
# the drive list and the Windows folder's settings files. A copy as the
# prefix was made puts them back (NL_FRESH).
PRISTINE=$WINEPREFIX/.nl-pristine
WINDOWS_FILES="win.ini system.ini progman.ini nimbalun.grp wininit.ini wininit.bak"
if [ ! -f "$WINEPREFIX/.nl-ready" ] || [ ! -f "$PRISTINE/drives" ]; then
    rm -rf "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1
    # Wine draws its own title bars: Xvfb has no window manager.
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINESERVER" -w
    mkdir -p "$PRISTINE/windows"
    cp "$WINEPREFIX"/*.reg "$PRISTINE/"
    for name in $WINDOWS_FILES; do
        [ -f "$WINEPREFIX/drive_c/windows/$name" ] && cp "$WINEPREFIX/drive_c/windows/$name" "$PRISTINE/windows/"
    done
    ls "$WINEPREFIX/dosdevices" > "$PRISTINE/drives"
    touch "$WINEPREFIX/.nl-ready"
fi

# The desktop process of a prefix belongs to one display: a program of an
# earlier run (killed before its end) may still hold another.
if [ -n "$NL_FRESH" ] || [ "$(cat "$WINEPREFIX/.nl-display" 2>/dev/null)" != "$SCREEN $DISPLAY" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    echo "$SCREEN $DISPLAY" > "$WINEPREFIX/.nl-display"
fi
if [ -n "$NL_FRESH" ]; then
    cp "$PRISTINE"/*.reg "$WINEPREFIX/"
    for name in $WINDOWS_FILES; do
        find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname "$name" -delete
        [ -f "$PRISTINE/windows/$name" ] && cp "$PRISTINE/windows/$name" "$WINEPREFIX/drive_c/windows/"
    done
    for drive in "$WINEPREFIX"/dosdevices/*; do
        grep -qxF "${drive##*/}" "$PRISTINE/drives" || rm -f "$drive"
    done
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
