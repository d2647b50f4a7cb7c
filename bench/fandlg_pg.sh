#!/usr/bin/env bash
# The fan dialog's actions on the large catalogue as a file (SQLite) and on a
# local PostgreSQL 15 server started for the run (scripts/pg-test-server),
# one after the other in the same run, with the ratio of each action's median
# time. Needs a build with FANCAD_POSTGRESQL on (the default). Skipped, saying
# so, when the build has it off or the server binaries are not installed.
set -euo pipefail
build=${1:-build/release}
bench="$build/bin/bench_fandlg"
[ -x "$bench" ] || { echo "fandlg_pg: no $bench"; exit 0; }
if grep -qiE '^FANCAD_POSTGRESQL:[A-Z]+=(OFF|0|FALSE|NO|N)$' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "fandlg_pg: SKIPPED, $build has no PostgreSQL support: it needs -DFANCAD_POSTGRESQL=ON"
  exit 0
fi
PG_BINDIR=${PG_BINDIR:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
export PG_BINDIR
if [ ! -x "$PG_BINDIR/initdb" ]; then
  echo "fandlg_pg: SKIPPED, no PostgreSQL 15 server installed"
  exit 0
fi
dir=/tmp/fancad-pg-bench-$$
out=$(mktemp -d)
trap 'scripts/pg-test-server stop "$dir"; rm -rf "$out"' EXIT
url=$(scripts/pg-test-server start "$dir")
filter=${BENCH_FILTER:-.}
# The programs' own table rows go to /dev/null here: run-bench prints the SQLite ones.
"$bench" --benchmark_filter="$filter" --benchmark_out="$out/sqlite.json" \
  --benchmark_out_format=json >/dev/null
ZR_TEST_PG="$url" "$bench" --benchmark_filter="$filter" --benchmark_out="$out/pg.json" \
  --benchmark_out_format=json >/dev/null
/usr/bin/python3 - "$out/sqlite.json" "$out/pg.json" <<'PY'
import json, sys
def means(path):
    return {b["run_name"]: b["real_time"] for b in json.load(open(path))["benchmarks"]
            if b.get("aggregate_name") == "median"}
lite, pg = means(sys.argv[1]), means(sys.argv[2])
print("%-32s %12s %12s %7s" % ("action (ms, median of 5)", "SQLite", "PostgreSQL", "ratio"))
for name in lite:
    if name in pg:
        print("%-32s %12.3f %12.3f %6.2fx" % (name, lite[name], pg[name], pg[name] / lite[name]))
for name in lite:
    if name in pg:
        print("@row\t%s on PostgreSQL\t%.3f ms\tSQLite %.3f ms\t%.2fx slower\t<= 3x"
              % (name, pg[name], lite[name], pg[name] / lite[name]))
PY
