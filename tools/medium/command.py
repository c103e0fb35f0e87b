"""The command line: python3 tools/medium build|check ...

usage: medium build --product DIR --setup SETUP_EXE --out DIR [--force] [--preflight]
       medium check DIR_OR_ISO_OR_DEVICE

build  makes a medium from a product folder as the maintainer has it,
       uncompressed (see build.py): OUT with setup.exe, the product's
       files (those the setup expands LZ-compressed when that makes them
       smaller), AUTORUN.INF, the group template, Files.ins/Uninstal.lst and
       NIMBALUN.MED (the mark, with every file's SHA-256); OUT.iso, its ISO
       9660 image with Joliet names; and OUT.manifest, what an installation
       leaves, with the SHA-256 of each file. Every file and folder carries
       the time SOURCE_DATE_EPOCH (default 2000-01-01), so the same product
       and setup.exe give the same bytes; the image's SHA-256 is printed.
       --force replaces files in OUT, OUT.iso or OUT.manifest that this
       command did not write, or a damaged mark; --preflight checks PRODUCT
       and OUT alone. OUT and PRODUCT are the folders the kernel means:
       links and ".." are taken in order.
check  checks a medium already made: a folder, the root of a CD, an ISO
       image or a CD drive's device, as Windows 95 reads it (iso_reader.py).

Exit status: 0 done; 1 refused, each failure one line "PATH: rule"; 2 wrong
usage; 3 could not finish (a tool or the file system failed: one line);
128 + the signal's number when interrupted (SIGINT, SIGTERM, SIGHUP).
"""
import argparse
import os
import signal
import stat
import subprocess
import sys

from .build import SIGNALS, Interrupted, Outcome, Refused, Usage, build
from .ownership import preflight
from .check import Medium, check_medium
from .iso_reader import ImageTree, Unreadable, looks_like_image
from .tree import FolderTree, shown


def check_path(path):
    """The failures of a medium folder, an image or a CD drive's device."""
    try:
        mode = os.stat(path).st_mode
    except OSError:
        return ["%s: no such folder, image or device" % path]
    if stat.S_ISDIR(mode):
        return check_medium(Medium(FolderTree(path)))
    if not (stat.S_ISREG(mode) or stat.S_ISBLK(mode)):
        return ["%s: neither a folder, an ISO 9660 image nor a CD drive" % path]
    if not looks_like_image(path):
        return ["%s: neither a folder nor an ISO 9660 image" % path]
    try:
        tree = ImageTree(path)
    except Unreadable as error:
        return ["%s: an ISO 9660 image that cannot be read: %s" % (path, error)]
    try:
        if not tree.joliet:             # every name would differ: the one line that says why
            return ["%s: no Joliet names, so Windows 95 would read its ISO 9660 names, such as FILES_INS "
                    "and README.EXE, which are not the medium's%s; make the image with Joliet names, as "
                    "make medium does" % (shown(path), " (it never reads Rock Ridge names, which are for Unix)"
                                          if tree.rock_ridge else "")]
        return check_medium(Medium(tree))
    finally:
        tree.close()


def on_signal(number, _frame):
    raise Interrupted(number)


def take_signals():
    """The command's handlers, except for a signal ignored from the start
    (nohup's hang-up stays ignored)."""
    for number in SIGNALS:
        if signal.getsignal(number) != signal.SIG_IGN:
            signal.signal(number, on_signal)


EXIT_STATUSES = """exit status:
  0  done: the medium is made, or the medium checked is ok
  1  refused: each failure one line "PATH: rule", then a count
  2  wrong usage
  3  could not finish: a tool or the file system failed (one line)
  128 + N  interrupted by signal N (SIGINT, SIGTERM, SIGHUP)"""


