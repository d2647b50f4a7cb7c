// Selection sets: the selection prompt's lines, erased entities, and entity and set names.
#include "drawing_builder.h"
#include "editor_fixture.h"

namespace {

using apptest::handleOf;
using Ids = std::vector<AcDbObjectId>;

class SelectionSets : public EditorTest {
 protected:
  void SetUp() override {
    db = apptest::newCurrentDrawing();
    inside = apptest::addLine(db, {1, 1, 0}, {4, 4, 0});
    straddling = apptest::addLine(db, {4, 4, 0}, {20, 4, 0});
    far = apptest::addCircle(db, {100, 100, 0}, 5);
  }
  void TearDown() override {
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }

  // The ids of a set, in order.
  static Ids members(const ads_name ss) {
    Adesk::Int32 n = -1;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    Ids ids;
    for (Adesk::Int32 i = 0; i < n; ++i) {
      ads_name e;
      AcDbObjectId id;
      EXPECT_EQ(acedSSName(ss, i, e), RTNORM);
      EXPECT_EQ(acdbGetObjectId(id, e), Acad::eOk);
      ids.push_back(id);
    }
    return ids;
  }
  // What acedSSGet selects in the given mode (the set is freed); nothing when it fails.
  static Ids select(const ACHAR* mode) {
    ads_name ss;
    if (acedSSGet(mode, nullptr, nullptr, nullptr, ss) != RTNORM) return {};
    Ids ids = members(ss);
    acedSSFree(ss);
    return ids;
  }
  // What the selection prompt selects given these typed lines.
  Ids selectTyped(const std::string& lines) {
    input(lines);
    return select(nullptr);
  }

  AcDbDatabase* db = nullptr;
  AcDbObjectId inside, straddling, far;
};

TEST_F(SelectionSets, TypedLinesSelectByWindowCrossingHandleLastAndAllInOrderWithoutDuplicates) {
  EXPECT_EQ(selectTyped("w 0,0 10,10\n\n"), Ids{inside}) << "wholly inside";
  EXPECT_EQ(selectTyped("c 10,10 0,0\n\n"), (Ids{inside, straddling})) << "meets the box";
  EXPECT_EQ(selectTyped("last\nh " + zrbase::wideToUtf8(handleOf(inside)) + "\nall\n\n"),
            (Ids{far, inside, straddling}));
  EXPECT_NE(output().find("1 found\n"), std::string::npos);
  EXPECT_NE(output().find("Select objects: "), std::string::npos);
  ads_name ss;
  input("\n^C\n");
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTERROR) << "nothing selected";
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTCAN);
}

TEST_F(SelectionSets, AScriptStopsAtALineThatSelectsNothingKnown) {
  // The last: a handle that names a table record, not an entity of the drawing.
  for (const std::string& bad :
       std::vector<std::string>{"wx 0,0 1,1", "w 0,0", "h FFFF", "h", "everything",
                                "h " + zrbase::wideToUtf8(handleOf(db->modelSpaceId()))}) {
    input(bad + "\n\n");
    ads_name ss;
    EXPECT_THROW(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), zrbase::ScriptAbort) << bad;
  }
}

// Selection by mode X and L is run through LIST (tests/app/list_command_test.cpp), the previous
// set through MOVE (implied_selection_test.cpp); filters have no caller. Erased entities are
// neither selected nor the last; names are checked, not followed.
TEST_F(SelectionSets, ErasedEntitiesAreNotSelectedAndNamesAreCheckedNotFollowed) {
  input("");
  ASSERT_EQ(AcDbObjectPointer<AcDbEntity>(far, AcDb::kForWrite)->erase(), Acad::eOk);
  EXPECT_EQ(select(L"X"), (Ids{inside, straddling}));
  ads_name ss, e;
  AcDbObjectId id;
  ASSERT_EQ(acdbEntLast(e), RTNORM);
  ASSERT_EQ(acdbGetObjectId(id, e), Acad::eOk);
  EXPECT_EQ(id, straddling);
  ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, nullptr, ss), RTNORM);
  ASSERT_EQ(acedSSName(ss, 0, e), RTNORM);
  Adesk::Int32 n;
  EXPECT_EQ(acedSSLength(e, &n), RTERROR) << "an entity name is not a set";
  EXPECT_EQ(acdbGetObjectId(id, ss), Acad::eInvalidAdsName) << "a set is not an entity";
  EXPECT_EQ(acedSSName(ss, 3, e), RTERROR);
  EXPECT_EQ(acedSSName(ss, -1, e), RTERROR);
  ASSERT_EQ(acedSSFree(ss), RTNORM);
  EXPECT_EQ(acedSSFree(ss), RTERROR) << "freed twice";
  EXPECT_EQ(acedSSLength(ss, &n), RTERROR);
  const ads_name forged = {12345, 0};
  EXPECT_EQ(acdbGetObjectId(id, forged), Acad::eInvalidAdsName);
  // The same entity always gets the same name.
  ads_name n1, n2;
  ASSERT_EQ(acdbGetAdsName(n1, inside), Acad::eOk);
  ASSERT_EQ(acdbGetAdsName(n2, inside), Acad::eOk);
  EXPECT_EQ(n1[0], n2[0]);
  // A new drawing makes every old name meaningless.
  apptest::newCurrentDrawing();
  EXPECT_EQ(acdbGetObjectId(id, n1), Acad::eInvalidAdsName);
  EXPECT_EQ(acdbEntLast(e), RTERROR) << "the new drawing is empty";
}

}  // namespace
