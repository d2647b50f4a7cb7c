"""Reads a DXF file with ezdxf and writes it back; prints the processor time of each as JSON:
{"read_s": ..., "write_s": ...}. Processor time, as the C++ side measures: on a shared
machine the wall clock measures the other users too."""
import json
import sys
import time

import ezdxf

src, out = sys.argv[1], sys.argv[2]
t0 = time.process_time()
doc = ezdxf.readfile(src)
t1 = time.process_time()
doc.saveas(out)
t2 = time.process_time()
print(json.dumps({"read_s": t1 - t0, "write_s": t2 - t1}))
