#!/usr/bin/env bash
# DXF reading and writing against ezdxf on the same large drawing, and our peak memory while
# reading. Usage: bench/cad_vs_ezdxf.sh [BUILD_DIR]   (a release build, e.g. build/release)
set -euo pipefail
build=${1:-build/release}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/cad/make_large_drawing.py" "$work/large.dxf"
ours=$("$build/bin/dxf_read_once" "$work/large.dxf" "$work/ours.dxf")
/usr/bin/python3 - "$work/large.dxf" "$work/ezdxf.dxf" "$ours" <<'PY'
import json, sys, time
import ezdxf
src, out, ours = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
t0 = time.perf_counter(); doc = ezdxf.readfile(src); t1 = time.perf_counter()
doc.saveas(out); t2 = time.perf_counter()
ez_read, ez_write = t1 - t0, t2 - t1
mb = ours['file_bytes'] / 1e6
print(f"file: {mb:.1f} MB")
print(f"read : ours {ours['read_s']:.3f} s  ezdxf {ez_read:.3f} s  ratio {ez_read / ours['read_s']:.1f}x (target >= 20x)")
print(f"write: ours {ours['write_s']:.3f} s  ezdxf {ez_write:.3f} s  ratio {ez_write / ours['write_s']:.1f}x (target >= 20x)")
peak = ours['peak_read_bytes'] / ours['file_bytes']
print(f"peak memory while reading: {ours['peak_read_bytes'] / 1e6:.1f} MB = {peak:.2f}x the file (target <= 4x)")
PY
