#!/usr/bin/env python3
"""The medium command as a maintainer uses it: the sample medium's stored
forms and ISO image, and products that break one rule each, refused with
the file named and the earlier medium left as it was.

usage: medium_test.py BUILD_DIR   (the build holding the sample medium)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL = os.path.join(ROOT, "tools", "medium.py")
sys.path.insert(0, os.path.join(ROOT, "tools"))
import medium  # noqa: E402  the rules' own tables, to walk the sample by them

BUILD = None


def run(*args):
    result = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def build(product, out):
    return run(sys.executable, TOOL, "build", "--product", product,
               "--setup", os.path.join(BUILD, "setup.exe"), "--out", out)


def compress_in_place(path):
    subprocess.run(["mscompress", path], check=True, stdout=subprocess.DEVNULL)
    os.replace(path + "_", path)


def snapshot(folder):
    """Every file below folder, with its size and time: what "untouched" means."""
    return sorted((os.path.relpath(os.path.join(top, n), folder), os.stat(os.path.join(top, n)).st_mtime_ns,
                   os.path.getsize(os.path.join(top, n))) for top, _, names in os.walk(folder) for n in names)


def read(path):
    with open(path, "rb") as stream:
        return stream.read()


class SampleMedium(unittest.TestCase):
    def test_stored_forms_on_the_medium_and_in_the_image(self):
        product = os.path.join(BUILD, "sample-product")
        disc = os.path.join(BUILD, "medium")
        image = os.path.join(BUILD, "nimbalune.iso")
        self.assertEqual(medium.check(disc), [])
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        _, files = medium.walk(product)
        for rel in files:
            original = read(os.path.join(product, rel))
            stored = read(os.path.join(disc, rel))
            if medium.is_read_in_place(rel):
                self.assertEqual(stored, original, rel)
                code, _ = run("sh", "-c", 'isoinfo -J -x "/$0" -i "$1" > "$2"', rel, image,
                              os.path.join(scratch, "read-back"))
                self.assertEqual((code, read(os.path.join(scratch, "read-back"))), (0, original), rel)
                continue
            packed = os.path.join(scratch, "packed")
            with open(packed, "wb") as stream:
                stream.write(original)
            compress_in_place(packed)
            if len(read(packed)) < len(original):
                self.assertEqual(stored, read(packed), rel + " is stored compressed")
            else:
                self.assertEqual(stored, original, rel + " does not shrink, so it is stored plain")


def remove(*rels):
    return lambda p: [os.remove(os.path.join(p, r)) for r in rels]


def write(rel, data=b"x"):
    def mutate(p):
        os.makedirs(os.path.dirname(os.path.join(p, rel)), exist_ok=True)
        with open(os.path.join(p, rel), "wb") as stream:
            stream.write(data)
    return mutate


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


# Each product breaks the rules in one way; every line named must be said.
REFUSALS = (
    ("programs missing", remove("Files.ins/Configur.exe", "Lisezmoi.exe"),
     ["Files.ins/Configur.exe: missing", "Lisezmoi.exe: missing"]),
    ("instructions given compressed", lambda p: compress_in_place(
        os.path.join(p, "Files.ins/Instruct.htm/English.htm/options.htm")),
     ["Files.ins/Instruct.htm/English.htm/options.htm: stored compressed"]),
    ("a folder no step copies", write("Files.ins/sources/old/notes.txt"),
     ["Files.ins/sources/old: no copy step copies this folder"]),
    ("more than the free space asked", many_small_files, ["Files.ins: the installation needs"]),
    ("names differing by case", write("Files.ins/sources/SUJETS.TXT"),
     ["Files.ins/sources/sujets.txt: differs from Files.ins/sources/SUJETS.TXT only by letter case"]),
    ("a name Joliet cannot hold", write("Files.ins/sources/" + "n" * 61 + ".txt"),
     ["Files.ins/sources/" + "n" * 61 + ".txt: name of 65 characters"]),
    ("a folder too deep for the image", write("extra/a/b/c/d/e/f/g/deep.txt"),
     ["extra/a/b/c/d/e/f/g: folder 9 levels deep"]),
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
    ("files named like created folders", both(write("Files.ins/screen8.bmp"), write("Files.ins/TEMP")),
     ["Files.ins/screen8.bmp: named like the folder screen8.bmp", "Files.ins/TEMP: named like the folder temp"]),
    ("files the installation deletes", both(write("Files.ins/setup.exe"), write("Files.ins/LinkNL.exe")),
     ["Files.ins/setup.exe: the installation deletes", "Files.ins/LinkNL.exe: the installation deletes"]),
    ("a file installed twice", write("Files.ins/Readme.exe"),
     ["Files.ins/Readme.exe: installed as Readme.exe, as Readme.exe is"]),
    ("names Windows 95 cannot hold", both(write("Files.ins/sources/\u03a9mega.txt"), write("Files.ins/sources/a:b"),
                                          write("Files.ins/sources/aux.txt")),
     ["Files.ins/sources/\u03a9mega.txt: a name with characters outside Windows-1252",
      "Files.ins/sources/a:b: a name with a character", "Files.ins/sources/aux.txt: a device's name"]),
    ("links and a FIFO", both(link("Files.ins/sources/gone.txt", "nowhere"), link("Files.ins/more", "sources"),
                              lambda p: os.mkfifo(os.path.join(p, "Files.ins/sources/pipe"))),
     ["Files.ins/sources/gone.txt: a link to nothing", "Files.ins/more: a link to a folder",
      "Files.ins/sources/pipe: neither a file nor a folder"]),
    ("an AUTORUN.INF that starts nothing", write("AUTORUN.INF", b"[AutoRun]\r\nopen=install.exe /s\r\n"),
     ["AUTORUN.INF: open=install.exe starts a program that is not on the medium"]),
)


class Refusals(unittest.TestCase):
    def test_each_broken_product_is_refused_and_the_earlier_medium_kept(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        out = os.path.join(scratch, "out", "medium")
        code, text = build(os.path.join(BUILD, "sample-product"), out)
        self.assertEqual(code, 0, text)
        before = snapshot(os.path.dirname(out))
        for name, mutate, expected in REFUSALS:
            with self.subTest(name):
                product = os.path.join(scratch, "product")
                shutil.rmtree(product, ignore_errors=True)
                shutil.copytree(os.path.join(BUILD, "sample-product"), product)
                mutate(product)
                code, text = build(product, out)
                self.assertEqual(code, 1, text)
                lines = text.splitlines()
                for start in expected:
                    self.assertTrue(any(line.startswith(start) for line in lines), text)
                self.assertEqual(snapshot(os.path.dirname(out)), before)

    def test_check_medium_refuses_compressed_instructions(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        disc = os.path.join(scratch, "cd")
        shutil.copytree(os.path.join(BUILD, "medium"), disc)
        compress_in_place(os.path.join(disc, "Files.ins", "Instruct.rtf", "Francais.rtf", "NimbaLun.rtf"))
        code, text = run("make", "-s", "-C", ROOT, "check-medium", "MEDIUM=" + disc)
        self.assertNotEqual(code, 0, text)
        self.assertIn("Files.ins/Instruct.rtf/Francais.rtf/NimbaLun.rtf: stored compressed", text)


def lz_cases():
    """The crafted stored files that the setup's expander judges in its unit test."""
    def parse(text):
        return b"" if text == "-" else bytes.fromhex(text.replace(".", ""))
    with open(os.path.join(ROOT, "tests", "medium", "lz_cases.txt")) as stream:
        rows = [line.split() for line in stream if line.strip() and not line.startswith("#")]
    return [(name, verdict, parse(stored), parse(expanded)) for name, verdict, stored, expanded in rows]


