// FANDUTY on the large catalogue (40 series, 10,000 models, 100,000
// performance rows): the whole command as a user runs it (prompts answered,
// the catalogue opened and read, every model's operating point found, the
// candidates ranked and listed), and its parts: reading the catalogue, and
// the selection on a catalogue already read. FANDUTY keeps the catalogue it
// read while nothing writes to it, so the command and the read are measured
// also after a write to the catalogue each time (a row of Model rewritten as
// it was), as the first FANDUTY after a change runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
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

void BM_FanDutyCommand(benchmark::State& state) {
  std::ostringstream out;
  zrbase::setConsoleOut(&out);
  std::size_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
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

// A write that changes no value but moves the catalogue's stamp, made by
// another connection as another program's would be.
void writeToCatalogue() {
  CAdoDB other;
  other.Open(CString::FromUtf8(g_catalogue));
  other.Execute(L"UPDATE Model SET Speed = Speed WHERE ID = 1");
}

void BM_FanDutyCommandAfterWrite(benchmark::State& state) {
  std::ostringstream out;
  zrbase::setConsoleOut(&out);
  for (auto _ : state) {
    state.PauseTiming();
    writeToCatalogue();
    std::istringstream answers("20000\n1500\n\n\n\n");
    zrbase::StreamInput input(answers, true);
    zrbase::setCurrentInput(&input);
    state.ResumeTiming();
    FanDutyCommand();
    state.PauseTiming();
    zrbase::setCurrentInput(nullptr);
    state.ResumeTiming();
  }
  zrbase::setConsoleOut(nullptr);
}

void BM_ReadCatalogueAfterWrite(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    writeToCatalogue();
    state.ResumeTiming();
    CAdoDB db;
    db.Open(CString::FromUtf8(g_catalogue));
    benchmark::DoNotOptimize(duty::readDutyCatalogue(db.m_pConnection));
  }
}

void BM_ReadCatalogue(benchmark::State& state) {
  std::size_t models = 0;
  for (auto _ : state) {
    CAdoDB db;
    db.Open(CString::FromUtf8(g_catalogue));
    const duty::DutyCatalogue c = duty::readDutyCatalogue(db.m_pConnection);
    models = c.models.size();
  }
  state.counters["models"] = static_cast<double>(models);
}

// The same on a connection kept open: the data layer answers from the rows
// it read before while the file has not changed.
void BM_ReadCatalogueAgain(benchmark::State& state) {
  CAdoDB db;
  db.Open(CString::FromUtf8(g_catalogue));
  duty::readDutyCatalogue(db.m_pConnection);
  for (auto _ : state) benchmark::DoNotOptimize(duty::readDutyCatalogue(db.m_pConnection));
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
  if (run.rfind("BM_FanDutyCommandAfterWrite/", 0) == 0)
    return "FANDUTY on --large after a write to the catalogue";
  if (run.rfind("BM_ReadCatalogueAfterWrite/", 0) == 0)
    return "FANDUTY: reading the catalogue after a write";
  return {};
}

}  // namespace

BENCHMARK(BM_FanDutyCommand)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FanDutyCommandAfterWrite)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogueAfterWrite)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();
BENCHMARK(BM_ReadCatalogueAgain)
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
