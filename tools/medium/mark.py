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
# A mark is small: its lines for the most names a medium may hold.
LONGEST = 64 * 1024 * 1024


class Mark:
    def __init__(self, folders=(), files=None, manifest=""):
        self.folders = list(folders)
        self.files = dict(files or {})   # path: SHA-256
        self.manifest = manifest

    def text(self):
        lines = [HEADER, ABOUT, MANIFEST + self.manifest]
        lines += [FOLDER + rel for rel in sorted(self.folders)]
        lines += ["%s  %s" % (self.files[rel], rel) for rel in sorted(self.files)]
        return "".join(line + "\r\n" for line in lines).encode("utf-8", "surrogateescape")


def parse(data):
    """The Mark that data holds; None when it is no mark of this command,
    "old" for the mark of builds before the list."""
    if data.startswith(OLD_MARK):
        return "old"
    try:
        lines = data.decode("utf-8", "surrogateescape").split("\r\n")
    except UnicodeError:
        return None
    if lines[:1] != [HEADER] or lines[-1] != "":
        return None
    mark = Mark()
    for line in lines[1:-1]:
        if line.startswith(FOLDER):
            mark.folders.append(line[len(FOLDER):])
        elif line.startswith(MANIFEST):
            mark.manifest = line[len(MANIFEST):]
        elif line.startswith("#"):
            continue
        elif len(line) > 66 and line[64:66] == "  " and all(c in "0123456789abcdef" for c in line[:64]):
            mark.files[line[66:]] = line[:64]
        else:
            return None
    return mark


def read(tree, rel):
    """The mark at rel in a tree (tree.py or image.py), parsed as parse()
    does; None when there is none or it is too large to be one."""
    if rel not in tree.files or tree.sizes[rel] > LONGEST:
        return None
    with tree.open(rel) as stream:
        return parse(stream.read(LONGEST))


def sha256_of(stream):
    digest = hashlib.sha256()
    for block in iter(lambda: stream.read(1 << 20), b""):
        digest.update(block)
    return digest.hexdigest()
