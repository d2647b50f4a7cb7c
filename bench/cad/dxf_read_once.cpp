// Reads a DXF file once, writes it once, and prints the times and the memory the read took
// as JSON: {"read_s":..., "write_s":..., "peak_read_bytes":..., "file_bytes":...}.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "base/cstring.h"
#include "cad/acdb.h"

namespace {

// Current resident set size in bytes, from /proc.
long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

long peakBytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss * 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dxf_read_once FILE.dxf [OUT.dxf]\n");
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  long before = residentBytes();
  auto t0 = Clock::now();
  auto* db = new AcDbDatabase(false);
  Acad::ErrorStatus es = db->readDwgFile(zrbase::utf8ToWide(argv[1]).c_str());
  auto t1 = Clock::now();
  long peak = peakBytes();
  if (es != Acad::eOk) {
    std::fprintf(stderr, "%s\n", zrbase::wideToUtf8(db->lastErrorText()).c_str());
    return 1;
  }
  std::string out = argc > 2 ? argv[2] : std::string(argv[1]) + ".out.dxf";
  auto t2 = Clock::now();
  es = db->saveAs(zrbase::utf8ToWide(out).c_str());
  auto t3 = Clock::now();
  std::ifstream f(argv[1], std::ios::binary | std::ios::ate);
  std::printf(
      "{\"read_s\": %.4f, \"write_s\": %.4f, \"peak_read_bytes\": %ld, \"file_bytes\": %ld}\n",
      std::chrono::duration<double>(t1 - t0).count(),
      std::chrono::duration<double>(t3 - t2).count(), peak - before, static_cast<long>(f.tellg()));
  delete db;
  return es == Acad::eOk ? 0 : 1;
}
