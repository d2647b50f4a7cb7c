// User actions of the fan selection dialog on the large catalogue (40 series,
// 10,000 models), through the real dialog object run headless: the first fill
// of the cascade, a change of series with everything it triggers, a change of
// speed alone, and the selection by parameters. Each reports the SQL
// statements it sends.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ado/ado.h"
#include "ado/ado_statistics.h"
#include "fan_dlg_harness.h"
#include "win/dialog_script.h"

namespace {

CFanDlg* g_dlg = nullptr;

std::vector<CString> Items(CComboBox& combo) {
  std::vector<CString> items;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString text;
    combo.GetLBText(i, text);
    items.push_back(text);
  }
  return items;
}

void Select(int id, const CString& text) {
  const std::string reason =
      winplat::applyDialogLine(*g_dlg, "dlg select " + std::to_string(id) + " " + text.ToUtf8());
  if (!reason.empty()) throw std::runtime_error(reason);
}

// Cold runs: a write before each action empties the data layer's cache of
// recent results, as any edit of the catalogue does; the write is neither
// timed nor counted.
void ForgetResults(benchmark::State& state, unsigned long long& statements) {
  state.PauseTiming();
  g_dlg->m_FanDb.Execute(
      L"UPDATE IndexTableName SET TableHead = TableHead WHERE IndexName "
      L"LIKE 'ERRORNUM'");
  ++statements;
  state.ResumeTiming();
}

void ReportStatements(benchmark::State& state, unsigned long long before,
                      unsigned long long excluded = 0) {
  state.counters["statements"] =
      benchmark::Counter(static_cast<double>(adoimpl::statementCount() - before - excluded),
                         benchmark::Counter::kAvgIterations);
}

void BM_FillCascade(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    // As the browse-all radio does: all four lists emptied, then filled.
    g_dlg->m_cbBigModel.ResetContent();
    g_dlg->m_cbFanNo.ResetContent();
    g_dlg->m_cbDriveMode.ResetContent();
    g_dlg->m_cbSpeed.ResetContent();
    g_dlg->FillCascade();
  }
  ReportStatements(state, before, excluded);
}

void BM_SeriesChange(benchmark::State& state) {
  const std::vector<CString> series = Items(g_dlg->m_cbBigModel);
  size_t next = 1;
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    Select(1012, series[next++ % series.size()]);
  }
  ReportStatements(state, before, excluded);
}

void BM_SpeedChange(benchmark::State& state) {
  // A model with more than one speed, so that every iteration changes it.
  for (const CString& s : Items(g_dlg->m_cbBigModel)) {
    Select(1012, s);
    if (g_dlg->m_cbSpeed.GetCount() > 1) break;
  }
  const std::vector<CString> speeds = Items(g_dlg->m_cbSpeed);
  size_t next = 1;
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    Select(1016, speeds[next++ % speeds.size()]);
  }
  ReportStatements(state, before, excluded);
}

// The search of every series' parameter table for a duty point, with the
// cascade it refills: 990 Pa and 1131 m³/h (the dialog's default), tolerance
// 50. Reports the candidates found, to show the search is not empty.
void BM_SelectByParameters(benchmark::State& state) {
  g_dlg->m_nSelectMode = CFanDlg::kSelectByParameters;
  const bool cold = state.range(0) != 0;
  unsigned long long excluded = 0;
  const unsigned long long before = adoimpl::statementCount();
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    if (!g_dlg->SelectByParameters(990.0, 1131.0)) state.SkipWithError("no candidates");
  }
  ReportStatements(state, before, excluded);
  state.counters["candidates"] = static_cast<double>(g_dlg->m_Models.GetSize());
  state.counters["series"] = static_cast<double>(g_dlg->m_cbBigModel.GetCount());
  g_dlg->m_nSelectMode = CFanDlg::kBrowseAll;
}

}  // namespace

// Argument 0: repeated actions (recent results reused); 1: cold, after a write.
BENCHMARK(BM_FillCascade)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SeriesChange)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SpeedChange)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SelectByParameters)
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
    fprintf(stderr, "unexpected message box: %s\n",
            CString(harness.ui().boxes()[0].text).ToUtf8().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
