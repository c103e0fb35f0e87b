#!/usr/bin/env python3
"""Builds and checks the Nimbalune distribution medium.

usage: medium.py build --product DIR --setup SETUP_EXE --out DIR
       medium.py check DIR

build  makes a medium from a product folder as the maintainer has it,
       uncompressed: Readme.exe, Lisezmoi.exe and Files.ins with its folders
       (and, optionally, nimbalun.grp in Files.ins or beside it). It adds
       setup.exe and, when the product has none, the group template; stores
       every file that is not read in place LZ-compressed (mscompress) under
       its own name when that makes it smaller; writes OUT.manifest (what an
       installation must produce, with the SHA-256 of each file's expanded
       contents), Files.ins/Uninstal.lst (the installed paths, which the
       setup installs for the uninstaller) and nimbalune.iso beside OUT, an ISO 9660 image with Joliet
       names that is read back and compared with the medium. Everything is
       made in a scratch folder and replaces OUT only when every check passed.
check  checks a medium already made (or the root of a CD): the same rules.

Each failure is one line "PATH: rule"; all of them are listed and the exit
status is 1.
"""
import argparse
import concurrent.futures
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

# What the setup copies: the top-level files of Files.ins and these folders
# of it, each with its own copy step that takes only its own files.
COPIED_FOLDERS = (
    "Instruct.htm", "Instruct.htm/English.htm", "Instruct.htm/Francais.htm",
    "Instruct.htm/Images", "Instruct.htm/Images/English", "Instruct.htm/Images/Francais",
    "Instruct.rtf", "Instruct.rtf/English.rtf", "Instruct.rtf/Francais.rtf",
    "Instruct.rtf/Images", "sources", "original.jpg",
)
# Files the setup takes from its own folder, beside Files.ins.
ROOT_COPIES = ("Readme.exe", "Lisezmoi.exe")
# Read where they lie, by the user or the instructions viewer, never expanded.
READ_IN_PLACE_FILES = ("setup.exe",) + ROOT_COPIES
READ_IN_PLACE_TREES = ("Files.ins/Instruct.htm", "Files.ins/Instruct.rtf")

GROUP_TEMPLATE = "Files.ins/nimbalun.grp"
# The list of installed files that the build writes into Files.ins, so that
# the setup installs it beside the product and the uninstaller knows what
# to remove: one path a line, relative to the installation folder, with
# backslashes, in Windows-1252, lines ended by CR LF. It lists itself.
INSTALLED_LIST = "Files.ins/Uninstal.lst"
GROUP_OFFSETS = (140, 165, 2416, 2441, 4719, 4744, 6973, 6992, 7011)
# What the shortcuts, the uninstall entry and the instructions viewer open.
REQUIRED = (
    ("setup.exe", "the program that installs"),
    ("Readme.exe", "installed as the English instructions shortcut's program"),
    ("Lisezmoi.exe", "installed as the French instructions shortcut's program"),
    ("Files.ins/NimbaLun.exe", "the product that the start and start-up shortcuts start"),
    ("Files.ins/Configur.exe", "the control panel that its shortcuts start"),
    ("Files.ins/Uninstal.exe", "the program of the uninstall entry and shortcut"),
    ("Files.ins/Instruct.htm/Francais.htm/nimbalun.htm", "the French HTML instructions"),
    ("Files.ins/Instruct.htm/English.htm/nimbalun.htm", "the English HTML instructions"),
    ("Files.ins/Instruct.rtf/Francais.rtf/NimbaLun.rtf", "the French RTF instructions"),
    ("Files.ins/Instruct.rtf/English.rtf/NimbaLun.rtf", "the English RTF instructions"),
    (GROUP_TEMPLATE, "the Program Manager group template"),
)

# The destination panel asks for a disk with more than 35 MB free; a FAT16
# disk of 1 to 2 GB gives every file and folder clusters of 32 KB.
FREE_SPACE_ASKED = 35 * 1048576
CLUSTER = 32768
# Directories the installation creates: its own and sixteen below it.
CREATED_FOLDERS = 17

