"""The ISO 9660 image: written with Joliet names by xorriso, and read as
Windows 95 reads a CD: the Joliet tree when there is one, else the ISO 9660
names as Windows shows them (no version, no trailing dot), never Rock Ridge.
Reading uses Debian's python3-pycdlib for the trees and streams each file's
bytes straight from the image, with bounded memory and no extraction."""
import os
import subprocess
import sys

from .layout import CD_BYTES, MOST_NAMES, VOLUME_ID

SECTOR = 2048
# The first volume descriptor of an ISO 9660 image, at sector 16.
ISO_IDENTIFIER_OFFSET = 16 * SECTOR + 1
ISO_IDENTIFIER = b"CD001"
# Deeper than any medium may be (8 levels): the walk stops there.
DEEPEST = 32


def _pycdlib():
    """Debian's python3-pycdlib; a Python other than Debian's (pyenv, a
    virtual environment) does not look in Debian's folder by itself."""
    try:
        import pycdlib
    except ImportError:
        debian = "/usr/lib/python3/dist-packages"
        if debian in sys.path or not os.path.isdir(os.path.join(debian, "pycdlib")):
            raise
        sys.path.append(debian)
        import pycdlib
    return pycdlib


def xorriso(*args, epoch=None):
    """Runs xorriso on file names in UTF-8; its chatter is shown only when it fails."""
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    result = subprocess.run(["xorriso", "-no_rc", "-report_about", "FAILURE", "-local_charset",
                             "UTF-8"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            env=env, check=False)
    if result.returncode:
        lines = result.stdout.decode("utf-8", "replace").strip().splitlines()
        raise RuntimeError("xorriso failed%s" % (": " + lines[-1] if lines else ""))


def make_image(root, image, epoch, order=()):
    """An ISO 9660 image with Joliet names, for Windows 95, and no Rock Ridge,
    whose owners and modes would make it depend on the builder's machine.
    The data of the files in order (medium paths) lie in that order, before
    any other file's: each gets a sort weight, the highest first. The weights
    go through a file of xorriso commands, one line a file: names hold no
    double quote, and patterns are off, so every name is taken as it is."""
    weights = image + ".weights"
    with open(weights, "w", encoding="utf-8") as stream:
        for index, rel in enumerate(order):
            stream.write('-find "/%s" -exec sort_weight %d --\n' % (rel, len(order) - index))
    try:
        xorriso("-outdev", image, "-volid", VOLUME_ID, "-joliet", "on", "-rockridge", "off",
                "-iso_rr_pattern", "off", "-map", root, "/", "-options_from_file", weights, "-commit",
                epoch=epoch)
    finally:
        os.remove(weights)


def looks_like_image(path):
    with open(path, "rb") as stream:
        stream.seek(ISO_IDENTIFIER_OFFSET)
        return stream.read(len(ISO_IDENTIFIER)) == ISO_IDENTIFIER


class Unreadable(Exception):
    """An image that cannot be read as ISO 9660: the reason."""


class _Budget:
    """The image's file for pycdlib, which may read at most so many bytes:
    directories that loop back would otherwise be read without end."""

    def __init__(self, stream, budget):
        self._stream, self._left = stream, budget

    def read(self, count=-1):
        data = self._stream.read(count)
        self._left -= len(data)
        if self._left < 0:
            raise Unreadable("its directories read back more than the image holds (they loop)")
        return data

    def __getattr__(self, name):
        return getattr(self._stream, name)


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


class ImageTree:
    """An image's folders and files under the names Windows reads, each
    file's bytes read in place. Like tree.FolderTree: folders, files, sizes,
    odd, open(rel), identity(rel)."""

    def __init__(self, path, most=MOST_NAMES):
        self.root = path
        self.folders, self.files, self.odd = [], [], []
        self.sizes, self._extents = {}, {}
        self.too_many = False
        self.joliet = False
        self._stream = open(path, "rb")
        self.length = self._stream.seek(0, os.SEEK_END)        # a CD drive's device too
        self._stream.seek(0)
        if self.length > CD_BYTES + SECTOR * 1024:
            raise Unreadable("an image of %d bytes, more than a CD holds (%d)" % (self.length, CD_BYTES))
        pycdlib = _pycdlib()
        iso = pycdlib.PyCdlib()
        try:
            iso.open_fp(_Budget(self._stream, self.length + 16 * SECTOR))
        except Unreadable:
            raise
        except (pycdlib.pycdlibexception.PyCdlibException, ValueError, IndexError, KeyError,
                UnicodeError, OverflowError, RecursionError) as error:
            raise Unreadable("pycdlib: %s" % (str(error) or type(error).__name__)) from None
        self.joliet = iso.joliet_vd is not None
        self.rock_ridge = bool(iso.rock_ridge)
        vd = iso.joliet_vd if self.joliet else iso.pvd
        self._walk(vd.root_directory_record(), most)
        self.folders.sort()
        self.files.sort()

    def _walk(self, top, most):
        seen = {top.extent_location()}
        pending = [("", top, 1)]
        while pending:
            rel, record, depth = pending.pop()
            for child in record.children:
                if child.is_dot() or child.is_dotdot() or child.is_associated_file():
                    continue
                if len(self.folders) + len(self.files) >= most:
                    self.too_many = True
                    return
                name = windows_name(child.file_identifier(), self.joliet)
                sub = rel + "/" + name if rel else name
                if child.is_dir():
                    self.folders.append(sub)
                    if child.extent_location() in seen:
                        self.odd.append((sub, "a folder whose records lead back to another folder: "
                                         "no CD writer makes such an image"))
                    elif depth < DEEPEST:
                        seen.add(child.extent_location())
                        pending.append((sub, child, depth + 1))
                    continue
                start, length = child.extent_location() * SECTOR, child.get_data_length()
                if child.file_flags & (1 << 7):
                    self.odd.append((sub, "a file in several extents (over 4 GB): Windows 95 "
                                     "reads none"))
                elif start + length > self.length:
                    self.odd.append((sub, "its data lies past the image's end (%d bytes)" % self.length))
                else:
                    self.files.append(sub)
                    self.sizes[sub] = length
                    self._extents[sub] = (start, length)

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
