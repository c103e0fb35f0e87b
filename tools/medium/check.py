"""The rules a medium keeps, checked on a folder (tree.py) or an image
(iso_reader.py) alike: each failure one line "PATH: rule". The cheap rules
(names and sizes) come first and bound the work of the others, which read
contents."""
import hashlib
import os
import unicodedata

from . import compressed, mark
from .layout import (AUTORUN, CD_BYTES, CLUSTER, CODE_PAGE, COPIED_FOLDERS, COPY_STEPS, CREATED_FOLDERS,
                     CREATED_SUBFOLDERS, DEVICE_NAMES, DISTRIBUTION, EVERY_FILE, FILE_NAMES,
                     FORBIDDEN_CHARACTERS, FREE_SPACE_ASKED, GROUP_OFFSETS, GROUP_TEMPLATE,
                     INSTALLED_LIST, ISO_DEPTH, JOLIET_FORBIDDEN, JOLIET_NAME_LENGTH, MARK_NAME,
                     MOST_NAMES, OBSOLETE_FILES, PATH_LENGTH, PROGRAM_SIGNATURE, READ_IN_PLACE_FILES,
                     READ_IN_PLACE_TREES, REQUIRED, is_read_in_place, key)
from .short_names import check_short_names
from .tree import shown

AUTORUN_LONGEST = 65536


class Facts:
    """What one read of a stored file tells: its SHA-256 as stored and, for
    a file the setup copies, as expanded, the expanded length, its first
    bytes and the damage ("" when the copy arrives whole)."""

    def __init__(self, stored, expanded=None, length=0, head=b"", damage=""):
        self.stored, self.expanded, self.length, self.head, self.damage = \
            stored, expanded, length, head, damage


class _Hashed:
    """A stream whose bytes, as they are read, go into a SHA-256."""

    def __init__(self, stream):
        self.stream, self.digest = stream, hashlib.sha256()

    def read(self, count=-1):
        data = self.stream.read(count)
        self.digest.update(data)
        return data


class Medium:
    """A medium's names, looked up as Windows would, and its failures."""

    def __init__(self, tree, origin=None, root_name=None, suffix=""):
        self.tree = tree
        # How failures name the root, and what follows each path ("in the
        # image" when the build reads its image back).
        self.root_name, self.suffix = root_name or tree.root, suffix
        self.folders, self.files = tree.folders, tree.files
        self.failures = []
        self.by_key = {}
        # Names to give in failures for files that lie elsewhere in the
        # product (a group template beside Files.ins).
        self.origin = origin or {}
        self._facts, self._heads = {}, {}
        for rel in self.folders + self.files:
            self.by_key.setdefault(key(rel), rel)

    def fail(self, rel, rule):
        name = self.root_name if rel == "." else self.origin.get(key(rel), rel)
        self.failures.append("%s%s: %s" % (shown(name), self.suffix, rule))

    def find(self, rel):
        return self.by_key.get(key(rel))

    def is_file(self, rel):
        return rel in self.tree.sizes

    def head(self, rel):
        """The first bytes of the stored file: enough for its header."""
        if rel not in self._heads:
            with self.tree.open(rel) as stream:
                self._heads[rel] = stream.read(compressed.HEADER_LENGTH)
        return self._heads[rel]

    def expanded_size(self, rel):
        return compressed.expanded_length(self.head(rel), self.tree.sizes[rel])

    def is_compressed(self, rel):
        return compressed.is_compressed_data(self.head(rel))

    def facts(self, rel, expand=True):
        """Facts of rel, read once for every file of one identity."""
        if (self.tree.identity(rel), True) in self._facts:
            return self._facts[(self.tree.identity(rel), True)]
        identity = (self.tree.identity(rel), expand)
        if identity not in self._facts:
            with self.tree.open(rel) as stream:
                hashed = _Hashed(stream)
                if expand:
                    digest, parts = hashlib.sha256(), {"length": 0, "head": b""}

                    def sink(block):
                        digest.update(block)
                        parts["length"] += len(block)
                        if len(parts["head"]) < len(PROGRAM_SIGNATURE):
                            parts["head"] += block[:len(PROGRAM_SIGNATURE)]
                    damage = compressed.expand(hashed, sink)
                for _ in iter(lambda: hashed.read(compressed.BLOCK), b""):
                    pass
            if expand:
                self._facts[identity] = Facts(hashed.digest.hexdigest(), digest.hexdigest(), parts["length"],
                                              parts["head"], damage)
            else:
                self._facts[identity] = Facts(hashed.digest.hexdigest())
        return self._facts[identity]

    def expanded_start(self, rel, count):
        """The first count bytes the setup's copy makes of rel."""
        parts = []
        with self.tree.open(rel) as stream:
            compressed.expand(stream, parts.append, limit=count)
        return b"".join(parts)


