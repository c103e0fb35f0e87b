#!/bin/sh
# Measures a whole installation against a peer installer on the same
# payload, in the same Wine prefix. Not a test: run it by hand
# (sh scripts/bench-install.sh). It builds a large medium: the sample medium
# plus 1040 files (about 110 MB) spread over the copy plan's folders, every
# second one LZ-compressed with mscompress. Then, median of 5 runs each
# (ROUNDS=n to change; this virtual machine's disk makes single runs vary):
#   setup  setup.exe driven by the test driver, start button to final box
#   peer   an NSIS installer of the same installed tree (makensis, default
#          compressor), run silently with /S /D=, whole process
#   floor  a bare LZOpenFileA/CopyLZFile loop over the medium's Files.ins
#   cp     cp -r of the installed tree on the Linux side
# and the sizes of setup.exe and of NSIS installers with an empty payload,
# and the peak working set of the setup and of the NSIS process.
# The output, also kept in build/bench-install/results.txt, has the form
#   KIND SECONDS PEAK_KIB RESULT   (one line per run; RESULT 0 = all went well)
#   summary lines "name: value"
set -e
. "$(dirname "$0")/common.sh"

nl_bench_build all bench_install
command -v makensis >/dev/null || apt-get install -y nsis >/dev/null

DATA=$NL_ROOT/build/bench-install
MEDIUM=$DATA/medium
TREE=$DATA/tree          # what an installation leaves, for the peer and cp
FILES=1040
FOLDERS=". Instruct.htm Instruct.htm/English.htm Instruct.htm/Francais.htm Instruct.htm/Images
Instruct.htm/Images/English Instruct.htm/Images/Francais Instruct.rtf Instruct.rtf/English.rtf
Instruct.rtf/Francais.rtf Instruct.rtf/Images sources original.jpg"
PREFIX=$BUILD/wine/prefix

winpath() {
    printf 'Z:%s\n' "$1" | tr / '\\'
}
# Through a file, not a pipe: programs the setup starts (and Wine's own
# services) keep a pipe open long after the measured program has ended.
wine_run() {
    "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" "$@" > "$DATA/out" 2>/dev/null || true
    tr -d '\r' < "$DATA/out"
}
bench() {
    wine_run "$BUILD/tools/bench_install.exe" "$@"
}
ROUNDS=${ROUNDS:-5}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

make_medium() {
    rm -rf "$DATA"
    mkdir -p "$DATA"
    cp -r "$BUILD/medium" "$MEDIUM"
    corpus=$DATA/corpus
    nl_bench_corpus "$corpus" 125000000
    set -- $FOLDERS
    count=$#
    offset=1
    i=0
    while [ $i -lt $FILES ]; do
        eval folder=\${$((i % count + 1))}
        size=$((60000 + (i * 7919) % 100000))
        tail -c +$offset "$corpus" | head -c $size > "$MEDIUM/Files.ins/$folder/bench$(printf %04d $i).dat"
        offset=$((offset + size))
        i=$((i + 1))
    done
    rm -f "$corpus"
    # Every second file compressed, keeping its name as on a medium.
    find "$MEDIUM/Files.ins" -name 'bench*[13579].dat' | xargs -P "$(nproc)" -n 1 sh -c 'mscompress "$0" && mv "$0_" "$0"'
    touch "$DATA/.ready"
}
[ -f "$DATA/.ready" ] || make_medium
cp "$BUILD/setup.exe" "$MEDIUM/setup.exe"     # the setup as built now
# The previous installation, if any, would be examined by every run.
rm -rf "$PREFIX/drive_c/NimbaLun"

# One installation by the setup gives the installed tree the peer packs.
bench setup "$(winpath "$MEDIUM/setup.exe")" > "$DATA/warm-up"
rm -rf "$TREE"
cp -r "$PREFIX/drive_c/NimbaLun" "$TREE"

# The peer: the same tree, default compressor, 64-bit stub for this Wine;
# and empty installers for the size comparison.
nsis() {   # nsis TARGET OUTFILE [PAYLOAD_DIR]
    {
        echo "Unicode true"
        echo "Target $1"
        echo "Name \"Nimbalune\""
        echo "OutFile \"$2\""
        echo "InstallDir \"C:\\NsisPeer\""
        echo "RequestExecutionLevel user"
        echo "Section"
        echo "SetOutPath \"\$INSTDIR\""
        [ -n "$3" ] && echo "File /r \"$3/*.*\""
        echo "SectionEnd"
    } > "$DATA/peer.nsi"
    makensis -V1 "$DATA/peer.nsi" >/dev/null
}
nsis amd64-unicode "$DATA/peer.exe" "$TREE"
nsis x86-unicode "$DATA/empty-x86.exe"
nsis amd64-unicode "$DATA/empty-amd64.exe"

