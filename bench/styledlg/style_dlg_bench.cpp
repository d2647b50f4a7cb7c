// Opening the model list editor on the large catalogue (40 series, 10,000
// models): the grid loaded with one row per model, each with its series list
// and the drive-mode list of its series; every row read once it is open; and
// the whole modal run with the editor's close. The openings report the SQL
// statements sent.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ado/ado.h"
#include "ado/ado_statistics.h"
#include "fan_dlg_harness.h"
#include "median_rows.h"
#include "res/resource.h"
#include "styledlg/style_dlg.h"

namespace {

CFanDlg* g_dlg = nullptr;

void ForgetResults(benchmark::State& state, unsigned long long& excluded) {
  state.PauseTiming();
  g_dlg->m_FanDb.Execute(
      L"UPDATE IndexTableName SET TableHead = TableHead WHERE IndexName LIKE 'ERRORNUM'");
  ++excluded;
  state.ResumeTiming();
}

void ReportCounters(benchmark::State& state, unsigned long long before, unsigned long long excluded,
                    int rows) {
  state.counters["statements"] =
      benchmark::Counter(static_cast<double>(adoimpl::statementCount() - before - excluded),
                         benchmark::Counter::kAvgIterations);
  state.counters["models"] = rows;
}

// Opening: from the click to the editor up with its grid filled (the
// dialog's creation and OnInitDialog); closing it is not timed.
// Argument 0: opened again on an unchanged catalogue (recent results reused);
// 1: cold, the first opening after a write to the catalogue (not timed, not counted).
void BM_OpenEditor(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  int rows = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    auto dlg = std::make_unique<CStyleDlg>(&g_dlg->m_FanDb);
    dlg->Create(IDD_STYLE_DIALOG);
    state.PauseTiming();
    rows = dlg->m_Grid.GetRowCount() - 1;
    dlg->DestroyWindow();
    dlg.reset();
    state.ResumeTiming();
  }
  ReportCounters(state, before, excluded, rows);
}

// Every row read once the editor is open: the check that OK and adding a row
// run first reads the key, series, drive mode, fan number and speed of each
// row, which the grid takes from the editor's recordset when first read.
void BM_CheckAllRows(benchmark::State& state) {
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto dlg = std::make_unique<CStyleDlg>(&g_dlg->m_FanDb);
    dlg->Create(IDD_STYLE_DIALOG);
    state.ResumeTiming();
    benchmark::DoNotOptimize(dlg->CheckModelRows());
    state.PauseTiming();
    rows = dlg->m_Grid.GetRowCount() - 1;
    dlg->DestroyWindow();
    dlg.reset();
    state.ResumeTiming();
  }
  state.counters["models"] = rows;
}

// The whole modal run: opened, cancelled at once, and the grid's rows freed
// with the editor.
void BM_OpenAndCloseEditor(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  int rows = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    // No modal function is queued: the editor is cancelled as soon as it is up.
    CStyleDlg dlg(&g_dlg->m_FanDb);
    dlg.DoModal();
    rows = dlg.m_Grid.GetRowCount() - 1;
  }
  ReportCounters(state, before, excluded, rows);
}

std::string FigureName(const std::string& run) {
  if (run.rfind("BM_OpenEditor/0/", 0) == 0) return "model editor: opening, warm";
  if (run.rfind("BM_OpenEditor/1/", 0) == 0) return "model editor: opening, cold";
  return {};
}

}  // namespace

BENCHMARK(BM_OpenEditor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_CheckAllRows)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_OpenAndCloseEditor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  fandlgtest::DialogHarness harness;
  testsupport::writeLargeCatalogue(harness.catalogue().substr(0, harness.catalogue().rfind('/')));
  benchrows::MedianRowReporter reporter(FigureName, "<= 5 ms");
  harness.run([&reporter](CFanDlg& dlg) {
    g_dlg = &dlg;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    g_dlg = nullptr;
  });
  reporter.printRows();
  if (!harness.ui().boxes().empty()) {
    std::fprintf(stderr, "unexpected message box: %s\n",
                 CString(harness.ui().boxes()[0].text).ToUtf8().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
