"""The build's scratch folder beside OUT, and the lock that makes it safe
to remove what a killed build left there.

Builds in one parent folder take turns: each holds a lock (flock) on that
folder from before it looks at other scratch folders until it ends, and
the kernel drops the lock when the process ends, however it ends and
whichever process-id namespace it runs in. A scratch folder records who
made it. Under the lock, a folder is removed only when it is a real folder
of this user named as OUT's scratch, carries the record for this very OUT,
and is not the product: no live build holds it, since none runs."""
import errno
import fcntl
import os
import stat
import tempfile

SCRATCH_TAG = ".medium-scratch-"
RECORD = "made-by"
RECORD_LONGEST = 4096


def scratch_name(out):
    return "." + os.path.basename(out) + SCRATCH_TAG


def record_text(out):
    return ("a scratch folder of tools/medium build --out %s\n" % out).encode("utf-8", "surrogateescape")


def take_turn(out):
    """The lock of OUT's parent folder, waited for while another build
    holds it: the file descriptor to close at the end, or None when the
    file system has no such locks (then nothing is swept)."""
    fd = os.open(os.path.dirname(out), os.O_RDONLY | os.O_DIRECTORY)
    try:
        fcntl.flock(fd, fcntl.LOCK_EX)
    except OSError as error:
        os.close(fd)
        if error.errno in (errno.ENOLCK, errno.EBADF, errno.EOPNOTSUPP, errno.EINVAL):
            return None
        raise
    except BaseException:
        os.close(fd)
        raise
    return fd


def make_scratch(out):
    """A new scratch folder beside OUT that records it is this command's."""
    path = tempfile.mkdtemp(prefix=scratch_name(out), dir=os.path.dirname(out))
    fd = os.open(os.path.join(path, RECORD), os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o600)
    with os.fdopen(fd, "wb") as stream:
        stream.write(record_text(out))
    return path


def is_left_behind(out, path, product_identities):
    """Whether path is a scratch folder that a build of OUT made and left."""
    try:
        info = os.lstat(path)
        if not os.path.isdir(path) or os.path.islink(path) or info.st_uid != os.geteuid() \
                or (info.st_dev, info.st_ino) in product_identities:
            return False
        fd = os.open(os.path.join(path, RECORD), os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
        with os.fdopen(fd, "rb") as stream:
            return stat.S_ISREG(os.fstat(fd).st_mode) and stream.read(RECORD_LONGEST) == record_text(out)
    except OSError:
        return False


def remove_left_behind(out, product_identities):
    """Removes the scratch folders that builds of OUT left when they were
    killed; called with the parent's lock held."""
    parent, prefix = os.path.dirname(out), scratch_name(out)
    for name in os.listdir(parent):
        path = os.path.join(parent, name)
        if name.startswith(prefix) and is_left_behind(out, path, product_identities):
            remove_tree(path)


def remove_tree(path):
    """Removes a scratch tree of the command's own, never through a link."""
    if not os.path.lexists(path):
        return
    if os.path.islink(path) or not os.path.isdir(path):
        os.remove(path)
        return
    for top, dirs, _ in os.walk(path):  # a read-only folder gives up its files too
        for name in [""] + dirs:
            try:
                if not os.path.islink(os.path.join(top, name)):
                    os.chmod(os.path.join(top, name), 0o700)
            except OSError:
                pass
    for top, dirs, files in os.walk(path, topdown=False):
        for name in files:
            try:
                os.remove(os.path.join(top, name))
            except OSError:
                pass
        for name in dirs:
            full = os.path.join(top, name)
            try:
                if os.path.islink(full):
                    os.remove(full)
                else:
                    os.rmdir(full)
            except OSError:
                pass
    try:
        os.rmdir(path)
    except OSError:
        pass
