#!/usr/bin/env bash
# The fan dialog's actions on the large catalogue as a file (SQLite) and on a
# local PostgreSQL 15 server started for the run (scripts/pg-test-server),
# one after the other in the same run, with the ratio of each action's median
# time; then on the same server through pg_delay_proxy (loopback, 0.5 ms held
# each way: a 1 ms round trip, as to a server on another host), with each
# action's round trips to the server. Needs a build with FANCAD_POSTGRESQL on (the default). Skipped, saying
# so, when the build has it off or the server binaries are not installed.
set -euo pipefail
build=${1:-build/release}
bench="$build/bin/bench_fandlg"
proxy="$build/bin/pg_delay_proxy"
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
proxy_pid=
trap '[ -z "$proxy_pid" ] || kill "$proxy_pid"; scripts/pg-test-server stop "$dir"; rm -rf "$out"' EXIT
url=$(scripts/pg-test-server start "$dir")
# The proxy prints the port it listens on, then forwards until it is killed.
"$proxy" "$dir/.s.PGSQL.5432" 500 >"$out/proxy.port" &
proxy_pid=$!
for _ in $(seq 50); do [ -s "$out/proxy.port" ] && break; sleep 0.1; done
slow_url="postgresql://fancad@127.0.0.1:$(cat "$out/proxy.port")/postgres"
filter=${BENCH_FILTER:-.}
# The programs' own table rows go to /dev/null here: run-bench prints the SQLite ones.
"$bench" --benchmark_filter="$filter" --benchmark_out="$out/sqlite.json" \
  --benchmark_out_format=json >/dev/null
ZR_TEST_PG="$url" "$bench" --benchmark_filter="$filter" --benchmark_out="$out/pg.json" \
  --benchmark_out_format=json >/dev/null
ZR_TEST_PG="$slow_url" "$bench" --benchmark_filter="$filter" --benchmark_out="$out/slow.json" \
  --benchmark_out_format=json >/dev/null
/usr/bin/python3 - "$out/sqlite.json" "$out/pg.json" "$out/slow.json" <<'PY'
import json, sys
def medians(path):
    return {b["run_name"]: b for b in json.load(open(path))["benchmarks"]
            if b.get("aggregate_name") == "median"}
def means(path):
    return {name: b["real_time"] for name, b in medians(path).items()}
lite, pg = means(sys.argv[1]), means(sys.argv[2])
slow = medians(sys.argv[3])
print("%-32s %12s %12s %7s" % ("action (ms, median of 5)", "SQLite", "PostgreSQL", "ratio"))
for name in lite:
    if name in pg:
        print("%-32s %12.3f %12.3f %6.2fx" % (name, lite[name], pg[name], pg[name] / lite[name]))
print()
print("%-32s %12s %12s %12s" % ("through the proxy (1 ms trip)", "ms", "round trips", "statements"))
for name, b in slow.items():
    print("%-32s %12.3f %12.1f %12.1f" % (name, b["real_time"], b.get("round trips", 0),
                                          b.get("statements", 0)))
# The 3x aim is for a session that is open (warm, after its own write, after another
# client's); a fresh session's figure includes connecting to the server, and has none.
for name in lite:
    if name in pg:
        print("@row\t%s on PostgreSQL\t%.3f ms\tSQLite %.3f ms\t%.2fx slower\t%s"
              % (name, pg[name], lite[name], pg[name] / lite[name],
                 "-" if "/3/" in name else "<= 3x"))
for name, b in slow.items():
    print("@row\t%s, round trips to a server 1 ms away\t%.1f (%.1f ms)\t-\t-\t<= 10"
          % (name, b.get("round trips", 0), b["real_time"]))
PY
