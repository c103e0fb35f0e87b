"""The layout table: what the medium holds and what an installation makes
of it, read from install/medium_layout.def (the lines setup.exe is built
from), and the medium's fixed names."""
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
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
SETUP = "setup.exe"
AUTORUN = "AUTORUN.INF"
AUTORUN_TEXT = b"[autorun]\r\nopen=setup.exe\r\nicon=setup.exe\r\n"
# The mark at the medium's root (never installed: only Readme.exe and
# Lisezmoi.exe are taken from there), which lists every file the build
# wrote with its SHA-256 (see mark.py).
MARK_NAME = "NIMBALUN.MED"

# What the shortcuts, the uninstall entry and the instructions viewer open;
# the programs among them must at least be programs ("MZ").
REQUIRED = (
    (SETUP, "the program that installs", True),
    ("Readme.exe", "installed as the English instructions shortcut's program", True),
    ("Lisezmoi.exe", "installed as the French instructions shortcut's program", True),
    (DISTRIBUTION + "/NimbaLun.exe", "the product that the start and start-up shortcuts start", True),
    (DISTRIBUTION + "/Configur.exe", "the control panel that its shortcuts start", True),
    (DISTRIBUTION + "/Uninstal.exe", "the program of the uninstall entry and shortcut", True),
    (DISTRIBUTION + "/Instruct.htm/Francais.htm/nimbalun.htm", "the French HTML instructions", False),
    (DISTRIBUTION + "/Instruct.htm/English.htm/nimbalun.htm", "the English HTML instructions", False),
    (DISTRIBUTION + "/Instruct.rtf/Francais.rtf/NimbaLun.rtf", "the French RTF instructions", False),
    (DISTRIBUTION + "/Instruct.rtf/English.rtf/NimbaLun.rtf", "the English RTF instructions", False),
    (GROUP_TEMPLATE, "the Program Manager group template", False),
)
PROGRAM_SIGNATURE = b"MZ"
# Names the build writes or reads as files: a folder there is refused.
FILE_NAMES = (SETUP, AUTORUN, MARK_NAME, os.path.basename(GROUP_TEMPLATE), GROUP_TEMPLATE,
              INSTALLED_LIST)

# Limits of a CD and of Windows 95's names.
JOLIET_NAME_LENGTH = 64
ISO_DEPTH = 8                   # directory levels, the root counted
# The longest path a medium may hold, counted with its leading "\": Joliet
# paths take at most 240 bytes, 120 characters. That is less than the
# setup's buffers take: "R:\" and the path within MAX_PATH (260 with the
# terminating zero) for the source, the copier's 512 for the installed path.
PATH_LENGTH = 120
# An 80-minute CD-R: 360,000 sectors of 2048 bytes.
CD_BYTES = 360000 * 2048
# The most names (files and folders) the command reads in one medium: far
# more than a product holds, and a bound on the work a hostile one causes.
MOST_NAMES = 65535
# The setup's file calls take names in the ANSI code page.
CODE_PAGE = "cp1252"
FORBIDDEN_CHARACTERS = set('\\/:*?"<>|') | {chr(c) for c in range(32)}
# Joliet names cannot hold these either (';' separates a version number).
JOLIET_FORBIDDEN = set(";")
DEVICE_NAMES = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONFIG$"} | \
    {"COM%d" % i for i in range(1, 10)} | {"LPT%d" % i for i in range(1, 10)}

# The times a medium's files may carry: ISO 9660 directory records and
# Windows 95's FAT dates both hold 1980-01-01 to 2107-12-31.
DEFAULT_EPOCH = 946684800       # 2000-01-01 00:00:00 UTC
EARLIEST_EPOCH = 315532800      # 1980-01-01 00:00:00 UTC
LATEST_EPOCH = 4354819198       # 2107-12-31 23:59:58 UTC
VOLUME_ID = "NIMBALUNE"


def key(path):
    """Windows compares names without regard to letter case."""
    return path.lower()


def is_read_in_place(rel):
    return key(rel) in {key(f) for f in READ_IN_PLACE_FILES} or any(
        key(rel).startswith(key(tree) + "/") for tree in READ_IN_PLACE_TREES)
