// fancat on the large catalogue (40 series, 10,000 models, 100,000 performance rows):
// loading its 100,000 curve and range points (with its 30,000 accessory rows and 18
// headings) from CSV into a new catalogue file, and checking the whole catalogue.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue_builder.h"
#include "catalogue_check.h"
#include "catalogue_dump.h"
#include "catalogue_load.h"

namespace {

std::string g_catalogue, g_sheet, g_target;

void BM_LoadCurvePoints(benchmark::State& state) {
  long rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(g_target);
    state.ResumeTiming();
    rows = fangen::loadCatalogue(g_sheet, g_target).parameterRows;
  }
  state.counters["points"] = static_cast<double>(rows);
}

void BM_CheckLargeCatalogue(benchmark::State& state) {
  std::size_t findings = 0;
  for (auto _ : state) {
    findings =
        fangen::checkCatalogue(fangen::readSnapshot(fangen::openCatalogue(g_catalogue)), {}).size();
  }
  state.counters["findings"] = static_cast<double>(findings);
}

BENCHMARK(BM_LoadCurvePoints)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
BENCHMARK(BM_CheckLargeCatalogue)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// Each median as a row of `make bench`'s table, with its target.
class Rows : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "median" || run.error_occurred) continue;
      const bool load = run.run_name.str().find("Load") != std::string::npos;
      char row[256];
      std::snprintf(
          row, sizeof row, "@row\t%s\t%.0f ms (cpu %.0f ms)\t-\t-\t%s",
          load ? "fancat load: 100,000 curve points from CSV" : "fancat check: the large catalogue",
          run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), load ? "<= 5 s" : "<= 2 s");
      m_rows.push_back(row);
    }
  }
  void print() const {
    for (const std::string& r : m_rows) std::printf("%s\n", r.c_str());
  }

 private:
  std::vector<std::string> m_rows;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  testsupport::TempDir dir;
  g_catalogue = testsupport::writeLargeCatalogue(dir.path());
  g_sheet = dir.file("large.csv");
  g_target = dir.file("loaded.mdb");
  fangen::dumpCatalogue(g_catalogue, g_sheet);
  Rows rows;
  benchmark::RunSpecifiedBenchmarks(&rows);
  rows.print();
  benchmark::Shutdown();
  return 0;
}
