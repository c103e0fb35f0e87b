"""Ownership: whether the build may replace OUT, OUT.iso and OUT.manifest.

Folders are compared by identity (device and inode), through every folder
of the product and each folder above OUT, so that links and bind mounts
cannot hide an overlap. OUT's NIMBALUN.MED lists what the command wrote
there and the SHA-256 of the manifest it wrote beside; the image must carry
that very mark. Whatever else is in the way is refused, naming it: a
mount point or what is neither file nor folder always, anything else
unless the maintainer asks to replace it (FORCE=1, --force)."""
import os
import re

from . import mark
from .check import Medium
from .iso_reader import ImageTree, Unreadable, looks_like_image
from .layout import MARK_NAME
from .tree import FolderTree, shown

FORCE_HINT = "or replace it anyway with FORCE=1 (make medium) or --force"


def image_of(out):
    return out + ".iso"


def manifest_of(out):
    return out + ".manifest"


def as_the_kernel_reads(path):
    """path, absolute, with its links and each ".." taken in order as the
    kernel takes them (os.path.abspath drops a ".." by its text, which after
    a link names another folder). The last name stays as given, so that a
    link there is seen as one. None when a ".." follows a folder that does
    not exist, which the kernel refuses."""
    full = path if os.path.isabs(path) else os.path.join(os.getcwd(), path)
    head, tail = os.path.split(full.rstrip("/") or "/")
    if tail in ("", ".", ".."):
        head, tail = full, ""
    try:
        head = os.path.realpath(head, strict=True)
    except OSError:
        if ".." in head.split("/"):
            return None
        head = os.path.realpath(head)
    return os.path.join(head, tail) if tail else head


def identity(info):
    return info.st_dev, info.st_ino


def parents(path):
    """(identity, path) of path, when it exists, and of each folder above it
    up to the root, links followed: where it really lies."""
    found = []
    while True:
        try:
            found.append((identity(os.stat(path)), path))
        except OSError:
            pass
        above = os.path.dirname(path)
        if above == path:
            return found
        path = above


def mount_points():
    """The mount points of this process's view, from /proc/self/mountinfo."""
    points = set()
    try:
        with open("/proc/self/mountinfo", encoding="utf-8", errors="surrogateescape") as stream:
            for line in stream:
                fields = line.split()
                if len(fields) > 4:     # spaces and the like as \040
                    points.add(re.sub(r"\\([0-7]{3})", lambda m: chr(int(m.group(1), 8)), fields[4]))
    except OSError:
        pass
    return points


def overlap(product, product_tree, out):
    """Why OUT and the product folder overlap, or "": by identity, through
    every folder of the product and each folder above OUT."""
    above_out = parents(out)
    if above_out and above_out[0][1] == out and above_out[0][0] in product_tree.identities:
        if product_tree.identities[above_out[0][0]] == "":
            return "%s: is the product folder itself: the medium would replace the product's " \
                   "files; give OUT a folder of its own" % out
    for ident, path in above_out:
        if ident in product_tree.identities:
            inner = product_tree.identities[ident]
            return "%s: lies inside the product folder %s%s, which would be copied into itself; " \
                   "give OUT a folder outside it" % (out, product, " (%s is its folder %s)" % (path, inner)
                                                      if inner else "")
    above_product = {ident: path for ident, path in parents(product)}
    if above_out and above_out[0][1] == out and above_out[0][0] in above_product:
        return "%s: contains the product folder %s, which replacing OUT would delete; give OUT a " \
               "folder of its own" % (out, product)
    # A bind mount inside OUT can show the product too: an OUT the command
    # would replace (one with its mark) is walked folder by folder.
    if os.path.isfile(os.path.join(out, MARK_NAME)) and not os.path.islink(out):
        for ident, rel in sorted(FolderTree(out).identities.items(), key=lambda item: item[1]):
            if ident in above_product:
                return "%s: contains the product folder %s%s, which replacing OUT would delete; give " \
                       "OUT a folder of its own" % (out, product, " (as %s)" % os.path.join(out, rel)
                                                    if os.path.join(out, rel) != above_product[ident]
                                                    and rel else "")
    return ""


def owned_out(out):
    """OUT's tree and its mark parsed when OUT is a folder; Nones when it
    is not."""
    if not os.path.isdir(out) or os.path.islink(out):
        return None, None
    tree = FolderTree(out)
    return tree, mark.read(tree, MARK_NAME)


def manifest_sha256(path, tree):
    """The SHA-256 of a file that may be the manifest of the medium tree,
    or "" when it is too large to be one."""
    if os.path.getsize(path) > mark.longest(tree):
        return ""
    with open(path, "rb") as stream:
        return mark.sha256_of(stream)


