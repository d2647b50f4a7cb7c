// The drawing library's user actions through the real dialog object run
// headless: the preview refresh with the angle list refilled, as a change of
// model does it, and placing a fan up to the host's INSERT command, on a
// typical view drawing (48 blocks of 100 entities: three views, two hands,
// eight outlet angles) and a large one (504 blocks of 200 entities).
//
// Each runs warm (the view drawing read before and unchanged, as when the user
// changes view, hand or angle, or places the same model again) and cold (the
// file touched before each run, so that it is read again, as after a change of
// model or an edit of the file).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <stdexcept>

#include "drawings_harness.h"
#include "median_rows.h"

namespace {

CFanDlg* g_dlg = nullptr;
drawingstest::DrawingsHarness* g_harness = nullptr;

// The two view drawings: model 4-72 No. 4.5 A is the typical one, No. 5 A the large one.
const char* const kTypicalFanNo = "4.5";
const char* const kLargeFanNo = "5";

void Select(int id, const std::string& text) {
  const std::string reason =
      winplat::applyDialogLine(*g_dlg, "dlg select " + std::to_string(id) + " " + text);
  if (!reason.empty()) throw std::runtime_error(reason);
}

void ChooseFanNo(benchmark::State& state) {
  Select(1014, state.range(0) == 0 ? kTypicalFanNo : kLargeFanNo);
  Select(1016, "2900");
  if (!g_dlg->m_Preview.previewShown()) throw std::runtime_error("the view block is not shown");
}

// For cold runs: a new modification time makes the file one the dialog has not
// read. The times are counted rather than taken from the clock, whose file
// times may advance more slowly than a run ends.
void TouchViewDrawing(benchmark::State& state) {
  if (state.range(1) == 0) return;
  static long long seconds = 1000000000;
  state.PauseTiming();
  const std::string path = g_harness->viewDrawing(state.range(0) == 0 ? "4-72No4.5A" : "4-72No5A");
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ++seconds;
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  state.ResumeTiming();
}

void BM_RefreshPreviewWithRefill(benchmark::State& state) {
  ChooseFanNo(state);
  for (auto _ : state) {
    TouchViewDrawing(state);
    g_dlg->RefreshPreview(TRUE);
  }
  state.counters["entities"] = g_dlg->m_Preview.previewEntityCount();
  state.counters["angles"] = g_dlg->m_cbAngle.GetCount();
}

// INSERT stands in for the host's command: it takes no input and cancels, so
// the placement ends right after the INSERT is started; the rotation prompt is
// answered with Enter each time. Each placement starts from a new drawing (not
// timed), as the placed block would otherwise be redefined in one that grows.
void BM_PlaceFanUpToInsert(benchmark::State& state) {
  ChooseFanNo(state);
  int inserts = 0;
  cadrt::CommandProcessor::instance().addHostCommand(L"INSERT", [&inserts] {
    ++inserts;
    return RTCAN;
  });
  for (auto _ : state) {
    state.PauseTiming();
    apptest::newCurrentDrawing();
    g_harness->input("\n");
    state.ResumeTiming();
    TouchViewDrawing(state);
    g_dlg->OnPlaceFan();
  }
  if (inserts != static_cast<int>(state.iterations())) {
    state.SkipWithError("INSERT was not reached every time");
  }
  fancad::registerInsertCommand();
}

}  // namespace

// Arguments: 0 the typical view drawing, 1 the large one; 0 warm, 1 cold.
BENCHMARK(BM_RefreshPreviewWithRefill)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_PlaceFanUpToInsert)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchrows::MedianRowReporter reporter(
      [](const std::string& run) {
        return run.rfind("BM_RefreshPreviewWithRefill/1/1/", 0) == 0
                   ? std::string("first preview of the large view drawing (read again)")
                   : std::string();
      },
      "<= 50 ms");
  drawingstest::DrawingsHarness harness;
  const std::vector<int> eight = {0, 45, 90, 135, 180, 225, 270, 315};
  std::vector<int> many;
  for (int angle = 0; angle < 84; ++angle) many.push_back(angle);
  if (!testsupport::writeViewDrawing(harness.viewDrawing("4-72No4.5A"),
                                     testsupport::viewBlocks(eight, 100)) ||
      !testsupport::writeViewDrawing(harness.viewDrawing("4-72No5A"),
                                     testsupport::viewBlocks(many, 200))) {
    fprintf(stderr, "cannot write the view drawings\n");
    return 1;
  }
  harness.run([&harness, &reporter](CFanDlg& dlg) {
    g_dlg = &dlg;
    g_harness = &harness;
    Select(1012, "4-72");
    // What the placements print goes to the harness's buffer, not the report.
    harness.input("");
    benchmark::RunSpecifiedBenchmarks(&reporter);
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
