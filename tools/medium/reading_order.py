"""The order in which a machine reads the medium's files during an
installation, which is the order the image lays their data out in: a CD
drive then reads the copy with no seek back, and with one seek at most
where a copy step begins.

First what is read before the copy: AUTORUN.INF, which Windows reads when
the CD goes in, and setup.exe, which it then starts. Then each copy step of
the layout table in turn, its files in the order the setup's search finds
them: on a CD, Windows 95 returns a folder's names in the order of its
Joliet directory records, which are sorted by their UCS-2 codes. Last the
group template, which the setup reads again after the copy to make the
Program Manager group: where it lies, its step skips it forward and the
read after the copy follows on from the last step.

A file lies where one read of it is, so a file read twice costs a seek at
the other read. The HTML instructions that the setup opens before the copy
stay in their step: placed first, they would cost the copy a seek back and
a seek forth in each of their two steps, where left in place the viewer's
read costs a seek forth and one back, before the copy. Files that nothing
reads (the medium's mark) come last, by name."""
import os

from .layout import AUTORUN, COPY_STEPS, GROUP_TEMPLATE, SETUP, EVERY_FILE, key

READ_BEFORE_THE_COPY = (AUTORUN, SETUP)
READ_AFTER_THE_COPY = (GROUP_TEMPLATE,)


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

    def present(names):
        return [by_key[key(rel)] for rel in names if key(rel) in by_key]
    last = present(READ_AFTER_THE_COPY)
    later = {key(rel) for rel in last}
    read = present(READ_BEFORE_THE_COPY) + [rel for folder, name, _ in COPY_STEPS
                                            for rel in step_files(files, folder, name)]
    order, seen = [], set()
    for rel in [rel for rel in read if key(rel) not in later] + last + sorted(files):
        if key(rel) not in seen:
            seen.add(key(rel))
            order.append(rel)
    return order
