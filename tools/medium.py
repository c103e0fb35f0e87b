#!/usr/bin/env python3
"""Builds and checks the Nimbalune distribution medium.

usage: medium.py build --product DIR --setup SETUP_EXE --out DIR [--preflight]
       medium.py check DIR_OR_ISO

build  makes a medium from a product folder as the maintainer has it,
       uncompressed: Readme.exe, Lisezmoi.exe and Files.ins with its folders
       (and, optionally, nimbalun.grp in Files.ins or beside it). It adds
       setup.exe, AUTORUN.INF (unless the product brings its own), the group
       template when the product has none, and NIMBALUN.MED, the mark by
       which a later build knows OUT for a medium of its own; stores every file
       that is not read in place LZ-compressed (mscompress) under its own
       name when that makes it smaller; writes OUT.manifest (what an
       installation must produce, with the SHA-256 of each file's expanded
       contents), Files.ins/Uninstal.lst (the installed paths, which the
       setup installs for the uninstaller) and nimbalune.iso beside OUT, an
       ISO 9660 image with Joliet names (xorriso) that is read back and
       compared with the medium. Every file and folder carries the time
       SOURCE_DATE_EPOCH (default 2000-01-01), so the same product and
       setup.exe give the same bytes; the image's SHA-256 is printed.
       Before any work it refuses an OUT that is, lies inside or contains
       PRODUCT, and an OUT that is neither empty nor a medium it made.
       Everything is made in a scratch folder beside OUT (".OUT.medium-
       scratch-PID"), which an interruption removes and a later run removes
       when its process is gone; OUT is replaced only when every check
       passed. --preflight checks PRODUCT and OUT alone.
check  checks a medium already made, the root of a CD or an ISO image:
       the same rules.

Exit status: 0 done; 1 refused, each failure one line "PATH: rule"; 2 wrong
usage; 3 could not finish (a tool or the file system failed: one sentence);
128 + the signal's number when interrupted (SIGINT, SIGTERM, SIGHUP).
"""
import argparse
import concurrent.futures
import hashlib
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The layout that setup.exe is built with: copy steps, created folders,
# obsolete files, group template offsets, the free space asked.
LAYOUT_FILE = os.path.join(ROOT, "install", "medium_layout.def")


def read_layout(path):
    """The entries of the layout table: {"COPY_STEP": [[arg, ...], ...], ...},
    string literals unescaped, integers as int, names as they are."""
    argument = re.compile(r'"(?:[^"\\]|\\.)*"|[^,\s][^,]*')
    table = {}
    with open(path, encoding="utf-8") as stream:
        for line in stream:
            entry = re.match(r"NL_([A-Z_]+)\((.*)\)\s*$", line)
            if not entry:
                continue
            args = []
            for arg in argument.findall(entry.group(2)):
                arg = arg.strip()
                if arg.startswith('"'):
                    args.append(re.sub(r"\\(.)", r"\1", arg[1:-1]))
                else:
                    args.append(int(arg) if arg.isdigit() else arg)
            table.setdefault(entry.group(1), []).append(args)
    return table


def _relative(suffix):
    """A layout path ("\\Instruct.htm\\Images") as a medium path ("Instruct.htm/Images")."""
    return suffix.replace("\\", "/").strip("/")


_LAYOUT = read_layout(LAYOUT_FILE)
DISTRIBUTION = _LAYOUT["DISTRIBUTION_FOLDER"][0][0]
CREATED_SUBFOLDERS = tuple(_relative(s) for (s,) in _LAYOUT["INSTALL_SUBDIRECTORY"])
OBSOLETE_FILES = tuple(_relative(s) for (s,) in _LAYOUT["OBSOLETE_FILE"])
# Each copy step: the medium folder searched, the name searched ("*.*" for
# every file) and the installed folder that receives them.
COPY_STEPS = tuple((os.path.dirname(_relative(p)), os.path.basename(_relative(p)), _relative(d))
                   for p, d, _ in _LAYOUT["COPY_STEP"])
