#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need.
# Does nothing when they are all present; needs root (apt-get) otherwise.
set -e
. "$(dirname "$0")/common.sh"

# The product is built for i686; the tests run the i686 build under 32-bit
# Wine where this machine runs 32-bit code, else an x86_64 build under
# 64-bit Wine.
PACKAGES="g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 \
g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 \
wine wine64 xvfb xauth mscompress imagemagick cmake make googletest \
genisoimage xorriso python3 libz-mingw-w64-dev strace"
if nl_can_run_i386; then
    PACKAGES="$PACKAGES wine32:i386"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
# A package can be recorded as installed while its programs are gone from
# disk: the cross tools are checked by their files too, and reinstalled.
reinstall=""
for tool in i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix i686-w64-mingw32-ar:binutils-mingw-w64-i686 \
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-ar:binutils-mingw-w64-x86-64; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || reinstall="$reinstall ${tool#*:}"
done
[ -z "$missing$reinstall" ] && exit 0

echo "deps: installing$missing$reinstall" >&2
if [ "$(id -u)" != 0 ]; then
    echo "deps: run as root (apt-get) to install:$missing$reinstall" >&2
    exit 1
fi
if nl_can_run_i386 && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# apt-get with its messages kept in the log; 0 when it succeeded.
apt_logged() {
    apt-get "$@" >"$log" 2>&1
}

# An index can fail to download while the archive is being refreshed
# ("Mirror sync in progress?"): one more try after a pause, then the lists
# at hand, naming what failed.
if ! apt_logged update -qq; then
    sleep "${NL_APT_RETRY_PAUSE:-15}"
    if ! apt_logged update -qq; then
        echo "deps: a package index could not be refreshed; going on with the lists at hand:" >&2
        grep -E '^(E|W|Err):' "$log" >&2 || tail -n 5 "$log" >&2
    fi
fi

# Names what could not be installed and how to try again.
stop_installing() {
    echo "deps: could not install:$missing$reinstall" >&2
    grep -E '^E:' "$log" >&2 || tail -n 5 "$log" >&2
    echo "deps: once the package archive answers, run again as root: sh scripts/deps.sh" >&2
    exit 1
}
install_or_stop() {   # install_or_stop [apt-get install options] PACKAGES
    apt_logged install -y -qq --no-install-recommends "$@" || stop_installing
}

if [ -n "$missing" ] && ! apt_logged install -y -qq --no-install-recommends $missing; then
    grep -q -e 'held broken packages' -e 'unmet dependencies' "$log" || stop_installing
    # wine32:i386 needs i386 libraries at exactly the versions of the amd64
    # ones; when the list of the suite those came from is stale, the
    # release's own versions match. The rest first, then Wine from the
    # release.
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deps: no matching set of versions; installing Wine from the release $release" >&2
    others=""
    wine=""
    for p in $missing; do
        case $p in
            wine|wine64|*:i386) wine="$wine $p" ;;
            *) others="$others $p" ;;
        esac
    done
    [ -z "$others" ] || install_or_stop $others
    [ -z "$wine" ] || install_or_stop -t "$release" $wine
fi
[ -z "$reinstall" ] || install_or_stop --reinstall $reinstall
