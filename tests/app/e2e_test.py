#!/usr/bin/python3
"""fancad run on scripts, end to end: its command line, a script answer that does not fit,
and fancad against a hostile user: devices, FIFOs, modes and owners at the path of a save (as
root and, through setpriv, as the user nobody), killed saves. The drawings fancad saves
are read back by ezdxf and checked by the project's drawing checker. (Failing commands
and scripts and names that are not UTF-8 are the host's own tests; drawings whose blocks,
values, handles or angles are out of the ordinary, the drawing database's.)

Usage: e2e_test.py --fancad BIN --testmodule LIB --checker PY --workdir DIR [Scripts|Hostile]
"""
import argparse
import os
import pwd
import shutil
import signal
import stat
import subprocess
import sys
import time
import unittest

import ezdxf

ARGS = None


def is_root():
    return os.geteuid() == 0


def reachable_by_others(path):
    """Whether every folder above path lets other users through (mode o+x)."""
    folder = os.path.dirname(os.path.abspath(path))
    while folder != os.path.dirname(folder):
        if not os.stat(folder).st_mode & stat.S_IXOTH:
            return False
        folder = os.path.dirname(folder)
    return True


class Fancad(unittest.TestCase):
    """A folder of the test's own under the work folder, open to the user nobody too."""

    def setUp(self):
        self.dir = os.path.join(ARGS.workdir, self.id().split(".")[-1])
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        os.chmod(self.dir, 0o777)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def fancad(self, script, *args, user=None):
        """Runs fancad on a script (str or bytes) with the test module, as `user` through
        setpriv; returns the completed process (bytes)."""
        with open(self.path("test.scr"), "wb") as f:
            f.write(script if isinstance(script, bytes) else script.encode("utf-8"))
        os.chmod(self.path("test.scr"), 0o644)
        cmd = [ARGS.fancad, "--headless", "--script", self.path("test.scr"), "--module",
               ARGS.testmodule]
        if user:
            account = pwd.getpwnam(user)
            cmd = ["setpriv", "--reuid=%d" % account.pw_uid, "--regid=%d" % account.pw_gid,
                   "--clear-groups"] + cmd
        return subprocess.run(cmd + list(args), cwd=self.dir, capture_output=True, timeout=60)

    def ran(self, r):
        self.assertEqual(r.returncode, 0, r.stderr)
        return r.stdout.decode("utf-8")

    def drawing(self, name):
        doc = ezdxf.new("R2010")
        doc.modelspace().add_circle((0, 0), 1)
        doc.saveas(self.path(name))
        return self.path(name)

    def assertClean(self, path):
        r = subprocess.run(["/usr/bin/python3", ARGS.checker, path], capture_output=True,
                           text=True)
        self.assertEqual(r.returncode, 0, "checker on %s:\n%s%s" % (path, r.stdout, r.stderr))

    def assertFailedAt(self, r, line, *parts):
        self.assertEqual(r.returncode, 1, r.stderr)
        err = r.stderr.decode("utf-8", "replace")
        self.assertTrue(err.startswith("line %d: " % line), err)
        for part in parts:
            self.assertIn(part, err)


