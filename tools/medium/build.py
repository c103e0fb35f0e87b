"""The build: a medium from a product folder, written into OUT with its
image OUT.iso and its manifest OUT.manifest beside it, touching nothing
it does not own (ownership.py says what it owns).

Everything is made in a scratch folder beside OUT; OUT, OUT.iso and
OUT.manifest are replaced together once all three are ready and checked,
and a failed run leaves all three as they were."""
import concurrent.futures
import hashlib
import os
import signal
import sys

from . import check, compressed, mark
from .check import Medium, check_medium
from .image import make_image
from .iso_reader import ImageTree, Unreadable
from .layout import (AUTORUN, AUTORUN_TEXT, DEFAULT_EPOCH, DISTRIBUTION, EARLIEST_EPOCH, GROUP_TEMPLATE,
                     INSTALLED_LIST, LATEST_EPOCH, MARK_NAME, ROOT, SETUP, is_read_in_place, key)
from .ownership import image_of, manifest_of, ownership, parents, preflight
from .scratch import make_scratch, remove_left_behind, remove_tree, take_turn
from .reading_order import reading_order
from .tree import FolderTree, shown

sys.path.insert(0, os.path.join(ROOT, "tools"))
import make_group_template  # noqa: E402  the group template's writer

SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


class Refused(Exception):
    """The failures that stop a build, each "PATH: rule"."""

    def __init__(self, failures):
        super().__init__(failures)
        self.failures = failures


class Usage(Exception):
    """Wrong usage: one sentence."""


class Interrupted(Exception):
    """A signal that ends the command; the scratch folder goes first."""

    def __init__(self, number):
        super().__init__(number)
        self.number = number


def uninterrupted(work, *args):
    """Runs work with the signals held back; one that came meanwhile is
    taken afterwards."""
    signal.pthread_sigmask(signal.SIG_BLOCK, SIGNALS)
    try:
        return work(*args)
    finally:
        signal.pthread_sigmask(signal.SIG_UNBLOCK, SIGNALS)


def source_date_epoch():
    text = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not text:
        return DEFAULT_EPOCH
    if not text.isdigit() or not EARLIEST_EPOCH <= int(text) <= LATEST_EPOCH:
        raise Usage("SOURCE_DATE_EPOCH=%s: give a number of seconds from %d (1980-01-01) to %d "
                    "(2107-12-31), the dates ISO 9660 and Windows 95's disks hold"
                    % (text, EARLIEST_EPOCH, LATEST_EPOCH))
    return int(text)


def product_failures(product, tree):
    """Refusals of the product folder itself, named as the maintainer has
    them, before anything is copied: the rules that need no contents."""
    medium = Medium(tree, root_name=product)
    nested = [rel for rel in tree.folders if rel.count("/") == 1 and key(os.path.basename(rel)) == key(DISTRIBUTION)]
    if medium.find(DISTRIBUTION) is None and nested:
        medium.fail(".", "holds no %s, but the folder one level down holds one: give PRODUCT=%s"
                    % (DISTRIBUTION, shown(os.path.join(product, os.path.dirname(nested[0])))))
        return medium.failures
    for rule in (check.check_entries, check.check_capacity, check.check_size, check.check_file_names,
                 check.check_names):
        rule(medium)
    beside, inner = medium.find(os.path.basename(GROUP_TEMPLATE)), medium.find(GROUP_TEMPLATE)
    if beside and inner:
        medium.fail(beside, "a second group template, beside %s: give one of the two" % inner)
    return medium.failures


def copy_tree(tree, root):
    """The product's folders and files into root, with modes of their own
    (a read-only product gives a writable copy); a file that changes while
    it is copied is refused, so the copy takes no more than was walked."""
    failures = []
    os.mkdir(root, 0o755)
    for rel in tree.folders:
        os.mkdir(os.path.join(root, *rel.split("/")), 0o755)
    for rel in tree.files:
        size, copied = tree.sizes[rel], 0
        with tree.open(rel) as source:
            fd = os.open(os.path.join(root, *rel.split("/")), os.O_WRONLY | os.O_CREAT | os.O_EXCL
                         | os.O_NOFOLLOW, 0o644)
            with os.fdopen(fd, "wb") as target:
                while copied <= size:
                    block = source.read(min(compressed.BLOCK, size + 1 - copied))
                    if not block:
                        break
                    target.write(block)
                    copied += len(block)
        if copied != size:
            failures.append("%s: changed while it was copied (%d bytes, then %d)"
                            % (shown(os.path.join(tree.root, rel)), size, copied))
    return failures


