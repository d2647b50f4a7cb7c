// Reads a DXF file, writes it back, and splits it with a bare tokenizer, and prints the times
// and the memory the read took as JSON:
//   {"read_s":..., "write_s":..., "tokenizer_s":..., "first_read_wall_s":...,
//    "read_wall_best_s":..., "tokenizer_wall_s":..., "peak_read_bytes":..., "file_bytes":...}
// With RUNS 0 it reads the file once, prints the read's times and exits (for a profiler);
// with RUNS "tokenize" it runs the bare tokenizer once and prints its times.
// Times are processor time (user and system) of the best of RUNS runs (default 3): on a
// shared machine the time on the wall clock measures the other users as much as the
// program, and the fastest run is the one least disturbed. A large drawing is read on two
// threads, which processor time does not show: the first read of this fresh process, the best
// read and the best tokenizer run are also given on the wall clock. Memory is that of the first
// read: the peak resident set while reading, less what the process held before (the mapped file
// counts while it is resident).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "base/cstring.h"
#include "cad/acdb.h"

namespace {

// Processor time of this process so far, in seconds.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Current resident set size in bytes, from /proc.
long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

long peakBytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss * 1024;
}

bool isReal(int code) {
  return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) ||
         (code >= 210 && code <= 239) || (code >= 460 && code <= 469) ||
         (code >= 1010 && code <= 1059);
}

// The least a reader does: map the file, split it into lines, take each group code as a
// number and each real value as a double. Returns a checksum so none of it is left out.
double tokenize(const char* path, long& pairs) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) return 0;
  const size_t size = static_cast<size_t>(st.st_size);
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (map == MAP_FAILED) return 0;
  const char* p = static_cast<const char*>(map);
  const char* end = p + size;
  auto line = [&](const char*& b, const char*& e) {
    b = p;
    while (p != end && *p != '\n') ++p;
    e = p;
    if (e != b && e[-1] == '\r') --e;
    if (p != end) ++p;
  };
  double sum = 0;
  pairs = 0;
  while (p != end) {
    const char *cb, *ce, *vb, *ve;
    line(cb, ce);
    line(vb, ve);
    while (cb != ce && *cb == ' ') ++cb;
    int code = 0;
    std::from_chars(cb, ce, code);
    ++pairs;
    if (isReal(code)) {
      while (vb != ve && *vb == ' ') ++vb;
      double v = 0;
      std::from_chars(vb, ve, v);
      sum += v;
    }
  }
  ::munmap(map, size);
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: dxf_read_once FILE.dxf [OUT.dxf [RUNS, 0 to read once only, or "
                 "tokenize]]\n");
    return 2;
  }
  const std::string out = argc > 2 ? argv[2] : std::string(argv[1]) + ".out.dxf";
  if (argc > 3 && std::string(argv[3]) == "tokenize") {
    // The bare tokenizer alone in a fresh process, to set against a fresh process's read.
    const double t0 = cpuSeconds(), w0 = wallSeconds();
    long pairs = 0;
    const double sum = tokenize(argv[1], pairs);
    std::printf("{\"tokenizer_s\": %.4f, \"tokenizer_wall_s\": %.4f}\n", cpuSeconds() - t0,
                wallSeconds() - w0);
    if (sum == 0.123456789) std::printf("#");
    return pairs == 0 ? 1 : 0;
  }
  const int runs = argc > 3 ? std::max(0, std::atoi(argv[3])) : 3;
  const std::wstring in = zrbase::utf8ToWide(argv[1]);
  if (runs == 0) {
    // One read and nothing else, for a profiler (perf record) to look at.
    const double t0 = cpuSeconds(), w0 = wallSeconds();
    auto* db = new AcDbDatabase(false);
    const Acad::ErrorStatus es = db->readDwgFile(in.c_str());
    std::printf("{\"read_s\": %.4f, \"read_wall_s\": %.4f}\n", cpuSeconds() - t0,
                wallSeconds() - w0);
    return es == Acad::eOk ? 0 : 1;
  }
  double readS = 1e9, writeS = 1e9, tokenS = 1e9, firstReadWallS = 0, tokenWallS = 1e9;
  double readWallS = 1e9;
  long peakRead = 0;
  for (int run = 0; run < runs; ++run) {
    const long before = residentBytes();
    double t0 = cpuSeconds();
    const double w0 = wallSeconds();
    auto* db = new AcDbDatabase(false);
    Acad::ErrorStatus es = db->readDwgFile(in.c_str());
    readS = std::min(readS, cpuSeconds() - t0);
    readWallS = std::min(readWallS, wallSeconds() - w0);
    if (run == 0) firstReadWallS = wallSeconds() - w0;
    if (run == 0) peakRead = peakBytes() - before;
    if (es != Acad::eOk) {
      std::fprintf(stderr, "%s\n", zrbase::wideToUtf8(db->lastErrorText()).c_str());
      return 1;
    }
    t0 = cpuSeconds();
    es = db->saveAs(zrbase::utf8ToWide(out).c_str());
    writeS = std::min(writeS, cpuSeconds() - t0);
    delete db;
    if (es != Acad::eOk) return 1;
    t0 = cpuSeconds();
    const double w1 = wallSeconds();
    long pairs = 0;
    const double sum = tokenize(argv[1], pairs);
    tokenS = std::min(tokenS, cpuSeconds() - t0);
    tokenWallS = std::min(tokenWallS, wallSeconds() - w1);
    if (pairs == 0) return 1;
    if (sum == 0.123456789) std::printf("#");  // keeps the sum, and so the parsing
  }
  std::ifstream f(argv[1], std::ios::binary | std::ios::ate);
  std::printf(
      "{\"read_s\": %.4f, \"write_s\": %.4f, \"tokenizer_s\": %.4f, \"first_read_wall_s\": "
      "%.4f, \"read_wall_best_s\": %.4f, \"tokenizer_wall_s\": %.4f, \"peak_read_bytes\": %ld, "
      "\"file_bytes\": %ld}\n",
      readS, writeS, tokenS, firstReadWallS, readWallS, tokenWallS, peakRead,
      static_cast<long>(f.tellg()));
  return 0;
}