def copy_rows(medium):
    """Each copy step's files as the copier meets them: [(medium path,
    installed path)], the installed path relative to the installation
    folder."""
    rows = []
    for folder, name, destination in COPY_STEPS:
        rows.append([(rel, "/".join(filter(None, (destination, os.path.basename(rel)))))
                     for rel in medium.files if key(os.path.dirname(rel)) == key(folder)
                     and (name == EVERY_FILE or key(os.path.basename(rel)) == key(name))])
    return rows


def installed_files(medium):
    """What an installation leaves in the installation folder: (medium path,
    installed path) in the order of the installed paths. The one source of
    the manifest, the installed list and its check."""
    obsolete = {key(f) for f in OBSOLETE_FILES}
    kept = {}
    for row in copy_rows(medium):
        # A step whose files hold no byte at all copies nothing.
        if sum(medium.tree.sizes[rel] for rel, _ in row) == 0:
            continue
        for rel, target in row:
            if key(target) not in obsolete:
                kept[key(target)] = (rel, target)
    return [kept[k] for k in sorted(kept)]


def installed_list_text(medium):
    return "".join("%s\r\n" % target.replace("/", "\\") for _, target in installed_files(medium))


def manifest_text(medium):
    """Each installed path with the SHA-256 of the bytes the setup writes."""
    return "".join("%s %s\n" % (medium.facts(rel).expanded, target) for rel, target in installed_files(medium))


# The cheap rules: names, kinds and sizes.

def check_entries(medium):
    for rel, rule in medium.tree.odd:
        medium.fail(rel, rule)


def check_capacity(medium):
    if medium.tree.too_many:
        medium.fail(".", "holds more than %d files and folders: the command reads no more" % MOST_NAMES)
    stored = sum(medium.tree.sizes.values())
    if stored > CD_BYTES:
        medium.fail(".", "holds %d bytes, more than a CD holds (%d, 80 minutes)" % (stored, CD_BYTES))
    unique = getattr(medium.tree, "unique_bytes", None)
    if unique and unique() > medium.tree.length:
        medium.fail(".", "its files' data add up to more than the image holds: their extents overlap")


def check_required(medium):
    for rel, what, _ in REQUIRED:
        found = medium.find(rel)
        if found is None or not medium.is_file(found):
            medium.fail(rel, "missing: %s" % what)
    found = medium.find(DISTRIBUTION)
    if found is None or medium.is_file(found):
        medium.fail(DISTRIBUTION, "missing: the folder of everything the setup installs")


def check_file_names(medium):
    """Names the build writes or the setup reads as files."""
    for name in FILE_NAMES:
        found = medium.find(name)
        if found is not None and found in medium.folders:
            medium.fail(found, "a folder, where the medium needs a file of this name; remove or "
                        "rename the folder")
    found = medium.find(DISTRIBUTION)
    if found is not None and medium.is_file(found):
        medium.fail(found, "a file, where the medium needs the folder of everything the setup "
                    "installs")


def check_read_in_place(medium):
    for rel in medium.files:
        if is_read_in_place(rel) and medium.is_compressed(rel):
            medium.fail(rel, "stored compressed, but read in place (%s, and all under %s/ and "
                        "%s/): store it as it is" % ((", ".join(READ_IN_PLACE_FILES),)
                                                     + READ_IN_PLACE_TREES))