def assemble(product, tree, setup, scratch):
    """The medium as the product gives it, in scratch/medium, and the names
    of moved files as the product has them."""
    root = os.path.join(scratch, "medium")
    failures = copy_tree(tree, root)
    if failures:
        raise Refused(failures)
    medium = Medium(FolderTree(root))
    origin = {}
    files = medium.find(DISTRIBUTION)
    beside = medium.find(os.path.basename(GROUP_TEMPLATE))
    if beside and files:
        os.replace(medium.tree.path(beside), where(medium, GROUP_TEMPLATE))
        origin[key(GROUP_TEMPLATE)] = beside
    elif files and medium.find(GROUP_TEMPLATE) is None:
        write(where(medium, GROUP_TEMPLATE), make_group_template.build())
    with open(setup, "rb") as stream:
        write(os.path.join(root, SETUP), stream.read())
    if medium.find(AUTORUN) is None:
        write(os.path.join(root, AUTORUN), AUTORUN_TEXT)
    if medium.find(MARK_NAME) is not None:
        os.remove(medium.tree.path(medium.find(MARK_NAME)))
    return reread(Medium(FolderTree(root), origin), product)


def reread(medium, product=None):
    return Medium(FolderTree(medium.tree.root), medium.origin, product or medium.root_name)


def where(medium, rel):
    """Where rel is or would go, in the letter case of the folders there."""
    found = medium.find(rel)
    if found is not None:
        return medium.tree.path(found)
    folder = medium.find(os.path.dirname(rel)) if os.path.dirname(rel) else ""
    return os.path.join(medium.tree.path(folder if folder is not None else os.path.dirname(rel)),
                        os.path.basename(rel))


def write(path, data):
    with open(path, "wb") as stream:
        stream.write(data)


def write_installed_list(medium):
    """Writes INSTALLED_LIST, replacing one the product brought, and returns
    the medium as it now is."""
    path = where(medium, INSTALLED_LIST)
    write(path, b"\r\n")                # holds bytes, so its copy step copies
    medium = reread(medium)
    write(path, check.installed_list_text(medium).encode("cp1252"))
    return reread(medium)


def pack(medium, scratch):
    """Compresses what the setup expands, in parallel; an interruption
    drops the files not yet begun."""
    packable = [medium.tree.path(rel) for rel in medium.files
                if key(rel).startswith(key(DISTRIBUTION) + "/") and not is_read_in_place(rel)
                and not medium.is_compressed(rel)]
    pool = concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1)
    try:
        work = [pool.submit(compressed.compress, path, os.path.join(scratch, "pack-%d" % i))
                for i, path in enumerate(packable)]
        for job in work:
            job.result()
    finally:
        pool.shutdown(wait=True, cancel_futures=True)
    return reread(medium)


def write_mark(medium, manifest):
    listed = mark.Mark(medium.folders, {rel: medium.facts(rel, expand=False).stored for rel in medium.files},
                       hashlib.sha256(manifest.encode("utf-8")).hexdigest())
    write(os.path.join(medium.tree.root, MARK_NAME), listed.text())
    return reread(medium)


def set_times(root, epoch):
    for top, dirs, files in os.walk(root, topdown=False):
        for name in files + dirs:
            os.utime(os.path.join(top, name), (epoch, epoch), follow_symlinks=False)
    os.utime(root, (epoch, epoch))


def describe(medium):
    """The stored form of every file, for the maintainer's record."""
    return ["%-10s %s" % ("compressed" if medium.is_compressed(rel) else "plain", shown(rel))
            for rel in medium.files]


def make_parents(folder, made):
    """Creates folder and the folders above it that are missing, and puts
    each one created at the front of made, for removal when the run fails."""
    missing = []
    while not os.path.isdir(folder):
        missing.append(folder)
        folder = os.path.dirname(folder)
    for path in reversed(missing):
        os.mkdir(path)
        made.insert(0, path)


