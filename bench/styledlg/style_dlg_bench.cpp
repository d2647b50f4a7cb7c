// Opening the model list editor on the large catalogue (40 series, 10,000
// models): the grid loaded with one row per model, each with its series list
// and the drive-mode list of its series. Reports the SQL statements sent.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "ado/ado.h"
#include "ado/ado_statistics.h"
#include "fan_dlg_harness.h"
#include "styledlg/style_dlg.h"

namespace {

CFanDlg* g_dlg = nullptr;

// Argument 0: opened again on an unchanged catalogue (recent results reused);
// 1: cold, the first opening after a write to the catalogue (not timed, not counted).
void BM_OpenEditor(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  int rows = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      g_dlg->m_FanDb.Execute(
          L"UPDATE IndexTableName SET TableHead = TableHead WHERE IndexName LIKE 'ERRORNUM'");
      ++excluded;
      state.ResumeTiming();
    }
    // No modal function is queued: the editor is cancelled as soon as it is up.
    CStyleDlg dlg(&g_dlg->m_FanDb);
    dlg.DoModal();
    rows = dlg.m_Grid.GetRowCount() - 1;
  }
  state.counters["statements"] =
      benchmark::Counter(static_cast<double>(adoimpl::statementCount() - before - excluded),
                         benchmark::Counter::kAvgIterations);
  state.counters["models"] = rows;
}

}  // namespace

BENCHMARK(BM_OpenEditor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  fandlgtest::DialogHarness harness;
  testsupport::writeLargeCatalogue(harness.catalogue().substr(0, harness.catalogue().rfind('/')));
  harness.run([](CFanDlg& dlg) {
    g_dlg = &dlg;
    benchmark::RunSpecifiedBenchmarks();
    g_dlg = nullptr;
  });
  if (!harness.ui().boxes().empty()) {
    std::fprintf(stderr, "unexpected message box: %s\n",
                 CString(harness.ui().boxes()[0].text).ToUtf8().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