EVERY_FILE = "*.*"
# The folders of Files.ins that a step copies, and the files taken from
# beside it.
COPIED_FOLDERS = tuple(f[len(DISTRIBUTION) + 1:] for f, n, _ in COPY_STEPS
                       if n == EVERY_FILE and f.startswith(DISTRIBUTION + "/"))
ROOT_COPIES = tuple(n for f, n, _ in COPY_STEPS if not f and n != EVERY_FILE)
GROUP_TEMPLATE = _relative(_LAYOUT["GROUP_TEMPLATE"][0][0])
GROUP_OFFSETS = tuple(o for (o,) in _LAYOUT["GROUP_DRIVE_OFFSET"])
# The destination panel asks for a disk with more than this free; a FAT16
# disk of 1 to 2 GB gives every file and folder clusters of 32 KB.
FREE_SPACE_ASKED = _LAYOUT["MIN_FREE_MEGABYTES"][0][0] * 1048576
CLUSTER = 32768
# The installation folder and the ones created below it.
CREATED_FOLDERS = 1 + len(CREATED_SUBFOLDERS)

# Read where they lie, by Windows, the user or the instructions viewer,
# never expanded.
READ_IN_PLACE_FILES = ("setup.exe", "AUTORUN.INF") + ROOT_COPIES
READ_IN_PLACE_TREES = (DISTRIBUTION + "/Instruct.htm", DISTRIBUTION + "/Instruct.rtf")

# The list of installed files that the build writes into Files.ins, so that
# the setup installs it beside the product and the uninstaller knows what
# to remove: one path a line, relative to the installation folder, with
# backslashes, in Windows-1252, lines ended by CR LF. It lists itself.
INSTALLED_LIST = DISTRIBUTION + "/Uninstal.lst"
AUTORUN = "AUTORUN.INF"
AUTORUN_TEXT = b"[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n"
# The mark a build leaves at the medium's root (never installed: only
# Readme.exe and Lisezmoi.exe are taken from there).
MARK_NAME = "NIMBALUN.MED"
MARK_TEXT = b"Nimbalune distribution medium, made by tools/medium.py.\r\n"
SCRATCH_TAG = ".medium-scratch-"
DEFAULT_EPOCH = 946684800       # 2000-01-01 00:00:00 UTC
VOLUME_ID = "NIMBALUNE"

# What the shortcuts, the uninstall entry and the instructions viewer open.
REQUIRED = (
    ("setup.exe", "the program that installs"),
    ("Readme.exe", "installed as the English instructions shortcut's program"),
    ("Lisezmoi.exe", "installed as the French instructions shortcut's program"),
    (DISTRIBUTION + "/NimbaLun.exe", "the product that the start and start-up shortcuts start"),
    (DISTRIBUTION + "/Configur.exe", "the control panel that its shortcuts start"),
    (DISTRIBUTION + "/Uninstal.exe", "the program of the uninstall entry and shortcut"),
    (DISTRIBUTION + "/Instruct.htm/Francais.htm/nimbalun.htm", "the French HTML instructions"),
    (DISTRIBUTION + "/Instruct.htm/English.htm/nimbalun.htm", "the English HTML instructions"),
    (DISTRIBUTION + "/Instruct.rtf/Francais.rtf/NimbaLun.rtf", "the French RTF instructions"),
    (DISTRIBUTION + "/Instruct.rtf/English.rtf/NimbaLun.rtf", "the English RTF instructions"),
    (GROUP_TEMPLATE, "the Program Manager group template"),
)

JOLIET_NAME_LENGTH = 64
# The first volume descriptor of an ISO 9660 image, at sector 16.
ISO_IDENTIFIER_OFFSET = 16 * 2048 + 1
ISO_IDENTIFIER = b"CD001"
ISO_DEPTH = 8                   # directory levels, the root counted
# The setup's file calls take names in the ANSI code page.
CODE_PAGE = "cp1252"
FORBIDDEN_CHARACTERS = set('\\/:*?"<>|') | {chr(c) for c in range(32)}
DEVICE_NAMES = {"CON", "PRN", "AUX", "NUL"} | {"COM%d" % i for i in range(1, 10)} | \
    {"LPT%d" % i for i in range(1, 10)}

