#!/bin/sh
# Builds and runs every test: the static checks of the product's setup.exe
# and the unit and end-to-end tests under Wine (own prefix and Xvfb display
# under build/, stopped again at the end).
set -e
. "$(dirname "$0")/common.sh"
sh "$NL_ROOT/scripts/build.sh"
TEST_ARCH=$(cat "$NL_ROOT/build/test-arch")

stop_wine() {
    nl_stop_wine "$NL_ROOT/build/$TEST_ARCH" "$TEST_ARCH"
}
trap stop_wine EXIT
# A run killed outright never stopped what it started.
stop_wine

status=0
if [ "$TEST_ARCH" != i686 ]; then
    (cd "$NL_ROOT/build/i686" && ctest --output-on-failure) || status=1
fi
(cd "$NL_ROOT/build/$TEST_ARCH" && ctest --output-on-failure "$@") || status=1
exit $status
