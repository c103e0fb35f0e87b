#!/usr/bin/env python3
"""The medium command as a maintainer uses it: the sample medium's stored
forms and ISO image, products that break one rule each, refused with the
file named and the earlier medium left as it was, media damaged on the way
and refused by the check, and OUT, OUT.iso and OUT.manifest touched only
when they are the command's own.

usage: medium_test.py BUILD_DIR   (the build holding the sample medium)
"""
import concurrent.futures
import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL = os.path.join(ROOT, "tools", "medium")
sys.path.insert(0, os.path.join(ROOT, "tools"))
from medium import build as builder, compressed, layout, reading_order, scratch as scratch_folders  # noqa: E402  the rules' own tables
from medium.tree import FolderTree  # noqa: E402
from bench import cd_model  # noqa: E402  the CD drive model of scripts/bench-cd.sh
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from lz_table import ENCODED, lz_cases  # noqa: E402  the crafted LZ files the setup's expander also judges

BUILD = None


def run(*args, **options):
    result = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="backslashreplace", **options)
    return result.returncode, result.stdout


# -S: the command needs no site packages,
# and a signal while Python starts has less to interrupt.
PYTHON = (sys.executable, "-S")


def build(product, out, *extra, **options):
    return run(*PYTHON, TOOL, "build", "--product", product,
               "--setup", os.path.join(BUILD, "setup.exe"), "--out", out, *extra, **options)


def check(medium):
    return run(*PYTHON, TOOL, "check", medium)


def compress_in_place(path):
    subprocess.run(["mscompress", path], check=True, stdout=subprocess.DEVNULL)
    os.replace(path + "_", path)


def msexpand(stored):
    return subprocess.run(["msexpand"], input=stored, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=True).stdout


def snapshot(folder):
    """Every folder below folder, and every file with its size and time: what "untouched" means."""
    return sorted((os.path.relpath(os.path.join(top, n), folder), 0, 0) for top, dirs, _ in os.walk(folder)
                  for n in dirs) + sorted(
        (os.path.relpath(os.path.join(top, n), folder), os.lstat(os.path.join(top, n)).st_mtime_ns,
         os.lstat(os.path.join(top, n)).st_size) for top, _, names in os.walk(folder) for n in names)


def read(path):
    with open(path, "rb") as stream:
        return stream.read()


def scratch_folder(test):
    folder = tempfile.mkdtemp()
    test.addCleanup(shutil.rmtree, folder, True)
    return folder


def sample_copy(folder, name="product"):
    product = os.path.join(folder, name)
    shutil.copytree(os.path.join(BUILD, "sample-product"), product)
    return product


