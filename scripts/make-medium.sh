#!/bin/sh
# The maintainer's command behind `make medium`: checks that OUT may be
# replaced, builds the product's setup.exe (i686) and makes the distribution
# medium from a product folder with tools/medium, which checks it and
# replaces OUT, OUT.iso and OUT.manifest only when every check passed. The
# medium's times are those of the last commit (SOURCE_DATE_EPOCH, unless
# given), so the same sources and product give the same bytes. FORCE=1
# replaces files in OUT, OUT.iso or OUT.manifest that the command did not
# write.
# usage: make-medium.sh PRODUCT_DIR [OUT_DIR]   (default build/i686/medium)
# Exit status: that of tools/medium (tools/medium/command.py), 2 for wrong
# usage. Python runs with -S: the command needs no site packages, and a
# Ctrl-C while Python starts has less to interrupt.
set -e
. "$(dirname "$0")/common.sh"
if [ -z "$1" ]; then
    echo "usage: make medium PRODUCT=DIR [OUT=DIR] [FORCE=1]" >&2
    exit 2
fi
PRODUCT=$1
OUT=${2:-$NL_ROOT/build/i686/medium}
FORCE_OPTION=
case ${FORCE:-0} in 0|"") ;; *) FORCE_OPTION=--force ;; esac
sh "$NL_ROOT/scripts/deps.sh"
python3 -S "$NL_ROOT/tools/medium" build --preflight --product "$PRODUCT" --setup - --out "$OUT" $FORCE_OPTION
if [ -z "$SOURCE_DATE_EPOCH" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$NL_ROOT" log -1 --format=%ct 2>/dev/null || true)
    [ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH
fi
if [ ! -f "$NL_ROOT/build/i686/CMakeCache.txt" ]; then
    if [ "$(nl_test_arch)" = i686 ]; then nl_configure i686 ON; else nl_configure i686 OFF; fi
fi
cmake --build "$NL_ROOT/build/i686" --target setup szdd_encoder -- --no-print-directory >/dev/null
export NL_SZDD_ENCODER="$NL_ROOT/build/i686/host/szdd_encoder"
exec python3 -S "$NL_ROOT/tools/medium" build --product "$PRODUCT" --setup "$NL_ROOT/build/i686/setup.exe" \
    --out "$OUT" $FORCE_OPTION
