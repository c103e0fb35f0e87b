#!/usr/bin/env python3
"""A model of a 1998 CD-ROM drive, timing an installation's reads from a
medium's image, for scripts/bench-cd.sh.

The drive reads whole sectors at a constant rate and keeps the last sector
it read; a read that begins at the next sector, or in the kept one, follows
on, and any other read costs a seek first (the first read too). Directory
sectors are left out: Windows reads them once and keeps them.

usage: cd_model.py IMAGE TRACE ROOT [FILE...]
  IMAGE  the medium's ISO image, whose file extents place each read
  TRACE  strace -f -y output of read, pread64 and lseek calls
  ROOT   the folder the CD drive shows (the image's files extracted)
  FILE   files read whole before the trace begins (by Windows), in order
Prints the model's parameters and: reads, bytes, seeks, backward seeks,
seconds.
"""
import os
import re
import sys

SECTOR = 2048
RATE = 8 * 153600               # an 8x drive, bytes per second
SEEK = 0.100                    # seconds for each read that does not follow on


class Figures:
    def __init__(self):
        self.reads = self.bytes = self.seeks = self.backward = 0
        self.seconds = 0.0

    def line(self):
        return "reads %d, bytes %d, seeks %d (backward %d), %.2f s" % (
            self.reads, self.bytes, self.seeks, self.backward, self.seconds)


def model(reads, rate=RATE, seek=SEEK, sector=SECTOR):
    """reads: (first byte, byte count) in the image, in order."""
    figures = Figures()
    last = None                 # the sector the drive read last
    for start, count in reads:
        if count <= 0:
            continue
        first, past = start // sector, (start + count + sector - 1) // sector
        figures.reads += 1
        if last is not None and first == last:
            first += 1          # in the kept sector
        elif last is None or first != last + 1:
            figures.seeks += 1
            if last is not None and first < last:
                figures.backward += 1
        figures.bytes += max(0, past - first) * sector
        last = past - 1
    figures.seconds = figures.bytes / rate + figures.seeks * seek
    return figures


CALL = re.compile(r"^(\d+) +(read|pread64|lseek)\((\d+)<([^>]*)>, (.*)\) += (-?\d+)")


def traced_reads(lines, root):
    """(file below root, offset, bytes) of every read of a file below root,
    in the order of the trace; a call split by another thread's is joined."""
    root = os.path.realpath(root) + os.sep
    pending, position, reads = {}, {}, []
    for line in lines:
        line = line.rstrip("\n")
        split = re.match(r"^(\d+) +(.*)<unfinished \.\.\.>$", line)
        if split:
            pending[split.group(1)] = split.group(2)
            continue
        resumed = re.match(r"^(\d+) +<\.\.\. \w+ resumed>(.*)$", line)
        if resumed:
            line = "%s %s%s" % (resumed.group(1), pending.pop(resumed.group(1), ""), resumed.group(2))
        call = CALL.match(line)
        if not call or not call.group(4).startswith(root):
            continue
        pid, name, fd, path, args, result = call.groups()
        rel, result, where = path[len(root):], int(result), (pid, fd, path)
        if name == "lseek":
            position[where] = result
        elif result > 0:
            offset = int(args.rsplit(", ", 1)[1]) if name == "pread64" else position.get(where, 0)
            reads.append((rel, offset, result))
            if name == "read":
                position[where] = offset + result
    return reads


def main(image, trace, root, *first):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
    from medium.iso_reader import ImageTree
    tree = ImageTree(image)
    try:
        extents = {rel: tree.identity(rel) for rel in tree.files}
    finally:
        tree.close()
    with open(trace, encoding="utf-8", errors="surrogateescape") as stream:
        reads = [(rel, 0, extents[rel][1]) for rel in first] + traced_reads(stream, root)
    unknown = sorted({rel for rel, _, _ in reads if rel not in extents})
    if unknown:
        sys.exit("cd_model: %s: read but not in the image %s" % (", ".join(unknown), image))
    figures = model((extents[rel][0] + offset, count) for rel, offset, count in reads)
    print("model: %d-byte sectors, %d bytes/s (8x), %.3f s a seek; %s" % (SECTOR, RATE, SEEK, figures.line()))


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__[__doc__.index("usage:"):].splitlines()[0])
    main(*sys.argv[1:])
