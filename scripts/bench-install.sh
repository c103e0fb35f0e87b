#!/bin/sh
# Measures a whole installation against a peer installer on the same
# payload, in the same Wine prefix. Not a test: run it by hand
# (sh scripts/bench-install.sh). It builds a large medium: the sample medium
# plus 1040 files (about 110 MB) spread over the copy plan's folders, every
# second one LZ-compressed with mscompress. Then, median of 5 runs each
# (ROUNDS=n to change; this virtual machine's disk makes single runs vary):
#   setup  setup.exe driven by the test driver, start button to final box
#   peer   an NSIS installer of the same installed tree (makensis, default
#          compressor, built for the prefix's architecture: x86-unicode in a
#          32-bit prefix, amd64-unicode in a 64-bit one), run silently with
#          /S /D=, whole process
#   floor  a bare LZInit/CopyLZFile loop over the medium's Files.ins
#   cp     cp -r of the installed tree on the Linux side
# and the sizes of setup.exe and of NSIS installers with an empty payload,
# and the peak working set of the setup and of the NSIS process.
# Each build that runs here is measured: the shipped i686 build under
# 32-bit Wine where this machine runs 32-bit code, and the x86_64 build
# under 64-bit Wine (ARCHES="i686" or similar to choose).
# The output, also kept in build/bench-install/results.txt, has the form
#   KIND SECONDS PEAK_KIB RESULT   (one line per run; RESULT 0 = all went well)
#   summary lines "name: value"
# A run that did not end well, or a peer tree that differs from the setup's,
# ends the script with an error and status 1. It leaves no Wine process and
# no Xvfb server running.
set -e
. "$(dirname "$0")/common.sh"

command -v makensis >/dev/null || apt-get install -y nsis >/dev/null
ARCHES=${ARCHES:-$(nl_wine_arches)}
ROUNDS=${ROUNDS:-5}
OUT=$NL_ROOT/build/bench-install
PAYLOAD=$OUT/payload     # the added files, by their folder under Files.ins
FILES=1040
FOLDERS=". Instruct.htm Instruct.htm/English.htm Instruct.htm/Francais.htm Instruct.htm/Images
Instruct.htm/Images/English Instruct.htm/Images/Francais Instruct.rtf Instruct.rtf/English.rtf
Instruct.rtf/Francais.rtf Instruct.rtf/Images sources original.jpg"

fail() {
    echo "bench-install: $*" >&2
    exit 1
}
winpath() {
    printf 'Z:%s\n' "$1" | tr / '\\'
}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
# What each run leaves: no Wine process and no Xvfb server of any build
# measured, also when the script stops on an error.
stop_all() {
    for arch in $ARCHES; do
        nl_stop_wine "$NL_ROOT/build/$arch" "$arch"
    done
}
trap stop_all EXIT

make_payload() {
    rm -rf "$PAYLOAD"
    mkdir -p "$PAYLOAD"
    for folder in $FOLDERS; do
        mkdir -p "$PAYLOAD/$folder"
    done
    corpus=$OUT/corpus
    nl_bench_corpus "$corpus" 125000000
    set -- $FOLDERS
    count=$#
    offset=1
    i=0
    while [ $i -lt $FILES ]; do
        eval folder=\${$((i % count + 1))}
        size=$((60000 + (i * 7919) % 100000))
        tail -c +$offset "$corpus" | head -c $size > "$PAYLOAD/$folder/bench$(printf %04d $i).dat"
        offset=$((offset + size))
        i=$((i + 1))
    done
    rm -f "$corpus"
    # Every second file compressed, keeping its name as on a medium.
    find "$PAYLOAD" -name 'bench*[13579].dat' | xargs -P "$(nproc)" -n 1 sh -c 'mscompress "$0" && mv "$0_" "$0"'
    touch "$PAYLOAD/.ready"
}

# The peer: an installed tree, default compressor, the stub of the
# architecture; without a tree an empty installer for the size comparison.
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
    makensis -V1 "$DATA/peer.nsi" >/dev/null || fail "makensis could not build the $1 installer"
}