def arguments(argv):
    def parser_of(add, name, text):
        return add(name, description=text, help=text, epilog=EXIT_STATUSES,
                   formatter_class=argparse.RawDescriptionHelpFormatter)
    parser = argparse.ArgumentParser(prog="medium", description="Builds and checks the distribution medium.",
                                     epilog=EXIT_STATUSES, formatter_class=argparse.RawDescriptionHelpFormatter)
    verbs = parser.add_subparsers(dest="verb", required=True)
    make = parser_of(verbs.add_parser, "build", "makes a medium from a product folder: OUT, its image OUT.iso "
                     "and its manifest OUT.manifest")
    make.add_argument("--product", required=True, metavar="DIR",
                      help="the product folder, uncompressed, with Files.ins at its top")
    make.add_argument("--setup", required=True, metavar="SETUP_EXE", help="the setup.exe to put on the medium")
    make.add_argument("--out", required=True, metavar="DIR",
                      help="the medium folder to make; OUT.iso and OUT.manifest are written beside it")
    make.add_argument("--force", action="store_true",
                      help="replace files in OUT, OUT.iso or OUT.manifest that this command did not write, "
                      "or a damaged NIMBALUN.MED")
    make.add_argument("--preflight", action="store_true",
                      help="check only that PRODUCT is a product folder and that OUT may be replaced")
    parser_of(verbs.add_parser, "check", "checks a medium as Windows 95 reads it").add_argument(
        "medium", help="a medium folder, a CD's root, an ISO image or a CD drive's device")
    return parser.parse_args(argv)


def run(args, outcome):
    """(lines to print, exit status)."""
    if args.verb == "check":
        failures, subject = check_path(args.medium), "medium " + args.medium
    elif args.preflight:
        failures, subject = preflight(args.product, args.out, args.force)[0], "product " + args.product
    else:
        try:
            build(args.product, args.setup, args.out, args.force, outcome)
            failures = []
        except Refused as refused:
            failures = refused.failures
        subject = "product " + args.product
    if failures:
        return failures + ["%s refused: %d failure%s" % (subject, len(failures), "" if len(failures) == 1
                                                         else "s")], 1
    if args.verb == "check":
        return ["%s: ok" % subject], 0
    return outcome.lines, 0


def could_not_finish(error):
    """One line for an error of a tool or the file system, naming the file."""
    if isinstance(error, FileNotFoundError) and error.filename in ("mscompress", "xorriso"):
        return "%s is not installed: run scripts/deps.sh as root" % error.filename
    if isinstance(error, ImportError):
        return "could not finish: %s: run scripts/deps.sh as root" % error
    if isinstance(error, OSError) and error.filename is not None:
        names = shown(str(error.filename)) + (" and %s" % shown(str(error.filename2)) if error.filename2 else "")
        return "%s: could not finish: %s" % (names, error.strerror or error)
    if isinstance(error, subprocess.CalledProcessError):
        return "could not finish: %s failed (exit status %s)" % (" ".join(map(str, error.cmd)), error.returncode)
    if isinstance(error, MemoryError):
        return "could not finish: out of memory"
    if isinstance(error, RecursionError):
        return "could not finish: a structure nested too deep to follow"
    if isinstance(error, (OSError, RuntimeError)):
        return "could not finish: %s" % error
    return "could not finish: the command failed (%s: %s); please report it" % (type(error).__name__, error)


def interrupted(number, outcome):
    name = signal.Signals(number).name
    if outcome.replaced:
        return "interrupted by %s after OUT, OUT.iso and OUT.manifest were replaced: the new medium " \
               "is complete" % name
    return "interrupted by %s: the scratch folder is removed and OUT, OUT.iso and OUT.manifest are " \
           "left as they were" % name


def report(lines, status):
    """Prints the last lines with the signals held back for good: the
    command ends right after."""
    signal.pthread_sigmask(signal.SIG_BLOCK, SIGNALS)
    try:
        for line in lines:
            print(line)
        sys.stdout.flush()
    except OSError:                     # no one reads any more (a closed pipe)
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
    return status


def main(argv):
    """The exit status; signals are held back by the caller until the
    handlers are in place."""
    sys.stdout.reconfigure(errors="backslashreplace")
    outcome = Outcome()
    try:
        try:
            args = arguments(argv)
        except SystemExit as stop:
            return report([], stop.code if isinstance(stop.code, int) else 2)
        take_signals()
        signal.pthread_sigmask(signal.SIG_UNBLOCK, SIGNALS)
        lines, status = run(args, outcome)
        return report(lines, status)
    except Interrupted as stop:
        return report([interrupted(stop.number, outcome)], 128 + stop.number)
    except KeyboardInterrupt:
        return report([interrupted(signal.SIGINT, outcome)], 128 + signal.SIGINT)
    except Usage as error:
        return report(["wrong usage: %s" % error], 2)
    except Exception as error:          # noqa: B902  every other path: one line, no traceback
        return report([could_not_finish(error)], 3)