@contextlib.contextmanager
def mounted(*args):
    """A mount for the length of a test row, unmounted whatever happens."""
    subprocess.run(["mount"] + list(args), check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield
    finally:
        subprocess.run(["umount", args[-1]], check=False)


def can_mount():
    if os.geteuid() != 0:
        return False
    probe = tempfile.mkdtemp()
    try:
        with mounted("-t", "tmpfs", "tmpfs", probe):
            return True
    except subprocess.CalledProcessError:
        return False
    finally:
        os.rmdir(probe)


class SampleMedium(unittest.TestCase):
    def test_stored_forms_on_the_medium_and_in_the_image(self):
        product = os.path.join(BUILD, "sample-product")
        disc = os.path.join(BUILD, "medium")
        image = os.path.join(BUILD, "medium.iso")
        self.assertEqual(check(disc), (0, "medium %s: ok\n" % disc))
        scratch = scratch_folder(self)
        for rel in FolderTree(product).files:
            original = read(os.path.join(product, rel))
            stored = read(os.path.join(disc, rel))
            if layout.is_read_in_place(rel):
                self.assertEqual(stored, original, rel)
                code, _ = run("sh", "-c", 'isoinfo -J -x "/$0" -i "$1" > "$2"', rel, image,
                              os.path.join(scratch, "read-back"))
                self.assertEqual((code, read(os.path.join(scratch, "read-back"))), (0, original), rel)
                continue
            packed = os.path.join(scratch, "packed")
            with open(packed, "wb") as stream:
                stream.write(original)
            compress_in_place(packed)
            # Stored compressed when that shrinks it, never larger than mscompress makes it.
            if compressed.is_compressed_data(stored):
                self.assertEqual(msexpand(stored), original, rel)
                self.assertLess(len(stored), len(original), rel)
                self.assertLessEqual(len(stored), len(read(packed)), rel)
            else:
                self.assertEqual(stored, original, rel)
                self.assertGreaterEqual(len(read(packed)), len(original), rel + " shrinks by mscompress")

    def test_the_image_lays_files_out_in_the_order_an_installation_reads_them(self):
        folders = image_directories(os.path.join(BUILD, "medium.iso"))
        sectors = {}
        for folder, records in folders.items():
            names = [name for name, _ in records]
            # The order the setup's search finds a folder's files in.
            self.assertEqual(names, sorted(names, key=reading_order.directory_order), folder)
            sectors.update({(folder + "/" + name).lstrip("/"): sector for name, sector in records})
        order = [sectors[rel] for rel in reading_order.reading_order(list(sectors))]
        self.assertEqual(order, sorted(order))
        self.assertEqual(len(order), len(FolderTree(os.path.join(BUILD, "medium")).files))


def image_directories(image):
    """Each folder of the image's Joliet tree with its files in the order of
    their directory records, each with its first sector."""
    _, listing = run("isoinfo", "-J", "-l", "-i", image)
    folders, records = {}, None
    for line in listing.splitlines():
        if line.startswith("Directory listing of /"):
            records = folders.setdefault(line[len("Directory listing of /"):].rstrip("/"), [])
        elif line.startswith("-") and records is not None:
            sector, name = re.search(r"\[ *(\d+) \d+\]  (.*) $", line).groups()
            records.append((name, int(sector)))
    return folders


def remove(*rels):
    return lambda p: [os.remove(os.path.join(p, r)) for r in rels]


def write(rel, data=b"x"):
    def mutate(p):
        path = os.path.join(p, os.fsdecode(rel))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as stream:
            stream.write(data)
    return mutate


def folder(*rels):
    return lambda p: [os.makedirs(os.path.join(p, r)) for r in rels]


def damage(rel, how):
    def mutate(p):
        path = os.path.join(p, rel)
        compress_in_place(path)
        data = how(read(path))
        with open(path, "wb") as stream:
            stream.write(data)
    return mutate


def link(rel, target):
    return lambda p: os.symlink(target, os.path.join(p, rel))


def both(*mutations):
    return lambda p: [mutate(p) for mutate in mutations]


def many_small_files(p):
    for i in range(1100):
        write("Files.ins/sources/f%04d.txt" % i)(p)


def sparse(rel, size):
    def mutate(p):
        with open(os.path.join(p, rel), "wb") as stream:
            stream.truncate(size)
    return mutate


def files_ins_a_file(p):
    shutil.rmtree(os.path.join(p, "Files.ins"))
    write("Files.ins", b"a group template, say")(p)


def path_of(length, top="extra"):
    """A file's path below the medium's root, of length characters with the
    leading backslash, in folders of 60 characters."""
    rel = top
    while length - 1 - len(rel) > 61 + 12:
        rel += "/" + "d" * 60
    return rel + "/" + "f" * (length - 1 - len(rel) - 5) + ".txt"


def nested(p):
    """The product moved one folder down, as an archive unpacks it."""
    inner = os.path.join(p, "Nimbalune")
    names = os.listdir(p)
    os.mkdir(inner)
    for name in names:
        os.rename(os.path.join(p, name), os.path.join(inner, name))


# Each product breaks the rules in one way; every line named must be said.
REFUSALS = (
    ("programs missing", remove("Files.ins/Configur.exe", "Lisezmoi.exe"),
     ["Files.ins/Configur.exe: missing", "Lisezmoi.exe: missing"]),
    ("programs that are none", both(write("Readme.exe", b""), write("Files.ins/Uninstal.exe", b"not MZ")),
     ["Readme.exe: not a program", "Files.ins/Uninstal.exe: not a program"]),
    ("instructions given compressed", lambda p: compress_in_place(
        os.path.join(p, "Files.ins/Instruct.htm/English.htm/options.htm")),
     ["Files.ins/Instruct.htm/English.htm/options.htm: stored compressed"]),
    ("a folder no step copies", write("Files.ins/sources/old/notes.txt"),
     ["Files.ins/sources/old: no copy step copies this folder"]),
    ("more than the free space asked", many_small_files, ["Files.ins: the installation needs"]),
    ("more than a CD holds, sparse", sparse("extra.bin", 3 << 30),
     ["%s: holds 3221" % "{product}"]),
    ("names differing by case", write("Files.ins/sources/SUJETS.TXT"),
     ["Files.ins/sources/sujets.txt: differs from Files.ins/sources/SUJETS.TXT only by letter case"]),
    ("a name one past Joliet's 64", write("Files.ins/sources/" + "n" * 61 + ".txt"),
     ["Files.ins/sources/" + "n" * 61 + ".txt: name of 65 characters"]),
    ("a folder one level past ISO 9660's 8", write("extra/a/b/c/d/e/f/g/deep.txt"),
     ["extra/a/b/c/d/e/f/g: folder 9 levels deep"]),
    ("a path one past Joliet's 120 characters", write(path_of(121)),
     [path_of(121) + ": path of 121 characters"]),
    ("compressed data cut short", damage("Files.ins/sources/sujets.txt", lambda d: d[:len(d) // 2]),
     ["Files.ins/sources/sujets.txt: compressed data ends early"]),
    ("compressed with an unknown method", damage("Files.ins/sources/sujets.txt",
                                                 lambda d: d[:8] + b"B" + d[9:]),
     ["Files.ins/sources/sujets.txt: compressed file with an unknown method"]),
    ("a group template too short to patch", write("Files.ins/nimbalun.grp", b"PMCC" + bytes(96)),
     ["Files.ins/nimbalun.grp: not a Program Manager group"]),
    ("a bad group template beside Files.ins", write("nimbalun.grp", b"PMCC"),
     ["nimbalun.grp: not a Program Manager group"]),
    ("two group templates", both(write("nimbalun.grp"), write("Files.ins/nimbalun.grp")),
     ["nimbalun.grp: a second group template, beside Files.ins/nimbalun.grp"]),
    ("folders where the medium needs files", folder("AUTORUN.INF", "setup.exe", "NIMBALUN.MED", "nimbalun.grp"),
     ["AUTORUN.INF: a folder, where", "setup.exe: a folder, where", "NIMBALUN.MED: a folder, where",
      "nimbalun.grp: a folder, where"]),
    ("Files.ins a file", files_ins_a_file, ["Files.ins: a file, where the medium needs the folder"]),
    ("files named like created folders", both(write("Files.ins/screen8.bmp"), write("Files.ins/TEMP")),
     ["Files.ins/screen8.bmp: named like the folder screen8.bmp", "Files.ins/TEMP: named like the folder temp"]),
    ("files the installation deletes", both(write("Files.ins/setup.exe"), write("Files.ins/LinkNL.exe")),
     ["Files.ins/setup.exe: the installation deletes", "Files.ins/LinkNL.exe: the installation deletes"]),
    ("a file installed twice", write("Files.ins/Readme.exe"),
     ["Files.ins/Readme.exe: installed as Readme.exe, as Readme.exe is"]),
    ("names Windows 95 or Joliet cannot hold",
     both(write("Files.ins/sources/\u03a9mega.txt"), write("Files.ins/sources/a:b"), write("Files.ins/sources/aux.txt"),
          write("Files.ins/sources/CLOCK$"), write("Files.ins/sources/a;1.txt"), write(b"Files.ins/sources/caf\xe9.txt"),
          write("Files.ins/sources/Re\u0301sume\u0301.txt")),
     ["Files.ins/sources/\u03a9mega.txt: a name with characters outside Windows-1252",
      "Files.ins/sources/a:b: a name with a character", "Files.ins/sources/aux.txt: a device's name",
      "Files.ins/sources/CLOCK$: a device's name", "Files.ins/sources/a;1.txt: a name with a ';'",
      "Files.ins/sources/caf\\xe9.txt: a name that is not UTF-8",
      "Files.ins/sources/Re\u0301sume\u0301.txt: a name written decomposed (NFD"]),
    ("a name that is another's short name", both(write("Files.ins/sources/alongname.txt"),
                                                 write("Files.ins/sources/alongn~1.txt")),
     ["Files.ins/sources/alongn~1.txt: Windows 95 may give alongname.txt this name"]),
    ("the product one folder down", nested,
     ["{product}: holds no Files.ins, but the folder one level down holds one: give PRODUCT={product}/Nimbalune"]),
    ("links, in and out, and a FIFO",
     both(link("Files.ins/sources/gone.txt", "nowhere"), link("Files.ins/more", "sources"),
          link("Files.ins/sources/notes.txt", "/etc/hostname"),
          lambda p: os.mkfifo(os.path.join(p, "Files.ins/sources/pipe"))),
     ["Files.ins/sources/gone.txt: a link to nowhere (to nothing)",
      "Files.ins/more: a link to sources (inside the folder)",
      "Files.ins/sources/notes.txt: a link to /etc/hostname (outside the folder)",
      "Files.ins/sources/pipe: neither a file nor a folder"]),
    ("an AUTORUN.INF that starts nothing", write("AUTORUN.INF", b"[AutoRun]\r\nopen=install.exe /s\r\n"),
     ["AUTORUN.INF: open=install.exe starts a program that is not on the medium"]),
)


class Refusals(unittest.TestCase):
    def test_each_broken_product_is_refused_and_the_earlier_medium_kept(self):
        scratch = scratch_folder(self)
        out = os.path.join(scratch, "out", "medium")
        code, text = build(os.path.join(BUILD, "sample-product"), out)
        self.assertEqual(code, 0, text)
        before = snapshot(os.path.dirname(out))

        def attempt(row):
            name, mutate, _ = row
            product = sample_copy(scratch, "product-%d" % REFUSALS.index(row))
            mutate(product)
            # A memory limit as tight as the command needs: large inputs are
            # refused before they are read.
            return product, build(product, out, preexec_fn=lambda: __import__("resource").setrlimit(
                __import__("resource").RLIMIT_AS, (1 << 30, 1 << 30)))
        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1) as pool:
            results = list(pool.map(attempt, REFUSALS))
        for (name, _, expected), (product, (code, text)) in zip(REFUSALS, results):
            with self.subTest(name):
                self.assertEqual(code, 1, text)
                self.assertNotIn("Traceback", text)
                lines = text.splitlines()
                for start in expected:
                    start = start.replace("{product}", os.path.realpath(product))
                    self.assertTrue(any(line.startswith(start) for line in lines), start + "\n" + text)
        self.assertEqual(snapshot(os.path.dirname(out)), before)


def zero_byte(rel):
    def mutate(p):
        with open(os.path.join(p, rel), "r+b") as stream:
            stream.seek(100)
            stream.write(b"\0")
    return mutate


def image_of(mutate, joliet="on", rockridge="off"):
    """A medium folder's image, made after mutate, as a CD writer would."""
    def make(p):
        mutate(p)
        if os.path.exists(p + ".iso"):
            os.remove(p + ".iso")
        subprocess.run(["xorriso", "-no_rc", "-report_about", "FAILURE", "-outdev", p + ".iso", "-joliet", joliet,
                        "-rockridge", rockridge, "-hardlinks", "on", "-map", p, "/", "-commit"], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return p + ".iso"
    return make


def hard_links(count):
    def mutate(p):
        write("extra/big.bin", os.urandom(1 << 20) * 4)(p)
        for i in range(count):
            os.link(os.path.join(p, "extra/big.bin"), os.path.join(p, "extra/link%03d.bin" % i))
    return mutate


def nothing(_):
    pass


def joliet_patched(mutate, *patches):
    """The image of a medium folder, made after mutate, with Joliet records
    patched as a broken or hostile writer leaves them: (the record's name,
    the offset of a field in it, a new name of the same length or a number
    for a field held in both byte orders)."""
    def make(p):
        image = image_of(mutate)(p)
        with open(image, "r+b") as stream:
            data = stream.read()
            for name, offset, value in patches:
                identifier = name.encode("utf-16-be")
                at = data.find(bytes([len(identifier)]) + identifier) - 32
                assert at > 0, name
                stream.seek(at + offset)
                stream.write(value.encode("utf-16-be") if isinstance(value, str)
                             else value.to_bytes(4, "little") + value.to_bytes(4, "big"))
        return image
    return make


def lz_expanding_to(rel, length):
    """An LZ file whose every flag byte brings eight references of 18 bytes:
    17 stored bytes expand to 144."""
    return write(rel, b"SZDD\x88\xf0\x27\x33A\x00" + length.to_bytes(4, "little")
                 + (b"\x00" + b"\x00\x0f" * 8) * (length // 144 + 1))


def mark_rewritten(how):
    def mutate(p):
        path = os.path.join(p, layout.MARK_NAME)
        data = how(read(path))
        with open(path, "wb") as stream:
            stream.write(data)
    return mutate


def as_sha256sum_takes(data):
    """The mark with LF line ends and upper-case SHA-256s."""
    return b"\n".join(line if line.startswith(b"#") else line[:64].upper() + line[64:] for line in data.split(b"\r\n"))


def cut_mid_line(data):
    return data[:len(data) * 2 // 3]


def with_comments(size):
    def how(data):
        header = data.index(b"\r\n") + 2
        line = b"# a comment line, as sha256sum -c skips it\r\n"
        return data[:header] + line * (size // len(line)) + data[header:]
    return how


# Media damaged after the build, as a folder or an image: the check says
# what Windows would meet.
DAMAGED = (
    ("instructions compressed", lambda p: compress_in_place(
        os.path.join(p, "Files.ins", "Instruct.rtf", "Francais.rtf", "NimbaLun.rtf")),
     ["Files.ins/Instruct.rtf/Francais.rtf/NimbaLun.rtf: stored compressed"]),
    ("a zeroed byte in a program", zero_byte("Files.ins/Configur.exe"),
     ["Files.ins/Configur.exe: its bytes differ from the SHA-256 that NIMBALUN.MED lists"]),
    ("a file added to Files.ins", write("Files.ins/extra.txt", b"not listed"),
     ["Files.ins/extra.txt: copied by the setup but not listed in Files.ins/Uninstal.lst",
      "Files.ins/extra.txt: on the medium but not in NIMBALUN.MED's list"]),
    ("Uninstal.lst missing", remove("Files.ins/Uninstal.lst"), ["Files.ins/Uninstal.lst: missing"]),
    ("a link to a file outside", link("Files.ins/sources/notes.txt", "/etc/hostname"),
     ["Files.ins/sources/notes.txt: a link to /etc/hostname (outside the folder)"]),
    ("NIMBALUN.MED missing", remove("NIMBALUN.MED"), ["NIMBALUN.MED: missing: the list"]),
    ("a zeroed byte in an instructions page, on the image",
     image_of(zero_byte("Files.ins/Instruct.htm/English.htm/nimbalun.htm")),
     ["Files.ins/Instruct.htm/English.htm/nimbalun.htm: its bytes differ from the SHA-256"]),
    ("an image with Rock Ridge names and no Joliet: one line", image_of(nothing, "off", "on"),
     ["{medium}: no Joliet names, so Windows 95 would read its ISO 9660 names",
      "medium {medium} refused: 1 failure\n"]),
    ("Joliet records cut short, Windows reading 100 and 20 bytes",
     joliet_patched(nothing, ("Readme.exe", 10, 100), ("Uninstal.lst", 10, 20)),
     ["Readme.exe: its bytes differ from the SHA-256", "Files.ins/Uninstal.lst: its bytes differ from the SHA-256"]),
    ("two Joliet records under one name", joliet_patched(write("setup.exf", b"x" * 30), ("setup.exf", 33, "setup.exe")),
     ["setup.exe: a second directory record under the name setup.exe"]),
    ("an extent past the image's end", joliet_patched(nothing, ("Readme.exe", 2, 0x7FFFFF)),
     ["Readme.exe: its data lies past the image's end"]),
    ("LZ files that expand to 200 MB", both(lz_expanding_to("setup.exe", 200 << 20),
                                            lz_expanding_to("Files.ins/LinkNL.exe", 200 << 20)),
     ["setup.exe: stored compressed, but read in place", "Files.ins/LinkNL.exe: expands to 209715200 bytes"]),
    ("a mark of 66 MB", mark_rewritten(with_comments(66000000)), ["NIMBALUN.MED: damaged: 66"]),
    ("a mark cut in the middle of a line", mark_rewritten(cut_mid_line),
     ["NIMBALUN.MED: damaged: its last line has no line end"]),
    ("a mark as sha256sum -c takes it, and a zeroed byte", both(mark_rewritten(as_sha256sum_takes),
                                                                 zero_byte("Files.ins/Configur.exe")),
     ["Files.ins/Configur.exe: its bytes differ from the SHA-256 that NIMBALUN.MED lists"]),
    ("an image with 100 hard links to one file", image_of(hard_links(100)),
     ["extra/link099.bin: on the medium but not in NIMBALUN.MED's list"]),
)


class DamagedMedia(unittest.TestCase):
    def test_each_damaged_medium_is_refused_as_windows_would_meet_it(self):
        scratch = scratch_folder(self)
        for name, mutate, expected in DAMAGED:
            with self.subTest(name):
                disc = os.path.join(scratch, "cd")
                shutil.rmtree(disc, ignore_errors=True)
                shutil.copytree(os.path.join(BUILD, "medium"), disc)
                made = mutate(disc)
                medium = made if isinstance(made, str) else disc
                started = time.monotonic()
                code, text = run(*PYTHON, TOOL, "check", medium, preexec_fn=lambda: __import__(
                    "resource").setrlimit(__import__("resource").RLIMIT_AS, (1 << 30, 1 << 30)))
                self.assertEqual(code, 1, text)
                self.assertLess(time.monotonic() - started, 5, "bounded work")
                for start in expected:
                    start = start.replace("{medium}", medium)
                    self.assertTrue(any((line + "\n").startswith(start) for line in text.splitlines()),
                                    start + "\n" + text)

    def test_help_tells_every_option_and_exit_status(self):
        for verb, words in (("build", ("--product DIR", "--setup SETUP_EXE", "--out DIR", "--force", "--preflight")),
                            ("check", ("medium",))):
            code, text = run(*PYTHON, TOOL, verb, "--help")
            self.assertEqual(code, 0, text)
            for word in words + ("\n  0  done", "\n  1  refused", "\n  2  wrong usage", "\n  3  could not finish"):
                self.assertIn(word, text)

    def test_make_check_medium_tells_the_command_s_status(self):
        code, text = run("make", "-s", "-C", ROOT, "check-medium", "MEDIUM=" + os.path.join(BUILD, "nowhere"))
        self.assertEqual(code, 2, text)
        self.assertIn("Error 1", text)          # make exits 2; its last line names the command's 1


def tree(folder):
    """Every name below folder with the bytes of each file."""
    walked = FolderTree(folder)
    return walked.folders, {rel: read(os.path.join(folder, rel)) for rel in walked.files}


class CdModel(unittest.TestCase):
    def test_times_a_traced_read_sequence_on_the_model_drive(self):
        trace = ["100 pread64(5</cd/a.dat>, \"\"..., 5000, 0) = 5000",
                 "101 read(7</cd/b.dat>, <unfinished ...>",
                 "100 read(9</elsewhere/c>, \"\"..., 10) = 10",
                 "101 <... read resumed>\"\"..., 32768) = 3000",
                 "101 lseek(7</cd/b.dat>, 0, SEEK_SET) = 0",
                 "101 read(7</cd/b.dat>, \"\"..., 100) = 100"]
        reads = cd_model.traced_reads(trace, "/cd")
        self.assertEqual(reads, [("a.dat", 0, 5000), ("b.dat", 0, 3000), ("b.dat", 0, 100)])
        # a.dat in sectors 0-2, b.dat from byte 5000: b.dat follows on in the
        # kept sector 2 and reads 3 alone; read again from 5000 (sector 2,
        # behind), then a read far ahead: 6 sectors, 3 seeks, 1 backward.
        start = {"a.dat": 0, "b.dat": 5000}
        figures = cd_model.model([(start[rel] + offset, count) for rel, offset, count in reads]
                                 + [(20480, 2048)])
        self.assertEqual((figures.reads, figures.bytes, figures.seeks, figures.backward),
                         (4, 6 * 2048, 3, 1))
        self.assertAlmostEqual(figures.seconds, 6 * 2048 / 1228800 + 0.3)


class Checker(unittest.TestCase):
    def test_judges_the_crafted_lz_files_as_the_setup_does(self):
        for name, verdict, stored, expanded in lz_cases():
            with self.subTest(name):
                if stored == ENCODED:
                    stored = read(os.path.join(BUILD, "lz-encoded", name))
                    self.assertEqual(msexpand(stored), expanded)
                data, damage = compressed.expand_bytes(stored)
                self.assertEqual("refused" if damage else "whole", verdict, damage)
                if verdict == "whole":
                    self.assertEqual(data, expanded)

    def test_same_product_twice_gives_the_same_bytes_and_media_side_by_side_share_nothing(self):
        scratch = scratch_folder(self)
        product = sample_copy(scratch)
        built = []
        for name in ("first", "second"):
            out = os.path.join(scratch, "media", name)
            code, text = build(product, out)
            self.assertEqual(code, 0, text)
            built.append((tree(out), read(out + ".manifest"), read(out + ".iso")))
            os.utime(os.path.join(product, "Readme.exe"))       # a later copy of the same product
        self.assertEqual(built[0], built[1])
        self.assertEqual(sorted(os.listdir(os.path.join(scratch, "media"))),
                         ["first", "first.iso", "first.manifest", "second", "second.iso", "second.manifest"])

    def test_names_at_every_limit_and_windows_1252_names_read_back_and_are_listed(self):
        scratch = scratch_folder(self)
        product = sample_copy(scratch)
        names = ("R\u00e9sum\u00e9.txt", "\u0152uvre \u20ac.txt", "X.EX_", "README_", "n" * 60 + ".txt")
        for name in names:
            write("Files.ins/sources/" + name, b"contents of " + name.encode() * 40)(product)
        write("extra/a/b/c/d/e/f/deep.txt")(product)                        # a folder 8 levels deep
        write(path_of(120))(product)                                        # a path of 120 characters
        write("Files.ins/Instruct.rtf/Images/titre.bmp", b"")(product)     # its step copies nothing
        write("AUTORUN.INF", b"[autorun]\r\nopen=Readme.exe\r\n")(product)
        for top, dirs, files in os.walk(product):                           # as copied off a CD
            for name in dirs + files:
                os.chmod(os.path.join(top, name), 0o555 if name in dirs else 0o444)
        self.addCleanup(subprocess.run, ["chmod", "-R", "u+w", product])
        out = os.path.join(scratch, "medium")
        code, text = build(product, out)
        self.assertEqual(code, 0, text)
        image = out + ".iso"
        self.assertEqual(check(image), (0, "medium %s: ok\n" % image))
        # genisoimage's reader, not the builder's own, names what Windows sees.
        listing = subprocess.run(["isoinfo", "-J", "-j", "iso8859-15", "-f", "-i", image],
                                 stdout=subprocess.PIPE, check=True).stdout.decode("iso8859-15")
        for name in names:
            self.assertIn("/Files.ins/sources/" + name + "\n", listing)
        self.assertIn("/" + path_of(120) + "\n", listing)
        self.assertEqual(read(os.path.join(out, "AUTORUN.INF")), b"[autorun]\r\nopen=Readme.exe\r\n")
        listed = compressed.expand_bytes(read(os.path.join(out, "Files.ins", "Uninstal.lst")))[0].decode("cp1252")
        manifest = [line.split(" ", 1)[1] for line in read(out + ".manifest").decode().splitlines()]
        self.assertEqual(listed, "".join(n.replace("/", "\\") + "\r\n" for n in manifest))
        for name in names:
            self.assertIn("sources\\" + name + "\r\n", listed)
        self.assertNotIn("titre.bmp", listed)

    def test_a_read_only_product_builds_for_a_normal_user(self):
        if os.geteuid() != 0 or not shutil.which("runuser") or not os.path.exists("/usr/bin/python3"):
            self.skipTest("needs root to become the user nobody (runuser)")
        scratch = scratch_folder(self)
        os.chmod(scratch, 0o755)
        # The command and setup.exe where nobody reads them, wherever this clone lies.
        shutil.copytree(os.path.join(ROOT, "tools"), os.path.join(scratch, "tools"),
                        ignore=shutil.ignore_patterns("__pycache__"))
        shutil.copytree(os.path.join(ROOT, "install"), os.path.join(scratch, "install"))
        shutil.copy(os.path.join(BUILD, "setup.exe"), scratch)
        product = sample_copy(scratch)
        work = os.path.join(scratch, "work")
        os.mkdir(work)
        shutil.chown(work, "nobody")
        subprocess.run(["chmod", "-R", "a+rX,a-w", product], check=True)
        self.addCleanup(subprocess.run, ["chmod", "-R", "u+w", product])
        code, text = run("runuser", "-u", "nobody", "--", "/usr/bin/python3", os.path.join(scratch, "tools", "medium"),
                         "build", "--product", product, "--setup", os.path.join(scratch, "setup.exe"),
                         "--out", os.path.join(work, "medium"))
        self.assertEqual(code, 0, text)
        self.assertEqual(check(os.path.join(work, "medium.iso"))[0], 0)


class Folders(unittest.TestCase):
    def test_overlapping_or_foreign_folders_are_refused_before_any_work_and_left_intact(self):
        scratch = scratch_folder(self)
        product = sample_copy(scratch)
        write("notes/letter.txt")(scratch)
        write("a-file")(scratch)
        os.symlink(product, os.path.join(scratch, "product-link"))
        before = snapshot(scratch)
        fresh = os.path.join(scratch, "out")
        for out, given, named, rule in (
                (product, product, product, "is the product folder itself"),
                (os.path.join(scratch, "product-link"), product, os.path.join(scratch, "product-link"),
                 "not a folder"),
                (os.path.join(product, "medium"), os.path.join(scratch, "product-link"),
                 os.path.join(product, "medium"), "lies inside the product folder"),
                (scratch, product, scratch, "contains the product folder"),
                (os.path.join(scratch, "notes"), product, os.path.join(scratch, "notes"),
                 "neither empty nor a medium made by this command"),
                (os.path.join(scratch, "a-file"), product, os.path.join(scratch, "a-file"), "not a folder"),
                (fresh, os.path.join(scratch, "a-file"), os.path.join(scratch, "a-file"), "not a folder"),
                (fresh, os.path.join(scratch, "none"), os.path.join(scratch, "none"), "no such product folder")):
            with self.subTest(out=out, product=given):
                code, text = build(given, out)
                self.assertEqual(code, 1, text)
                self.assertTrue(text.startswith("%s: %s" % (named, rule)), text)
                self.assertEqual(snapshot(scratch), before)

    def test_what_is_not_the_command_s_own_is_refused_and_left_as_it_was(self):
        scratch = scratch_folder(self)
        product = sample_copy(scratch)
        out = os.path.join(scratch, "media", "medium")
        self.assertEqual(build(product, out)[0], 0)
        broken = sample_copy(scratch, "broken")
        remove("Lisezmoi.exe")(broken)
        another = sample_copy(scratch, "another")
        write("Files.ins/sources/more.txt", b"another product")(another)
        self.assertEqual(build(another, os.path.join(scratch, "another-medium"))[0], 0)
        another_image = os.path.join(scratch, "another-medium.iso")
        mounts = can_mount()

        def user_files(_):
            write("NOTES.txt")(out)
            write("drafts/letter.txt")(out)
            with open(os.path.join(out, "Readme.exe"), "ab") as stream:
                stream.write(b"edited")
        rows = [
            ("the user's files in a marked OUT", product, user_files, [],
             ["%s/NOTES.txt: in OUT, but not written by this command" % out,
              "%s/drafts: in OUT, but not written by this command" % out,
              "%s/Readme.exe: changed since this command wrote it" % out]),
            ("another medium's image in place of OUT's", product,
             lambda m: shutil.copy(another_image, os.path.join(m, "medium.iso")), [],
             ["%s.iso: not the image this command wrote for OUT" % out]),
            ("a damaged mark in OUT", product, lambda m: mark_rewritten(cut_mid_line)(os.path.join(m, "medium")), [],
             ["%s: its NIMBALUN.MED is damaged (its last line has no line end" % out]),
            ("the manifest a folder", product, both(remove("medium.manifest"), folder("medium.manifest")), [],
             ["%s.manifest: not a file, where the build writes OUT's manifest" % out]),
            ("a product refused after new parent folders", broken, nothing, ["--out", out + "-new/deeper/medium"],
             ["Lisezmoi.exe: missing"]),
            ("SOURCE_DATE_EPOCH past ISO 9660's dates", product, nothing, ["env", "SOURCE_DATE_EPOCH=99999999999"],
             ["wrong usage: SOURCE_DATE_EPOCH=99999999999"]),
        ]
        if mounts:
            rows += [
                ("the product bind-mounted from inside OUT", os.path.join(scratch, "view"),
                 lambda s: [os.makedirs(os.path.join(out, "prod")), os.makedirs(os.path.join(s, "view"))],
                 ["mount", "--bind", os.path.join(out, "prod"), os.path.join(scratch, "view")],
                 ["%s: contains the product folder" % out]),
                ("OUT a mount point", product, nothing, ["mount", "-t", "tmpfs", "tmpfs", out],
                 ["%s: a mount point" % out])]
        else:
            print("\nbind mount and mount point rows skipped: this machine lets no test mount")
        media, pristine = os.path.join(scratch, "media"), os.path.join(scratch, "pristine")
        shutil.copytree(media, pristine, symlinks=True)
        for name, given, prepare, how, expected in rows:
            with self.subTest(name):
                shutil.rmtree(media)
                shutil.copytree(pristine, media, symlinks=True)
                prepare(scratch if name.startswith("the product bind") else media)
                with contextlib.ExitStack() as stack:
                    extra, env = [], None
                    if how[:1] == ["mount"]:
                        stack.enter_context(mounted(*how[1:]))
                    elif how[:1] == ["env"]:
                        env = dict(os.environ, SOURCE_DATE_EPOCH=how[1].split("=", 1)[1])
                    else:
                        extra = how
                    before = snapshot(scratch)
                    code, text = build(given, *(extra[1:] if extra else [out]), env=env)
                    self.assertEqual(code, 2 if env else 1, text)
                    for start in expected:
                        self.assertTrue(any(line.startswith(start) for line in text.splitlines()), text)
                    self.assertEqual(snapshot(scratch), before)
                if name.startswith("another medium's"):
                    self.assertEqual(read(out + ".iso"), read(another_image))
                if "FORCE=1" in text and name.startswith(("the user's", "a damaged mark")):
                    code, text = build(given, out, "--force")
                    self.assertEqual(code, 0, text)
                    self.assertEqual(build(given, out)[0], 0)      # and it is the command's own again
                shutil.rmtree(os.path.join(scratch, "view"), ignore_errors=True)
        self.assertFalse(os.path.exists(out + "-new"))

    def test_a_move_that_fails_half_way_puts_all_three_back(self):
        scratch = scratch_folder(self)
        out = os.path.join(scratch, "medium")
        for name, data in (("medium/old.txt", b"old"), ("medium.iso", b"old image"), ("medium.manifest", b"old list"),
                           (".work/medium/new.txt", b"new"), (".work/image", b"new image"),
                           (".work/manifest", b"new list")):
            write(name, data)(scratch)
        real, calls = os.replace, []

        def failing(source, target):
            calls.append(source)
            if len(calls) == 5:
                raise OSError(28, "No space left on device", target)
            real(source, target)
        before = snapshot(scratch)
        builder.os.replace = failing
        try:
            with self.assertRaises(OSError):
                builder.replace(out, os.path.join(scratch, ".work"))
        finally:
            builder.os.replace = real
        self.assertEqual([read(os.path.join(scratch, n)) for n in ("medium/old.txt", "medium.iso", "medium.manifest")],
                         [b"old", b"old image", b"old list"])
        self.assertEqual([p for p in snapshot(scratch) if not p[0].startswith(".work/old")], before)

    def test_an_empty_folder_is_taken_and_a_killed_run_s_scratch_removed_but_never_the_product(self):
        scratch = scratch_folder(self)
        out = os.path.join(scratch, "medium")
        os.mkdir(out)
        product = sample_copy(scratch, ".medium" + scratch_folders.SCRATCH_TAG + "999999999")
        killed = subprocess.Popen([*PYTHON, TOOL, "build", "--product", product, "--setup",
                                   os.path.join(BUILD, "setup.exe"), "--out", out], stdout=subprocess.DEVNULL)
        self.addCleanup(killed.wait)
        while killed.poll() is None and not any(os.path.isdir(os.path.join(scratch, n, "medium"))
                                                for n in os.listdir(scratch) if n != os.path.basename(product)):
            time.sleep(0.01)
        killed.kill()
        self.assertEqual(killed.wait(), -signal.SIGKILL)
        code, text = build(product, out)
        self.assertEqual(code, 0, text)
        self.assertEqual(sorted(os.listdir(scratch)), sorted([os.path.basename(product), "medium", "medium.iso",
                                                              "medium.manifest"]))

    def test_two_builds_of_one_out_from_two_process_id_namespaces(self):
        if subprocess.run(["unshare", "--pid", "--fork", "true"], stderr=subprocess.DEVNULL).returncode:
            self.skipTest("needs root to make process-id namespaces (unshare)")
        scratch = scratch_folder(self)
        out = os.path.join(scratch, "medium")
        command = ["unshare", "--pid", "--fork", *PYTHON, TOOL, "build", "--product",
                   os.path.join(BUILD, "sample-product"), "--setup", os.path.join(BUILD, "setup.exe"), "--out", out]
        runs = [subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                for _ in range(2)]
        for process in runs:
            text = process.communicate()[0]
            self.assertIn(process.returncode, (0, 1), text)
        self.assertEqual(check(out), (0, "medium %s: ok\n" % out))
        self.assertEqual(sorted(os.listdir(scratch)), ["medium", "medium.iso", "medium.manifest"])

    def test_out_and_product_through_a_link_and_dot_dot_are_the_folders_the_kernel_means(self):
        scratch = scratch_folder(self)
        os.makedirs(os.path.join(scratch, "far", "deep"))
        os.symlink(os.path.join(scratch, "far", "deep"), os.path.join(scratch, "ln"))
        sample_copy(os.path.join(scratch, "far"), "P")
        remove("Lisezmoi.exe")(sample_copy(scratch, "P"))         # what ln/../P means by its text
        self.assertEqual(build(os.path.join(BUILD, "sample-product"), os.path.join(scratch, "m"))[0], 0)
        before = snapshot(scratch)
        code, text = build(os.path.join(scratch, "ln", "..", "P"), os.path.join(scratch, "ln", "..", "m"))
        self.assertEqual(code, 0, text)
        self.assertIn("medium: %s, image: %s.iso" % ((os.path.join(scratch, "far", "m"),) * 2), text)
        self.assertEqual(check(os.path.join(scratch, "far", "m"))[0], 0)
        self.assertEqual([p for p in snapshot(scratch) if not p[0].startswith("far")],
                         [p for p in before if not p[0].startswith("far")])


def holds_signals_back(pid):
    """Whether the command's first line ran: it holds SIGINT back from there
    until its handlers are in place (or the process is gone)."""
    try:
        with open("/proc/%d/status" % pid) as stream:
            blocked = [line.split()[1] for line in stream if line.startswith("SigBlk:")]
    except OSError:
        return True
    return bool(int(blocked[0], 16) & 1 << (signal.SIGINT - 1)) if blocked else True


class Signals(unittest.TestCase):
    def test_a_signal_at_any_moment_leaves_the_old_medium_or_the_new_one_whole(self):
        scratch = scratch_folder(self)
        product = sample_copy(scratch)
        out = os.path.join(scratch, "medium")
        self.assertEqual(build(os.path.join(BUILD, "sample-product"), out)[0], 0)
        old = snapshot(scratch)
        command = [*PYTHON, TOOL, "build", "--product", product, "--setup", os.path.join(BUILD, "setup.exe"),
                   "--out", out]
        # From the command's first line (its imports) to its last, and a
        # hang-up that nohup made the command ignore.
        for delay, number, ignored in ((0, signal.SIGINT, False), (0.1, signal.SIGTERM, False),
                                       (0.35, signal.SIGINT, False), (0.6, signal.SIGHUP, False),
                                       (0.85, signal.SIGINT, False), (0.3, signal.SIGHUP, True)):
            with self.subTest(delay=delay, signal=number, ignored=ignored):
                newer = ("a newer product, %s" % delay).encode()
                write("Files.ins/sources/new.txt", newer)(product)
                process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                           preexec_fn=(lambda: signal.signal(signal.SIGHUP, signal.SIG_IGN))
                                           if ignored else None)
                while not holds_signals_back(process.pid):
                    time.sleep(0.001)
                time.sleep(delay)
                process.send_signal(number)
                text = process.communicate()[0]
                self.assertNotIn("Traceback", text)
                code = process.returncode
                if ignored:
                    self.assertEqual(code, 0, text)
                elif code != 0:
                    self.assertEqual(code, 128 + number, text)
                    self.assertIn("interrupted by %s" % signal.Signals(number).name, text)
                replaced = code == 0 or "were replaced" in text
                self.assertEqual([n for n in os.listdir(scratch) if scratch_folders.SCRATCH_TAG in n], [])
                if replaced:
                    self.assertEqual(check(out)[0], 0)
                    stored = read(os.path.join(out, "Files.ins/sources/new.txt"))
                    self.assertEqual(compressed.expand_bytes(stored)[0], newer)
                    old = snapshot(scratch)
                else:
                    self.assertEqual([p for p in snapshot(scratch) if not p[0].startswith("product")],
                                     [p for p in old if not p[0].startswith("product")], text)


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