# The LZ compressed format, as the setup's expander reads it.
SIGNATURE = b"SZDD\x88\xf0\x27\x33"
HEADER_LENGTH = 14
METHOD_A = 0x41
RING_SIZE = 4096
RING_START = RING_SIZE - 16


class Interrupted(Exception):
    """A signal that ends the command; the scratch folder goes first."""

    def __init__(self, number):
        super().__init__(number)
        self.number = number


def key(path):
    """Windows compares names without regard to letter case."""
    return path.lower()


def walk(medium, odd=None):
    """Relative paths ("/" separated) of every folder and file below medium.
    Entries that are neither a readable file nor a folder go to odd, as
    (path, rule), when it is given."""
    folders, files = [], []
    odd = [] if odd is None else odd

    def visit(rel):
        try:
            names = sorted(os.listdir(os.path.join(medium, rel)))
        except OSError as error:
            odd.append((rel or ".", "cannot be read (%s)" % error.strerror))
            return
        for name in names:
            child = rel + "/" + name if rel else name
            path = os.path.join(medium, child)
            try:
                mode = os.stat(path).st_mode
            except OSError as error:
                odd.append((child, "a link to nothing" if os.path.islink(path)
                            else "cannot be read (%s)" % error.strerror))
                continue
            if stat.S_ISDIR(mode) and os.path.islink(path):
                odd.append((child, "a link to a folder: give the folder itself"))
            elif stat.S_ISDIR(mode):
                folders.append(child)
                visit(child)
            elif not stat.S_ISREG(mode):
                odd.append((child, "neither a file nor a folder (a FIFO, socket or device): a CD "
                            "holds none"))
            else:
                try:
                    open(path, "rb").close()
                    files.append(child)
                except OSError as error:
                    odd.append((child, "cannot be read (%s)" % error.strerror))
    visit("")
    return folders, files


def read_head(path, count):
    with open(path, "rb") as stream:
        return stream.read(count)


def is_compressed_data(head):
    """As the setup decides: a whole header that starts with the signature.
    Anything else, "SZDD" or not, is copied as it is."""
    return len(head) >= HEADER_LENGTH and head[:len(SIGNATURE)] == SIGNATURE


def is_compressed(path):
    return is_compressed_data(read_head(path, HEADER_LENGTH))


def lz_expand(data):
    """What the setup's copy makes of a stored file: (bytes, "") when the
    copy arrives whole, (None, the damage) when it fails. The reading is the
    setup's own: the length in the header decides, extra data is ignored,
    and a data stream that ends before that length fails."""
    if not is_compressed_data(data):
        return data, ""
    if data[8] != METHOD_A:
        return None, "compressed file with an unknown method %r" % chr(data[8])
    length = int.from_bytes(data[10:14], "little")
    # The window: the ring's initial blanks, then every byte written.
    out = bytearray(b" " * RING_SIZE)
    end = RING_SIZE + length
    at, size = HEADER_LENGTH, len(data)
    while len(out) < end and at < size:
        flags = data[at]
        at += 1
        for bit in range(8):
            if len(out) >= end or at >= size:
                break
            if flags >> bit & 1:
                out.append(data[at])
                at += 1
                continue
            if at + 1 >= size:
                at = size
                break
            low, high = data[at], data[at + 1]
            at += 2
            ring_from = low | (high & 0xF0) << 4
            count = min((high & 0x0F) + 3, end - len(out))
            ring_at = (RING_START + len(out) - RING_SIZE) % RING_SIZE
            start = len(out) - ((ring_at - ring_from - 1) % RING_SIZE + 1)
            if start + count <= len(out):
                out += out[start:start + count]
            else:
                for i in range(count):
                    out.append(out[start + i])
    if len(out) < end:
        return None, "compressed data ends early (%d of %d bytes)" % (len(out) - RING_SIZE, length)
    return bytes(out[RING_SIZE:]), ""


def is_read_in_place(rel):
    return key(rel) in {key(f) for f in READ_IN_PLACE_FILES} or any(
        key(rel).startswith(key(tree) + "/") for tree in READ_IN_PLACE_TREES)


