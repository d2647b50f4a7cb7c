// CopyBlockTableRecord: a view block copied between drawings under a new name,
// nested blocks and attribute definitions with it, its base point kept;
// redefinition in place; and the copies refused because they would make a block
// contain itself. (Layers coming along: tests/cad/db/insert_blocks_test.cpp.)
#include "cadkit/block_helpers.h"
#include "cadkit_fixture.h"

using namespace cadkittest;
using testsupport::ViewBlock;

namespace {

// A view drawing whose F_L0 holds six lines, an attribute definition and a
// reference to BOLT (three lines), with its base point at (5, 5).
AcDbDatabase* ViewDrawing() {
  ViewBlock bolt{L"BOLT", 3, 1};
  ViewBlock front{L"F_L0", 6, 10, AcGePoint3d(5, 5, 0), true, L"BOLT"};
  return testsupport::buildViewDrawing({bolt, front});
}

int Copy(AcDbDatabase* from, const std::wstring& source, AcDbDatabase* to,
         const std::wstring& target) {
  Name s(source);
  Name t(target);
  return CopyBlockTableRecord(from, s.get(), to, t.get());
}

}  // namespace

// Copied under a new name, then copied again over it: the definition is replaced in place
// (names match without regard to case), not added to, and references to it follow.
TEST(CopyBlockTableRecord, CopiesTheBlockWithWhatItUsesThenRedefinesItInPlace) {
  testsupport::TempDir dir;
  std::unique_ptr<AcDbDatabase> view(ViewDrawing());
  AcDbDatabase* target = apptest::newCurrentDrawing();
  ASSERT_EQ(Copy(view.get(), L"F_L0", target, L"4-72No4.5AF_L0"), 1);

  const AcDbObjectId placed = blockId(target, L"4-72No4.5AF_L0");
  ASSERT_FALSE(placed.isNull());
  EXPECT_EQ(entityCount(placed), 8);
  EXPECT_TRUE(blockId(target, L"F_L0").isNull()) << "only the target name is defined";
  EXPECT_EQ(entityCount(blockId(target, L"BOLT")), 3) << "the nested block comes along";
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(placed, AcDb::kForRead);
    EXPECT_TRUE(rec->origin().isEqualTo(AcGePoint3d(5, 5, 0)));
    EXPECT_TRUE(rec->hasAttributeDefinitions());
  }
  const AcDbObjectId ref = addReference(target->modelSpaceId(), placed);
  ASSERT_EQ(Copy(view.get(), L"F_L0", target, L"4-72no4.5af_l0"), 1);
  EXPECT_EQ(blockId(target, L"4-72No4.5AF_L0"), placed);
  EXPECT_EQ(entityCount(placed), 8);
  EXPECT_EQ(AcDbObjectPointer<AcDbBlockReference>(ref, AcDb::kForRead)->blockTableRecord(), placed);
  saveAndCheck(target, dir.file("target.dxf"));
}

// Refused, with nothing defined: copies that would make a block contain itself, missing
// blocks, empty names, layouts and names a block cannot have.
TEST(CopyBlockTableRecord, RefusesCopiesThatCannotBeAndDefinesNothing) {
  ViewBlock self{L"F_L0", 4, 10, {}, false, L"F_L0"};
  ViewBlock outer{L"S_L0", 4, 10, {}, false, L"B_L0"};
  ViewBlock inner{L"B_L0", 2};
  std::unique_ptr<AcDbDatabase> view(testsupport::buildViewDrawing({self, outer, inner}));
  AcDbDatabase target(true, true);

  EXPECT_EQ(Copy(view.get(), L"F_L0", &target, L"PLACED"), 0) << "a block that holds itself";
  EXPECT_EQ(Copy(view.get(), L"S_L0", &target, L"b_l0"), 0) << "its nested block has the name";
  // The target already has a block that the copy would use, and that block
  // holds a reference to the name being defined.
  const AcDbObjectId named = apptest::addBlock(&target, L"NAMED");
  addReference(apptest::addBlock(&target, L"B_L0"), named);
  EXPECT_EQ(Copy(view.get(), L"S_L0", &target, L"NAMED"), 0);
  EXPECT_EQ(entityCount(named), 4);

  for (const auto& [source, name] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"F_R90", L"X"}, {L"B_L0", L""}, {L"B_L0", L"*Model_Space"}, {L"B_L0", L"BAD<NAME"}}) {
    EXPECT_EQ(Copy(view.get(), source, &target, name), 0) << CString(name.c_str()).ToUtf8();
  }
  Name s(L"B_L0");
  Name t(L"X");
  EXPECT_EQ(CopyBlockTableRecord(nullptr, s.get(), &target, t.get()), 0);
  EXPECT_EQ(CopyBlockTableRecord(view.get(), s.get(), nullptr, t.get()), 0);
  EXPECT_EQ(blockNames(&target), (std::vector<std::wstring>{L"NAMED", L"B_L0"}));
  EXPECT_EQ(entityCount(target.modelSpaceId()), 0);
}
