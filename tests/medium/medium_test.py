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


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
