// wblock of a block into a new drawing, and insert of a drawing as a block: what goes with
// them, and drawings whose blocks are hostile (a block named like the drawing, definitions
// that would contain themselves, names a file may not give, nesting 60000 deep). Placing a
// fan, which makes these calls in turn, is tested with the module in tests/drawings.
#include <gtest/gtest.h>

#include <memory>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

// The entities of a block: their kinds, references with the name of their block.
std::vector<std::wstring> contents(AcDbObjectId block) {
  AcDbObjectPointer<AcDbBlockTableRecord> btr(block, AcDb::kForRead);
  std::vector<std::wstring> out;
  if (!btr) return out;
  for (AcDbObjectId id : btr->entityIds()) {
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
    std::wstring item = zrbase::utf8ToWide(ent->dxfName());
    if (const auto* ref = AcDbBlockReference::cast(ent.object())) {
      AcDbObjectPointer<AcDbBlockTableRecord> target(ref->blockTableRecord(), AcDb::kForRead);
      item += L" " + (target ? target->name() : std::wstring(L"?"));
    }
    out.push_back(item);
  }
  return out;
}

using Items = std::vector<std::wstring>;

TEST(Wblock, ModelSpaceOfTheNewDrawingHoldsTheBlockWithWhatItUses) {
  AcDbDatabase db;
  const AcDbObjectId layer = addLayer(&db, L"风机层", 3);
  const AcDbObjectId inner = addBlock(&db, L"INNER");
  addToBlock(inner, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  const AcDbObjectId view = addBlock(&db, L"F_L0", AcGePoint3d(5, 5, 0));
  auto* line = new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0));
  line->setLayer(layer);
  addToBlock(view, line);
  addToBlock(view, new AcDbBlockReference(AcGePoint3d(2, 2, 0), inner));
  AcDbDatabase* out = nullptr;
  ASSERT_EQ(db.wblock(out, view), Acad::eOk);
  std::unique_ptr<AcDbDatabase> owned(out);
  // (Its base point, and nested blocks coming along: tests/cadkit/block_copy_test.cpp.)
  EXPECT_EQ(contents(out->modelSpaceId()), (Items{L"LINE", L"INSERT INNER"}));
  {
    AcDbEntity* first = firstInModelSpace(out);
    AcDbObjectPointer<AcDbLayerTableRecord> copied(first->layerId(), AcDb::kForRead);
    first->close();
    EXPECT_EQ(copied->name(), L"风机层");
    EXPECT_EQ(copied->color().colorIndex(), 3);
  }  // closed before its drawing goes
  EXPECT_TRUE(blockNamed(*out, L"F_L0").isNull());
  // Circular blocks are copied once; only blocks of this drawing are written out.
  const AcDbObjectId a = addBlock(&db, L"A");
  const AcDbObjectId b = addBlock(&db, L"B");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(), b));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(), a));
  addToBlock(b, new AcDbPoint());
  ASSERT_EQ(db.wblock(out, a), Acad::eOk);
  owned.reset(out);
  EXPECT_FALSE(blockNamed(*out, L"A").isNull());
  EXPECT_EQ(contents(blockNamed(*out, L"B")), (Items{L"INSERT A", L"POINT"}));
  AcDbDatabase other;
  out = nullptr;
  EXPECT_EQ(db.wblock(out, AcDbObjectId()), Acad::eNullObjectId);
  EXPECT_EQ(db.wblock(out, other.modelSpaceId()), Acad::eInvalidInput);
  EXPECT_EQ(out, nullptr);
}

// A drawing inserted as a block: its base as origin, redefining a block of its name in place,
// attribute definitions and nested blocks coming along, are checked through the module's
// copy of a view block (tests/cadkit/block_copy_test.cpp).

TEST(Insert, RefusalsSayWhyAndASuccessClearsTheLastError) {
  AcDbDatabase target, source;
  addToModelSpace(&source, new AcDbLine());
  AcDbObjectId id;
  // (Why a name is refused: INSERT in tests/app/host_test.cpp.)
  EXPECT_EQ(target.insert(id, L"a|b", &source), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(target.insert(id, ACDB_MODEL_SPACE, &source), Acad::eIllegalReplacement);
  EXPECT_EQ(errorText(target), "a layout cannot be redefined");
  EXPECT_EQ(target.insert(id, L"X", &target), Acad::eInvalidInput);  // (empty names: cadkit)
  AcDbDatabase empty(false);
  EXPECT_EQ(target.insert(id, L"X", &empty), Acad::eNoDatabase);
  EXPECT_EQ(errorText(target), "the drawing to insert has no model space");
  ASSERT_EQ(target.insert(id, L"OK", &source), Acad::eOk);
  EXPECT_EQ(errorText(target), "");
}

// The drawing of the report: block "loop" holds a LINE, model space INSERT loop and a CIRCLE.
std::unique_ptr<AcDbDatabase> loopDrawing() {
  auto db = std::make_unique<AcDbDatabase>();
  const AcDbObjectId loop = addBlock(db.get(), L"loop");
  addToBlock(loop, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)));
  addToModelSpace(db.get(), new AcDbBlockReference(AcGePoint3d(), loop));
  addToModelSpace(db.get(), new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1));
  return db;
}