results=$DATA/runs
: > "$results"
# Each run writes into an empty folder (overwriting a whole tree costs Wine
# about twice as much as creating it) and starts once the disk has written
# out what the previous run left in the page cache.
fresh() {
    rm -rf "$1"
    sync
}
for round in $(seq "$ROUNDS"); do
    fresh "$PREFIX/drive_c/NimbaLun"
    bench setup "$(winpath "$MEDIUM/setup.exe")" >> "$results"
    fresh "$PREFIX/drive_c/NsisPeer"
    bench peer "$(winpath "$DATA/peer.exe")" 'C:\NsisPeer' >> "$results"
    fresh "$PREFIX/drive_c/Floor"
    bench floor "$(winpath "$MEDIUM/Files.ins")" 'C:\Floor' >> "$results"
    fresh "$DATA/cp"
    start=$(date +%s.%N)
    cp -r "$TREE" "$DATA/cp"
    sync -f "$DATA/cp" 2>/dev/null || true
    end=$(date +%s.%N)
    echo "cp $(echo "$end - $start" | bc) 0 0" >> "$results"
done
rm -rf "$PREFIX/drive_c/NsisPeer" "$PREFIX/drive_c/Floor" "$DATA/cp"
# The peer's tree must be the setup's.
peer_ok=ok
bench peer "$(winpath "$DATA/peer.exe")" 'C:\NsisPeer' > /dev/null
diff -r "$TREE" "$PREFIX/drive_c/NsisPeer" >/dev/null 2>&1 || peer_ok="DIFFERS"
rm -rf "$PREFIX/drive_c/NsisPeer"

{
    echo "machine: $(uname -m), $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null || "$(nl_wine_loader "$ARCH")" --version)"
    echo "payload: $(find "$TREE" -type f | wc -l) files, $(du -sm "$TREE" | cut -f1) MB installed;" \
        "medium $(du -sm "$MEDIUM/Files.ins" | cut -f1) MB, $(grep -rl '^SZDD' "$MEDIUM" | wc -l) files compressed"
    cat "$results"
    if awk '$4 != 0 { bad = 1 } END { exit !bad }' "$results"; then
        echo "warning: some runs did not end well (last column)"
    fi
    for kind in setup peer floor cp; do
        printf '%s: %s s (median of %s)\n' "$kind" "$(awk -v k=$kind '$1 == k { print $2 }' "$results" | median)" "$ROUNDS"
    done
    setup=$(awk '$1 == "setup" { print $2 }' "$results" | median)
    peer=$(awk '$1 == "peer" { print $2 }' "$results" | median)
    floor=$(awk '$1 == "floor" { print $2 }' "$results" | median)
    awk -v s="$setup" -v p="$peer" -v f="$floor" 'BEGIN {
        printf "ratio setup/peer: %.2f\nratio setup/floor: %.2f\n", s / p, s / f }'
    echo "peer tree equals setup tree: $peer_ok"
    echo "size setup.exe (i686): $(stat -c %s "$NL_ROOT/build/i686/setup.exe") bytes"
    echo "size setup.exe ($ARCH): $(stat -c %s "$BUILD/setup.exe") bytes"
    echo "size NSIS empty installer x86-unicode: $(stat -c %s "$DATA/empty-x86.exe") bytes"
    echo "size NSIS empty installer amd64-unicode: $(stat -c %s "$DATA/empty-amd64.exe") bytes"
    echo "size NSIS peer installer: $(stat -c %s "$DATA/peer.exe") bytes"
    echo "peak working set setup: $(awk '$1 == "setup" { print $3 }' "$results" | median) KiB"
    echo "peak working set peer: $(awk '$1 == "peer" { print $3 }' "$results" | median) KiB"
} | tee "$DATA/results.txt"
# The prefix's server learns the test drives' types when it starts: leave
# none running with what the benchmark started.
WINEPREFIX=$PREFIX "$(nl_wine_server "$ARCH")" -k 2>/dev/null || true
