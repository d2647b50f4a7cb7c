// User actions of the fan selection dialog on the large catalogue (40 series,
// 10,000 models), through the real dialog object run headless: the first fill
// of the cascade, a change of series with everything it triggers, a change of
// speed alone, and the selection by parameters. Each reports the SQL
// statements it sends and, on a catalogue server (ZR_TEST_PG), the round trips
// to it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/ado.h"
#include "ado/ado_statistics.h"
#include "ado/kept_connections.h"
#include "base/user_action.h"
#include "fan_dlg_harness.h"
#include "median_rows.h"
#include "res/resource.h"
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

// A write to the catalogue that changes nothing the dialog shows, but a table
// it reads in every action: a heading row no column asks for, added by one
// call and taken out by the next. (Writing a value over itself would not do:
// SQLite leaves the file as it was, and other connections see no change.)
CString HeadingWrite() {
  static bool added = false;
  added = !added;
  return added ? L"INSERT INTO IndexTableName (IndexName, TableHead) VALUES ('BENCH', 'x')"
               : L"DELETE FROM IndexTableName WHERE IndexName = 'BENCH'";
}

// Another connection to the catalogue, as another program (or another host
// of this one) has.
CFanDatabase* g_other = nullptr;

// The data layer's counters when a benchmark starts.
struct Counts {
  unsigned long long statements = adoimpl::statementCount();
  unsigned long long queries = adoimpl::backendQueryCount();
  unsigned long long roundTrips = adoimpl::serverRoundTripCount();
};

// What the untimed work between actions cost, left out of the counts.
struct Excluded {
  unsigned long long statements = 0;
  unsigned long long queries = 0;
  unsigned long long roundTrips = 0;
  void add(const Counts& before) {
    const Counts now;
    statements += now.statements - before.statements;
    queries += now.queries - before.queries;
    roundTrips += now.roundTrips - before.roundTrips;
  }
};

// Cold runs: a change before each action, neither timed nor counted. Argument
// 1: the dialog's own write (as its grid edits and the model editor make),
// which forgets the results of the table written; 2: another connection's
// write, after which everything is read afresh; 3: the dialog's catalogue
// closed and opened again with no connection kept, as in a new process: a
// new session that knows nothing of the schema or of earlier results.
void ForgetResults(benchmark::State& state, Excluded& excluded) {
  state.PauseTiming();
  const Counts before;
  if (state.range(0) == 3) {
    g_dlg->m_FanDb.Close();
    adoimpl::closeKeptConnections();
    if (!g_dlg->m_FanDb.OpenFanDatabase()) state.SkipWithError("cannot open the catalogue again");
  } else {
    (state.range(0) == 2 ? *g_other : g_dlg->m_FanDb).Execute(HeadingWrite());
  }
  excluded.add(before);
  state.ResumeTiming();
}

// Per action: the statements sent (less the excluded writes), of the queries
// among them how many the back end ran rather than the result cache, and the
// round trips to a catalogue server.
void ReportStatements(benchmark::State& state, const Counts& before,
                      const Excluded& excluded = {}) {
  const Counts now;
  const auto perAction = [](unsigned long long n) {
    return benchmark::Counter(static_cast<double>(n), benchmark::Counter::kAvgIterations);
  };
  state.counters["statements"] =
      perAction(now.statements - before.statements - excluded.statements);
  state.counters["queries run"] = perAction(now.queries - before.queries - excluded.queries);
  state.counters["round trips"] =
      perAction(now.roundTrips - before.roundTrips - excluded.roundTrips);
}

void BM_FillCascade(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  Excluded excluded;
  const Counts before;
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    // As the browse-all radio does, in one user action as its click is: all
    // four lists emptied, then filled.
    const zrbase::UserActionScope click;
    g_dlg->m_cbBigModel.ResetContent();
    g_dlg->m_cbFanNo.ResetContent();
    g_dlg->m_cbDriveMode.ResetContent();
    g_dlg->m_cbSpeed.ResetContent();
    g_dlg->FillCascade();
  }
  ReportStatements(state, before, excluded);
}

// Selects the items of combo id one after another, one per iteration (cold
// when the benchmark's argument says so: the results forgotten first).
void CycleCombo(benchmark::State& state, int id, const std::vector<CString>& items) {
  size_t next = 1;
  const bool cold = state.range(0) != 0;
  Excluded excluded;
  const Counts before;
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    Select(id, items[next++ % items.size()]);
  }
  ReportStatements(state, before, excluded);
}