def remove_parents(made):
    for path in made:
        try:
            os.rmdir(path)
        except OSError:
            return


def replace(out, scratch):
    """OUT, its manifest and the image become the new ones together, or,
    when a move fails, stay the old ones."""
    old = os.path.join(scratch, "old")
    os.mkdir(old)
    moves = [(path, os.path.join(old, name)) for path, name in
             ((out, "medium"), (manifest_of(out), "manifest"), (image_of(out), "image"))
             if os.path.lexists(path)]
    moves += [(os.path.join(scratch, "medium"), out), (os.path.join(scratch, "manifest"), manifest_of(out)),
              (os.path.join(scratch, "image"), image_of(out))]
    done = []
    try:
        for source, target in moves:
            os.replace(source, target)
            done.append((source, target))
    except OSError:
        for source, target in reversed(done):
            try:
                os.replace(target, source)
            except OSError:
                pass
        raise


class Outcome:
    """What the command prints once OUT is replaced."""

    def __init__(self):
        self.replaced = False
        self.lines = []


def build(product, setup, out, force=False, outcome=None):
    """Makes the medium; raises Refused with the failures, else OUT, OUT.iso
    and OUT.manifest are the new ones and outcome.lines tells about them."""
    outcome = outcome or Outcome()
    epoch = source_date_epoch()
    failures, tree, product, out = preflight(product, out, force)
    if not failures and not os.path.isfile(setup):
        failures = ["%s: no such setup.exe" % setup]
    if failures:
        raise Refused(failures)
    failures = product_failures(product, tree)
    if failures:
        raise Refused(failures)
    made, turn, scratch = [], None, None
    product_identities = set(tree.identities) | {ident for ident, _ in parents(product)}
    try:
        uninterrupted(make_parents, os.path.dirname(out), made)
        turn = take_turn(out)
        if turn is not None:
            uninterrupted(remove_left_behind, out, product_identities)
        scratch = uninterrupted(make_scratch, out)
        make(product, tree, setup, out, force, scratch, epoch, outcome)
    finally:
        if scratch is not None:
            uninterrupted(remove_tree, scratch)
        if not outcome.replaced:
            uninterrupted(remove_parents, made)
        if turn is not None:
            os.close(turn)
    return outcome


def make(product, tree, setup, out, force, scratch, epoch, outcome):
    medium = assemble(product, tree, setup, scratch)
    # Checked as given, too: a product that comes compressed where files are
    # read in place, or damaged, is the maintainer's to mend.
    failures = check_medium(medium, finished=False)
    if failures:
        raise Refused(failures)
    medium = write_installed_list(medium)
    text = check.manifest_text(medium)
    medium = pack(medium, scratch)
    failures = check_medium(medium, finished=False)
    if not failures and check.manifest_text(medium) != text:
        failures = ["%s: expands to other bytes than the product's files" % DISTRIBUTION]
    if failures:
        raise Refused(failures)
    medium = write_mark(medium, text)
    failures = check_medium(medium)
    if failures:
        raise Refused(failures)
    set_times(medium.tree.root, epoch)
    image = os.path.join(scratch, "image")
    make_image(medium.tree.root, image, epoch, reading_order(medium.files))
    try:
        back = ImageTree(image)
    except Unreadable as error:
        raise Refused(["%s: the image made cannot be read back (%s)" % (image_of(out), error)]) from None
    try:
        failures = check_medium(Medium(back, root_name=image_of(out), suffix=" in the image"))
    finally:
        back.close()
    if failures:
        raise Refused(failures)
    write(os.path.join(scratch, "manifest"), text.encode("utf-8"))
    with open(image, "rb") as stream:
        digest = mark.sha256_of(stream)
    lines = describe(Medium(FolderTree(os.path.join(scratch, "medium"))))
    lines.append("medium: %s, image: %s (%d bytes)" % (out, image_of(out), os.path.getsize(image)))
    lines.append("image SHA-256: %s" % digest)
    # Whatever came into OUT meanwhile is refused as before the work.
    fixed, forced = ownership(out, force)
    if fixed or forced:
        raise Refused(fixed + forced)

    def swap():
        replace(out, scratch)
        outcome.replaced = True
        outcome.lines = lines
    uninterrupted(swap)

