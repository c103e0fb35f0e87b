#!/bin/sh
# Assembles the sample distribution medium in BUILD/medium from the built
# programs and the files under sample/:
#   setup.exe, Readme.exe, Lisezmoi.exe and the folder Files.ins
# with part of the files stored LZ-compressed (mscompress) under their own
# names, as on the product's floppies and CD-ROM. It also writes
#   BUILD/medium.manifest  the files an installation must produce, with the
#                          SHA-256 of their expanded contents
#   BUILD/nimbalune.iso    the medium as an ISO 9660 image with Joliet names
# usage: make-medium.sh BUILD_DIR
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
MEDIUM=$BUILD/medium
FILES=$MEDIUM/Files.ins

rm -rf "$MEDIUM"
mkdir -p "$MEDIUM"
cp -r "$ROOT/sample/Files.ins" "$MEDIUM/"
cp "$BUILD/setup.exe" "$MEDIUM/setup.exe"
cp "$BUILD/sample/readme.exe" "$MEDIUM/Readme.exe"
cp "$BUILD/sample/lisezmoi.exe" "$MEDIUM/Lisezmoi.exe"
cp "$BUILD/sample/nimbalun.exe" "$FILES/nimbalun.exe"
cp "$BUILD/sample/configur.exe" "$FILES/Configur.exe"
cp "$BUILD/sample/uninstal.exe" "$FILES/Uninstal.exe"
if [ -f "$BUILD/nimbalun.grp" ]; then
    cp "$BUILD/nimbalun.grp" "$FILES/nimbalun.grp"
fi

# Pictures: drawn here so that the repository holds no binary samples.
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

# What an installation must produce: every file of the medium but setup.exe
# and the group template (which goes to the Windows directory), by its path
# under the installation directory.
(
    cd "$MEDIUM"
    find . -type f ! -name setup.exe ! -path ./Files.ins/nimbalun.grp | sort | while read -r file; do
        target=${file#./}
        target=${target#Files.ins/}
        echo "$(sha256sum "$file" | cut -d' ' -f1) $target"
    done
) > "$BUILD/medium.manifest"

# About half of the files are stored compressed, under their own names.
for file in Lisezmoi.exe Files.ins/Configur.exe Files.ins/Uninstal.exe Files.ins/textures.lst \
    Files.ins/Instruct.htm/English.htm/nimbalun.htm Files.ins/Instruct.htm/Francais.htm/options.htm \
    Files.ins/Instruct.htm/nimbalun.css Files.ins/Instruct.rtf/English.rtf/Options.rtf \
    Files.ins/Instruct.rtf/Francais.rtf/NimbaLun.rtf Files.ins/Instruct.rtf/Images/titre.bmp \
    Files.ins/sources/sujets.txt Files.ins/original.jpg/nuages.jpg Files.ins/original.jpg/sable.jpg; do
    mscompress "$MEDIUM/$file"
    mv "$MEDIUM/${file}_" "$MEDIUM/$file"
done

genisoimage -quiet -J -r -V NIMBALUNE -o "$BUILD/nimbalune.iso" "$MEDIUM"
echo "medium: $MEDIUM ($(find "$MEDIUM" -type f | wc -l) files), image: $BUILD/nimbalune.iso"
