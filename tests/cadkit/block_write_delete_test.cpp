// ArxWriteBlock: a block made from entities of the current drawing, with a base
// point, the entities kept or erased, an existing block redefined only when
// asked; DeleteBlockRec: a block removed with the references in the layouts,
// and refused while another definition uses it.
#include "cadkit/block_helpers.h"
#include "cadkit_fixture.h"

using namespace cadkittest;

namespace {

int Write(const std::vector<AcDbObjectId>& ids, AcGePoint3d base, const std::wstring& name,
          int flags) {
  AcDbObjectIdArray array;
  for (AcDbObjectId id : ids) array.append(id);
  Name n(name);
  return ArxWriteBlock(array, base, n.get(), L"", flags);
}

constexpr int kKeepAndRedefine = kWriteBlockKeepEntities | kWriteBlockRedefine;

}  // namespace

// With the dialog's flags (11) the entities stay; without the keep flag they go into the
// block; an existing block is redefined only when asked.
TEST(ArxWriteBlock, MakesABlockAtTheBasePointKeepingOrTakingTheEntitiesAndRedefinesWhenAsked) {
  testsupport::TempDir dir;
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId line = apptest::addLine(db, {10, 10, 0}, {30, 10, 0});
  const AcDbObjectId circle = apptest::addCircle(db, {20, 15, 0}, 4);
  ASSERT_EQ(Write({circle, line}, {10, 10, 0}, L"S_R45", 11), 1);
  const AcDbObjectId block = blockId(db, L"S_R45");
  ASSERT_FALSE(block.isNull());
  EXPECT_EQ(entityCount(block), 2);
  EXPECT_EQ(entityCount(db->modelSpaceId()), 2) << "the selected entities stay";
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(block, AcDb::kForRead);
    EXPECT_TRUE(rec->origin().isEqualTo(AcGePoint3d(10, 10, 0)));
    AcDbObjectPointer<AcDbLine> copied(rec->entityIds().at(1), AcDb::kForRead);
    ASSERT_TRUE(copied) << "in the order given";
    EXPECT_TRUE(copied->startPoint().isEqualTo(AcGePoint3d(10, 10, 0)))
        << "block coordinates are the drawing's; the base point is the block's origin";
  }
  saveAndCheck(db, dir.file("made.dxf"));

  ASSERT_EQ(Write({line}, {0, 0, 0}, L"F_L0", 0), 1);
  EXPECT_EQ(entityCount(db->modelSpaceId()), 1) << "the selection went into the block";
  EXPECT_EQ(Write({circle}, {0, 0, 0}, L"F_L0", kWriteBlockKeepEntities), 0) << "exists already";
  const AcDbObjectId c = apptest::addCircle(db, {0, 0, 0}, 1);
  ASSERT_EQ(Write({circle, c}, {0, 0, 0}, L"f_l0", kKeepAndRedefine), 1);
  EXPECT_EQ(entityCount(blockId(db, L"F_L0")), 2);
  EXPECT_EQ(blockNames(db), (std::vector<std::wstring>{L"S_R45", L"F_L0"}));
}

TEST(ArxWriteBlock, RefusesBadSelectionsAndNamesAndBlocksThatWouldContainThemselves) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId view = apptest::addBlock(db, L"F_L0");
  const AcDbObjectId holder = apptest::addBlock(db, L"HOLDER");
  addReference(holder, view);
  const AcDbObjectId ref = addReference(db->modelSpaceId(), holder);
  const AcDbObjectId line = apptest::addLine(db, {0, 0, 0}, {1, 1, 0});
  AcDbDatabase other(true, true);
  const AcDbObjectId foreign = apptest::addLine(&other, {0, 0, 0}, {1, 0, 0});
  const struct {
    const char* why;
    std::vector<AcDbObjectId> ids;
    const wchar_t* name;
  } refused[] = {{"it would contain itself", {line, ref}, L"F_L0"},
                 {"nothing selected", {}, L"A"},
                 {"an entity twice", {line, line}, L"A"},
                 {"no name", {line}, L""},
                 {"a layout", {line}, L"*Model_Space"},
                 {"not the current drawing", {foreign}, L"A"}};
  for (const auto& r : refused)
    EXPECT_EQ(Write(r.ids, {0, 0, 0}, r.name, kKeepAndRedefine), 0) << r.why;
  EXPECT_EQ(entityCount(view), 4) << "F_L0 is left as it was";
  EXPECT_EQ(blockNames(db), (std::vector<std::wstring>{L"F_L0", L"HOLDER"}));
  EXPECT_EQ(entityCount(db->modelSpaceId()), 2);
  EXPECT_EQ(Write({line, ref}, {0, 0, 0}, L"NEW", kKeepAndRedefine), 1) << "another name is fine";
}

// Removed with its references in the layouts. Refused: a block another definition uses
// (until that one is gone), a missing one, a layout, no name, no drawing; and a caller may
// hold the block table open meanwhile.
TEST(DeleteBlockRec, RemovesTheBlockAndItsReferencesButNotOneAnotherDefinitionUses) {
  testsupport::TempDir dir;
  std::unique_ptr<AcDbDatabase> view(testsupport::buildViewDrawing(
      {{L"F_L0", 4}, {L"S_L0", 4, 10, {}, false, L"F_L0"}, {L"F_L90", 4}}));
  AcDbDatabase* db = view.get();
  addReference(db->modelSpaceId(), blockId(db, L"F_L90"));
  ASSERT_EQ(DeleteBlockRec(db, L"f_l90"), 1);
  EXPECT_TRUE(blockId(db, L"F_L90").isNull());
  EXPECT_EQ(entityCount(db->modelSpaceId()), 0);
  EXPECT_EQ(blockNames(db), (std::vector<std::wstring>{L"F_L0", L"S_L0"})) << "the others stay";
  saveAndCheck(db, dir.file("view.dxf"));

  for (const wchar_t* name : {L"F_L0", L"F_R0", L"*Model_Space", L""}) {
    EXPECT_EQ(DeleteBlockRec(db, name), 0) << CString(name).ToUtf8();
  }
  EXPECT_EQ(entityCount(blockId(db, L"F_L0")), 4);
  AcDbDatabase* none = nullptr;
  EXPECT_EQ(DeleteBlockRec(none, L"F_L0"), 0);

  AcDbBlockTable* table = nullptr;
  ASSERT_EQ(db->getBlockTable(table, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(DeleteBlockRec(db, L"S_L0"), 1);
  EXPECT_EQ(DeleteBlockRec(db, L"F_L0"), 1) << "no longer used";
  EXPECT_FALSE(table->has(L"F_L0"));
  table->close();
  EXPECT_TRUE(blockNames(db).empty());
}
