#!/bin/sh
# Times an installation from CD on a model of a 1998 drive. Not a test: run
# it by hand (sh scripts/bench-cd.sh). For two products, the sample and a
# product of 1000 more files (drawn and rendered pictures, 8-bit pictures,
# pictures as noisy as photographs, programs and documents), it builds the
# medium twice:
#   before  as it was built before: mscompress, file data in name order
#   after   as make medium builds it: the project's encoder, file data in
#           the order an installation reads it
# installs each from its image on the CD drive R: of the drives fixture
# under Wine, with strace recording every read from that drive, and gives
# the reads to the drive model (tools/bench/cd_model.py: sectors, rate and
# seek time printed with the figures). Windows reads AUTORUN.INF when the
# CD goes in: the model reads it first. The output, also kept in
# build/bench-cd/results.txt, gives per product and medium the image's size,
# the stored files' bytes, the build's time, and the model's reads, bytes,
# seeks (backward ones apart) and seconds. It leaves no Wine process running.
set -e
. "$(dirname "$0")/common.sh"

OUT=$NL_ROOT/build/bench-cd
PAYLOAD=$OUT/payload
EPOCH=946684800
nl_bench_build "$(nl_test_arch)" medium bench_install szdd_encoder
PREFIX=$BUILD/wine/benchcd
trap 'nl_stop_wine "$BUILD" "$ARCH"' EXIT

fail() {
    echo "bench-cd: $*" >&2
    exit 1
}

# 1000 files: 512 pictures of 200x150 cut from 32 of 800x600 (icons that
# Debian ships drawn over gradients, which LZ takes to a sixth; plasma
# fractals as noisy as photographs, which it cannot shrink; soft ones,
# which it takes to two thirds, and the same in 256 colours, to under a
# half), 244 pieces of the machine's libraries as programs and 244 pieces
# of its HTML documentation as documents.
make_payload() {
    rm -rf "$PAYLOAD"
    mkdir -p "$PAYLOAD/original.jpg" "$PAYLOAD/sources" "$PAYLOAD/Instruct.htm/English.htm"
    set -- $(find /usr/share/icons/Adwaita/512x512 -name '*.png' | sort | head -n 32)
    k=0
    for icon in "$@"; do
        base="-size 800x600 gradient:skyblue-navy $icon -gravity center -composite"
        case $((k % 4)) in
        1) base="-seed $k -size 800x600 plasma:fractal -blur 0x1" ;;
        2) base="-seed $k -size 800x600 plasma:fractal -blur 0x6" ;;
        3) base="-seed $k -size 800x600 plasma:fractal -blur 0x6 -colors 256 -type Palette" ;;
        esac
        convert $base -crop 200x150 +repage "BMP3:$PAYLOAD/original.jpg/pic$(printf %02d $k)-%02d.bmp"
        k=$((k + 1))
    done
    nl_bench_corpus "$OUT/programs" 30000000
    find /usr/share/doc -name '*.html' -size +8k | sort | head -n 400 | xargs cat > "$OUT/documents"
    i=0
    while [ $i -lt 488 ]; do
        if [ $((i % 2)) = 0 ]; then
            source=$OUT/programs file=$PAYLOAD/prog$(printf %03d $i).dll size=$((60000 + (i * 7919) % 100000))
        else
            source=$OUT/documents file=$PAYLOAD/Instruct.htm/English.htm/doc$(printf %03d $i).htm
            size=$((8000 + (i * 7919) % 40000))
        fi
        tail -c +$((i * 59999 + 1)) "$source" | head -c $size > "$file"
        i=$((i + 1))
    done
    rm -f "$OUT/programs" "$OUT/documents"
    touch "$PAYLOAD/.ready"
}

# The medium as built before this project's encoder: mscompress behind the
# encoder's interface (INPUT OUTPUT).
mkdir -p "$OUT"
printf '#!/bin/sh\ncp "$1" "$2" && mscompress "$2" >/dev/null && mv "$2_" "$2"\n' > "$OUT/mscompress-encoder"
chmod +x "$OUT/mscompress-encoder"

