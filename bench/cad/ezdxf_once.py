"""Reads a DXF file with ezdxf and writes it back; prints the processor time of each as JSON:
{"read_s": ..., "write_s": ..., "read_wall_s": ...}. Processor time, as the C++ side measures:
on a shared machine the wall clock measures the other users too. The read's wall clock too,
to set against a read that takes two threads."""
import json
import sys
import time

import ezdxf

src, out = sys.argv[1], sys.argv[2]
w0, t0 = time.perf_counter(), time.process_time()
doc = ezdxf.readfile(src)
t1, w1 = time.process_time(), time.perf_counter()
doc.saveas(out)
t2 = time.process_time()
print(json.dumps({"read_s": t1 - t0, "write_s": t2 - t1, "read_wall_s": w1 - w0}))
