#!/usr/bin/env python3
"""A medium folder made into an image as the build makes it, for
scripts/bench-cd.sh: files added to a built medium (more than the medium
command takes: its free-space rule holds a product to 35 MB) are stored
compressed by the encoder that NL_SZDD_ENCODER names, then the image is
written with file data in reading order, or in name order as before.

usage: cd_medium.py MEDIUM IMAGE reading|name
"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from medium import build  # noqa: E402
from medium.check import Medium  # noqa: E402
from medium.image import make_image  # noqa: E402
from medium.reading_order import reading_order  # noqa: E402
from medium.tree import FolderTree  # noqa: E402


def main(root, image, order):
    epoch = build.source_date_epoch()
    with tempfile.TemporaryDirectory(dir=os.path.dirname(os.path.abspath(image))) as scratch:
        medium = build.pack(Medium(FolderTree(root)), scratch)
    build.set_times(root, epoch)
    if os.path.exists(image):
        os.remove(image)
    make_image(root, image, epoch, reading_order(medium.files) if order == "reading" else ())


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[3] not in ("reading", "name"):
        sys.exit(__doc__.strip().splitlines()[-1])
    main(*sys.argv[1:])