# The medium of a product: the sample built by the medium command, the
# payload added to it for the large product, each file stored compressed
# by the encoder of its kind, and the image. The build's time is that of
# both steps.
build_medium() {   # build_medium NAME before|after [PAYLOAD]
    medium=$OUT/$1
    encoder=$BUILD/host/szdd_encoder order=reading
    [ "$2" = before ] && encoder=$OUT/mscompress-encoder order=name
    rm -rf "$medium" "$medium.iso" "$medium.manifest"
    export SOURCE_DATE_EPOCH=$EPOCH NL_SZDD_ENCODER=$encoder
    /usr/bin/time -f %e -o "$medium.time" python3 -S "$NL_ROOT/tools/medium" build \
        --product "$BUILD/sample-product" --setup "$BUILD/setup.exe" --out "$medium" > /dev/null \
        || fail "$1: the medium was not built"
    [ -z "$3" ] || cp -r "$3"/* "$medium/Files.ins/"
    /usr/bin/time -f %e -o "$medium.time2" python3 -S "$NL_ROOT/tools/bench/cd_medium.py" "$medium" \
        "$medium.iso" $order || fail "$1: no image"
    awk '{ s += $1 } END { printf "%.2f\n", s }' "$medium.time" "$medium.time2" > "$medium.cost"
}

# One installation from the image on R:, every read from R: recorded; the
# model's line.
install_from() {   # install_from NAME
    rm -rf "$PREFIX/drive_c/NimbaLun"
    NL_CD_IMAGE=$OUT/$1.iso NL_FIXTURE=drives NL_PREFIX=benchcd NL_FRESH=1 \
        strace --seccomp-bpf -f -y -qq -s 0 -e signal=none -e trace=read,pread64,lseek \
        -o "|grep -E 'drives/r/|resumed>' > '$OUT/$1.trace'" \
        "$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" "$BUILD/tools/bench_install.exe" setup \
        'R:\setup.exe' 2>/dev/null | tr -d '\r' > "$OUT/$1.run" || true
    awk '$1 == "setup" && $4 == 0 { ok = 1 } END { exit !ok }' "$OUT/$1.run" \
        || fail "$1: the installation did not end well: $(cat "$OUT/$1.run")"
    python3 "$NL_ROOT/tools/bench/cd_model.py" "$OUT/$1.iso" "$OUT/$1.trace" "$BUILD/drives/r" AUTORUN.INF
}

say() {
    echo "$*" | tee -a "$OUT/results.txt"
}

[ -f "$PAYLOAD/.ready" ] || make_payload
# The display starts before strace does: traced, the Xvfb server that is
# left running for later runs would keep strace waiting for it.
"$NL_ROOT/scripts/wine-run.sh" --build "$BUILD" --arch "$ARCH" "$BUILD/tools/bench_install.exe" \
    > /dev/null 2>&1 || true
: > "$OUT/results.txt"
say "machine: $(uname -m), $(nproc) CPUs; build $ARCH under $("$(nl_wine_loader "$ARCH")" --version)"
for product in sample large; do
    payload=
    [ $product = large ] && payload=$PAYLOAD
    say "== $product product: $(find "$BUILD/sample-product" $payload -type f ! -name .ready | wc -l) files," \
        "$(find "$BUILD/sample-product" $payload -type f ! -name .ready -exec cat {} + | wc -c) bytes"
    for when in before after; do
        build_medium "$product-$when" $when $payload
        line=$(install_from "$product-$when")
        say "$when: image $(stat -c %s "$OUT/$product-$when.iso") bytes, stored files" \
            "$(find "$OUT/$product-$when" -type f -exec cat {} + | wc -c) bytes, built in" \
            "$(cat "$OUT/$product-$when.cost") s;" \
            "${line#*; }"
    done
done
say "${line%%; *}"
