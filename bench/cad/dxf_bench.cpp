// DXF reading and writing of a large drawing. The baseline is splitting the same text into
// lines, the least any reader must do; CAD_BENCH_DXF names a file to use instead of the
// drawing built here.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cad/acdb.h"
#include "large_drawing.h"

namespace {

const std::string& drawingText() {
  static const std::string text = [] {
    if (const char* file = std::getenv("CAD_BENCH_DXF")) {
      std::ifstream in(file, std::ios::binary);
      std::ostringstream s;
      s << in.rdbuf();
      return s.str();
    }
    AcDbDatabase db;
    cadbench::buildLargeDrawing(db, 200000, 1000, 20, 5000);
    std::string out;
    db.writeDxfText(out);
    return out;
  }();
  return text;
}

void BM_BaselineSplitLines(benchmark::State& state) {
  const std::string& text = drawingText();
  for (auto _ : state) {
    size_t lines = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p))); ++p)
      ++lines;
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BaselineSplitLines)->Unit(benchmark::kMillisecond);

void BM_ReadDxf(benchmark::State& state) {
  const std::string& text = drawingText();
  for (auto _ : state) {
    AcDbDatabase db(false);
    if (db.readDxfText(text) != Acad::eOk) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadDxf)->Unit(benchmark::kMillisecond);

void BM_WriteDxf(benchmark::State& state) {
  AcDbDatabase db(false);
  db.readDxfText(drawingText());
  std::string out;
  for (auto _ : state) {
    db.writeDxfText(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_WriteDxf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
