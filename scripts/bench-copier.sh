#!/bin/sh
# Times CopyFiles with its progress window on about 100 MB in 500 files,
# half of them LZ-compressed, against the platform's floor measured in the
# same Wine prefix: a bare loop of LZInit and CopyLZFile over the same
# files. Prints the median of three runs of each and their ratio.
# Not a test: run it by hand (sh scripts/bench-copier.sh).
set -e
. "$(dirname "$0")/common.sh"

nl_bench_build "$(cat "$NL_ROOT/build/test-arch" 2>/dev/null || nl_test_arch)" bench_copier

DATA=$NL_ROOT/build/bench
SOURCE=$DATA/source
FILES=500

make_data() {
    rm -rf "$DATA"
    mkdir -p "$SOURCE"
    corpus=$DATA/corpus
    nl_bench_corpus "$corpus" 110000000
    offset=1
    i=0
    while [ $i -lt $FILES ]; do
        size=$((100000 + (i * 7919) % 200000))
        tail -c +$offset "$corpus" | head -c $size > "$SOURCE/file$(printf %03d $i).dat"
        offset=$((offset + size))
        i=$((i + 1))
    done
    rm -f "$corpus"
    du -sm "$SOURCE" | cut -f1 > "$DATA/expanded"
    # Every second file compressed, keeping its name as on a medium.
    ls "$SOURCE"/file*[13579].dat | xargs -P "$(nproc)" -n 1 sh -c 'mscompress "$0" && mv "$0_" "$0"'
    touch "$DATA/.ready"
}
[ -f "$DATA/.ready" ] || make_data

windows_path() {
    printf 'Z:%s\n' "$1" | tr / '\\'
}

run() {
    rm -rf "$DATA/dest"
    mkdir -p "$DATA/dest"
    "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" "$BUILD/tools/bench_copier.exe" \
        "$1" "$(windows_path "$SOURCE")\\*.*" "$(windows_path "$DATA/dest")" | tr -d '\r'
}

median() {
    sort -n | sed -n 2p
}

echo "$(du -sm "$SOURCE" | cut -f1) MB stored in $(ls "$SOURCE" | wc -l) files," \
    "$(grep -l '^SZDD' "$SOURCE"/* | wc -l) of them compressed; $(cat "$DATA/expanded") MB expanded"
run floor >/dev/null    # warms the file cache
results=$DATA/results
: > "$results"
for round in 1 2 3; do
    run floor >> "$results"
    run copier >> "$results"
done
rm -rf "$DATA/dest"
cat "$results"
if awk '$3 != 0 { bad = 1 } END { exit !bad }' "$results"; then
    echo "bench: some files were not copied" >&2
    exit 1
fi
floor=$(awk '$1 == "floor" { print $2 }' "$results" | median)
copier=$(awk '$1 == "copier" { print $2 }' "$results" | median)
echo "floor (LZInit + CopyLZFile):      $floor s, median of 3"
echo "CopyFiles with progress:          $copier s, median of 3"
awk -v c="$copier" -v f="$floor" 'BEGIN { printf "ratio: %.2f\n", c / f }'
