"""The order in which a machine reads the medium's files during an
installation, which is the order the image lays their data out in: a CD
drive then reads the copy with no seek back, and with one seek at most
where a copy step begins.

First what is read before the copy: AUTORUN.INF, which Windows reads when
the CD goes in, and setup.exe, which it then starts. Then each copy step of
the layout table in turn, its files in the order the setup's search finds
them: on a CD, Windows 95 returns a folder's names in the order of its
Joliet directory records, which are sorted by their UCS-2 codes. Files that
nothing reads (the medium's mark) come last, by name.

A file lies where its copy reads it, so a file read twice costs seeks at
its other read: the HTML instructions, which the viewer opens before the
copy, a seek there and one back; the group template, which the setup reads
again after the copy, a seek back. Either placed apart from its step would
cost the copy a seek there and one back instead, in each step that holds
one."""
import os

from .layout import AUTORUN, COPY_STEPS, EVERY_FILE, SETUP, key

READ_BEFORE_THE_COPY = (AUTORUN, SETUP)


def directory_order(rel):
    """Where a name stands in its Joliet directory."""
    return os.path.basename(rel).encode("utf-16-be")


def step_files(files, folder, name):
    """The files one copy step finds, in the order its search finds them."""
    return sorted((rel for rel in files if key(os.path.dirname(rel)) == key(folder)
                   and (name == EVERY_FILE or key(os.path.basename(rel)) == key(name))),
                  key=directory_order)


def reading_order(files):
    """files (medium paths, "/" between names) in the order they are read."""
    by_key = {key(rel): rel for rel in files}
    read = [by_key[key(rel)] for rel in READ_BEFORE_THE_COPY if key(rel) in by_key]
    read += [rel for folder, name, _ in COPY_STEPS for rel in step_files(files, folder, name)]
    order, seen = [], set()
    for rel in read + sorted(files):
        if key(rel) not in seen:
            seen.add(key(rel))
            order.append(rel)
    return order
