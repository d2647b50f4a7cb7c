// Insert of drawings whose blocks are hostile: a block named like the drawing, definitions
// that would contain themselves, files with such loops, block names a file may not give,
// and nesting tens of thousands of blocks deep.
#include <gtest/gtest.h>

#include <memory>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;
using cadtest::DxfText;

std::string errorText(const AcDbDatabase& db) { return zrbase::wideToUtf8(db.lastErrorText()); }

AcDbObjectId blockNamed(AcDbDatabase& db, const ACHAR* name) {
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (db.getBlockTable(table) != Acad::eOk) return id;
  table->getAt(name, id);
  table->close();
  return id;
}

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
  EXPECT_EQ(contents(id), (std::vector<std::wstring>{L"INSERT loop$1", L"CIRCLE"}));
  EXPECT_EQ(contents(blockNamed(target, L"loop$1")), std::vector<std::wstring>{L"LINE"});
  // Again, over the block it made: the drawing's own block still does not swallow it.
  ASSERT_EQ(target.insert(id, L"LOOP", source.get()), Acad::eOk) << errorText(target);
  const std::vector<std::wstring> again = contents(id);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_NE(again[0], L"INSERT loop") << "never a reference to itself";
  // What was written reads back.
  std::string text;
  ASSERT_EQ(target.writeDxfText(text), Acad::eOk);
  AcDbDatabase back(false);
  EXPECT_EQ(back.readDxfText(text), Acad::eOk) << errorText(back);
}

TEST(InsertBlocks, TheRenamedBlockAvoidsNamesOfBothDrawings) {
  auto source = loopDrawing();
  addToBlock(addBlock(source.get(), L"loop$1"), new AcDbPoint());
  AcDbDatabase target;
  addBlock(&target, L"loop$2");
  AcDbObjectId id;
  ASSERT_EQ(target.insert(id, L"loop", source.get()), Acad::eOk) << errorText(target);
  EXPECT_EQ(contents(id), (std::vector<std::wstring>{L"INSERT loop$3", L"CIRCLE"}));
  EXPECT_EQ(contents(blockNamed(target, L"loop$3")), std::vector<std::wstring>{L"LINE"});
}

TEST(InsertBlocks, ADefinitionThatWouldContainItselfIsRefusedAndNothingChanges) {
  AcDbDatabase target;
  const AcDbObjectId symbol = addBlock(&target, L"SYMBOL");
  addToBlock(symbol, new AcDbPoint());
  const AcDbObjectId frame = addBlock(&target, L"FRAME");
  addToBlock(frame, new AcDbBlockReference(AcGePoint3d(), symbol));
  // The new SYMBOL would take FRAME as this drawing has it, and FRAME holds SYMBOL.
  AcDbDatabase source;
  addToModelSpace(&source, new AcDbBlockReference(AcGePoint3d(), addBlock(&source, L"FRAME")));
  AcDbObjectId id;
  EXPECT_EQ(target.insert(id, L"SYMBOL", &source), Acad::eSelfReference);
  EXPECT_NE(errorText(target).find("'FRAME'"), std::string::npos) << errorText(target);
  EXPECT_NE(errorText(target).find("contain itself"), std::string::npos) << errorText(target);
  EXPECT_TRUE(id.isNull());
  EXPECT_EQ(contents(symbol), std::vector<std::wstring>{L"POINT"}) << "the old definition stays";
  // A drawing that holds a loop of its own cannot be inserted either.
  AcDbDatabase looped;
  const AcDbObjectId a = addBlock(&looped, L"A");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(), a));
  addToModelSpace(&looped, new AcDbBlockReference(AcGePoint3d(), a));
  EXPECT_EQ(target.insert(id, L"NEW", &looped), Acad::eSelfReference);
  EXPECT_NE(errorText(target).find("'A' -> 'A'"), std::string::npos) << errorText(target);
  EXPECT_TRUE(blockNamed(target, L"NEW").isNull());
}