def tree(folder):
    """Every name below folder with the bytes of each file."""
    folders, files = medium.walk(folder)
    return folders, {rel: read(os.path.join(folder, rel)) for rel in files}


class Checker(unittest.TestCase):
    def test_judges_the_crafted_lz_files_as_the_setup_does(self):
        for name, verdict, stored, expanded in lz_cases():
            with self.subTest(name):
                data, damage = medium.lz_expand(stored)
                self.assertEqual("refused" if damage else "whole", verdict, damage)
                if verdict == "whole":
                    self.assertEqual(data, expanded)

    def test_same_product_twice_gives_the_same_bytes(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        product = os.path.join(scratch, "product")
        shutil.copytree(os.path.join(BUILD, "sample-product"), product)
        built = []
        for run_number in (1, 2):
            out = os.path.join(scratch, "run%d" % run_number, "medium")
            code, text = build(product, out)
            self.assertEqual(code, 0, text)
            built.append((tree(out), read(out + ".manifest"),
                          read(os.path.join(os.path.dirname(out), "nimbalune.iso"))))
            os.utime(os.path.join(product, "Readme.exe"))       # a later copy of the same product
        self.assertEqual(built[0], built[1])

    def test_windows_1252_names_read_back_and_the_manifest_lists_what_is_copied(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        product = os.path.join(scratch, "product")
        shutil.copytree(os.path.join(BUILD, "sample-product"), product)
        names = ("R\u00e9sum\u00e9.txt", "\u0152uvre \u20ac.txt")
        for name in names:
            write("Files.ins/sources/" + name, b"contents of " + name.encode())(product)
        write("Files.ins/Instruct.rtf/Images/titre.bmp", b"")(product)     # its step copies nothing
        write("AUTORUN.INF", b"[autorun]\r\nopen=Readme.exe\r\n")(product)
        out = os.path.join(scratch, "medium")
        code, text = build(product, out)
        self.assertEqual(code, 0, text)
        image = os.path.join(scratch, "nimbalune.iso")
        self.assertEqual(run(sys.executable, TOOL, "check", image), (0, "medium %s: ok\n" % image))
        # genisoimage's reader, not the builder's own, names what Windows sees.
        listing = subprocess.run(["isoinfo", "-J", "-j", "iso8859-15", "-f", "-i", image],
                                 stdout=subprocess.PIPE, check=True).stdout.decode("iso8859-15")
        for name in names:
            self.assertIn("/Files.ins/sources/" + name + "\n", listing)
        self.assertEqual(read(os.path.join(out, "AUTORUN.INF")), b"[autorun]\r\nopen=Readme.exe\r\n")
        listed = medium.lz_expand(read(os.path.join(out, "Files.ins", "Uninstal.lst")))[0].decode("cp1252")
        manifest = [line.split(" ", 1)[1] for line in read(out + ".manifest").decode().splitlines()]
        self.assertEqual(listed, "".join(n.replace("/", "\\") + "\r\n" for n in manifest))
        self.assertIn("sources\\" + names[1] + "\r\n", listed)
        self.assertNotIn("titre.bmp", listed)


class Folders(unittest.TestCase):
    def test_overlapping_or_foreign_folders_are_refused_before_any_work_and_left_intact(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        product = os.path.join(scratch, "product")
        shutil.copytree(os.path.join(BUILD, "sample-product"), product)
        write("notes/letter.txt")(scratch)
        write("a-file")(scratch)
        before = snapshot(scratch)
        fresh = os.path.join(scratch, "out")
        for out, given, named, rule in (
                (product, product, product, "is the product folder itself"),
                (os.path.join(product, "medium"), product, os.path.join(product, "medium"),
                 "lies inside the product folder"),
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

    def test_an_empty_folder_is_taken_and_a_killed_run_s_scratch_removed(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        out = os.path.join(scratch, "medium")
        os.mkdir(out)
        stale = os.path.join(scratch, ".medium" + medium.SCRATCH_TAG + "999999999")
        write("medium/setup.exe")(stale)
        code, text = build(os.path.join(BUILD, "sample-product"), out)
        self.assertEqual(code, 0, text)
        self.assertEqual(sorted(os.listdir(scratch)), ["medium", "medium.manifest", "nimbalune.iso"])


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