class Scripts(Fancad):
    def test_an_answer_that_does_not_fit_stops_the_script_at_its_line(self):
        """(What ezdxf reads of a reference: the drawing database's round trip; the prompts
        of INSERT: insert_command_test.cpp.)"""
        r = self.fancad("INSERT %s\nnot-a-point\n" % self.drawing("c.dxf"))
        self.assertFailedAt(r, 2, "not-a-point:")

    def test_command_lines_fancad_refuses(self):
        no_display = {k: v for k, v in os.environ.items()
                      if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        # Whether or not this build has the desktop mode, --gui with no display to open a
        # window on ends with a message, not a crash.
        for args, words in ((["--gui"], ["--gui", "--headless"]),
                            (["--bogus"], ["unknown option '--bogus'", "usage: fancad"])):
            with self.subTest(args=args):
                r = subprocess.run([ARGS.fancad, *args], capture_output=True, text=True,
                                   timeout=30, env=no_display)
                self.assertEqual(r.returncode, 2)
                for w in words:
                    self.assertIn(w, r.stderr)


class Hostile(Fancad):
    def test_saves_refuse_what_is_not_a_drawing_file_and_keep_modes(self):
        """(Links: the drawing database's save target tests.)"""
        # A read-only drawing is refused and kept; modes are kept.
        readonly = self.drawing("ro.dxf")
        os.chmod(readonly, 0o444)
        self.assertFailedAt(self.fancad("SAVE\n", readonly), 1, "SAVE", "the file is read-only")
        self.assertEqual(stat.S_IMODE(os.stat(readonly).st_mode), 0o444)
        private = self.drawing("private.dxf")
        os.chmod(private, 0o600)
        self.ran(self.fancad("SAVE\n", private))
        self.assertEqual(stat.S_IMODE(os.stat(private).st_mode), 0o600)
        # A FIFO and (as root) a character device made here: refused, left as they were.
        os.mkfifo(self.path("fifo"))
        nodes = {"fifo": stat.S_ISFIFO}
        if is_root():
            os.mknod(self.path("null"), 0o666 | stat.S_IFCHR, os.makedev(1, 3))
            nodes["null"] = stat.S_ISCHR
        for node, kind in nodes.items():
            r = self.fancad("SAVEAS %s\n" % self.path(node))
            self.assertFailedAt(r, 1, "SAVEAS", "not a drawing file")
            self.assertTrue(kind(os.lstat(self.path(node)).st_mode))
        # Opening a FIFO does not wait for a writer.
        self.assertFailedAt(self.fancad("OPEN %s\n" % self.path("fifo")), 1, "a FIFO")

    @unittest.skipUnless(is_root(), "files of other users need root to make")
    def test_owners_are_kept_for_root_and_for_another_user(self):
        if not reachable_by_others(ARGS.fancad) or not reachable_by_others(self.dir):
            self.skipTest("another user cannot reach the build or the test folder "
                          "(a folder on the way is not searchable by others)")
        nobody = pwd.getpwnam("nobody")
        theirs = self.drawing("theirs.dxf")
        os.chown(theirs, nobody.pw_uid, nobody.pw_gid)
        os.chmod(theirs, 0o640)
        self.ran(self.fancad("SAVE\n", theirs))
        self.assertEqual((os.stat(theirs).st_uid, os.stat(theirs).st_gid),
                         (nobody.pw_uid, nobody.pw_gid))
        self.assertEqual(stat.S_IMODE(os.stat(theirs).st_mode), 0o640)
        # nobody saves root's shared drawing: it stays root's, with nobody's work in it.
        roots = self.drawing("roots.dxf")
        os.chmod(roots, 0o666)
        self.ran(self.fancad("INSERT %s 1,1 1 0\nSAVE\n" % self.drawing("c.dxf"), roots,
                             user="nobody"))
        self.assertEqual(os.stat(roots).st_uid, 0)
        self.assertEqual(len(ezdxf.readfile(roots).modelspace().query("INSERT")), 1)
        # A folder nobody may not write takes no new drawing from it: the script fails.
        os.makedirs(self.path("closed"))
        os.chmod(self.path("closed"), 0o755)
        r = self.fancad("SAVE\n", self.path("closed", "new.dxf"), user="nobody")
        self.assertFailedAt(r, 1, "SAVE", "Permission denied")
        self.assertEqual(os.listdir(self.path("closed")), [])

    def test_a_killed_save_leaves_nothing_once_the_drawing_is_opened_or_saved(self):
        big = self.path("big.dxf")
        with open(big, "w") as f:  # some 20 MB of R12 lines: a save that takes a while
            f.write("0\nSECTION\n2\nENTITIES\n")
            for i in range(300000):
                f.write("0\nLINE\n8\n0\n10\n%d.5\n20\n0.25\n30\n0\n11\n1\n21\n1\n31\n0\n" % i)
            f.write("0\nENDSEC\n0\nEOF\n")
        out = self.drawing("out.dxf")
        killed = 0
        for attempt in range(6):
            with open(self.path("kill.scr"), "w") as f:
                f.write("SAVEAS %s\n" % out)
            proc = subprocess.Popen([ARGS.fancad, "--headless", "--script",
                                     self.path("kill.scr"), big], stdout=subprocess.DEVNULL)
            deadline = time.time() + 60
            while proc.poll() is None and time.time() < deadline:
                if any(".out.dxf.fancad-tmp-" in n for n in os.listdir(self.dir)):
                    time.sleep(0.002 * attempt)
                    proc.send_signal(signal.SIGKILL)
                    killed += 1
                    break
                time.sleep(0.001)
            proc.wait()
            temporaries = [n for n in os.listdir(self.dir) if ".fancad-tmp-" in n]
            # The next open (even attempts) or save (odd ones) of the drawing clears them.
            self.ran(self.fancad("LIST ALL\n" if attempt % 2 == 0 else "SAVE\n", out))
            self.assertEqual([n for n in os.listdir(self.dir) if ".fancad-tmp-" in n], [],
                             "left: %s" % temporaries)
        self.assertGreater(killed, 0, "no save was caught in the act")
        self.assertClean(out)  # whatever happened, the drawing is whole

def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--fancad", "--testmodule", "--checker", "--workdir"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    # The tests run fancad in folders of their own.
    for name in ("fancad", "testmodule", "checker", "workdir"):
        setattr(ARGS, name, os.path.abspath(getattr(ARGS, name)))
    os.makedirs(ARGS.workdir, exist_ok=True)
    os.chmod(ARGS.workdir, 0o755)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
