#!/usr/bin/env python3
"""Writes nimbalun.grp, the Program Manager group of the distribution.

The file is a Windows 3.1 Program Manager group file (16-bit words and
offsets, little-endian, offsets counted from the start of the file). The
setup program copies it into the Windows directory and then patches it at
fixed offsets without reading it: it writes the destination's drive letter
at 140, 165, 2416, 2441, 4719, 4744, 6973, 6992 and 7011, a zero byte at
4678, and recomputes the checksum. The layout below keeps each of those
drive letters on the first character of a path, and 4678 on a byte that is
zero already.

Group header (34 bytes), then its item table:
     0  "PMCC"             identifier
     4  checksum           the 16-bit sum of all words of the file is 0
     6  cbGroup            size of everything before the tag data (6957)
     8  nCmdShow           SW_SHOWNORMAL
    10  rcNormal           group window: left, top, right, bottom
    18  ptMin              position of the group's icon when minimised
    22  pName              offset of the group's title
    24  wLogPixelsX/Y      display resolution the icons were made for
    28  bBitsPerPixel      16: the icons are 16-bit device-dependent bitmaps
    29  bPlanes            1
    30  wReserved          0
    32  cItems             16 item slots
    34  rgiItems[16]       offsets of the three ITEMDATA records, then zeros
    66  "Nimbalune"        the group's title

Three items follow, each laid out as
    title              zero-terminated, in a zero-filled field whose size
                       puts the item's command line at its patched offset
    ITEMDATA (24)      pt, iIcon, cbHeader, cbANDPlane, cbXORPlane, pHeader,
                       pANDPlane, pXORPlane, pName, pCommand, pIconPath
    command line (25)  "C:\\NimbaLun\\<8.3 name>"   drive letter patched
    icon path (25)     the same program, whose icon Program Manager takes
                       again when the display differs      drive letter patched
    icon header (12)   hot spot, 32 x 32, bytes per mask row, planes, bits
    AND mask (128)     32 rows of 4 bytes, 1 = transparent
    XOR bitmap (2048)  32 rows of 32 RGB 5-6-5 pixels

    item  title field     ITEMDATA  command  icon path  icon data
    0       76 (40)          116       140      165      190..2377
    1     2378 (14)         2392      2416     2441     2466..4653
    2     4654 (41)         4695      4719     4744     4769..6956

The third item's title is short enough that offset 4678, where the setup
program writes a zero byte, lies in the zero fill of its field.

Tag data (Windows 3.1 extensions) starts at cbGroup. Each record is wID,
wItem, cb (the record's size, header included) and cb - 6 bytes of data:
    6957  0x8000 0xFFFF 10  "PMCC"             start of the tag data
    6967  0x8101 0      19  "C:\\NimbaLun"     working directory of item 0
    6986  0x8101 1      19  "C:\\NimbaLun"     working directory of item 1
    7005  0x8101 2      19  "C:\\NimbaLun"     working directory of item 2
    7024  0xFFFF 0xFFFF 0                      end of the tag data
Each directory is zero-terminated and filled to 13 bytes, which puts its
drive letter at 6973, 6992 and 7011. The file is 7030 bytes long.

usage: make_group_template.py OUTPUT
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from medium.layout import GROUP_OFFSETS  # noqa: E402  the offsets setup.exe is built with

DRIVE = "C"
INSTALL_DIR = DRIVE + ":\\NimbaLun"
GROUP_TITLE = "Nimbalune"
ITEM_SLOTS = 16
HEADER_SIZE = 34
ITEMDATA_SIZE = 24
PATH_FIELD = 25                  # "C:\NimbaLun\XXXXXXXX.EXE" and its zero
ICON_SIZE = 32
ICON_BITS = 16
ICON_HEADER_SIZE = 12
AND_ROW = 4                      # 32 pixels, 1 bit each, word-aligned
XOR_ROW = ICON_SIZE * ICON_BITS // 8
AND_SIZE = AND_ROW * ICON_SIZE
XOR_SIZE = XOR_ROW * ICON_SIZE
TAG_DIRECTORY_FIELD = 13

# Where the setup program writes the drive letter, and the byte it clears.
PATCHED_OFFSETS = list(GROUP_OFFSETS)
CLEARED_OFFSET = 4678

# Title, program, command line offset, RGB colours of the icon's disc and moon.
ITEMS = [
    ("Nimbalune", "NimbaLun.exe", 140, (0x10, 0x20, 0x60), (0xF0, 0xE0, 0x60)),
    ("Configuration", "Configur.exe", 2416, (0x20, 0x60, 0x30), (0xF0, 0xF0, 0xF0)),
    ("D\u00e9sinstaller Nimbalune", "Uninstal.exe", 4719, (0x70, 0x18, 0x18), (0xF0, 0xC0, 0x40)),
]


def text(value):
    return value.encode("cp1252") + b"\0"


def rgb565(colour):
    red, green, blue = colour
    return ((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3)


def icon(disc, moon):
    """A crescent moon on a disc: the AND mask and the XOR bitmap, top row first."""
    and_mask = bytearray()
    xor_bits = bytearray()
    centre = (ICON_SIZE - 1) / 2
    for y in range(ICON_SIZE):
        row_mask = 0
        for x in range(ICON_SIZE):
            inside_disc = (x - centre) ** 2 + (y - centre) ** 2 <= 15.0 ** 2
            inside_moon = (x - 13) ** 2 + (y - 13) ** 2 <= 9.0 ** 2
            shadow = (x - 17) ** 2 + (y - 10) ** 2 <= 8.0 ** 2
            if not inside_disc:
                row_mask |= 1 << (31 - x)
                pixel = 0
            elif inside_moon and not shadow:
                pixel = rgb565(moon)
            else:
                pixel = rgb565(disc)
            xor_bits += struct.pack("<H", pixel)
        and_mask += struct.pack(">I", row_mask)
    return bytes(and_mask), bytes(xor_bits)


def build():
    data = bytearray(HEADER_SIZE + 2 * ITEM_SLOTS)
    group_title_offset = len(data)
    data += text(GROUP_TITLE)

    item_offsets = []
    for index, (title, program, command_offset, disc, moon) in enumerate(ITEMS):
        title_offset = len(data)
        itemdata_offset = command_offset - ITEMDATA_SIZE
        field = itemdata_offset - title_offset
        title_bytes = text(title)
        if len(title_bytes) > field:
            raise SystemExit("item %d: title does not fit before offset %d" % (index, command_offset))
        data += title_bytes.ljust(field, b"\0")

        path = text(INSTALL_DIR + "\\" + program)
        assert len(path) == PATH_FIELD
        icon_path_offset = command_offset + PATH_FIELD
        header_offset = icon_path_offset + PATH_FIELD
        and_offset = header_offset + ICON_HEADER_SIZE
        xor_offset = and_offset + AND_SIZE
        data += struct.pack("<hhHHHHHHHHHH",
                            24 + 72 * index, 40,            # pt
                            0,                              # iIcon
                            ICON_HEADER_SIZE, AND_SIZE, XOR_SIZE,
                            header_offset, and_offset, xor_offset,
                            title_offset, command_offset, icon_path_offset)
        data += path + path
        data += struct.pack("<hhhhhBB", ICON_SIZE // 2, ICON_SIZE // 2, ICON_SIZE, ICON_SIZE,
                            AND_ROW, 1, ICON_BITS)
        and_mask, xor_bits = icon(disc, moon)
        data += and_mask + xor_bits
        item_offsets.append(itemdata_offset)

    group_size = len(data)
    data += struct.pack("<HHH", 0x8000, 0xFFFF, 10) + b"PMCC"
    for index in range(len(ITEMS)):
        directory = text(INSTALL_DIR).ljust(TAG_DIRECTORY_FIELD, b"\0")
        data += struct.pack("<HHH", 0x8101, index, 6 + len(directory)) + directory
    data += struct.pack("<HHH", 0xFFFF, 0xFFFF, 0)

    slots = item_offsets + [0] * (ITEM_SLOTS - len(item_offsets))
    struct.pack_into("<4sHHH4h2hHHHBBHH", data, 0,
                     b"PMCC", 0, group_size, 1,        # SW_SHOWNORMAL
                     40, 40, 360, 200,                 # rcNormal
                     16, 400,                          # ptMin
                     group_title_offset, 96, 96, ICON_BITS, 1, 0, ITEM_SLOTS)
    struct.pack_into("<%dH" % ITEM_SLOTS, data, HEADER_SIZE, *slots)

    total = 0
    for offset in range(0, len(data) - 1, 2):
        total += data[offset] | data[offset + 1] << 8
    struct.pack_into("<H", data, 4, -total & 0xFFFF)
    return bytes(data)


def check(data):
    """The promises the setup program relies on."""
    for offset in PATCHED_OFFSETS:
        assert data[offset:offset + 3] == (DRIVE + ":\\").encode(), offset
    assert data[CLEARED_OFFSET] == 0
    assert len(data) > max(PATCHED_OFFSETS)
    assert sum(struct.unpack("<%dH" % (len(data) // 2), data[:len(data) // 2 * 2])) & 0xFFFF == 0


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__.split("usage: ")[1])
    data = build()
    check(data)
    with open(sys.argv[1], "wb") as output:
        output.write(data)


if __name__ == "__main__":
    main()