JOLIET_NAME_LENGTH = 64
ISO_DEPTH = 8                   # directory levels, the root counted

SIGNATURE = b"SZDD\x88\xf0\x27\x33"
HEADER_LENGTH = 14


def key(path):
    """Windows compares names without regard to letter case."""
    return path.lower()


def walk(medium):
    """Relative paths ("/" separated) of every folder and file below medium."""
    folders, files = [], []
    for top, dirs, names in os.walk(medium):
        dirs.sort()
        rel = os.path.relpath(top, medium).replace(os.sep, "/")
        prefix = "" if rel == "." else rel + "/"
        folders += [prefix + d for d in dirs]
        files += [prefix + n for n in sorted(names)]
    return folders, files


def read_head(path, count):
    with open(path, "rb") as stream:
        return stream.read(count)


def is_compressed(path):
    return read_head(path, 4) == SIGNATURE[:4]


def expanded(path):
    """A file's contents as the setup installs it, and its damage ("" if none)."""
    with open(path, "rb") as stream:
        data = stream.read()
    if not data.startswith(SIGNATURE[:4]):
        return data, ""
    if len(data) < HEADER_LENGTH or not data.startswith(SIGNATURE):
        return None, "compressed file with a damaged header"
    if data[8:9] != b"A":
        return None, "compressed file with an unknown method %r" % data[8:9].decode("latin-1")
    length = int.from_bytes(data[10:14], "little")
    result = subprocess.run(["msexpand"], input=data, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, check=False)
    if len(result.stdout) < length:
        return None, "compressed data ends early (%d of %d bytes)" % (len(result.stdout), length)
    return result.stdout[:length], ""


def is_read_in_place(rel):
    return key(rel) in {key(f) for f in READ_IN_PLACE_FILES} or any(
        key(rel).startswith(key(tree) + "/") for tree in READ_IN_PLACE_TREES)


def installed_name(rel):
    """Where a file of the medium lands, relative to the installation folder,
    or None for a file the installation does not copy there."""
    if key(rel) in {key(f) for f in ROOT_COPIES}:
        return rel
    if not key(rel).startswith("files.ins/") or key(rel) == key(GROUP_TEMPLATE):
        return None
    folder = os.path.dirname(rel[len("Files.ins/"):])
    if folder and key(folder) not in {key(f) for f in COPIED_FOLDERS}:
        return None
    return rel[len("Files.ins/"):]


class Medium:
    """A medium's names, looked up as Windows would, and its failures."""

    def __init__(self, root):
        self.root = root
        self.folders, self.files = walk(root)
        self.failures = []
        self.by_key = {}
        for rel in self.folders + self.files:
            self.by_key.setdefault(key(rel), rel)

    def fail(self, rel, rule):
        self.failures.append("%s: %s" % (rel, rule))

    def find(self, rel):
        return self.by_key.get(key(rel))

    def path(self, rel):
        return os.path.join(self.root, *rel.split("/"))


def check_required(medium):
    for rel, what in REQUIRED:
        found = medium.find(rel)
        if found is None or not os.path.isfile(medium.path(found)):
            medium.fail(rel, "missing: %s" % what)
    found = medium.find("Files.ins")
    if found is None or not os.path.isdir(medium.path(found)):
        medium.fail("Files.ins", "missing: the folder of everything the setup installs")


def check_group_template(medium):
    found = medium.find(GROUP_TEMPLATE)
    if found is None:
        return
    data, _ = expanded(medium.path(found))
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
    copied = {key("Files.ins/" + f) for f in COPIED_FOLDERS}
    listed = "Files.ins (its own files) and " + ", ".join("Files.ins/" + f for f in COPIED_FOLDERS)
    for rel in medium.folders:
        parent = os.path.dirname(rel)
        # Only the topmost folder that no step copies is named.
        if key(rel).startswith("files.ins/") and key(rel) not in copied and \
                (key(parent) == "files.ins" or key(parent) in copied):
            medium.fail(rel, "no copy step copies this folder, so the installation would leave it "
                        "behind; the folders copied are " + listed)


