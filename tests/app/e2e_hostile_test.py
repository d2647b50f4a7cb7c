#!/usr/bin/python3
"""fancad against a hostile user, end to end: links, devices, FIFOs, modes and owners at the
path of a save (as root and, through setpriv, as the user nobody), failing commands and
scripts, file names that are not UTF-8, killed saves, drawings whose blocks, values, handles
or angles are out of the ordinary. Drawings fancad saves are read back by ezdxf and checked
by the project's drawing checker.

Usage: e2e_hostile_test.py --fancad BIN --testmodule LIB --checker PY --workdir DIR
"""
import argparse
import os
import pwd
import re
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


def record_handles(text):
    """The handle of each record: its first group 5 (105 for DIMSTYLE)."""
    lines = text.split("\n")
    handles, named = [], True
    for code, value in zip(lines[0::2], lines[1::2]):
        code = code.strip()
        if code == "0":
            named = False
        elif not named and code in ("5", "105"):
            named = True
            handles.append(value.strip())
    return handles


def reachable_by_others(path):
    """Whether every folder above path lets other users through (mode o+x)."""
    folder = os.path.dirname(os.path.abspath(path))
    while True:
        if not os.stat(folder).st_mode & stat.S_IXOTH:
            return False
        parent = os.path.dirname(folder)
        if parent == folder:
            return True
        folder = parent