# Measures the build of one architecture; its summary goes to
# $DATA/results.txt.
measure() {
    nl_bench_build "$1" medium bench_install
    case $ARCH in
    i686) TARGET=x86-unicode ;;
    *) TARGET=amd64-unicode ;;
    esac
    DATA=$OUT/$ARCH
    MEDIUM=$DATA/medium
    TREE=$DATA/tree          # what an installation leaves, for the peer and cp
    PREFIX=$BUILD/wine/bench
    rm -rf "$DATA"
    mkdir -p "$DATA"
    cp -r "$BUILD/medium" "$MEDIUM"
    cp -r "$PAYLOAD"/* "$MEDIUM/Files.ins/"

    # Through a file, not a pipe: programs the setup starts (and Wine's own
    # services) keep a pipe open long after the measured program has ended.
    bench() {
        NL_PREFIX=bench "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" \
            "$BUILD/tools/bench_install.exe" "$@" > "$DATA/out" 2>/dev/null || true
        tr -d '\r' < "$DATA/out"
    }
    # The previous installation, if any, would be examined by every run.
    rm -rf "$PREFIX/drive_c/NimbaLun"

    # One installation by the setup gives the installed tree the peer packs.
    bench setup "$(winpath "$MEDIUM/setup.exe")" > "$DATA/warm-up"
    awk '$1 == "setup" && $4 == 0 { ok = 1 } END { exit !ok }' "$DATA/warm-up" \
        || fail "$ARCH: the first installation did not end well: $(cat "$DATA/warm-up")"
    cp -r "$PREFIX/drive_c/NimbaLun" "$TREE"

    nsis "$TARGET" "$DATA/peer.exe" "$TREE"
    nsis x86-unicode "$DATA/empty-x86.exe"
    nsis amd64-unicode "$DATA/empty-amd64.exe"

    # The peer's tree must be the setup's.
    rm -rf "$PREFIX/drive_c/NsisPeer"
    bench peer "$(winpath "$DATA/peer.exe")" 'C:\NsisPeer' > /dev/null
    diff -r "$TREE" "$PREFIX/drive_c/NsisPeer" > "$DATA/peer-diff" 2>&1 \
        || fail "$ARCH: the $TARGET peer's tree differs from the setup's: $(head -n 3 "$DATA/peer-diff")"

    results=$DATA/runs
    : > "$results"
    # Each run writes into an empty folder (overwriting a whole tree costs
    # Wine about twice as much as creating it) and starts once the disk has
    # written out what the previous run left in the page cache.
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

    {
        echo "== build $ARCH ($BUILD/setup.exe) under $("$(nl_wine_loader "$ARCH")" --version)" \
            "in a $( [ "$ARCH" = i686 ] && echo 32 || echo 64)-bit prefix; peer NSIS $TARGET"
        echo "payload: $(find "$TREE" -type f | wc -l) files, $(du -sm "$TREE" | cut -f1) MB installed;" \
            "medium $(du -sm "$MEDIUM/Files.ins" | cut -f1) MB, $(grep -rl '^SZDD' "$MEDIUM" | wc -l) files compressed"
        cat "$results"
        for kind in setup peer floor cp; do
            printf '%s: %s s (median of %s)\n' "$kind" "$(awk -v k=$kind '$1 == k { print $2 }' "$results" | median)" "$ROUNDS"
        done
        setup=$(awk '$1 == "setup" { print $2 }' "$results" | median)
        peer=$(awk '$1 == "peer" { print $2 }' "$results" | median)
        floor=$(awk '$1 == "floor" { print $2 }' "$results" | median)
        awk -v s="$setup" -v p="$peer" -v f="$floor" -v a="$ARCH" 'BEGIN {
            printf "ratio setup/peer (%s): %.2f\nratio setup/floor (%s): %.2f\n", a, s / p, a, s / f }'
        # Each round's setup against the peer run right after it.
        awk '$1 == "setup" { s = $2 } $1 == "peer" { printf "%s%.2f", n++ ? " " : "", s / $2 }
            END { print "" }' "$results" | sed "s/^/ratio setup\/peer by round ($ARCH): /"
        echo "peer tree equals setup tree: ok"
        echo "size setup.exe ($ARCH): $(stat -c %s "$BUILD/setup.exe") bytes"
        echo "size NSIS empty installer x86-unicode: $(stat -c %s "$DATA/empty-x86.exe") bytes"
        echo "size NSIS empty installer amd64-unicode: $(stat -c %s "$DATA/empty-amd64.exe") bytes"
        echo "size NSIS peer installer ($TARGET): $(stat -c %s "$DATA/peer.exe") bytes"
        echo "peak working set setup: $(awk '$1 == "setup" { print $3 }' "$results" | median) KiB"
        echo "peak working set peer: $(awk '$1 == "peer" { print $3 }' "$results" | median) KiB"
    } > "$DATA/results.txt"
    cat "$DATA/results.txt"
    if awk '$4 != 0 { bad = 1 } END { exit !bad }' "$results"; then
        fail "$ARCH: runs did not end well (last column not 0): $(awk '$4 != 0' "$results" | tr '\n' ';')"
    fi
}

[ -f "$PAYLOAD/.ready" ] || make_payload
{
    echo "machine: $(uname -m), $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
} > "$OUT/results.txt"
cat "$OUT/results.txt"
for arch in $ARCHES; do
    measure "$arch"
    cat "$OUT/$arch/results.txt" >> "$OUT/results.txt"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$OUT/results.txt"
