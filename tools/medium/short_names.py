"""Windows 95's short names (8.3) on the FAT disk the setup copies to. A
long name gets the short name of its first letters and a "~N" tail, N the
first number free in its folder, so a name of that very form beside it,
such as alongn~1.txt beside alongname.txt, may be the one that opens the
other's file."""
import os
import re

from .layout import key

INVALID = frozenset("+,;=[]")
TAILED = re.compile(r"^([^.~]{0,7})~([1-9][0-9]{0,5})(?:\.([^.]{1,3}))?$")


def basis(name):
    """(base, extension) of the short name Windows 95 makes of a long name,
    before its tail; None for a name that is a short name itself."""
    upper = name.upper()
    base, dot, extension = upper.rpartition(".")
    if not dot:
        base, extension = upper, ""
    if 1 <= len(base) <= 8 and len(extension) <= 3 and "." not in base and " " not in upper \
            and not INVALID & set(upper):
        return None

    def clean(part):
        return "".join("_" if c in INVALID else c for c in part if c not in " .")
    return clean(base.lstrip(".")), clean(extension)[:3]


def twins(names):
    """(short, long) for each short name in names that Windows 95 may give
    to a long name among them."""
    by_length = {}
    for name in names:
        parts = basis(name)
        for tail_length in range(2, 8) if parts else ():
            by_length.setdefault((parts[0][:8 - tail_length], parts[1], tail_length), name)
    found = []
    for name in names:
        tailed = TAILED.match(name.upper())
        if tailed:
            prefix, number, extension = tailed.group(1), tailed.group(2), tailed.group(3) or ""
            other = by_length.get((prefix, extension, len(number) + 1))
            if other is not None and int(number) <= len(names):
                found.append((name, other))
    return found


def check_short_names(medium):
    """A name that is the ~N short name of another in its folder."""
    folders = {}
    for rel in medium.folders + medium.files:
        folders.setdefault(key(os.path.dirname(rel)), []).append(rel)
    for rels in folders.values():
        names = {os.path.basename(rel): rel for rel in rels}
        for short, long in twins(list(names)):
            medium.fail(names[short], "Windows 95 may give %s this name as its short name on the FAT disk "
                        "the setup copies to, and then one would open the other's file: rename it"
                        % long)
