#!/usr/bin/env python3
"""scripts/deps.sh against a stub apt-get that fails as a package archive
being refreshed does: what it tried, what it printed and how it ended."""
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FETCH_FAILED = ("E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/"
                "binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?")
BROKEN = "E: Unable to correct problems, you have held broken packages."

# Every package counts as missing; the foreign architecture is there.
STUBS = {
    "dpkg-query": "exit 1\n",
    "dpkg": 'echo "dpkg $*" >> "$STUB_LOG"; [ "$1" = --print-foreign-architectures ] && echo i386; exit 0\n',
    "apt-get": r'''echo "apt-get $*" >> "$STUB_LOG"
tries="$STUB_DIR/$1.tries"; echo x >> "$tries"; n=$(wc -l < "$tries")
case "$STUB_CASE:$1" in
update_fails_once:update) [ "$n" -gt 1 ] && exit 0 ;;
update_fails:update) ;;
install_needs_release:install) case " $* " in *" -t "*|*" wine "*) ;; *) exit 0 ;; esac
    case " $* " in *" -t "*) exit 0 ;; esac; echo "$BROKEN" >&2; exit 100 ;;
nothing_installs:install) echo "E: Unable to locate package wine" >&2; exit 100 ;;
*) exit 0 ;;
esac
echo "$FETCH_FAILED" >&2; exit 100
''',
}


def release():
    with open("/etc/os-release") as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)["VERSION_CODENAME"].strip('"')


class DepsScript(unittest.TestCase):
    def run_deps(self, case):
        stub_dir = tempfile.mkdtemp(prefix="deps-stub-")
        for name, body in STUBS.items():
            path = os.path.join(stub_dir, name)
            with open(path, "w") as f:
                f.write("#!/bin/sh\n" + body)
            os.chmod(path, 0o755)
        log = os.path.join(stub_dir, "calls")
        env = dict(os.environ, PATH=stub_dir + ":" + os.environ["PATH"], STUB_DIR=stub_dir, STUB_LOG=log,
                   STUB_CASE=case, FETCH_FAILED=FETCH_FAILED, BROKEN=BROKEN, NL_APT_RETRY_PAUSE="0")
        done = subprocess.run(["sh", os.path.join(ROOT, "scripts/deps.sh")], env=env, capture_output=True,
                              text=True, timeout=120)
        calls = open(log).read().splitlines() if os.path.exists(log) else []
        apt = [c.split()[1] + (" -t " + c.split(" -t ")[1].split()[0] if " -t " in c else "")
               for c in calls if c.startswith("apt-get")]
        return done.returncode, apt, done.stderr

    @unittest.skipUnless(os.geteuid() == 0, "deps.sh installs only as root")
    def test_each_failure_of_the_archive(self):
        target = "install -t " + release()
        rows = [
            # case, exit status, apt-get calls, lines the output must hold
            ("update_fails_once", 0, ["update", "update", "install"], []),
            ("update_fails", 0, ["update", "update", "install"],
             ["a package index could not be refreshed; going on with the lists at hand", FETCH_FAILED]),
            ("install_needs_release", 0, ["update", "install", "install", target],
             ["no matching set of versions; installing Wine from the release " + release()]),
            ("nothing_installs", 1, ["update", "install"],
             ["could not install: g++-mingw-w64-i686-posix", "Unable to locate package wine",
              "run again as root: sh scripts/deps.sh"]),
        ]
        for case, status, apt, lines in rows:
            with self.subTest(case=case):
                got_status, got_apt, output = self.run_deps(case)
                self.assertEqual((got_status, got_apt), (status, apt), output)
                for line in lines:
                    self.assertIn(line, output)
                if case == "update_fails_once":
                    self.assertNotIn("could not be refreshed", output)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
