// Undo and redo on a large drawing: a fan placement (a view block of 200 entities with an
// attribute definition copied in from its view drawing, a reference with its attribute and
// xdata) undone and redone, and ERASE all through the host's command with its undo. The
// drawing is the large one of the DXF benchmarks (200,000 lines, 1,000 blocks, 5,000
// references with xdata), each reference also given an attribute, read back from its DXF
// so that it holds what an opened drawing holds.
#include <benchmark/benchmark.h>

#include <memory>

#include "../cad/large_drawing.h"
#include "cad/acdb.h"
#include "cad/aced.h"
#include "edit_commands.h"

namespace {

// Gives every reference of model space an attribute, as placed fans have.
void addAttributes(AcDbDatabase& db) {
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForRead);
  for (AcDbObjectId id : ms->entityIds()) {
    AcDbObjectPointer<AcDbBlockReference> ref(id, AcDb::kForWrite);
    if (!ref) continue;
    auto* attr = new AcDbAttribute(ref->position(), L"4-72No4.5A", L"MODEL");
    if (ref->appendAttribute(attr) == Acad::eOk) attr->close();
  }
}

std::unique_ptr<AcDbDatabase> openedDrawing(size_t& bytes) {
  AcDbDatabase built;
  cadbench::buildLargeDrawing(built, 200000, 1000, 20, 5000);
  addAttributes(built);
  std::string text;
  built.writeDxfText(text);
  bytes = text.size();
  auto db = std::make_unique<AcDbDatabase>(false);
  db->readDxfText(text);
  db->enableUndoRecording(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  return db;
}

// The view drawing a placement copies its block from.
std::unique_ptr<AcDbDatabase> viewDrawing() {
  auto view = std::make_unique<AcDbDatabase>();
  AcDbObjectPointer<AcDbBlockTableRecord> ms(view->modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < 200; ++i) {
    auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 50, 0));
    ms->appendAcDbEntity(line);
    line->close();
  }
  auto* def = new AcDbAttributeDefinition(AcGePoint3d(0, -5, 0), L"4-72", L"MODEL", L"Model");
  ms->appendAcDbEntity(def);
  def->close();
  return view;
}

// What FAN leaves in the drawing: the view block, the reference, its attribute, its xdata.
void placeFan(AcDbDatabase& db, AcDbDatabase& view, int n) {
  AcDbObjectId block;
  db.insert(block, (L"4-72No4.5A_" + std::to_wstring(n)).c_str(), &view);
  auto* ref = new AcDbBlockReference(AcGePoint3d(n, 500, 0), block);
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForWrite);
  ms->appendAcDbEntity(ref);
  auto* attr = new AcDbAttribute(ref->position(), L"4-72", L"MODEL");
  ref->appendAttribute(attr);
  attr->close();
  db.registerApplication(L"ZRFAN");
  resbuf* rb = acutBuildList(1001, L"ZRFAN", 1000, L"4-72No4.5A_2900", 1070, 1, 0);
  ref->setXData(rb);
  acutRelRb(rb);
  ref->close();
  db.closeUndoStep(L"FAN");
}

struct Fixture {
  size_t bytes = 0;
  std::unique_ptr<AcDbDatabase> db = openedDrawing(bytes);
  std::unique_ptr<AcDbDatabase> view = viewDrawing();
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_UndoFanPlacement(benchmark::State& state) {
  Fixture& f = fixture();
  placeFan(*f.db, *f.view, 1);
  for (auto _ : state) {
    f.db->undo(1);
    state.PauseTiming();
    f.db->redo(1);
    state.ResumeTiming();
  }
  f.db->undo(1);
  state.counters["drawing_MB"] = static_cast<double>(f.bytes) / 1e6;
}
BENCHMARK(BM_UndoFanPlacement)->Unit(benchmark::kMillisecond);

void BM_RedoFanPlacement(benchmark::State& state) {
  Fixture& f = fixture();
  placeFan(*f.db, *f.view, 2);
  f.db->undo(1);
  for (auto _ : state) {
    f.db->redo(1);
    state.PauseTiming();
    f.db->undo(1);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RedoFanPlacement)->Unit(benchmark::kMillisecond);

// The whole FAN placement step as recorded: copying the block in, the reference, xdata.
void BM_PlaceFanRecorded(benchmark::State& state) {
  Fixture& f = fixture();
  int n = 10;
  for (auto _ : state) {
    placeFan(*f.db, *f.view, n++);
    state.PauseTiming();
    f.db->undo(1);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PlaceFanRecorded)->Unit(benchmark::kMillisecond);

// ERASE, answered "all" and Enter, through the host's command: selection, erasing every
// entity of model space, and recording the step.
void BM_EraseAll(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    if (acedCommand(RTSTR, L"ERASE", RTSTR, L"all", RTSTR, L"", RTNONE) != RTNORM)
      state.SkipWithError("ERASE failed");
    state.PauseTiming();
    f.db->undo(1);
    state.ResumeTiming();
  }
  AcDbObjectPointer<AcDbBlockTableRecord> ms(f.db->modelSpaceId(), AcDb::kForRead);
  state.counters["entities"] = static_cast<double>(ms->entityIds().size());
}
BENCHMARK(BM_EraseAll)->Unit(benchmark::kMillisecond);

void BM_UndoEraseAll(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    state.PauseTiming();
    acedCommand(RTSTR, L"ERASE", RTSTR, L"all", RTSTR, L"", RTNONE);
    state.ResumeTiming();
    f.db->undo(1);
  }
}
BENCHMARK(BM_UndoEraseAll)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  fancad::registerEditCommands();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return 0;
}