class Medium:
    """A medium's names, looked up as Windows would, and its failures."""

    def __init__(self, root, origin=None):
        self.root = root
        self.odd = []
        self.folders, self.files = walk(root, self.odd)
        self.failures = []
        self.by_key = {}
        # Names to give in failures for files that lie elsewhere in the
        # product (a group template beside Files.ins).
        self.origin = origin or {}
        self.cache = {}
        for rel in self.folders + self.files:
            self.by_key.setdefault(key(rel), rel)

    def fail(self, rel, rule):
        self.failures.append("%s: %s" % (self.origin.get(key(rel), rel), rule))

    def find(self, rel):
        return self.by_key.get(key(rel))

    def path(self, rel):
        return os.path.join(self.root, *rel.split("/"))

    def where(self, rel):
        """Where rel is or would go, in the letter case of the folders there."""
        found = self.find(rel)
        if found is not None:
            return self.path(found)
        folder = self.find(os.path.dirname(rel)) if os.path.dirname(rel) else ""
        return os.path.join(self.path(folder if folder is not None else os.path.dirname(rel)),
                            os.path.basename(rel))

    def expanded(self, rel):
        """The file's contents as the setup installs it, and its damage."""
        if rel not in self.cache:
            with open(self.path(rel), "rb") as stream:
                self.cache[rel] = lz_expand(stream.read())
        return self.cache[rel]


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
    both the manifest and the installed list."""
    obsolete = {key(f) for f in OBSOLETE_FILES}
    kept = {}
    for row in copy_rows(medium):
        # A step whose files hold no byte at all copies nothing.
        if sum(os.path.getsize(medium.path(rel)) for rel, _ in row) == 0:
            continue
        for rel, target in row:
            if key(target) not in obsolete:
                kept[key(target)] = (rel, target)
    return [kept[k] for k in sorted(kept)]


def check_entries(medium):
    for rel, rule in medium.odd:
        medium.fail(rel, rule)


def check_required(medium):
    for rel, what in REQUIRED:
        found = medium.find(rel)
        if found is None or not os.path.isfile(medium.path(found)):
            medium.fail(rel, "missing: %s" % what)
    found = medium.find(DISTRIBUTION)
    if found is None or not os.path.isdir(medium.path(found)):
        medium.fail(DISTRIBUTION, "missing: the folder of everything the setup installs")


def check_group_template(medium):
    found = medium.find(GROUP_TEMPLATE)
    if found is None:
        return
    data, _ = medium.expanded(found)
    if data is None:
        return                          # said by check_compressed
    if len(data) <= max(GROUP_OFFSETS) or not data.startswith(b"PMCC"):
        medium.fail(found, "not a Program Manager group the setup can patch: it must start with "
                    "\"PMCC\" and be longer than %d bytes" % max(GROUP_OFFSETS))
        return
    bad = [str(o) for o in GROUP_OFFSETS if not (0x41 <= (data[o] & 0xDF) <= 0x5A)]
    if bad:
        medium.fail(found, "the setup patches a drive letter at offsets %s, but there is none at %s"
                    % (", ".join(map(str, GROUP_OFFSETS)), ", ".join(bad)))


def check_read_in_place(medium):
    for rel in medium.files:
        if is_read_in_place(rel) and is_compressed(medium.path(rel)):
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


def check_compressed(medium):
    for rel in medium.files:
        _, damage = medium.expanded(rel)
        if damage:
            medium.fail(rel, damage + "; the setup would fail to copy it")


def expanded_size(path):
    head = read_head(path, HEADER_LENGTH)
    if is_compressed_data(head):
        return int.from_bytes(head[10:14], "little")
    return os.path.getsize(path)


def check_size(medium):
    def clusters(size):
        return max(1, (size + CLUSTER - 1) // CLUSTER)
    needed = CREATED_FOLDERS * CLUSTER
    for rel, _ in installed_files(medium):
        needed += clusters(expanded_size(medium.path(rel))) * CLUSTER
    if needed > FREE_SPACE_ASKED:
        medium.fail(DISTRIBUTION, "the installation needs %d bytes (%.1f MB) on a disk of 32 KB "
                    "clusters, but the setup asks only for more than %d MB free (%d bytes)"
                    % (needed, needed / 1048576.0, FREE_SPACE_ASKED // 1048576, FREE_SPACE_ASKED))


def name_fault(name):
    """Why Windows 95 cannot hold a name under the setup's code page, or ""."""
    try:
        name.encode(CODE_PAGE)
    except UnicodeEncodeError:
        return "a name with characters outside Windows-1252, the code page of the setup's file " \
               "calls: Windows 95 could not open it"
    if FORBIDDEN_CHARACTERS & set(name):
        return 'a name with a character Windows names cannot hold (\\ / : * ? " < > | or a ' \
               'control character)'
    if name.endswith((" ", ".")):
        return "a name ending in a dot or a blank, which Windows drops"
    if name.split(".")[0].upper() in DEVICE_NAMES:
        return "a device's name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9): Windows opens " \
               "the device instead"
    return ""