// A series whose combo at id offers more than one item once it is chosen, so
// that every iteration changes that combo.
std::vector<CString> ChooseSeriesWithChoices(CComboBox& combo) {
  for (const CString& s : Items(g_dlg->m_cbBigModel)) {
    Select(1012, s);
    if (combo.GetCount() > 1) break;
  }
  return Items(combo);
}

void BM_SeriesChange(benchmark::State& state) {
  const std::vector<CString> series = Items(g_dlg->m_cbBigModel);
  CycleCombo(state, 1012, series);
}

void BM_SpeedChange(benchmark::State& state) {
  const std::vector<CString> speeds = ChooseSeriesWithChoices(g_dlg->m_cbSpeed);
  CycleCombo(state, 1016, speeds);
}

void BM_FanNoChange(benchmark::State& state) {
  const std::vector<CString> fanNos = ChooseSeriesWithChoices(g_dlg->m_cbFanNo);
  CycleCombo(state, 1014, fanNos);
}

void BM_DriveModeChange(benchmark::State& state) {
  const std::vector<CString> drives = ChooseSeriesWithChoices(g_dlg->m_cbDriveMode);
  if (drives.size() < 2) state.SkipWithError("no series with two drive modes");
  CycleCombo(state, 1015, drives);
}

// An edit of a performance grid cell, stored in the catalogue: a write each
// time (the value alternates), so every edit is the first action after a
// change; it is also what makes the next action cold.
void BM_GridEdit(benchmark::State& state) {
  // A model with performance rows: its grid has a row besides the heading and the spare.
  for (const CString& s : Items(g_dlg->m_cbBigModel)) {
    Select(1012, s);
    if (g_dlg->m_GridParam.GetRowCount() >= 3) break;
  }
  CGridCtrl& grid = g_dlg->m_GridParam;
  if (grid.GetRowCount() < 3) state.SkipWithError("no rows in the grid");
  // The air flow (its lower bound in a table of ranges): a value stored as it is, where the
  // first column (the model's number) would move the row to another model at the first edit
  // and leave nothing to write after a few.
  int column = 1;
  while (column < grid.GetColumnCount() && grid.GetItemText(0, column).Find(L"风量") != 0) {
    ++column;
  }
  if (column == grid.GetColumnCount()) state.SkipWithError("no air flow column in the grid");
  const CString original = grid.GetItemText(1, column);
  const std::string line = "dlg grid 5003 edit 1 " + std::to_string(column) + " ";
  int n = 0;
  const Counts before;
  for (auto _ : state) {
    const std::string value = std::to_string(1000 + (n++ % 2));
    const std::string reason = winplat::applyDialogLine(*g_dlg, line + value);
    if (!reason.empty()) state.SkipWithError(reason.c_str());
  }
  ReportStatements(state, before);
  winplat::applyDialogLine(*g_dlg, line + original.ToUtf8());
}

// Opening the dialog: its creation and OnInitDialog (the catalogue opened on
// a connection of its own, the grids, the cascade filled, the previews);
// closing it is not timed. Argument 0: opened again as it was closed, the
// catalogue unchanged, so the connection the last one closed serves it.
// 1: after a write to the catalogue made by the last dialog opened before it
// closed (an edit of a heading), whose results of that table are forgotten.
// 2: after another connection's write (another program, or the dialog open
// underneath): the file is read afresh on a new connection. 3: with no
// connection kept, as the first open in a process.
void BM_OpenDialog(benchmark::State& state) {
  const int after = static_cast<int>(state.range(0));
  Excluded excluded;
  const Counts before;
  const auto open = [] {
    auto dlg = std::make_unique<CFanDlg>();
    dlg->Create(IDD_FAN_DIALOG);
    return dlg;
  };
  const auto close = [](std::unique_ptr<CFanDlg>& dlg) {
    dlg->DestroyWindow();
    dlg.reset();
  };
  std::unique_ptr<CFanDlg> last = open();
  for (auto _ : state) {
    state.PauseTiming();
    const Counts paused;
    if (after == 1) last->m_FanDb.Execute(HeadingWrite());
    close(last);
    if (after == 2) g_dlg->m_FanDb.Execute(HeadingWrite());
    if (after == 3) adoimpl::closeKeptConnections();
    excluded.add(paused);
    state.ResumeTiming();
    last = open();
  }
  close(last);
  ReportStatements(state, before, excluded);
}

