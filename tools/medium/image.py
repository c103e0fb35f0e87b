"""The ISO 9660 image, written with Joliet names by xorriso (iso_reader.py
reads it back as Windows 95 does)."""
import os
import subprocess

from .layout import VOLUME_ID


def xorriso(*args, epoch=None):
    """Runs xorriso on file names in UTF-8; its chatter is shown only when it fails."""
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    result = subprocess.run(["xorriso", "-no_rc", "-report_about", "FAILURE", "-local_charset",
                             "UTF-8"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            env=env, check=False)
    if result.returncode:
        lines = result.stdout.decode("utf-8", "replace").strip().splitlines()
        raise RuntimeError("xorriso failed%s" % (": " + lines[-1] if lines else ""))


def make_image(root, image, epoch, order=()):
    """An ISO 9660 image with Joliet names, for Windows 95, and no Rock Ridge,
    whose owners and modes would make it depend on the builder's machine.
    The data of the files in order (medium paths) lie in that order, before
    any other file's: each gets a sort weight, the highest first. The weights
    go through a file of xorriso commands, one line a file: names hold no
    double quote, and patterns are off, so every name is taken as it is."""
    weights = image + ".weights"
    with open(weights, "w", encoding="utf-8") as stream:
        for index, rel in enumerate(order):
            stream.write('-find "/%s" -exec sort_weight %d --\n' % (rel, len(order) - index))
    try:
        xorriso("-outdev", image, "-volid", VOLUME_ID, "-joliet", "on", "-rockridge", "off",
                "-iso_rr_pattern", "off", "-map", root, "/", "-options_from_file", weights, "-commit",
                epoch=epoch)
    finally:
        os.remove(weights)