def check_names(medium):
    seen = {}
    for rel in medium.folders + medium.files:
        other = seen.setdefault(key(rel), rel)
        if other != rel:
            medium.fail(rel, "differs from %s only by letter case: Windows takes both for one file" % other)
        name = rel.split("/")[-1]
        fault = name_fault(name)
        if fault:
            medium.fail(rel, fault)
        if len(name) > JOLIET_NAME_LENGTH:
            medium.fail(rel, "name of %d characters: Joliet names hold at most %d"
                        % (len(name), JOLIET_NAME_LENGTH))
    for rel in medium.folders:
        if rel.count("/") + 2 > ISO_DEPTH:
            medium.fail(rel, "folder %d levels deep: an ISO 9660 image holds at most %d, the root "
                        "counted" % (rel.count("/") + 2, ISO_DEPTH))


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
    if found is None or not os.path.isfile(medium.path(found)):
        return
    with open(medium.path(found), "rb") as stream:
        program = autorun_program(stream.read().decode(CODE_PAGE, "replace"))
    if program is None:
        return
    rel = program.replace("\\", "/").lstrip("/")
    if not any(medium.find(r) in medium.files for r in (rel, rel + ".exe") if rel):
        medium.fail(found, "open=%s starts a program that is not on the medium, so inserting the "
                    "CD would start nothing" % program)


CHECKS = (check_entries, check_required, check_read_in_place, check_copied, check_compressed,
          check_group_template, check_installed_names, check_size, check_names, check_autorun)


def check_medium(medium):
    for rule in CHECKS:
        rule(medium)
    return medium.failures


def check(root):
    return check_medium(Medium(root))


