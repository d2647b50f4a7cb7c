// ArxWriteBlock: a block made from entities of the current drawing, with a base
// point, the entities kept or erased, an existing block redefined only when
// asked; DeleteBlockRec: a block removed with the references in the layouts,
// and refused while another definition uses it.
#include "cadkit/block_helpers.h"
#include "cadkit_fixture.h"

using cadkittest::blockId;
using cadkittest::entityCount;
using cadkittest::Name;

namespace {

int Write(const std::vector<AcDbObjectId>& ids, AcGePoint3d base, const std::wstring& name,
          int flags) {
  AcDbObjectIdArray array;
  for (AcDbObjectId id : ids) array.append(id);
  Name n(name);
  return ArxWriteBlock(array, base, n.get(), L"", flags);
}

AcDbObjectId AddReference(AcDbObjectId owner, AcDbObjectId block) {
  AcDbBlockTableRecord* rec = nullptr;
  EXPECT_EQ(acdbOpenObject(rec, owner, AcDb::kForWrite), Acad::eOk);
  auto* ref = new AcDbBlockReference(AcGePoint3d::kOrigin, block);
  AcDbObjectId id;
  EXPECT_EQ(rec->appendAcDbEntity(id, ref), Acad::eOk);
  ref->close();
  rec->close();
  return id;
}

constexpr int kKeepAndRedefine = kWriteBlockKeepEntities | kWriteBlockRedefine;

}  // namespace

TEST(ArxWriteBlock, MakesABlockFromTheEntitiesAtTheBasePointAndKeepsThem) {
  testsupport::TempDir dir;
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId line = apptest::addLine(db, {10, 10, 0}, {30, 10, 0});
  const AcDbObjectId circle = apptest::addCircle(db, {20, 15, 0}, 4);
  ASSERT_EQ(Write({circle, line}, {10, 10, 0}, L"S_R45", 11), 1) << "the dialog's flags";

  const AcDbObjectId block = blockId(db, L"S_R45");
  ASSERT_FALSE(block.isNull());
  EXPECT_EQ(entityCount(block), 2);
  EXPECT_EQ(entityCount(db->modelSpaceId()), 2) << "the selected entities stay";
  const nlohmann::json read = cadkittest::saveAndRead(db, dir.file("made.dxf"));
  const auto& entities = read["blocks"]["S_R45"]["entities"];
  EXPECT_EQ(read["blocks"]["S_R45"]["base"], nlohmann::json::array({10.0, 10.0, 0.0}));
  ASSERT_EQ(entities.size(), 2u);
  EXPECT_EQ(entities[0]["type"], "CIRCLE") << "in the order given";
  EXPECT_EQ(entities[1]["start"], nlohmann::json::array({10.0, 10.0, 0.0}))
      << "block coordinates are the drawing's; the base point is the block's origin";
}

TEST(ArxWriteBlock, ErasesTheEntitiesWithoutTheKeepFlagAndRedefinesOnlyWhenAsked) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId a = apptest::addLine(db, {0, 0, 0}, {1, 0, 0});
  const AcDbObjectId b = apptest::addLine(db, {0, 0, 0}, {0, 1, 0});
  ASSERT_EQ(Write({a}, {0, 0, 0}, L"F_L0", 0), 1);
  EXPECT_EQ(entityCount(db->modelSpaceId()), 1) << "the selection went into the block";

  EXPECT_EQ(Write({b}, {0, 0, 0}, L"F_L0", kWriteBlockKeepEntities), 0) << "exists already";
  const AcDbObjectId c = apptest::addCircle(db, {0, 0, 0}, 1);
  ASSERT_EQ(Write({b, c}, {0, 0, 0}, L"f_l0", kKeepAndRedefine), 1);
  EXPECT_EQ(entityCount(blockId(db, L"F_L0")), 2);
  EXPECT_EQ(cadkittest::blockNames(db), std::vector<std::wstring>{L"F_L0"});
}

