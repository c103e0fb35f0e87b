"""The order in which a machine reads the medium's files during an
installation, which is the order the image lays their data out in: a CD
drive then reads the copy with no seek back, and with one seek at most
where a copy step begins.

First what is read before the copy: AUTORUN.INF, which Windows reads when
the CD goes in, setup.exe, which it then starts, and the HTML instructions
that the setup opens beside its window (the viewer reads them in place; the
pictures they show depend on the viewer and are left in their step). Then
each copy step of the layout table in turn, its files in the order the
setup's search finds them: on a CD, Windows 95 returns a folder's names in
the order of its Joliet directory records, which are sorted by their UCS-2
codes. A file read twice lies where it is first read. Files that no step
reads (the medium's mark) come last, by name."""
import os

from .layout import AUTORUN, COPY_STEPS, DISTRIBUTION, EVERY_FILE, SETUP, key

VIEWED_BEFORE_THE_COPY = tuple(DISTRIBUTION + "/Instruct.htm/%s.htm/nimbalun.htm" % language
                               for language in ("English", "Francais"))
READ_BEFORE_THE_COPY = (AUTORUN, SETUP) + VIEWED_BEFORE_THE_COPY


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
    order, seen = [], set()
    steps = [[rel for rel in READ_BEFORE_THE_COPY if key(rel) in by_key]]
    steps += [step_files(files, folder, name) for folder, name, _ in COPY_STEPS]
    steps.append(sorted(files))
    for step in steps:
        for rel in step:
            if key(rel) not in seen:
                seen.add(key(rel))
                order.append(by_key[key(rel)])
    return order
