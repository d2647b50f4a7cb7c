#!/usr/bin/env bash
# DXF reading and writing against ezdxf on the same large drawing (200,000 lines, 1,000
# blocks, 5,000 references with an attribute and xdata, written by ezdxf), our read against
# a bare tokenizer of the same file, and our peak memory while reading against the file's
# size. Prints the figures and one `@row` line per figure for scripts/run-bench's table; it
# reports, it does not judge.
# Usage: bench/cad_vs_ezdxf.sh [BUILD_DIR]   (a release build, e.g. build/release)
set -euo pipefail
build=${1:-build/release}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/cad/make_large_drawing.py" "$work/large.dxf"
ours=$("$build/bin/dxf_read_once" "$work/large.dxf" "$work/ours.dxf" 3)
/usr/bin/python3 - "$work/large.dxf" "$work/ezdxf.dxf" "$ours" <<'PY'
import json, sys, time
import ezdxf
src, out, ours = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
# Processor time, as ours: on a shared machine the wall clock measures the other users too.
t0 = time.process_time(); doc = ezdxf.readfile(src); t1 = time.process_time()
doc.saveas(out); t2 = time.process_time()
ez_read, ez_write = t1 - t0, t2 - t1
mb = ours['file_bytes'] / 1e6
read, write, token = ours['read_s'], ours['write_s'], ours['tokenizer_s']
peak = ours['peak_read_bytes'] / ours['file_bytes']
print(f"file: {mb:.1f} MB")
print(f"read : ours {read:.3f} s  ezdxf {ez_read:.3f} s  ratio {ez_read / read:.1f}x")
print(f"write: ours {write:.3f} s  ezdxf {ez_write:.3f} s  ratio {ez_write / write:.1f}x")
print(f"read against a bare tokenizer: {token:.3f} s, ours {read / token:.2f}x that")
print(f"peak memory while reading: {ours['peak_read_bytes'] / 1e6:.1f} MB = {peak:.2f}x the file")
rows = [
    (f"DXF read {mb:.1f} MB", f"{read:.3f} s", f"ezdxf {ez_read:.2f} s",
     f"{ez_read / read:.1f}x faster", ">= 50x"),
    (f"DXF write {mb:.1f} MB", f"{write:.3f} s", f"ezdxf {ez_write:.2f} s",
     f"{ez_write / write:.1f}x faster", ">= 30x"),
    (f"DXF read {mb:.1f} MB", f"{read:.3f} s", f"bare tokenizer {token:.3f} s",
     f"{read / token:.2f}x the tokenizer", "<= 3x"),
    (f"DXF read peak memory", f"{ours['peak_read_bytes'] / 1e6:.1f} MB", f"file {mb:.1f} MB",
     f"{peak:.2f}x the file", "<= 2x"),
]
for r in rows:
    print("@row\t" + "\t".join(r))
PY
