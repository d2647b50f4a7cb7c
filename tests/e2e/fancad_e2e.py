"""What the end-to-end scenarios share: fancad run headless on a script, its DUMP and
MSGBOX lines, catalogues copied from the generated sample (moved to
the test server when ZR_TEST_PG is set), and saved drawings read back by ezdxf and
checked by the project's drawing checker."""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

ARGS = None  # the command line: --fancad, --fangen and each scenario's own options
SAMPLE = None  # the generated sample catalogue, copied for each scenario
_runs = 0  # fancad runs so far: a catalogue on the server is copied back after one


def dumps(output):
    return [json.loads(l[5:]) for l in output.splitlines() if l.startswith("DUMP ")]


def boxes(output):
    return [json.loads(l[7:]) for l in output.splitlines() if l.startswith("MSGBOX ")]


def control(dump, cid):
    return next(c for c in dump["controls"] if c["id"] == cid)


def grid(dump, gid):
    return next(g for g in dump["grids"] if g["id"] == gid)


def text_of(value):
    """A field's text as the data layer shows it: 4.0 is "4", NULL is None."""
    if value is None:
        return None
    if isinstance(value, float):
        return str(int(value)) if value.is_integer() else "%.15g" % value
    return str(value)


def run(lines, env=None, cwd=None, args=(), timeout=60):
    """fancad on the lines as a script; env is added to the environment."""
    global _runs
    _runs += 1
    return subprocess.run([ARGS.fancad, "--headless", "--script", "/dev/stdin", *args],
                          input="\n".join(lines) + "\n", capture_output=True, text=True,
                          env=dict(os.environ, **(env or {})), cwd=cwd, timeout=timeout)


class Catalogue:
    """A catalogue in a data folder: the sample, or what build(path) writes. With
    ZR_TEST_PG (and FANCAT, the fancat program) set, it lives in a schema of its own on
    that server and the folder's ZRFan.Mdb holds its address; questions and changes go
    through a file copied from the server (and back, after a change). The copy is taken
    again only after fancad has run, the one other writer."""

    _count = 0

    def __init__(self, folder, build=None):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.path = os.path.join(folder, "ZRFan.Mdb")
        build(self.path) if build else shutil.copy(SAMPLE, self.path)
        self.url = None
        server = os.environ.get("ZR_TEST_PG")
        if server:
            Catalogue._count += 1
            self.url = "%s&options=-csearch_path%%3De2e_%d_%d" % (server, os.getpid(),
                                                                 Catalogue._count)
            copy = os.path.join(os.path.dirname(folder), "catalogue-copy.db")
            os.replace(self.path, copy)
            self._fancat("export", copy, self.url)
            with open(self.path, "w") as f:
                f.write(self.url + "\n")
            self.path, self._copied_after = copy, _runs

    def _fancat(self, *args):
        subprocess.run([os.environ["FANCAT"], *args], check=True, capture_output=True)

    def sql(self, statement, *args):
        if self.url and self._copied_after != _runs:
            self._fancat("import", self.url, self.path)
            self._copied_after = _runs
        with sqlite3.connect(self.path) as db:
            rows = db.execute(statement, args).fetchall()
        if self.url and not statement.lstrip().upper().startswith("SELECT"):
            self._fancat("export", self.path, self.url)
        return rows

    def columns(self, table):
        self.sql("SELECT 1")  # a catalogue on the server is copied to self.path
        with sqlite3.connect(self.path) as db:
            return [d[0] for d in db.execute('SELECT * FROM "%s" LIMIT 0' % table).description]

    def column(self, column, where="1", *args):
        rows = self.sql('SELECT "%s" FROM Model WHERE %s ORDER BY rowid' % (column, where), *args)
        return distinct(text_of(r[0]) for r in rows)

    def model_id(self, series, fan_no, drive, speed):
        for row in self.sql("SELECT ID, FanNo, Speed FROM Model WHERE BigModel=? AND DriveMode=?"
                            " ORDER BY rowid", series, drive):
            if text_of(row[1]) == fan_no and text_of(row[2]) == speed:
                return row[0]
        return None

    def table(self, name, model_id):
        """The field names and the rows of a model in a table, as texts."""
        rows = self.sql('SELECT * FROM "%s" WHERE ModelID=? ORDER BY rowid' % name, model_id)
        return self.columns(name), [[text_of(v) for v in row] for row in rows]

    def heading(self, field):
        rows = self.sql("SELECT TableHead FROM IndexTableName WHERE IndexName=? ORDER BY rowid",
                        field)
        return rows[0][0] if rows else None


def distinct(values):
    return list(dict.fromkeys(v for v in values if v is not None))


class Scenario(unittest.TestCase):
    """A folder of the test's own (self.dir), removed after it."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="fancad_e2e_")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def assertDrawingClean(self, path):
        """The project's drawing checker (with ezdxf's audit) finds nothing in the file."""
        r = subprocess.run(["/usr/bin/python3", ARGS.checker, path], capture_output=True,
                           text=True)
        self.assertEqual(r.returncode, 0, "checker on %s:\n%s%s" % (path, r.stdout, r.stderr))

    def assertRan(self, r, status=0):
        self.assertEqual(r.returncode, status, r.stdout + r.stderr)
        if status == 0:
            self.assertEqual(r.stderr, "")
        return r.stdout


def inserts(path):
    import ezdxf
    return [e for e in ezdxf.readfile(path).modelspace() if e.dxftype() == "INSERT"]


def xdata(entity):
    return {app: [t.value for t in tags if t.code != 1001]
            for app, tags in entity.xdata.data.items()} if entity.xdata else {}


def main(*options, sample=True):
    """Runs the unittest cases of __main__; takes --fancad (and --fangen when a sample
    catalogue is generated) and the options given from the command line."""
    global ARGS, SAMPLE
    parser = argparse.ArgumentParser()
    for option in ("--fancad",) + (("--fangen",) if sample else ()) + options:
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    for name, value in vars(ARGS).items():  # the scenarios run fancad in folders of their own
        if os.path.exists(value):
            setattr(ARGS, name, os.path.abspath(value))
    sample_dir = tempfile.mkdtemp(prefix="fancad_e2e_sample_")
    try:
        if sample:
            subprocess.run([ARGS.fangen, "--out", sample_dir], check=True, capture_output=True)
            SAMPLE = os.path.join(sample_dir, "ZRFan.Mdb")
        prog = unittest.main(module="__main__", argv=[sys.argv[0]] + rest, exit=False,
                             verbosity=2)
        return 0 if prog.result.wasSuccessful() else 1
    finally:
        shutil.rmtree(sample_dir, ignore_errors=True)
