// FANDUTY on the large catalogue (40 series, 10,000 models, 100,000
// performance rows): the whole command as a user runs it (prompts answered,
// the catalogue opened and read, every model's operating point found, the
// candidates ranked and listed), and its parts: reading the catalogue, and
// the selection on a catalogue already read. FANDUTY keeps the catalogue it
// read while nothing writes to it, so the command and the read are measured
// also after another program's write to the catalogue each time (a model's
// label, or a performance row), as the first FANDUTY after a change runs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "base/console_input.h"
#include "db/ado_db.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_command.h"
#include "duty/duty_selection.h"
#include "fan_dlg_harness.h"
#include "median_rows.h"

namespace {

std::string g_catalogue;

// A duty point in the middle of the catalogue's range: a few dozen models
// reach it.
constexpr double kFlow = 20000;
constexpr double kPressure = 1500;

// Another program's write to the catalogue, on a connection of its own: a
// model's label (flipped between two texts, so that every write changes it),
// or a performance row's efficiency (up, then down again).
void anotherProgramRuns(const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(g_catalogue.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot write the catalogue: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
  sqlite3_close(db);
}

void writeToCatalogue() {
  static bool flip = false;
  flip = !flip;
  anotherProgramRuns(std::string("UPDATE Model SET LabelModel = '") +
                     (flip ? "bench-a" : "bench-b") + "' WHERE ID = 1");
}

void writeToPerformanceRow() {
  static bool flip = false;
  flip = !flip;
  anotherProgramRuns(std::string("UPDATE \"4-72_Parameter\" SET Efficiency = Efficiency ") +
                     (flip ? "+" : "-") + " 0.5 WHERE ID = 1");
}

// FANDUTY with its prompts answered, after `write` (when given) each time.
void runFanDuty(benchmark::State& state, void (*write)()) {
  std::ostringstream out;
  zrbase::setConsoleOut(&out);
  std::size_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (write) write();
    // Flow, pressure, Enter for the temperature and the atmospheric pressure,
    // and Enter at the candidate prompt.
    std::istringstream answers("20000\n1500\n\n\n\n");
    zrbase::StreamInput input(answers, true);
    zrbase::setCurrentInput(&input);
    out.str("");
    state.ResumeTiming();
    FanDutyCommand();
    state.PauseTiming();
    zrbase::setCurrentInput(nullptr);
    const std::string text = out.str();
    lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    state.ResumeTiming();
  }
  zrbase::setConsoleOut(nullptr);
  state.counters["output_lines"] = static_cast<double>(lines);
}

void BM_FanDutyCommand(benchmark::State& state) { runFanDuty(state, nullptr); }

template <void (*write)()>
void BM_FanDutyCommandAfter(benchmark::State& state) {
  runFanDuty(state, write);
}

// Reading the catalogue as FANDUTY does (the kept one, brought up to date).
void BM_ReadCatalogueAfterWrite(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    writeToCatalogue();
    state.ResumeTiming();
    CAdoDB db;
    db.Open(CString::FromUtf8(g_catalogue));
    benchmark::DoNotOptimize(duty::keptDutyCatalogue(db.m_pConnection));
  }
}

void BM_ReadCatalogue(benchmark::State& state) {
  std::size_t models = 0;
  for (auto _ : state) {
    CAdoDB db;
    db.Open(CString::FromUtf8(g_catalogue));
    models = duty::keptDutyCatalogue(db.m_pConnection)->models.size();
  }
  state.counters["models"] = static_cast<double>(models);
}

// The whole catalogue read, as the first FANDUTY of a session reads it, on a
// connection kept open (the data layer's cache holds what fits of it).
void BM_ReadCatalogueWhole(benchmark::State& state) {
  CAdoDB db;
  db.Open(CString::FromUtf8(g_catalogue));
  for (auto _ : state) benchmark::DoNotOptimize(duty::readDutyCatalogue(db.m_pConnection, {}));
}

void BM_SelectForDuty(benchmark::State& state) {
  CAdoDB db;
  db.Open(CString::FromUtf8(g_catalogue));
  const duty::DutyCatalogue catalogue = duty::readDutyCatalogue(db.m_pConnection);
  std::size_t found = 0;
  for (auto _ : state) {
    const duty::DutySelection s = duty::selectForDuty(catalogue, {kFlow, kPressure, 20, 101325});
    found = s.candidates.size();
  }
  state.counters["candidates"] = static_cast<double>(found);
}

std::string FigureName(const std::string& run) {
  if (run.rfind("BM_FanDutyCommand/", 0) == 0) return "FANDUTY on --large (10,000 models)";
  if (run.rfind("BM_ReadCatalogue/", 0) == 0) return "FANDUTY: reading the catalogue (kept)";
  if (run.rfind("BM_FanDutyCommandAfter<writeToCatalogue>/", 0) == 0)
    return "FANDUTY on --large after another program changed a model";
  if (run.rfind("BM_FanDutyCommandAfter<writeToPerformanceRow>/", 0) == 0)
    return "FANDUTY on --large after another program changed a performance row";
  if (run.rfind("BM_ReadCatalogueAfterWrite/", 0) == 0)
    return "FANDUTY: reading the catalogue after another program changed a model";
  if (run.rfind("BM_ReadCatalogueWhole/", 0) == 0)
    return "FANDUTY: reading the whole catalogue (the first of a session)";
  return {};
}

}  // namespace

BENCHMARK(BM_FanDutyCommand)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK_TEMPLATE(BM_FanDutyCommandAfter, writeToCatalogue)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK_TEMPLATE(BM_FanDutyCommandAfter, writeToPerformanceRow)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogueAfterWrite)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogueWhole)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SelectForDuty)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  fandlgtest::DialogHarness harness;
  const std::string dir = harness.catalogue().substr(0, harness.catalogue().rfind('/'));
  g_catalogue = testsupport::writeLargeCatalogue(dir);
  benchrows::MedianRowReporter reporter(FigureName, "<= 30 ms");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRows();
  if (!harness.ui().boxes().empty()) {
    std::fprintf(stderr, "unexpected message box: %s\n",
                 CString(harness.ui().boxes()[0].text).ToUtf8().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
