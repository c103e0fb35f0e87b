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
genisoimage xorriso python3 python3-pycdlib libz-mingw-w64-dev strace"
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
apt-get update -qq
[ -z "$missing" ] || apt-get install -y -qq --no-install-recommends $missing >/dev/null
[ -z "$reinstall" ] || apt-get install -y -qq --no-install-recommends --reinstall $reinstall >/dev/null
