// INSERT of drawings with many blocks, against OPEN (reading) of the same drawings as the
// baseline. Items are blocks: items per second must stay flat as the count grows (a name
// lookup that rebuilt its index made 20,000 blocks take 47 s, 40 times 5,000's 1.2 s).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "cad/acdb.h"

namespace {

// A drawing of n blocks, each holding a line and referenced once from model space; nested:
// each block holds the next instead.
const std::string& drawingText(int n, bool nested) {
  static std::map<std::pair<int, bool>, std::string> texts;
  auto [it, made] = texts.try_emplace({n, nested});
  if (!made) return it->second;
  AcDbDatabase db;
  AcDbBlockTable* table = nullptr;
  db.getBlockTable(table, AcDb::kForWrite);
  AcDbObjectId previous;
  for (int i = n - 1; i >= 0; --i) {
    auto* block = new AcDbBlockTableRecord();
    block->setName((L"BLOCK" + std::to_wstring(i)).c_str());
    AcDbObjectId id;
    table->add(id, block);
    AcDbEntity* content = nested && !previous.isNull()
                              ? static_cast<AcDbEntity*>(new AcDbBlockReference({}, previous))
                              : new AcDbLine(AcGePoint3d(), AcGePoint3d(i, 1, 0));
    block->appendAcDbEntity(content);
    content->close();
    block->close();
    previous = id;
    if (!nested || i == 0) {
      AcDbBlockTableRecord* model = nullptr;
      acdbOpenObject(model, db.modelSpaceId(), AcDb::kForWrite);
      auto* ref = new AcDbBlockReference(AcGePoint3d(i, 0, 0), id);
      model->appendAcDbEntity(ref);
      ref->close();
      model->close();
    }
  }
  table->close();
  db.writeDxfText(it->second);
  return it->second;
}

void BM_OpenManyBlocks(benchmark::State& state) {
  const std::string& text = drawingText(static_cast<int>(state.range(0)), false);
  for (auto _ : state) {
    AcDbDatabase db(false);
    if (db.readDxfText(text) != Acad::eOk) state.SkipWithError("read failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenManyBlocks)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void insertBlocks(benchmark::State& state, bool nested) {
  AcDbDatabase source(false);
  if (source.readDxfText(drawingText(static_cast<int>(state.range(0)), nested)) != Acad::eOk)
    state.SkipWithError("read failed");
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<AcDbDatabase>();
    state.ResumeTiming();
    AcDbObjectId id;
    if (target->insert(id, L"MANY", &source) != Acad::eOk) state.SkipWithError("insert failed");
    state.PauseTiming();
    target.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_InsertManyBlocks(benchmark::State& state) { insertBlocks(state, false); }
BENCHMARK(BM_InsertManyBlocks)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_InsertNestedBlocks(benchmark::State& state) { insertBlocks(state, true); }
BENCHMARK(BM_InsertNestedBlocks)->Arg(20000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