// The search of every series' parameter table for a duty point, with the
// cascade it refills: 990 Pa and 1131 m³/h (the dialog's default), tolerance
// 50. Reports the candidates found, to show the search is not empty.
void BM_SelectByParameters(benchmark::State& state) {
  g_dlg->m_nSelectMode = CFanDlg::kSelectByParameters;
  const bool cold = state.range(0) != 0;
  Excluded excluded;
  const Counts before;
  for (auto _ : state) {
    if (cold) ForgetResults(state, excluded);
    // One user action, as the search button's click is.
    const zrbase::UserActionScope click;
    if (!g_dlg->SelectByParameters(990.0, 1131.0)) state.SkipWithError("no candidates");
  }
  ReportStatements(state, before, excluded);
  state.counters["candidates"] = static_cast<double>(g_dlg->m_Models.GetSize());
  state.counters["series"] = static_cast<double>(g_dlg->m_cbBigModel.GetCount());
  g_dlg->m_nSelectMode = CFanDlg::kBrowseAll;
}

// "BM_SeriesChange/1" is "FAN dialog: series change, cold".
std::string ActionName(const std::string& run) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"BM_FillCascade", "filling the cascade"},
      {"BM_SeriesChange", "series change"},
      {"BM_SpeedChange", "speed change"},
      {"BM_FanNoChange", "fan number change"},
      {"BM_DriveModeChange", "drive mode change"},
      {"BM_GridEdit", "grid edit"},
      {"BM_OpenDialog", "opening the dialog"},
      {"BM_SelectByParameters", "selection by parameters"}};
  for (const auto& [function, words] : kNames) {
    const std::string prefix = function;
    if (run.rfind(prefix + "/", 0) != 0 && run != prefix) continue;
    std::string name = std::string("FAN dialog: ") + words;
    if (run.rfind(prefix + "/0/", 0) == 0) name += ", warm";
    if (run.rfind(prefix + "/1/", 0) == 0) name += ", cold";
    if (run.rfind(prefix + "/2/", 0) == 0) name += ", after another connection's write";
    if (run.rfind(prefix + "/3/", 0) == 0) name += ", fresh session";
    return name;
  }
  return {};
}

}  // namespace

// Argument 0: repeated actions (recent results reused); 1: cold, after the
// dialog's own write; 2: after another connection's write; 3: on a fresh session.
// Each a median of 5, in ms.
void WarmAndCold(benchmark::internal::Benchmark* b) {
  b->Arg(0)
      ->Arg(1)
      ->Arg(2)
      ->Arg(3)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly();
}

BENCHMARK(BM_FillCascade)->Apply(WarmAndCold);
BENCHMARK(BM_SeriesChange)->Apply(WarmAndCold);
BENCHMARK(BM_SpeedChange)->Apply(WarmAndCold);
BENCHMARK(BM_FanNoChange)->Apply(WarmAndCold);
BENCHMARK(BM_DriveModeChange)->Apply(WarmAndCold);
BENCHMARK(BM_GridEdit)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_OpenDialog)->Apply(WarmAndCold);
BENCHMARK(BM_SelectByParameters)->Apply(WarmAndCold);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  fandlgtest::DialogHarness harness;
  testsupport::writeLargeCatalogue(harness.catalogue().substr(0, harness.catalogue().rfind('/')));
  // The 5 ms aim is for an open catalogue: warm, after its own write and after another
  // program's; a fresh session reads the catalogue anew, and has none.
  benchrows::MedianRowReporter reporter(ActionName, [](const std::string& run) {
    return std::string(run.find("/3/") != std::string::npos ? "-" : "<= 5 ms");
  });
  harness.run([&reporter](CFanDlg& dlg) {
    g_dlg = &dlg;
    CFanDatabase other;
    if (!other.OpenFanDatabase()) return;
    g_other = &other;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    g_other = nullptr;
    g_dlg = nullptr;
  });
  reporter.printRows();
  if (!harness.ui().boxes().empty()) {
    fprintf(stderr, "unexpected message box: %s\n",
            CString(harness.ui().boxes()[0].text).ToUtf8().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
