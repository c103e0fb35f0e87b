"""NIMBALUN.MED, the mark at a medium's root: it tells a later build that
the folder is a medium of this command, and lists every folder and file the
build wrote there, each file with the SHA-256 of its bytes as stored. The
list travels with the medium, on the CD too, so a check needs nothing
else, and `sha256sum -c NIMBALUN.MED` reads it as well (its other lines
are comments). It also records the SHA-256 of OUT.manifest, the manifest
written beside the medium, so that a later build knows that file for its
own."""
import hashlib

HEADER = "# Nimbalune distribution medium, made by tools/medium."
ABOUT = "# Every folder and file on it but this one; each file with its SHA-256 as stored."
# The mark of the builds before the list.
OLD_MARK = b"Nimbalune distribution medium, made by tools/medium.py.\r\n"
FOLDER = "# folder "
MANIFEST = "# manifest "
# A mark's size: its own lines, and for each name listed the longest line
# that sha256sum -c takes ("SHA256 (name) = hash") with a comment's slack.
MARK_LINES = 4096
LINE_PER_NAME = 96
HEX = frozenset("0123456789abcdefABCDEF")


class Damaged:
    """A mark of this command that cannot be read as a list: the reason."""

    def __init__(self, reason):
        self.reason = reason


class Mark:
    def __init__(self, folders=(), files=None, manifest=""):
        self.folders = list(folders)
        self.files = dict(files or {})   # path: SHA-256
        self.manifest = manifest

    def __eq__(self, other):
        """The same list, whatever the form of its lines."""
        return isinstance(other, Mark) and (sorted(self.folders), self.files, self.manifest) == \
            (sorted(other.folders), other.files, other.manifest)

    def text(self):
        lines = [HEADER, ABOUT, MANIFEST + self.manifest]
        lines += [FOLDER + rel for rel in sorted(self.folders)]
        lines += ["%s  %s" % (self.files[rel], rel) for rel in sorted(self.files)]
        return "".join(line + "\r\n" for line in lines).encode("utf-8", "surrogateescape")


def checksum_line(line):
    """(SHA-256 in lower case, name) of a line that sha256sum -c takes: "HASH
    NAME" with one or two blanks, "HASH *NAME" or "SHA256 (NAME) = HASH";
    None for any other."""
    if line.startswith("SHA256 (") and line[-68:-64] == ") = ":
        digest, name = line[-64:], line[8:-68]
    elif len(line) > 65 and line[64] == " ":
        digest, name = line[:64], line[66:] if line[65] in " *" else line[65:]
    else:
        return None
    return (digest.lower(), name) if len(digest) == 64 and set(digest) <= HEX and name else None


def parse(data):
    """The Mark that data holds; None when it is no mark of this command,
    "old" for the mark of builds before the list, Damaged when it is this
    command's mark but cannot be read. Line ends may be CR LF or LF, as
    sha256sum -c takes them; blank lines are skipped as it skips them."""
    if data.startswith(OLD_MARK):
        return "old"
    if not data.startswith(HEADER.encode("ascii")):
        return None
    try:
        lines = data.decode("utf-8").split("\n")
    except UnicodeError as error:
        return Damaged("byte %d is not UTF-8" % error.start)
    if lines[-1] != "":
        return Damaged("its last line has no line end: it was cut short")
    mark = Mark()
    for number, line in enumerate(lines[:-1], 1):
        line = line[:-1] if line.endswith("\r") else line
        listed = checksum_line(line)
        if line.startswith(FOLDER):
            mark.folders.append(line[len(FOLDER):])
        elif line.startswith(MANIFEST):
            mark.manifest = line[len(MANIFEST):].lower()
        elif line.startswith("#") or not line:
            continue
        elif listed is None:
            return Damaged("line %d is neither a comment nor a SHA-256 and a name" % number)
        elif mark.files.setdefault(listed[1], listed[0]) != listed[0]:
            return Damaged("line %d lists %s a second time" % (number, listed[1]))
    return mark


def longest(tree):
    """The most bytes a mark of the names in tree takes."""
    return MARK_LINES + sum(LINE_PER_NAME + len(rel.encode("utf-8", "surrogateescape"))
                            for rel in tree.folders + tree.files)


def read(tree, rel):
    """The mark at rel in a tree (tree.py or iso_reader.py), parsed as
    parse() does; None when there is none. One larger than a list of the
    tree's names is Damaged, unread."""
    if rel not in tree.files:
        return None
    if tree.sizes[rel] > longest(tree):
        return Damaged("%d bytes, more than a list of this medium's %d names takes (%d): it is no "
                       "list the command wrote" % (tree.sizes[rel], len(tree.folders) + len(tree.files),
                                                   longest(tree)))
    with tree.open(rel) as stream:
        return parse(stream.read(longest(tree)))


def sha256_of(stream):
    digest = hashlib.sha256()
    for block in iter(lambda: stream.read(1 << 20), b""):
        digest.update(block)
    return digest.hexdigest()
