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


def make_image(root, image, epoch):
    """An ISO 9660 image with Joliet names, for Windows 95, and no Rock Ridge,
    whose owners and modes would make it depend on the builder's machine."""
    xorriso("-outdev", image, "-volid", VOLUME_ID, "-joliet", "on", "-rockridge", "off",
            "-map", root, "/", "-commit", epoch=epoch)