def compress(path, work):
    """Stores path compressed under its own name when that makes it smaller.
    mscompress writes NAME_ beside NAME, so it works on a copy in a folder
    of its own: a product file named NAME_ is never overwritten."""
    os.mkdir(work)
    copy = os.path.join(work, os.path.basename(path))
    shutil.copyfile(path, copy)
    subprocess.run(["mscompress", copy], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    if os.path.getsize(copy + "_") < os.path.getsize(path):
        os.replace(copy + "_", path)
    shutil.rmtree(work)


def write_installed_list(medium):
    """Writes INSTALLED_LIST, replacing one the product brought, and returns
    the medium as it now is."""
    path = medium.where(INSTALLED_LIST)
    with open(path, "wb") as stream:
        stream.write(b"\r\n")           # holds bytes, so its copy step copies
    medium = Medium(medium.root, medium.origin)
    text = "".join("%s\r\n" % target.replace("/", "\\") for _, target in installed_files(medium))
    with open(path, "wb") as stream:
        stream.write(text.encode(CODE_PAGE))
    return Medium(medium.root, medium.origin)


def manifest(medium):
    lines = []
    for rel, target in installed_files(medium):
        data, _ = medium.expanded(rel)
        lines.append("%s %s\n" % (hashlib.sha256(data).hexdigest(), target))
    return "".join(lines)


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


def make_image(root, image, epoch):
    """An ISO 9660 image with Joliet names, for Windows 95, and no Rock Ridge,
    whose owners and modes would make it depend on the builder's machine."""
    xorriso("-outdev", image, "-volid", VOLUME_ID, "-joliet", "on", "-rockridge", "off",
            "-map", root, "/", "-commit", epoch=epoch)


def extract_image(image, folder):
    """The image's Joliet tree, as Windows reads the CD, into folder."""
    xorriso("-osirrox", "on", "-indev", image, "-extract", "/", folder)
    for top, dirs, _ in os.walk(folder):
        for name in dirs + [""]:
            os.chmod(os.path.join(top, name), 0o755)


def read_back(image, medium, folder):
    """Failures of the ISO image against the medium it was made from."""
    extract_image(image, folder)
    back = Medium(folder)
    names, expected = set(back.folders + back.files), set(medium.folders + medium.files)
    failures = ["%s: not on the image under this name" % rel for rel in sorted(expected - names)]
    failures += ["%s: on the image but not on the medium" % rel for rel in sorted(names - expected)]
    for rel in medium.files:
        if rel in names:
            with open(medium.path(rel), "rb") as ours, open(back.path(rel), "rb") as theirs:
                if ours.read() != theirs.read():
                    failures.append("%s: reads back from the image with other contents" % rel)
    return failures


def set_times(root, epoch):
    for top, dirs, files in os.walk(root, topdown=False):
        for name in files + dirs:
            os.utime(os.path.join(top, name), (epoch, epoch))
    os.utime(root, (epoch, epoch))


def made_here(out):
    """An OUT that this command made: its mark, or, from builds before the
    mark, setup.exe and Files.ins with OUT.manifest beside."""
    mark = os.path.join(out, MARK_NAME)
    if os.path.isfile(mark) and read_head(mark, len(MARK_TEXT)) == MARK_TEXT:
        return True
    return os.path.isfile(os.path.join(out, "setup.exe")) and \
        os.path.isdir(os.path.join(out, DISTRIBUTION)) and os.path.isfile(out + ".manifest")


def inside(path, folder):
    return path.startswith(folder.rstrip(os.sep) + os.sep)


def preflight(product, out):
    """Refusals before any work: the product is a folder, and OUT may be
    replaced without harm to the maintainer's files."""
    if not os.path.isdir(product):
        return ["%s: %s" % (product, "not a folder: PRODUCT is the folder of the product's files"
                            if os.path.lexists(product) else "no such product folder")]
    real_product, real_out = os.path.realpath(product), os.path.realpath(out)
    if real_out == real_product:
        return ["%s: is the product folder itself: the medium would replace the product's files; "
                "give OUT a folder of its own" % out]
    if inside(real_out, real_product):
        return ["%s: lies inside the product folder %s, which would be copied into itself; give "
                "OUT a folder outside it" % (out, product)]
    if inside(real_product, real_out):
        return ["%s: contains the product folder %s, which replacing OUT would delete; give OUT "
                "a folder of its own" % (out, product)]
    if os.path.islink(out) or (os.path.lexists(out) and not os.path.isdir(out)):
        return ["%s: not a folder: OUT names the folder that the medium replaces" % out]
    if os.path.isdir(out) and os.listdir(out) and not made_here(out):
        return ["%s: neither empty nor a medium made by this command (it has no %s), so it is "
                "left as it is; give an empty or new folder" % (out, MARK_NAME)]
    return []


def scratch_name(out):
    return "." + os.path.basename(out) + SCRATCH_TAG


def remove_stale_scratch(out):
    """Scratch folders of earlier runs for the same OUT whose process is gone."""
    parent, prefix = os.path.dirname(out), scratch_name(out)
    for name in os.listdir(parent):
        pid = name[len(prefix):]
        if not name.startswith(prefix) or not pid.isdigit() or int(pid) == os.getpid():
            continue
        try:
            os.kill(int(pid), 0)
        except ProcessLookupError:
            remove_tree(os.path.join(parent, name))
        except OSError:
            pass                        # another user's live process


def remove_tree(path):
    if os.path.lexists(path):
        for top, dirs, _ in os.walk(path):
            for name in dirs:
                os.chmod(os.path.join(top, name), 0o755)
        shutil.rmtree(path, ignore_errors=True)


def product_failures(product):
    """Refusals of the product folder itself, named as the maintainer has them."""
    medium = Medium(product)
    check_entries(medium)
    beside, inner = medium.find(os.path.basename(GROUP_TEMPLATE)), medium.find(GROUP_TEMPLATE)
    if beside and inner:
        medium.fail(beside, "a second group template, beside %s: give one of the two" % inner)
    return medium.failures


def assemble(product, setup, scratch):
    """The medium as the product gives it, in scratch/medium, with the names
    of moved files as the product has them."""
    root = os.path.join(scratch, "medium")
    shutil.copytree(product, root, symlinks=False)
    shutil.copyfile(setup, os.path.join(root, "setup.exe"))
    medium = Medium(root)
    origin = {}
    files = medium.find(DISTRIBUTION)
    beside = medium.find(os.path.basename(GROUP_TEMPLATE))
    if beside and files and os.path.isfile(medium.path(beside)):
        os.replace(medium.path(beside), medium.where(GROUP_TEMPLATE))
        origin[key(GROUP_TEMPLATE)] = beside
    if files and medium.find(GROUP_TEMPLATE) is None and not beside:
        tool = os.path.join(ROOT, "tools", "make_group_template.py")
        subprocess.run([sys.executable, tool, medium.where(GROUP_TEMPLATE)], check=True)
    if medium.find(AUTORUN) is None:
        with open(os.path.join(root, AUTORUN), "wb") as stream:
            stream.write(AUTORUN_TEXT)
    with open(os.path.join(root, medium.find(MARK_NAME) or MARK_NAME), "wb") as stream:
        stream.write(MARK_TEXT)
    return Medium(root, origin)


def pack(medium, scratch):
    """Compresses what the setup expands, in parallel; an interruption
    drops the files not yet begun."""
    packable = [medium.path(rel) for rel in medium.files
                if key(rel).startswith(key(DISTRIBUTION) + "/") and not is_read_in_place(rel)
                and not is_compressed(medium.path(rel))]
    pool = concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1)
    try:
        work = [pool.submit(compress, path, os.path.join(scratch, "pack-%d" % i))
                for i, path in enumerate(packable)]
        for job in work:
            job.result()
    finally:
        pool.shutdown(wait=True, cancel_futures=True)
    return Medium(medium.root, medium.origin)