class Hostile(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.join(ARGS.workdir, self.id().split(".")[-1])
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        os.chmod(self.dir, 0o777)  # the user nobody works here too

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def fancad(self, script, *args, user=None, script_path=None):
        """Runs fancad on a script (str or bytes) with the test module; as `user` via setpriv."""
        script_path = script_path or self.path("test.scr")
        with open(script_path, "wb") as f:
            f.write(script if isinstance(script, bytes) else script.encode("utf-8"))
        os.chmod(script_path, 0o644)
        cmd = [ARGS.fancad, "--headless", "--script", script_path, "--module", ARGS.testmodule]
        cmd += list(args)
        if user:
            account = pwd.getpwnam(user)
            cmd = ["setpriv", "--reuid=%d" % account.pw_uid, "--regid=%d" % account.pw_gid,
                   "--clear-groups"] + cmd
        return subprocess.run(cmd, cwd=self.dir, capture_output=True, timeout=60)

    def drawing(self, name, circles=1):
        doc = ezdxf.new("R2010")
        for i in range(circles):
            doc.modelspace().add_circle((i, 0), 1)
        doc.saveas(self.path(name))
        return self.path(name)

    def circles(self, path):
        return len(ezdxf.readfile(path).modelspace().query("CIRCLE"))

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

    # 1. What is at the path of a save.

    def test_saves_follow_links_and_refuse_what_is_not_a_drawing_file(self):
        os.makedirs(self.path("real"))
        target = self.drawing("real/target.dxf")
        os.symlink("real/target.dxf", self.path("link.dxf"))
        r = self.fancad("INSERT %s 5,5 1 0\nSAVE\n" % self.drawing("c.dxf"), "link.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(os.path.islink(self.path("link.dxf")))
        self.assertEqual(len(ezdxf.readfile(target).modelspace().query("INSERT")), 1)
        self.assertClean(target)
        # A read-only drawing is refused and kept; modes are kept.
        readonly = self.drawing("ro.dxf")
        os.chmod(readonly, 0o444)
        r = self.fancad("SAVE\n", readonly)
        self.assertFailedAt(r, 1, "SAVE", "the file is read-only")
        self.assertEqual(stat.S_IMODE(os.stat(readonly).st_mode), 0o444)
        private = self.drawing("private.dxf")
        os.chmod(private, 0o600)
        self.assertEqual(self.fancad("SAVE\n", private).returncode, 0)
        self.assertEqual(stat.S_IMODE(os.stat(private).st_mode), 0o600)
        # A FIFO and (as root) a character device made here: refused, left as they were.
        os.mkfifo(self.path("fifo"))
        nodes = ["fifo"]
        if is_root():
            os.mknod(self.path("null"), 0o666 | stat.S_IFCHR, os.makedev(1, 3))
            nodes.append("null")
        for node in nodes:
            r = self.fancad("SAVEAS %s\n" % self.path(node))
            self.assertFailedAt(r, 1, "SAVEAS", "not a drawing file")
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.path("fifo")).st_mode))
        if is_root():
            self.assertTrue(stat.S_ISCHR(os.lstat(self.path("null")).st_mode))
        # Opening a FIFO does not wait for a writer.
        r = self.fancad("OPEN %s\n" % self.path("fifo"))
        self.assertFailedAt(r, 1, "a FIFO")

    @unittest.skipUnless(is_root(), "files of other users need root to make")
    def test_owners_are_kept_for_root_and_for_another_user(self):
        if not reachable_by_others(ARGS.fancad) or not reachable_by_others(self.dir):
            self.skipTest("another user cannot reach the build or the test folder "
                          "(a folder on the way is not searchable by others)")
        nobody = pwd.getpwnam("nobody")
        theirs = self.drawing("theirs.dxf")
        os.chown(theirs, nobody.pw_uid, nobody.pw_gid)
        os.chmod(theirs, 0o640)
        self.assertEqual(self.fancad("SAVE\n", theirs).returncode, 0)
        self.assertEqual((os.stat(theirs).st_uid, os.stat(theirs).st_gid),
                         (nobody.pw_uid, nobody.pw_gid))
        self.assertEqual(stat.S_IMODE(os.stat(theirs).st_mode), 0o640)
        # nobody saves root's shared drawing: it stays root's, with nobody's work in it.
        roots = self.drawing("roots.dxf")
        os.chmod(roots, 0o666)
        r = self.fancad("INSERT %s 1,1 1 0\nSAVE\n" % self.drawing("c.dxf"), roots, user="nobody")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(os.stat(roots).st_uid, 0)
        self.assertEqual(len(ezdxf.readfile(roots).modelspace().query("INSERT")), 1)
        # A folder nobody may not write takes no new drawing from it: the script fails.
        os.makedirs(self.path("closed"))
        os.chmod(self.path("closed"), 0o755)
        r = self.fancad("SAVE\n", self.path("closed", "new.dxf"), user="nobody")
        self.assertFailedAt(r, 1, "SAVE", "Permission denied")
        self.assertEqual(os.listdir(self.path("closed")), [])

    # 2, 12, 13. Failing commands and scripts.

    def test_failing_commands_and_scripts(self):
        r = self.fancad("SAVE\nTESTHELLO\n", self.path("no", "such", "dir", "x.dxf"))
        self.assertFailedAt(r, 1, "SAVE: cannot save drawing", "No such file or directory")
        self.assertNotIn(b"testmodule: HELLO", r.stdout)
        r = self.fancad("APPLOAD /etc/passwd\n")
        self.assertFailedAt(r, 1, "APPLOAD /etc/passwd: Cannot load application")
        os.makedirs(self.path("folder.scr"))
        folder = subprocess.run([ARGS.fancad, "--headless", "--script", self.path("folder.scr")],
                                capture_output=True, text=True, timeout=30)
        missing = subprocess.run([ARGS.fancad, "--headless", "--script", self.path("none.scr")],
                                 capture_output=True, text=True, timeout=30)
        self.assertEqual((folder.returncode, missing.returncode), (2, 2))
        self.assertEqual(folder.stderr, "fancad: cannot read script '%s': Is a directory\n"
                         % self.path("folder.scr"))
        self.assertEqual(missing.stderr, "fancad: cannot read script '%s': No such file or "
                         "directory\n" % self.path("none.scr"))
        # A name of 254 bytes opens and saves.
        long_name = self.drawing("n" * 250 + ".dxf")
        r = self.fancad("SAVE\n", long_name)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(["folder.scr", "n" * 250 + ".dxf",
                                                               "test.scr"]))

    # 9. File names are bytes.

    def test_file_names_that_are_not_utf8_are_kept(self):
        d = os.fsencode(self.dir)
        r = self.fancad(b"SAVEAS " + d + b"/\xff.dxf\nSAVEAS " + d + b"/\xfe.dxf\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        names = set(os.listdir(d))
        self.assertIn(b"\xff.dxf", names)
        self.assertIn(b"\xfe.dxf", names)
        gbk = d + b"/\xb7\xe7\xbb\xfa.dxf"  # "风机" in GBK
        shutil.copy(self.drawing("c.dxf", circles=3), gbk)
        r = self.fancad("LIST ALL\nSAVE\n", os.fsdecode(gbk))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.count(b"CIRCLE  Handle"), 3)

    # 10. A killed save.

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
            script = "LIST ALL\n" if attempt % 2 == 0 else "SAVE\n"
            self.assertEqual(self.fancad(script, out).returncode, 0)
            self.assertEqual([n for n in os.listdir(self.dir) if ".fancad-tmp-" in n], [],
                             "left: %s" % temporaries)
        self.assertGreater(killed, 0, "no save was caught in the act")
        ezdxf.readfile(out)  # whatever happened, the drawing is whole
        self.assertClean(out)

    # 3, 7, 8, 11. Drawings out of the ordinary.

    def test_insert_of_a_drawing_with_a_block_of_its_own_name(self):
        doc = ezdxf.new("R2010")
        doc.blocks.new("loop").add_line((0, 0), (1, 1))
        doc.modelspace().add_blockref("loop", (0, 0))
        doc.modelspace().add_circle((5, 5), 1)
        doc.saveas(self.path("loop.dxf"))
        r = self.fancad("INSERT %s\n0,0\n\n\nSAVEAS o.dxf\n" % self.path("loop"))
        self.assertEqual(r.returncode, 0, r.stderr)
        out = ezdxf.readfile(self.path("o.dxf"))
        kinds = lambda name: [e.dxftype() + (" " + e.dxf.name if e.dxftype() == "INSERT" else "")
                              for e in out.blocks.get(name)]
        self.assertEqual(kinds("loop"), ["INSERT loop$1", "CIRCLE"])
        self.assertEqual(kinds("loop$1"), ["LINE"])
        self.assertClean(self.path("o.dxf"))
        # An R12 block that holds itself is refused when read.
        r12 = ("0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nA\n70\n0\n10\n0\n20\n0\n30\n0\n"
               "0\nINSERT\n8\n0\n2\nA\n10\n0\n20\n0\n30\n0\n0\nENDBLK\n8\n0\n0\nENDSEC\n0\nEOF\n")
        with open(self.path("self.dxf"), "w") as f:
            f.write(r12)
        r = self.fancad("OPEN %s\n" % self.path("self.dxf"))
        self.assertFailedAt(r, 1, "a block contains itself: 'A' -> 'A'")

    def test_bad_values_are_refused_and_top_handles_renumbered(self):
        doc = ezdxf.new("R2010")
        hatch = doc.modelspace().add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10)], is_closed=True)
        doc.saveas(self.path("hatch.dxf"))
        with open(self.path("hatch.dxf")) as f:
            text = f.read()
        bad = re.sub(r"(AcDbHatch\n.*?\n 70\n)1\n", r"\1abc\n", text, count=1, flags=re.S)
        self.assertNotEqual(bad, text)
        with open(self.path("bad.dxf"), "w") as f:
            f.write(bad)
        r = self.fancad("OPEN %s\n" % self.path("bad.dxf"))
        self.assertFailedAt(r, 1, "value of group code 70 is not an integer: 'abc'")
        # The largest handle there is: read, and after an insert and a save, no handle 0 and
        # none twice.
        with open(self.drawing("c.dxf")) as f:
            top = re.sub(r"(\n  0\nCIRCLE\n  5\n)[0-9A-F]+\n", r"\1FFFFFFFFFFFFFFFF\n",
                         f.read())
        with open(self.path("top.dxf"), "w") as f:
            f.write(top)
        r = self.fancad("INSERT %s 0,0 1 0\nSAVE\n" % self.drawing("x.dxf"), self.path("top.dxf"))
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(self.path("top.dxf")) as f:
            handles = record_handles(f.read())
        self.assertEqual(len(handles), len(set(handles)))
        self.assertNotIn("0", handles)
        self.assertNotIn("FFFFFFFFFFFFFFFF", handles)
        ezdxf.readfile(self.path("top.dxf"))
        self.assertClean(self.path("top.dxf"))

    def test_angles_are_written_as_read(self):
        doc = ezdxf.new("R2010")
        doc.blocks.new("B").add_point((0, 0))
        msp = doc.modelspace()
        angles = [30.0, 40.3, 10.1, 45.7, 123.456, 0.1, 359.9, 89.999, 270.01, 1.234567,
                  33.3, 66.6, 99.9, 12.34, 200.2, 0.001, 15.15, 77.77, 150.5, 300.3, 7.7, 8.8,
                  17.17, 29.3]
        for a, b in zip(angles[::2], angles[1::2]):
            msp.add_arc((0, 0), 1, a, b)
            msp.add_blockref("B", (0, 0), dxfattribs={"rotation": a})
            msp.add_text("t", dxfattribs={"rotation": b})
        doc.saveas(self.path("angles.dxf"))
        r = self.fancad("SAVEAS %s\n" % self.path("out.dxf"), self.path("angles.dxf"))
        self.assertEqual(r.returncode, 0, r.stderr)
        read = lambda path: [
            (e.dxftype(), getattr(e.dxf, attr))
            for e in ezdxf.readfile(path).modelspace()
            for attr in {"ARC": ("start_angle", "end_angle"), "INSERT": ("rotation",),
                         "TEXT": ("rotation",)}[e.dxftype()]]
        before, after = read(self.path("angles.dxf")), read(self.path("out.dxf"))
        self.assertEqual(len(before), 48)
        self.assertEqual(after, before)
        self.assertClean(self.path("out.dxf"))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--fancad", "--testmodule", "--checker", "--workdir"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    for name in ("fancad", "testmodule", "checker", "workdir"):
        setattr(ARGS, name, os.path.abspath(getattr(ARGS, name)))
    os.makedirs(ARGS.workdir, exist_ok=True)
    os.chmod(ARGS.workdir, 0o755)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
