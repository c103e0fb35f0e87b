"""An ISO 9660 image read as Windows 95 reads a CD, from the image's own
bytes: the Joliet tree when the image has one, else the ISO 9660 tree,
never Rock Ridge; each file is the extent and length of its own directory
record, and names are those Windows shows (no version, no trailing dot).
Every record is judged by itself: two records under one Windows name, a
file past the image's end or in several extents are refused, not merged.
Memory and work stay bounded: the directories read add up to no more than
the records of the most names the command reads."""
import os

from .layout import CD_BYTES, MOST_NAMES, key

SECTOR = 2048
FIRST_DESCRIPTOR = 16
ISO_IDENTIFIER = b"CD001"
PRIMARY, SUPPLEMENTARY, TERMINATOR = 1, 2, 255
# The escape sequences of a Joliet descriptor: UCS-2 levels 1, 2 and 3.
JOLIET_ESCAPES = (b"%/@", b"%/C", b"%/E")
# The descriptors read before giving up on a terminator.
MOST_DESCRIPTORS = 64
# Deeper than any medium may be (8 levels): the walk stops there.
DEEPEST = 32
# A directory record: its fixed part, and its flags.
RECORD_FIXED = 33
DIRECTORY, ASSOCIATED, MULTI_EXTENT = 0x02, 0x04, 0x80
# Every directory read, together: the records of the most names, each at
# most 255 bytes, and a sector of slack per folder.
MOST_RECORD_BYTES = MOST_NAMES * 256
# SUSP's "SP" entry opens the root's first record on a Rock Ridge image.
ROCK_RIDGE_MARK = b"SP\x07\x01\xbe\xef"


class Unreadable(Exception):
    """An image that cannot be read as ISO 9660: the reason."""


def looks_like_image(path):
    with open(path, "rb") as stream:
        stream.seek(FIRST_DESCRIPTOR * SECTOR + 1)
        return stream.read(len(ISO_IDENTIFIER)) == ISO_IDENTIFIER


def little(data, at):
    return int.from_bytes(data[at:at + 4], "little")


class Record:
    """One directory record: its name's bytes, flags, extent and length."""

    def __init__(self, data):
        self.data = data
        self.flags = data[25]
        self.start = (little(data, 2) + data[1]) * SECTOR     # after its extended attributes
        self.length = little(data, 10)
        self.interleaved = data[26] or data[27]
        self.identifier = data[RECORD_FIXED:RECORD_FIXED + data[32]]

    def system_use(self):
        return self.data[RECORD_FIXED + len(self.identifier) + (1 - len(self.identifier) % 2):]