def check_copied(medium):
    copied = {key(DISTRIBUTION + "/" + f) for f in COPIED_FOLDERS}
    listed = "%s (its own files) and %s" % (DISTRIBUTION, ", ".join(DISTRIBUTION + "/" + f
                                                                     for f in COPIED_FOLDERS))
    for rel in medium.folders:
        parent = os.path.dirname(rel)
        # Only the topmost folder that no step copies is named.
        if key(rel).startswith(key(DISTRIBUTION) + "/") and key(rel) not in copied and \
                (key(parent) == key(DISTRIBUTION) or key(parent) in copied):
            medium.fail(rel, "no copy step copies this folder, so the installation would leave it "
                        "behind; the folders copied are " + listed)


def check_installed_names(medium):
    """Copied files that the installation cannot write or deletes again."""
    created = {key(f): f for f in CREATED_SUBFOLDERS}
    obsolete = {key(f) for f in OBSOLETE_FILES}
    seen = {}
    for row in copy_rows(medium):
        for rel, target in row:
            if key(target) in created:
                medium.fail(rel, "named like the folder %s that the installation creates before "
                            "the copy, so it cannot be written there" % created[key(target)])
            elif key(target) in obsolete and key(rel) != key(GROUP_TEMPLATE):
                medium.fail(rel, "the installation deletes %s after the copy (it deletes %s): "
                            "rename it" % (target, ", ".join(OBSOLETE_FILES)))
            elif seen.setdefault(key(target), rel) != rel:
                medium.fail(rel, "installed as %s, as %s is: one would overwrite the other"
                            % (target, seen[key(target)]))


def check_expansion(medium):
    """Each file the check expands, by the length its header gives, before
    any is expanded: none may exceed the space the whole installation asks."""
    for rel in copied_files(medium):
        if medium.is_compressed(rel) and medium.expanded_size(rel) > FREE_SPACE_ASKED:
            medium.fail(rel, "expands to %d bytes, its compressed header says, more than the %d bytes "
                        "the whole installation asks for: the check expands none of it"
                        % (medium.expanded_size(rel), FREE_SPACE_ASKED))