def ownership(out, force):
    """Refusals of what the build would replace: OUT, OUT.iso, OUT.manifest.
    (failures, failures FORCE lifts)."""
    fixed, forced = [], []
    points = mount_points()
    real = os.path.realpath(out)
    if os.path.lexists(out) and (os.path.islink(out) or not os.path.isdir(out)):
        return ["%s: not a folder: OUT names the folder that the medium replaces" % out], []
    if os.path.isdir(out):
        if os.path.ismount(out) or real in points:
            fixed.append("%s: a mount point: the medium replaces OUT as a whole, which a mount point "
                         "cannot be; give a folder inside it" % out)
        inner = sorted(p for p in points if p.startswith(real.rstrip("/") + "/"))
        for point in inner:
            fixed.append("%s: a mount point inside OUT: the command never deletes through one; "
                         "unmount it or give another OUT" % point)
        if fixed:
            return fixed, []
    tree, listed = owned_out(out)
    ours = isinstance(listed, mark.Mark)
    if tree is not None and (tree.folders or tree.files or tree.odd):
        if listed is None:
            fixed.append("%s: neither empty nor a medium made by this command (it has no %s), so it "
                         "is left as it is; give an empty or new folder" % (out, MARK_NAME))
        elif isinstance(listed, mark.Damaged):
            forced.append("%s: its %s is damaged (%s), so files of yours in it cannot be told apart; "
                          "move them out, %s" % (out, MARK_NAME, listed.reason, FORCE_HINT))
        elif listed == "old":
            forced.append("%s: made by an earlier version of this command, whose %s lists no files, "
                          "so files of yours in it cannot be told apart; move them out, %s"
                          % (out, MARK_NAME, FORCE_HINT))
        else:
            forced += foreign_files(out, tree, listed)
    forced += foreign_beside(manifest_of(out), fixed, lambda path: ours
                             and manifest_sha256(path, tree) == listed.manifest, "manifest")
    forced += foreign_beside(image_of(out), fixed, lambda path: ours and image_mark(path) == listed,
                             "image")
    return fixed, ([] if force else forced)


def foreign_files(out, tree, listed):
    """What a marked OUT holds that the build did not write as it is."""
    forced = []
    known = set(listed.folders) | set(listed.files) | {MARK_NAME}
    for rel, _ in tree.odd:
        forced.append("%s: in OUT, but not written by this command: move it out of OUT, %s"
                      % (shown(os.path.join(out, rel)), FORCE_HINT))
    for rel in tree.folders + tree.files:
        parent = os.path.dirname(rel)
        if rel not in known and (not parent or parent in known):
            forced.append("%s: in OUT, but not written by this command (not in %s's list): move it "
                          "out of OUT, %s" % (shown(os.path.join(out, rel)), MARK_NAME, FORCE_HINT))
    medium = Medium(tree)
    for rel in tree.files:
        if rel in listed.files and medium.facts(rel, expand=False).stored != listed.files[rel]:
            forced.append("%s: changed since this command wrote it (its SHA-256 is not the one %s "
                          "lists): move it out of OUT, %s" % (shown(os.path.join(out, rel)), MARK_NAME,
                                                               FORCE_HINT))
    return forced


def foreign_beside(path, fixed, ours, what):
    """Refusals of the image or manifest beside OUT."""
    if not os.path.lexists(path):
        return []
    if os.path.islink(path) or not os.path.isfile(path):
        fixed.append("%s: not a file, where the build writes OUT's %s; move it away" % (path, what))
        return []
    if ours(path):
        return []
    return ["%s: not the %s this command wrote for OUT (OUT's %s does not vouch for it): move it "
            "away, %s" % (path, what, MARK_NAME, FORCE_HINT)]


def image_mark(path):
    """The mark that an image carries, parsed, or None."""
    try:
        if not looks_like_image(path):
            return None
        tree = ImageTree(path)
    except (OSError, Unreadable):
        return None
    try:
        return mark.read(tree, MARK_NAME)
    finally:
        tree.close()


def preflight(product, out, force=False):
    """Refusals before any work: the product is a folder, and OUT may be
    replaced without harm to anyone's files. Both are named as given and
    read as the kernel reads them. (failures, the product's tree, product,
    out: the folders meant)."""
    named = product, out
    product, out = (as_the_kernel_reads(path) for path in named)
    failures = ["%s: a \"..\" after a folder that does not exist, which the system does not follow; "
                "give the path without it" % given for given, path in zip(named, (product, out)) if path is None]
    if failures:
        return failures, None, product, out
    if not os.path.isdir(product):
        return ["%s: %s" % (product, "not a folder: PRODUCT is the folder of the product's files"
                            if os.path.lexists(product) else "no such product folder")], None, product, out
    product_tree = FolderTree(product)
    if os.path.lexists(out) and (os.path.islink(out) or not os.path.isdir(out)):
        return ["%s: not a folder: OUT names the folder that the medium replaces" % out], product_tree, \
            product, out
    reason = overlap(product, product_tree, out)
    if reason:
        return [reason], product_tree, product, out
    fixed, forced = ownership(out, force)
    return fixed + forced, product_tree, product, out
