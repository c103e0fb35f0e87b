#!/bin/sh
# Assembles the sample product folder, as a maintainer would have the real
# product, uncompressed: the built stand-in programs, the documents of
# sample/Files.ins and pictures drawn here (the repository holds no binary
# samples). The medium is made from it by tools/medium.
# usage: sample-product.sh BUILD_DIR PRODUCT_DIR
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
PRODUCT=$2
FILES=$PRODUCT/Files.ins

rm -rf "$PRODUCT"
mkdir -p "$PRODUCT"
cp -r "$ROOT/sample/Files.ins" "$PRODUCT/"
cp "$BUILD/sample/readme.exe" "$PRODUCT/Readme.exe"
cp "$BUILD/sample/lisezmoi.exe" "$PRODUCT/Lisezmoi.exe"
cp "$BUILD/sample/nimbalun.exe" "$FILES/nimbalun.exe"
cp "$BUILD/sample/configur.exe" "$FILES/Configur.exe"
cp "$BUILD/Uninstal.exe" "$FILES/Uninstal.exe"

picture() {   # picture FILE SIZE COLOURS [DRAW]
    mkdir -p "$(dirname "$1")"
    convert -size "$2" "gradient:$3" ${4:+-fill white -draw "$4"} -seed 7 "$1"
}
picture "$FILES/Instruct.htm/Images/titre.gif" 320x60 navy-skyblue "circle 40,30 52,30"
picture "$FILES/Instruct.htm/Images/English/panel.gif" 240x160 gray70-gray40 "rectangle 20,20 220,50"
picture "$FILES/Instruct.htm/Images/Francais/panneau.gif" 240x160 gray70-gray40 "rectangle 20,20 220,50"
picture "$FILES/Instruct.rtf/Images/titre.bmp" 160x40 navy-skyblue "circle 20,20 28,20"
picture "$FILES/original.jpg/lune.jpg" 640x480 midnightblue-black "circle 420,140 470,140"
picture "$FILES/original.jpg/nuages.jpg" 640x480 skyblue-white "ellipse 320,300 200,80 0,360"
picture "$FILES/original.jpg/mer.jpg" 640x480 lightblue-navy "rectangle 0,300 640,480"
picture "$FILES/original.jpg/sable.jpg" 640x480 khaki-peru "circle 100,100 130,100"