TEST(InsertBlocks, FilesWithABlockThatContainsItselfAreRefused) {
  // R12: block A holds INSERT A.
  const std::string r12 = DxfText()
                              .header("AC1009")
                              .section("BLOCKS")
                              .pair(0, "BLOCK")
                              .pair(8, "0")
                              .pair(2, "A")
                              .pair(70, "0")
                              .pair(10, "0")
                              .pair(20, "0")
                              .pair(30, "0")
                              .pair(0, "INSERT")
                              .pair(8, "0")
                              .pair(2, "A")
                              .pair(10, "0")
                              .pair(20, "0")
                              .pair(30, "0")
                              .pair(0, "ENDBLK")
                              .pair(8, "0")
                              .endSection()
                              .section("ENTITIES")
                              .endSection()
                              .eof()
                              .str();
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDxfText(r12, L"a.dxf"), Acad::eBadDxfFile);
  EXPECT_EQ(errorText(db), "cannot read drawing 'a.dxf': a block contains itself: 'A' -> 'A'");
}

TEST(InsertBlocks, RefusalsSayWhy) {
  AcDbDatabase target, source;
  addToModelSpace(&source, new AcDbLine());
  AcDbObjectId id;
  EXPECT_EQ(target.insert(id, L"a|b", &source), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(errorText(target), "'a|b' is not a valid name: names cannot hold '|'");
  EXPECT_EQ(target.insert(id, ACDB_MODEL_SPACE, &source), Acad::eIllegalReplacement);
  EXPECT_EQ(errorText(target), "a layout cannot be redefined");
  EXPECT_EQ(target.insert(id, L"", &source), Acad::eInvalidInput);
  EXPECT_FALSE(errorText(target).empty());
  AcDbDatabase empty(false);
  EXPECT_EQ(target.insert(id, L"X", &empty), Acad::eNoDatabase);
  EXPECT_EQ(errorText(target), "the drawing to insert has no model space");
  ASSERT_EQ(target.insert(id, L"OK", &source), Acad::eOk);
  EXPECT_EQ(errorText(target), "") << "a success clears the last error";
}

// Blocks nested n deep (B0 holds B1 ... holds B(n-1), which holds a line), referenced from
// model space: more than the call stack takes if copied or checked by recursion.
std::unique_ptr<AcDbDatabase> nestedDrawing(int n) {
  auto db = std::make_unique<AcDbDatabase>();
  AcDbObjectId inner = addBlock(db.get(), (L"B" + std::to_wstring(n - 1)).c_str());
  addToBlock(inner, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  for (int i = n - 2; i >= 0; --i) {
    const AcDbObjectId outer = addBlock(db.get(), (L"B" + std::to_wstring(i)).c_str());
    addToBlock(outer, new AcDbBlockReference(AcGePoint3d(1, 0, 0), inner));
    inner = outer;
  }
  addToModelSpace(db.get(), new AcDbBlockReference(AcGePoint3d(), inner));
  return db;
}

TEST(InsertBlocks, NestingSixtyThousandDeepIsReadAndInsertedWhole) {
  constexpr int kDepth = 60000;
  auto built = nestedDrawing(kDepth);
  std::string text;
  ASSERT_EQ(built->writeDxfText(text), Acad::eOk);
  AcDbDatabase source(false);
  ASSERT_EQ(source.readDxfText(text), Acad::eOk) << errorText(source);
  AcDbDatabase target;
  AcDbObjectId id;
  ASSERT_EQ(target.insert(id, L"NESTED", &source), Acad::eOk) << errorText(target);
  // Walk the chain in the target: every level is there, the line at the bottom.
  AcDbObjectId block = id;
  for (int level = 0; level < kDepth; ++level) {
    const std::vector<std::wstring> items = contents(block);
    ASSERT_EQ(items.size(), 1u) << level;
    ASSERT_EQ(items[0], L"INSERT B" + std::to_wstring(level)) << level;
    block = blockNamed(target, (L"B" + std::to_wstring(level)).c_str());
  }
  EXPECT_EQ(contents(block), std::vector<std::wstring>{L"LINE"});
}

}  // namespace