TEST(InsertBlocks, ADrawingWithABlockOfItsOwnNameKeepsBoth) {
  auto source = loopDrawing();
  AcDbDatabase target;
  AcDbObjectId id;
  ASSERT_EQ(target.insert(id, L"loop", source.get()), Acad::eOk) << errorText(target);
  EXPECT_EQ(contents(id), (Items{L"INSERT loop$1", L"CIRCLE"}));
  EXPECT_EQ(contents(blockNamed(target, L"loop$1")), Items{L"LINE"});
  // Again, over the block it made: the drawing's own block still does not swallow it.
  ASSERT_EQ(target.insert(id, L"LOOP", source.get()), Acad::eOk) << errorText(target);
  const Items again = contents(id);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_NE(again[0], L"INSERT loop") << "never a reference to itself";
  readBack(written(target));
  // The renamed block avoids the names of both drawings.
  addToBlock(addBlock(source.get(), L"loop$1"), new AcDbPoint());
  AcDbDatabase other;
  addBlock(&other, L"loop$2");
  ASSERT_EQ(other.insert(id, L"loop", source.get()), Acad::eOk) << errorText(other);
  EXPECT_EQ(contents(id), (Items{L"INSERT loop$3", L"CIRCLE"}));
  EXPECT_EQ(contents(blockNamed(other, L"loop$3")), Items{L"LINE"});
}

// A new definition that would contain itself through a block of the target is refused, and
// nothing changes: tests/cadkit/block_copy_test.cpp. Here the loop is named.
TEST(InsertBlocks, ADrawingThatHoldsALoopIsRefusedNamingIt) {
  AcDbDatabase target;
  AcDbObjectId id;
  AcDbDatabase looped;
  const AcDbObjectId a = addBlock(&looped, L"A");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(), a));
  addToModelSpace(&looped, new AcDbBlockReference(AcGePoint3d(), a));
  EXPECT_EQ(target.insert(id, L"NEW", &looped), Acad::eSelfReference);
  EXPECT_NE(errorText(target).find("'A' -> 'A'"), std::string::npos) << errorText(target);
  EXPECT_TRUE(blockNamed(target, L"NEW").isNull());
  // Read from a file, such a drawing is refused: dxf_records_test (Repairs).
}

// Blocks nested n deep (B0 holds B1 ... holds B(n-1), which holds a line), referenced from
// model space: more than the call stack takes if copied or checked by recursion.
TEST(InsertBlocks, NestingSixtyThousandDeepIsReadAndInsertedWhole) {
  constexpr int kDepth = 60000;
  AcDbDatabase built;
  AcDbObjectId inner = addBlock(&built, (L"B" + std::to_wstring(kDepth - 1)).c_str());
  addToBlock(inner, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  for (int i = kDepth - 2; i >= 0; --i) {
    const AcDbObjectId outer = addBlock(&built, (L"B" + std::to_wstring(i)).c_str());
    addToBlock(outer, new AcDbBlockReference(AcGePoint3d(1, 0, 0), inner));
    inner = outer;
  }
  addToModelSpace(&built, new AcDbBlockReference(AcGePoint3d(), inner));
  auto source = readBack(written(built));
  AcDbDatabase target;
  AcDbObjectId block;
  ASSERT_EQ(target.insert(block, L"NESTED", source.get()), Acad::eOk) << errorText(target);
  // Walk the chain in the target: every level is there, the line at the bottom.
  for (int level = 0; level < kDepth; ++level) {
    const Items items = contents(block);
    ASSERT_EQ(items, Items{L"INSERT B" + std::to_wstring(level)}) << level;
    block = blockNamed(target, (L"B" + std::to_wstring(level)).c_str());
  }
  EXPECT_EQ(contents(block), Items{L"LINE"});
}

}  // namespace