def check_compressed(medium):
    for rel in medium.files:
        if is_compressed(medium.path(rel)):
            _, damage = expanded(medium.path(rel))
            if damage:
                medium.fail(rel, damage + "; the setup would fail to copy it")


def expanded_size(path):
    head = read_head(path, HEADER_LENGTH)
    if head.startswith(SIGNATURE) and len(head) == HEADER_LENGTH:
        return int.from_bytes(head[10:14], "little")
    return os.path.getsize(path)


def check_size(medium):
    def clusters(size):
        return max(1, (size + CLUSTER - 1) // CLUSTER)
    needed = CREATED_FOLDERS * CLUSTER
    for rel in medium.files:
        if installed_name(rel) is not None:
            needed += clusters(expanded_size(medium.path(rel))) * CLUSTER
    if needed > FREE_SPACE_ASKED:
        medium.fail("Files.ins", "the installation needs %d bytes (%.1f MB) on a disk of 32 KB "
                    "clusters, but the setup asks only for more than %d MB free (%d bytes)"
                    % (needed, needed / 1048576.0, FREE_SPACE_ASKED // 1048576, FREE_SPACE_ASKED))


def check_names(medium):
    seen = {}
    for rel in medium.folders + medium.files:
        other = seen.setdefault(key(rel), rel)
        if other != rel:
            medium.fail(rel, "differs from %s only by letter case: Windows takes both for one file" % other)
        name = rel.split("/")[-1]
        if len(name) > JOLIET_NAME_LENGTH:
            medium.fail(rel, "name of %d characters: Joliet names hold at most %d"
                        % (len(name), JOLIET_NAME_LENGTH))
    for rel in medium.folders:
        if rel.count("/") + 2 > ISO_DEPTH:
            medium.fail(rel, "folder %d levels deep: an ISO 9660 image holds at most %d, the root "
                        "counted" % (rel.count("/") + 2, ISO_DEPTH))


CHECKS = (check_required, check_read_in_place, check_copied, check_compressed,
          check_group_template, check_size, check_names)


def check(root):
    medium = Medium(root)
    for rule in CHECKS:
        rule(medium)
    return medium.failures


def compress(path):
    """Stores path compressed under its own name when that makes it smaller."""
    subprocess.run(["mscompress", path], check=True, stdout=subprocess.DEVNULL)
    packed = path + "_"
    if os.path.getsize(packed) < os.path.getsize(path):
        os.replace(packed, path)
    else:
        os.remove(packed)


def write_installed_list(medium):
    """Writes INSTALLED_LIST, replacing one the product brought, and returns
    the medium as it now is."""
    found = medium.find(INSTALLED_LIST)
    if found is not None:
        os.remove(medium.path(found))
    medium = Medium(medium.root)
    names = [installed_name(rel) for rel in medium.files] + [installed_name(INSTALLED_LIST)]
    text = "".join("%s\r\n" % name.replace("/", "\\") for name in sorted(set(names) - {None}, key=key))
    with open(medium.path(INSTALLED_LIST), "wb") as stream:
        stream.write(text.encode("cp1252"))
    return Medium(medium.root)


def manifest(medium):
    lines = []
    for rel in medium.files:
        target = installed_name(rel)
        if target is not None:
            data, _ = expanded(medium.path(rel))
            lines.append("%s %s\n" % (hashlib.sha256(data).hexdigest(), target))
    return "".join(lines)


def read_back(image, medium):
    """Failures of the ISO image against the medium it was made from."""
    listing = subprocess.run(["isoinfo", "-J", "-f", "-i", image], stdout=subprocess.PIPE,
                             check=True, text=True).stdout.split("\n")
    names = {line.lstrip("/") for line in listing if line}
    expected = set(medium.folders + medium.files)
    failures = ["%s: not on the image" % rel for rel in sorted(expected - names)]
    failures += ["%s: on the image but not on the medium" % rel for rel in sorted(names - expected)]
    for rel in medium.files:
        if rel in names:
            data = subprocess.run(["isoinfo", "-J", "-x", "/" + rel, "-i", image],
                                  stdout=subprocess.PIPE, check=True).stdout
            with open(medium.path(rel), "rb") as stream:
                if data != stream.read():
                    failures.append("%s: reads back from the image with other contents" % rel)
    return failures


def assemble(product, setup, scratch):
    medium = os.path.join(scratch, "medium")
    shutil.copytree(product, medium, symlinks=False)
    shutil.copyfile(setup, os.path.join(medium, "setup.exe"))
    files = os.path.join(medium, "Files.ins")
    beside = os.path.join(medium, "nimbalun.grp")
    if os.path.isfile(beside) and os.path.isdir(files):
        os.replace(beside, os.path.join(files, "nimbalun.grp"))
    if os.path.isdir(files) and Medium(medium).find(GROUP_TEMPLATE) is None:
        tool = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_group_template.py")
        subprocess.run([sys.executable, tool, os.path.join(files, "nimbalun.grp")], check=True)
    return medium


def build(product, setup, out):
    for path, what in ((product, "product folder"), (setup, "setup.exe")):
        if not os.path.exists(path):
            return ["%s: no such %s" % (path, what)]
    out = os.path.abspath(out)
    parent = os.path.dirname(out)
    os.makedirs(parent, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix=".medium-", dir=parent)
    try:
        medium = Medium(assemble(product, setup, scratch))
        # Checked as given, too: a product that comes compressed where files
        # are read in place, or damaged, is the maintainer's to mend.
        failures = check(medium.root)
        if failures:
            return failures
        medium = write_installed_list(medium)
        text = manifest(medium)
        packable = [medium.path(rel) for rel in medium.files if key(rel).startswith("files.ins/")
                    and not is_read_in_place(rel) and not is_compressed(medium.path(rel))]
        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1) as pool:
            list(pool.map(compress, packable))
        image = os.path.join(scratch, "nimbalune.iso")
        failures = check(medium.root)
        if not failures:
            subprocess.run(["genisoimage", "-quiet", "-J", "-r", "-V", "NIMBALUNE", "-o", image,
                            medium.root], check=True)
            failures = read_back(image, medium)
        if failures:
            return failures
        replace(out, medium.root)
        with open(out + ".manifest", "w") as stream:
            stream.write(text)
        os.replace(image, os.path.join(parent, "nimbalune.iso"))
        return []
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def replace(out, medium_dir):
    """OUT becomes the new medium; an earlier one is removed only then."""
    old = None
    if os.path.lexists(out):
        old = out + ".old"
        shutil.rmtree(old, ignore_errors=True)
        os.replace(out, old)
    os.replace(medium_dir, out)
    if old:
        shutil.rmtree(old, ignore_errors=True)


def describe(root):
    """The stored form of every file, for the maintainer's record."""
    medium = Medium(root)
    return ["%-10s %s" % ("compressed" if is_compressed(medium.path(rel)) else "plain", rel)
            for rel in medium.files]


def main(argv):
    parser = argparse.ArgumentParser(description="Builds and checks the distribution medium.")
    verbs = parser.add_subparsers(dest="verb", required=True)
    make = verbs.add_parser("build", help="a medium from a product folder")
    make.add_argument("--product", required=True)
    make.add_argument("--setup", required=True)
    make.add_argument("--out", required=True)
    verbs.add_parser("check", help="a medium or a CD's root").add_argument("medium")
    args = parser.parse_args(argv)

    if args.verb == "build":
        failures = build(args.product, args.setup, args.out)
        subject = "product " + args.product
    elif not os.path.isdir(args.medium):
        failures = ["%s: no such folder" % args.medium]
        subject = "medium " + args.medium
    else:
        failures = check(args.medium)
        subject = "medium " + args.medium
    for line in failures:
        print(line)
    if failures:
        print("%s refused: %d failure%s" % (subject, len(failures), "" if len(failures) == 1 else "s"))
        return 1
    if args.verb == "build":
        image = os.path.join(os.path.dirname(os.path.abspath(args.out)), "nimbalune.iso")
        print("\n".join(describe(args.out)))
        print("medium: %s, image: %s (%d bytes)" % (args.out, image, os.path.getsize(image)))
    else:
        print("%s: ok" % subject)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