def source_date_epoch():
    text = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not text:
        return DEFAULT_EPOCH
    if not text.isdigit():
        raise ValueError("SOURCE_DATE_EPOCH must be a number of seconds, not %r" % text)
    return int(text)


def build(product, setup, out):
    """Returns the failures, or [] once OUT holds the new medium."""
    out = os.path.abspath(out)
    failures = preflight(product, out)
    if not failures and not os.path.isfile(setup):
        failures = ["%s: no such setup.exe" % setup]
    if failures:
        return failures
    failures = product_failures(product)
    if failures:
        return failures
    epoch = source_date_epoch()
    parent = os.path.dirname(out)
    os.makedirs(parent, exist_ok=True)
    remove_stale_scratch(out)
    scratch = os.path.join(parent, scratch_name(out) + str(os.getpid()))
    remove_tree(scratch)
    os.mkdir(scratch)
    try:
        medium = assemble(product, setup, scratch)
        # Checked as given, too: a product that comes compressed where files
        # are read in place, or damaged, is the maintainer's to mend.
        failures = check_medium(medium)
        if failures:
            return failures
        medium = write_installed_list(medium)
        text = manifest(medium)
        medium = pack(medium, scratch)
        failures = check_medium(medium)
        if not failures and manifest(medium) != text:
            failures = ["%s: expands to other bytes than the product's files" % DISTRIBUTION]
        if failures:
            return failures
        set_times(medium.root, epoch)
        image = os.path.join(scratch, "nimbalune.iso")
        make_image(medium.root, image, epoch)
        failures = read_back(image, medium, os.path.join(scratch, "read-back"))
        if failures:
            return failures
        with open(os.path.join(scratch, "manifest"), "w", encoding="utf-8") as stream:
            stream.write(text)
        replace(out, scratch)
        return []
    finally:
        uninterrupted(remove_tree, scratch)


SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


def uninterrupted(work, *args):
    """Runs work with the signals held back; one that came meanwhile is
    taken afterwards."""
    signal.pthread_sigmask(signal.SIG_BLOCK, SIGNALS)
    try:
        work(*args)
    finally:
        signal.pthread_sigmask(signal.SIG_UNBLOCK, SIGNALS)


def replace(out, scratch):
    """OUT, its manifest and the image become the new ones together."""
    def move():
        if os.path.lexists(out):
            os.replace(out, os.path.join(scratch, "old"))
        os.replace(os.path.join(scratch, "medium"), out)
        os.replace(os.path.join(scratch, "manifest"), out + ".manifest")
        os.replace(os.path.join(scratch, "nimbalune.iso"),
                   os.path.join(os.path.dirname(out), "nimbalune.iso"))
    uninterrupted(move)


def check_path(path):
    """Checks a medium folder, or the medium inside an ISO image."""
    if os.path.isdir(path):
        return check(path)
    if not os.path.isfile(path):
        return ["%s: no such folder or image" % path]
    with open(path, "rb") as stream:
        stream.seek(ISO_IDENTIFIER_OFFSET)
        if stream.read(len(ISO_IDENTIFIER)) != ISO_IDENTIFIER:
            return ["%s: neither a folder nor an ISO 9660 image" % path]
    folder = tempfile.mkdtemp(prefix="medium-check-")
    try:
        try:
            extract_image(path, folder)
        except RuntimeError as error:
            return ["%s: an ISO 9660 image that cannot be read (%s)" % (path, error)]
        return check(folder)
    finally:
        remove_tree(folder)


def describe(root):
    """The stored form of every file, for the maintainer's record."""
    medium = Medium(root)
    return ["%-10s %s" % ("compressed" if is_compressed(medium.path(rel)) else "plain", rel)
            for rel in medium.files]


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def run(args):
    if args.verb == "check":
        return check_path(args.medium), "medium " + args.medium
    subject = "product " + args.product
    if args.preflight:
        return preflight(args.product, os.path.abspath(args.out)), subject
    return build(args.product, args.setup, args.out), subject


def on_signal(number, _frame):
    raise Interrupted(number)


def main(argv):
    sys.stdout.reconfigure(errors="backslashreplace")
    parser = argparse.ArgumentParser(description="Builds and checks the distribution medium.")
    verbs = parser.add_subparsers(dest="verb", required=True)
    make = verbs.add_parser("build", help="a medium from a product folder")
    make.add_argument("--product", required=True)
    make.add_argument("--setup", required=True)
    make.add_argument("--out", required=True)
    make.add_argument("--preflight", action="store_true", help="check PRODUCT and OUT only")
    verbs.add_parser("check", help="a medium, a CD's root or an ISO image").add_argument("medium")
    args = parser.parse_args(argv)
    for number in SIGNALS:
        signal.signal(number, on_signal)

    try:
        failures, subject = run(args)
    except Interrupted as stop:
        print("interrupted by %s: the scratch folder is removed and OUT left as it was"
              % signal.Signals(stop.number).name)
        return 128 + stop.number
    except FileNotFoundError as error:
        if error.filename in ("mscompress", "xorriso"):
            print("%s is not installed: run scripts/deps.sh as root" % error.filename)
        else:
            print("could not finish: %s" % error)
        return 3
    except (OSError, RuntimeError, ValueError, subprocess.CalledProcessError) as error:
        print("could not finish: %s" % error)
        return 3
    for line in failures:
        print(line)
    if failures:
        print("%s refused: %d failure%s" % (subject, len(failures), "" if len(failures) == 1 else "s"))
        return 1
    if args.verb == "check":
        print("%s: ok" % subject)
    elif not args.preflight:
        image = os.path.join(os.path.dirname(os.path.abspath(args.out)), "nimbalune.iso")
        print("\n".join(describe(args.out)))
        print("medium: %s, image: %s (%d bytes)" % (args.out, image, os.path.getsize(image)))
        print("image SHA-256: %s" % sha256_of(image))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