TEST(ArxWriteBlock, RefusesSelectionsThatWouldMakeTheBlockContainItself) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId view = apptest::addBlock(db, L"F_L0");
  const AcDbObjectId holder = apptest::addBlock(db, L"HOLDER");
  AddReference(holder, view);
  const AcDbObjectId ref = AddReference(db->modelSpaceId(), holder);
  const AcDbObjectId line = apptest::addLine(db, {0, 0, 0}, {1, 1, 0});

  EXPECT_EQ(Write({line, ref}, {0, 0, 0}, L"F_L0", kKeepAndRedefine), 0);
  EXPECT_EQ(entityCount(view), 4) << "F_L0 is left as it was";
  EXPECT_EQ(Write({line, ref}, {0, 0, 0}, L"NEW", kKeepAndRedefine), 1) << "another name is fine";
}

TEST(ArxWriteBlock, RefusesBadSelectionsAndNames) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId line = apptest::addLine(db, {0, 0, 0}, {1, 1, 0});
  EXPECT_EQ(Write({}, {0, 0, 0}, L"A", kKeepAndRedefine), 0) << "nothing selected";
  EXPECT_EQ(Write({line, line}, {0, 0, 0}, L"A", kKeepAndRedefine), 0) << "an entity twice";
  EXPECT_EQ(Write({line}, {0, 0, 0}, L"", kKeepAndRedefine), 0);
  EXPECT_EQ(Write({line}, {0, 0, 0}, L"*Model_Space", kKeepAndRedefine), 0);
  AcDbDatabase other(true, true);
  const AcDbObjectId foreign = apptest::addLine(&other, {0, 0, 0}, {1, 0, 0});
  EXPECT_EQ(Write({foreign}, {0, 0, 0}, L"A", kKeepAndRedefine), 0) << "not the current drawing";
  EXPECT_TRUE(cadkittest::blockNames(db).empty());
  EXPECT_EQ(entityCount(db->modelSpaceId()), 1);
}

TEST(DeleteBlockRec, RemovesTheBlockAndItsReferencesInTheLayouts) {
  testsupport::TempDir dir;
  std::unique_ptr<AcDbDatabase> view(
      testsupport::buildViewDrawing(testsupport::viewBlocks({0, 90}, 4)));
  AddReference(view->modelSpaceId(), blockId(view.get(), L"F_L90"));
  AcDbDatabase* db = view.get();
  ASSERT_EQ(DeleteBlockRec(db, L"f_l90"), 1);
  EXPECT_TRUE(blockId(db, L"F_L90").isNull());
  EXPECT_EQ(entityCount(db->modelSpaceId()), 0);

  const nlohmann::json read = cadkittest::saveAndRead(db, dir.file("view.dxf"));
  EXPECT_FALSE(read["blocks"].contains("F_L90"));
  EXPECT_TRUE(read["blocks"].contains("F_L0"));
  EXPECT_EQ(read["blocks"].size(), 11u);
  EXPECT_TRUE(read["modelspace"].empty());
}

TEST(DeleteBlockRec, LeavesABlockThatAnotherDefinitionUsesAndRefusesMissingOnesAndLayouts) {
  std::unique_ptr<AcDbDatabase> view(
      testsupport::buildViewDrawing({{L"F_L0", 4}, {L"S_L0", 4, 10, {}, false, L"F_L0"}}));
  AcDbDatabase* db = view.get();
  EXPECT_EQ(DeleteBlockRec(db, L"F_L0"), 0);
  EXPECT_EQ(entityCount(blockId(db, L"F_L0")), 4);
  EXPECT_EQ(DeleteBlockRec(db, L"F_R0"), 0);
  EXPECT_EQ(DeleteBlockRec(db, L"*Model_Space"), 0);
  EXPECT_EQ(DeleteBlockRec(db, L""), 0);
  AcDbDatabase* none = nullptr;
  EXPECT_EQ(DeleteBlockRec(none, L"F_L0"), 0);

  ASSERT_EQ(DeleteBlockRec(db, L"S_L0"), 1);
  EXPECT_EQ(DeleteBlockRec(db, L"F_L0"), 1) << "no longer used";
  EXPECT_TRUE(cadkittest::blockNames(db).empty());
}

TEST(DeleteBlockRec, WorksWhileTheCallerHoldsTheBlockTableOpen) {
  std::unique_ptr<AcDbDatabase> view(testsupport::buildViewDrawing({{L"F_L0", 4}}));
  AcDbDatabase* db = view.get();
  AcDbBlockTable* table = nullptr;
  ASSERT_EQ(db->getBlockTable(table, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(DeleteBlockRec(db, L"F_L0"), 1);
  EXPECT_FALSE(table->has(L"F_L0"));
  table->close();
}