def check_size(medium):
    def clusters(size):
        return max(1, (size + CLUSTER - 1) // CLUSTER)
    needed = CREATED_FOLDERS * CLUSTER
    for rel, _ in installed_files(medium):
        needed += clusters(medium.expanded_size(rel)) * CLUSTER
    if needed > FREE_SPACE_ASKED:
        medium.fail(DISTRIBUTION, "the installation needs %d bytes (%.1f MB) on a disk of 32 KB "
                    "clusters, but the setup asks only for more than %d MB free (%d bytes)"
                    % (needed, needed / 1048576.0, FREE_SPACE_ASKED // 1048576, FREE_SPACE_ASKED))


def name_fault(name):
    """Why Windows 95 or a CD cannot hold a name, or ""."""
    try:
        name.encode("utf-8")
    except UnicodeEncodeError:
        return "a name that is not UTF-8, in which this machine's names are read: rename it in " \
               "UTF-8 (Windows-1252 letters such as \u00e9 are fine)"
    try:
        name.encode(CODE_PAGE)
    except UnicodeEncodeError:
        composed = unicodedata.normalize("NFC", name)
        if composed != name and composed.encode(CODE_PAGE, "ignore").decode(CODE_PAGE) == composed:
            return "a name written decomposed (NFD, letters and accents apart, as a Mac writes " \
                   "names), outside Windows-1252: rename it in the composed form (NFC), %s, which " \
                   "Windows 95 can open" % shown(composed)
        return "a name with characters outside Windows-1252, the code page of the setup's file " \
               "calls: Windows 95 could not open it"
    if FORBIDDEN_CHARACTERS & set(name):
        return 'a name with a character Windows names cannot hold (\\ / : * ? " < > | or a ' \
               'control character)'
    if JOLIET_FORBIDDEN & set(name):
        return "a name with a ';', which Joliet names cannot hold (it separates a version number)"
    if name.endswith((" ", ".")):
        return "a name ending in a dot or a blank, which Windows drops"
    if name.split(".")[0].rstrip(" ").upper() in DEVICE_NAMES:
        return "a device's name (%s): Windows 95 opens the device instead" % ", ".join(sorted(DEVICE_NAMES))
    if len(name) > JOLIET_NAME_LENGTH:
        return "name of %d characters: Joliet names hold at most %d" % (len(name), JOLIET_NAME_LENGTH)
    return ""


def check_names(medium):
    seen = {}
    for rel in medium.folders + medium.files:
        other = seen.setdefault(key(rel), rel)
        if other != rel:
            medium.fail(rel, "differs from %s only by letter case: Windows takes both for one file"
                        % shown(other))
        fault = name_fault(rel.split("/")[-1])
        if fault:
            medium.fail(rel, fault)
        elif len(rel) + 1 > PATH_LENGTH:
            medium.fail(rel, "path of %d characters, with its leading \\: Joliet paths hold at most %d "
                        "(240 bytes)" % (len(rel) + 1, PATH_LENGTH))
    for rel in medium.folders:
        if rel.count("/") + 2 > ISO_DEPTH:
            medium.fail(rel, "folder %d levels deep: an ISO 9660 image holds at most %d, the root "
                        "counted" % (rel.count("/") + 2, ISO_DEPTH))


# The rules that read contents, within the bounds the cheap rules keep.

def check_compressed(medium):
    for rel in copied_files(medium):
        damage = medium.facts(rel).damage
        if damage:
            medium.fail(rel, damage + "; the setup would fail to copy it")


def copied_files(medium):
    return sorted({rel for row in copy_rows(medium) for rel, _ in row})


def check_programs(medium):
    for rel, what, program in REQUIRED:
        found = medium.find(rel)
        if not program or found is None or not medium.is_file(found):
            continue
        if is_read_in_place(found):     # Windows runs it as stored: never expanded
            if medium.is_compressed(found):
                continue                # said by check_read_in_place
            head = medium.head(found)[:len(PROGRAM_SIGNATURE)]
        else:
            facts = medium.facts(found)
            head = PROGRAM_SIGNATURE if facts.damage else facts.head
        if head != PROGRAM_SIGNATURE:
            medium.fail(found, "not a program: %s; a program starts with \"MZ\", and this one %s"
                        % (what, "is empty" if medium.tree.sizes[found] == 0 else "does not"))


def check_group_template(medium):
    found = medium.find(GROUP_TEMPLATE)
    if found is None or not medium.is_file(found) or medium.facts(found).damage:
        return                          # said by check_required or check_compressed
    data = medium.expanded_start(found, max(GROUP_OFFSETS) + 1)
    if len(data) <= max(GROUP_OFFSETS) or not data.startswith(b"PMCC"):
        medium.fail(found, "not a Program Manager group the setup can patch: it must start with "
                    "\"PMCC\" and be longer than %d bytes" % max(GROUP_OFFSETS))
        return
    bad = [str(o) for o in GROUP_OFFSETS if not (0x41 <= (data[o] & 0xDF) <= 0x5A)]
    if bad:
        medium.fail(found, "the setup patches a drive letter at offsets %s, but there is none at %s"
                    % (", ".join(map(str, GROUP_OFFSETS)), ", ".join(bad)))


def autorun_program(text):
    """The program that the [autorun] section's open= line starts, or None."""
    section = ""
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("["):
            section = line.strip("[]").strip().lower()
        elif section == "autorun" and line.split("=", 1)[0].strip().lower() == "open" and "=" in line:
            command = line.split("=", 1)[1].strip()
            if command.startswith('"'):
                return command[1:].split('"', 1)[0]
            return command.split()[0] if command else ""
    return None


def check_autorun(medium):
    found = medium.find(AUTORUN)
    if found is None or not medium.is_file(found):
        return
    with medium.tree.open(found) as stream:
        program = autorun_program(stream.read(AUTORUN_LONGEST).decode(CODE_PAGE, "replace"))
    if program is None:
        return
    rel = program.replace("\\", "/").lstrip("/")
    if not any(medium.find(r) in medium.tree.sizes for r in (rel, rel + ".exe") if rel):
        medium.fail(found, "open=%s starts a program that is not on the medium, so inserting the "
                    "CD would start nothing" % program)


# The rules of a finished medium: what the build writes.

def check_installed_list(medium):
    """Files.ins/Uninstal.lst names exactly the files the setup copies."""
    found = medium.find(INSTALLED_LIST)
    if found is None or not medium.is_file(found):
        medium.fail(INSTALLED_LIST, "missing: the list of installed files that the uninstaller "
                    "removes; make the medium with make medium, which writes it")
        return
    expected = installed_list_text(medium)
    data = medium.expanded_start(found, len(expected.encode(CODE_PAGE, "replace")) + 1)
    if data == expected.encode(CODE_PAGE, "replace"):
        return
    listed = data.decode(CODE_PAGE, "replace").split("\r\n")
    listed = set(listed[:-1] if listed[-1] == "" else listed)
    for rel, target in installed_files(medium):
        if target.replace("/", "\\") not in listed:
            medium.fail(rel, "copied by the setup but not listed in %s, so the uninstaller would leave "
                        "it behind" % found)
    copied = {target.replace("/", "\\") for _, target in installed_files(medium)}
    for line in sorted(listed - copied):
        medium.fail(found, "lists %s, which the setup does not copy" % shown(line))
    if listed == copied:
        medium.fail(found, "not the list the build writes: one installed path a line, in the "
                    "installed paths' order, each ended by CR LF")


def check_list(medium):
    """Every name and byte on the medium is the one NIMBALUN.MED lists."""
    found = medium.find(MARK_NAME)
    listed = mark.read(medium.tree, found) if found is not None else None
    if isinstance(listed, mark.Damaged):
        medium.fail(found, "damaged: %s; make the medium again with make medium" % listed.reason)
        return
    if listed is None or listed == "old":
        medium.fail(MARK_NAME, "missing: the list of every file's SHA-256 that the check compares "
                    "the medium with%s; make the medium with make medium, which writes it"
                    % (" (this mark is from a build before the list)" if listed == "old" else ""))
        return
    names = set(medium.folders + medium.files) - {found}
    for rel in sorted(names - set(listed.folders) - set(listed.files)):
        medium.fail(rel, "on the medium but not in %s's list: not a file the build wrote, or a name "
                    "changed on the way to the medium" % MARK_NAME)
    for rel in sorted((set(listed.folders) | set(listed.files)) - names):
        medium.fail(rel, "listed in %s but not on the medium under this name, so Windows would not "
                    "find it" % MARK_NAME)
    for rel in listed.files:
        if rel in medium.tree.sizes and medium.facts(rel, expand=False).stored != listed.files[rel]:
            medium.fail(rel, "its bytes differ from the SHA-256 that %s lists: the medium is damaged"
                        % MARK_NAME)


# The rules that bound the work: a medium within a CD's bytes whose
# installation fits the free space asked.
BOUNDS = (check_capacity, check_expansion, check_size)
CHEAP = (check_entries, check_required, check_file_names, check_read_in_place, check_copied, check_installed_names,
         check_names, check_short_names)
CONTENTS = (check_compressed, check_programs, check_group_template, check_autorun)
FINISHED = (check_installed_list, check_list)


def check_medium(medium, finished=True):
    """The failures of a medium; finished adds the rules of what the build
    writes. Contents are read only within the bounds, so the work stays
    within a CD's bytes and the installation's size."""
    before = len(medium.failures)
    for rule in BOUNDS:
        rule(medium)
    bounded = len(medium.failures) == before
    for rule in CHEAP + (CONTENTS + (FINISHED if finished else ()) if bounded else ()):
        rule(medium)
    return medium.failures
