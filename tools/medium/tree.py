"""A folder's names and contents, walked without following links: the
product, a medium folder or a CD's root. An image's tree (iso_reader.py) offers
the same: folders, files, sizes, odd entries, open() and identity()."""
import os
import stat

from .layout import MOST_NAMES


def shown(text):
    """A name as printed: bytes that are not UTF-8 as \\xNN."""
    return os.fsencode(text).decode("utf-8", "backslashreplace")


class FolderTree:
    """Every folder and file below root, as relative paths ("/" separated),
    in sorted order. Entries that are neither a readable file nor a folder
    go to odd as (path, rule); so do links, which are never followed."""

    def __init__(self, root, most=MOST_NAMES):
        self.root = root
        self.folders, self.files, self.odd = [], [], []
        self.sizes = {}
        self.identities = {}            # (st_dev, st_ino) of each folder: its path
        self.too_many = False
        self._ids = {}
        top = os.stat(root)
        self.identities[(top.st_dev, top.st_ino)] = ""
        pending = [""]
        while pending:
            rel = pending.pop()
            try:
                names = sorted(os.listdir(self.path(rel)), reverse=True)
            except OSError as error:
                self.odd.append((rel or ".", "cannot be read (%s)" % error.strerror))
                continue
            for name in names:
                if len(self.folders) + len(self.files) >= most:
                    self.too_many = True
                    return
                child = rel + "/" + name if rel else name
                self._visit(child, pending)
        self.folders.sort()
        self.files.sort()

    def _visit(self, child, pending):
        path = self.path(child)
        try:
            info = os.lstat(path)
        except OSError as error:
            self.odd.append((child, "cannot be read (%s)" % error.strerror))
            return
        if stat.S_ISLNK(info.st_mode):
            self.odd.append((child, link_rule(self.root, child)))
        elif stat.S_ISDIR(info.st_mode):
            self.folders.append(child)
            self.identities.setdefault((info.st_dev, info.st_ino), child)
            pending.append(child)
        elif not stat.S_ISREG(info.st_mode):
            self.odd.append((child, "neither a file nor a folder (a FIFO, socket or device): a CD "
                             "holds none"))
        elif not os.access(path, os.R_OK):
            self.odd.append((child, "cannot be read (Permission denied)"))
        else:
            self.files.append(child)
            self.sizes[child] = info.st_size
            self._ids[child] = (info.st_dev, info.st_ino)

    def path(self, rel):
        return os.path.join(self.root, *rel.split("/")) if rel else self.root

    def identity(self, rel):
        """Files with one identity hold the same bytes (hard links)."""
        return self._ids[rel]

    def open(self, rel):
        """The file's bytes as a stream; never through a link, never a FIFO."""
        fd = os.open(self.path(rel), os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
        if not stat.S_ISREG(os.fstat(fd).st_mode):
            os.close(fd)
            raise OSError(0, "no longer a file", self.path(rel))
        return os.fdopen(fd, "rb")


def link_rule(root, rel):
    """Why a link is refused, naming its target and whether it leads out."""
    path = os.path.join(root, *rel.split("/"))
    try:
        target = os.readlink(path)
    except OSError:
        target = "?"
    real, top = os.path.realpath(path), os.path.realpath(root)
    if not os.path.exists(path):
        where = "to nothing"
    elif real == top or real.startswith(top.rstrip(os.sep) + os.sep):
        where = "inside the folder"
    else:
        where = "outside the folder"
    return ("a link to %s (%s): a medium holds files and folders only, and a link is never "
            "followed; put the file or folder itself there" % (shown(target), where))
