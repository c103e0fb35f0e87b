#!/bin/sh
# Builds everything: the product's i686 setup.exe in build/i686 and, where
# this machine cannot run 32-bit code, the same sources for x86_64 in
# build/x86_64, which is what the tests then run under Wine.
set -e
. "$(dirname "$0")/common.sh"
sh "$NL_ROOT/scripts/deps.sh"

TEST_ARCH=$(nl_test_arch)
configure_and_build() {
    nl_configure "$1" "$2"
    cmake --build "$NL_ROOT/build/$1" -j"$(nproc)" -- --no-print-directory
}

if [ "$TEST_ARCH" = i686 ]; then
    configure_and_build i686 ON
else
    configure_and_build i686 OFF
    configure_and_build x86_64 ON
fi
echo "$TEST_ARCH" > "$NL_ROOT/build/test-arch"