def records(data):
    """The records of a directory's bytes; a record never crosses a sector,
    and a zero length byte ends the sector. Raises ValueError on a record
    that does not fit."""
    at = 0
    while at < len(data):
        length = data[at]
        if length == 0:
            at = (at // SECTOR + 1) * SECTOR
            continue
        if length < RECORD_FIXED + 1 or at + length > len(data) or at // SECTOR != (at + length - 1) // SECTOR \
                or RECORD_FIXED + data[at + 32] > length:
            raise ValueError(at)
        yield Record(data[at:at + length])
        at += length


def windows_name(identifier, joliet):
    """A directory record's name as Windows 95 shows it."""
    if joliet:
        name = identifier.decode("utf-16-be", "replace")
    else:
        name = identifier.decode("ascii", "replace")
    base, semicolon, version = name.rpartition(";")
    if semicolon and version.isdigit():
        name = base
    if not joliet and name.endswith(".") and name != ".":
        name = name[:-1]
    return name


class _Extent:
    """A file's bytes in the image, as a stream."""

    def __init__(self, stream, start, length):
        self._stream, self._at, self._left = stream, start, length

    def read(self, count=-1):
        count = self._left if count is None or count < 0 else min(count, self._left)
        self._stream.seek(self._at)
        data = self._stream.read(count)
        self._at += len(data)
        self._left -= len(data)
        return data

    def __enter__(self):
        return self

    def __exit__(self, *_):
        return False


class ImageTree:
    """An image's folders and files under the names Windows reads, each
    file's bytes read in place. Like tree.FolderTree: folders, files, sizes,
    odd, open(rel), identity(rel); joliet and rock_ridge tell the trees."""

    def __init__(self, path, most=MOST_NAMES):
        self.root = path
        self.folders, self.files, self.odd = [], [], []
        self.sizes, self._extents = {}, {}
        self.too_many = False
        self._stream = open(path, "rb")
        try:
            self.length = self._stream.seek(0, os.SEEK_END)        # a CD drive's device too
            if self.length > CD_BYTES + SECTOR * 1024:
                raise Unreadable("an image of %d bytes, more than a CD holds (%d)" % (self.length, CD_BYTES))
            primary, joliet = self._descriptors()
            self.joliet = joliet is not None
            root = joliet or primary
            self.rock_ridge = not self.joliet and self._rock_ridge(root)
            self._budget = MOST_RECORD_BYTES
            self._walk(root, most)
        except BaseException:
            self._stream.close()
            raise
        self.folders.sort()
        self.files.sort()

    def _read(self, start, length):
        self._stream.seek(start)
        return self._stream.read(length)

    def _descriptors(self):
        """The root records of the primary descriptor and of the first Joliet
        one (None when there is none)."""
        primary = joliet = None
        for number in range(FIRST_DESCRIPTOR, FIRST_DESCRIPTOR + MOST_DESCRIPTORS):
            data = self._read(number * SECTOR, SECTOR)
            if len(data) < SECTOR or data[1:6] != ISO_IDENTIFIER:
                break
            if data[0] == TERMINATOR:
                break
            if data[0] in (PRIMARY, SUPPLEMENTARY) and int.from_bytes(data[128:130], "little") != SECTOR:
                raise Unreadable("volume descriptor %d: logical blocks of %d bytes, where CDs have %d"
                                 % (number, int.from_bytes(data[128:130], "little"), SECTOR))
            if data[0] == PRIMARY and primary is None:
                primary = Record(data[156:190])
            elif data[0] == SUPPLEMENTARY and joliet is None and data[88:91] in JOLIET_ESCAPES:
                joliet = Record(data[156:190])
        if primary is None:
            raise Unreadable("it has no primary volume descriptor")
        return primary, joliet

    def _rock_ridge(self, root):
        data = self._read(root.start, min(root.length, SECTOR))
        try:
            first = next(records(data), None)
        except ValueError:
            return False
        return first is not None and first.system_use().startswith(ROCK_RIDGE_MARK)

    def _directory(self, rel, record):
        """The records of a folder, or None with the fault in odd."""
        if record.start + record.length > self.length:
            self.odd.append((rel, "its records lie past the image's end (%d bytes)" % self.length))
            return None
        self._budget -= record.length
        if self._budget < 0:
            raise Unreadable("its folders hold more records than %d names take" % MOST_NAMES)
        try:
            return list(records(self._read(record.start, record.length)))
        except ValueError as error:
            self.odd.append((rel, "a malformed directory record at byte %s of the folder: no CD "
                             "writer makes such an image" % error))
            return None

    def _walk(self, top, most):
        seen = {top.start}
        pending = [("", top, 1)]
        while pending:
            rel, record, depth = pending.pop()
            children = self._directory(rel or ".", record)
            names, continued = {}, None
            for child in children or ():
                if child.identifier in (b"\0", b"\1") or child.flags & ASSOCIATED:
                    continue
                if len(self.folders) + len(self.files) >= most:
                    self.too_many = True
                    return
                name = windows_name(child.identifier, self.joliet)
                sub = rel + "/" + name if rel else name
                if continued == child.identifier:           # a further extent, refused with the first
                    continued = child.identifier if child.flags & MULTI_EXTENT else None
                    continue
                continued = child.identifier if child.flags & MULTI_EXTENT else None
                if key(name) in names:
                    self.odd.append((sub, "a second directory record under the name %s in one folder "
                                     "(Windows compares names without letter case and version): Windows "
                                     "shows both and opens only one; no CD writer makes such an image"
                                     % names[key(name)]))
                    continue
                names[key(name)] = name
                if child.flags & DIRECTORY:
                    self.folders.append(sub)
                    if child.start in seen:
                        self.odd.append((sub, "a folder whose records lead back to another folder: "
                                         "no CD writer makes such an image"))
                    elif depth < DEEPEST:
                        seen.add(child.start)
                        pending.append((sub, child, depth + 1))
                elif child.flags & MULTI_EXTENT:
                    self.odd.append((sub, "a file in several extents (over 4 GB): Windows 95 reads none"))
                elif child.interleaved:
                    self.odd.append((sub, "an interleaved file: the command reads none, and no CD writer "
                                     "for Windows makes one"))
                elif child.start + child.length > self.length:
                    self.odd.append((sub, "its data lies past the image's end (%d bytes)" % self.length))
                else:
                    self.files.append(sub)
                    self.sizes[sub] = child.length
                    self._extents[sub] = (child.start, child.length)

    def unique_bytes(self):
        """The bytes of every file, each extent counted once (hard links
        share one)."""
        return sum(length for _, length in set(self._extents.values()))

    def identity(self, rel):
        return self._extents[rel]

    def open(self, rel):
        return _Extent(self._stream, *self._extents[rel])

    def close(self):
        self._stream.close()
