// Selection sets: the selection prompt's lines, the programmatic modes and
// filters, and entity and set names.
#include "drawing_builder.h"
#include "editor_fixture.h"

namespace {

using apptest::addCircle;
using apptest::addLine;
using apptest::handleOf;

class SelectionSets : public EditorTest {
 protected:
  void SetUp() override {
    db = apptest::newCurrentDrawing();
    inside = addLine(db, {1, 1, 0}, {4, 4, 0});
    straddling = addLine(db, {4, 4, 0}, {20, 4, 0});
    far = addCircle(db, {100, 100, 0}, 5);
  }
  void TearDown() override {
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }

  // The ids of a set, in order.
  static std::vector<AcDbObjectId> members(const ads_name ss) {
    Adesk::Int32 n = -1;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    std::vector<AcDbObjectId> ids;
    for (Adesk::Int32 i = 0; i < n; ++i) {
      ads_name e;
      AcDbObjectId id;
      EXPECT_EQ(acedSSName(ss, i, e), RTNORM);
      EXPECT_EQ(acdbGetObjectId(id, e), Acad::eOk);
      ids.push_back(id);
    }
    return ids;
  }

  AcDbDatabase* db = nullptr;
  AcDbObjectId inside, straddling, far;
};

TEST_F(SelectionSets, WindowTakesWhatLiesWhollyInsideAndCrossingWhatMeetsTheBox) {
  ads_name ss;
  input("w 0,0 10,10\n\n");
  ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(members(ss), std::vector<AcDbObjectId>{inside});
  acedSSFree(ss);
  input("c 10,10 0,0\n\n");
  ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(members(ss), (std::vector<AcDbObjectId>{inside, straddling}));
  acedSSFree(ss);
}

TEST_F(SelectionSets, LinesAddInTheOrderGivenWithoutDuplicates) {
  ads_name ss;
  input("last\nh " + zrbase::wideToUtf8(handleOf(inside)) + "\nall\n\n");
  ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(members(ss), (std::vector<AcDbObjectId>{far, inside, straddling}));
  EXPECT_NE(output().find("1 found\n"), std::string::npos);
  EXPECT_NE(output().find("Select objects: "), std::string::npos);
  acedSSFree(ss);
}

TEST_F(SelectionSets, EmptySelectionCancelAndEndOfInput) {
  ads_name ss;
  input("\n^C\n");
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTERROR) << "nothing selected";
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTCAN);
  EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), RTCAN) << "end of input";
}

TEST_F(SelectionSets, AScriptStopsAtALineThatSelectsNothingKnown) {
  ads_name ss;
  for (const char* bad : {"wx 0,0 1,1", "w 0,0", "h FFFF", "h", "everything"}) {
    input(std::string(bad) + "\n\n");
    EXPECT_THROW(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), zrbase::ScriptAbort) << bad;
  }
  // A handle that names a table record, not an entity of the drawing.
  input("h " + zrbase::wideToUtf8(handleOf(db->modelSpaceId())) + "\n\n");
  EXPECT_THROW(acedSSGet(nullptr, nullptr, nullptr, nullptr, ss), zrbase::ScriptAbort);
}

TEST_F(SelectionSets, ErasedEntitiesAreNotSelected) {
  {
    AcDbObjectPointer<AcDbEntity> ent(far, AcDb::kForWrite);
    ASSERT_EQ(ent->erase(), Acad::eOk);
  }
  ads_name ss, last;
  ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(members(ss), (std::vector<AcDbObjectId>{inside, straddling}));
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  AcDbObjectId id;
  ASSERT_EQ(acdbGetObjectId(id, last), Acad::eOk);
  EXPECT_EQ(id, straddling);
  acedSSFree(ss);
}

TEST_F(SelectionSets, ProgrammaticModesAndFilters) {
  input("");
  ads_name ss;
  const ads_point a = {0, 0, 0}, b = {10, 10, 0};
  ASSERT_EQ(acedSSGet(L"_C", a, b, nullptr, ss), RTNORM);
  EXPECT_EQ(members(ss).size(), 2u);
  acedSSFree(ss);
  ASSERT_EQ(acedSSGet(L"P", nullptr, nullptr, nullptr, ss), RTNORM) << "the previous set";
  EXPECT_EQ(members(ss).size(), 2u);
  acedSSFree(ss);

  resbuf circles{};
  circles.restype = 0;
  circles.resval.rstring = const_cast<ACHAR*>(L"cir*");
  ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, &circles, ss), RTNORM);
  EXPECT_EQ(members(ss), std::vector<AcDbObjectId>{far});
  acedSSFree(ss);
  resbuf layer{};
  layer.restype = 8;
  layer.resval.rstring = const_cast<ACHAR*>(L"AC_*");
  EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, &layer, ss), RTERROR) << "nothing on such a layer";
  resbuf colour{};
  colour.restype = 62;
  EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, &colour, ss), RTERROR) << "unsupported group";
  EXPECT_EQ(acedSSGet(L":S", nullptr, nullptr, nullptr, ss), RTERROR) << "unsupported mode";
  EXPECT_NE(output().find("group 62 is not supported"), std::string::npos);
}

TEST_F(SelectionSets, NamesAreCheckedNotFollowed) {
  ads_name ss, e;
  ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, nullptr, ss), RTNORM);
  ASSERT_EQ(acedSSName(ss, 0, e), RTNORM);
  Adesk::Int32 n;
  AcDbObjectId id;
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

TEST_F(SelectionSets, AcSSAddGrowsASet) {
  ads_name e1, e2, ss;
  acdbGetAdsName(e1, inside);
  acdbGetAdsName(e2, far);
  ASSERT_EQ(acedSSAdd(e1, nullptr, ss), RTNORM);
  ads_name same;
  ASSERT_EQ(acedSSAdd(e2, ss, same), RTNORM);
  ASSERT_EQ(acedSSAdd(e1, ss, same), RTNORM);
  EXPECT_EQ(members(ss), (std::vector<AcDbObjectId>{inside, far}));
  acedSSFree(ss);
}

TEST_F(SelectionSets, EntityNamesAnswerSelectionPromptsInAcedCommand) {
  int selected = -1;
  cadrt::CommandProcessor::instance().addHostCommand(L"COUNTSEL", [&] {
    ads_name ss;
    const int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
    if (rc != RTNORM) return rc;
    Adesk::Int32 n = 0;
    acedSSLength(ss, &n);
    selected = n;
    return acedSSFree(ss);
  });
  input("");
  ads_name e, ss;
  acdbGetAdsName(e, far);
  EXPECT_EQ(acedCommand(RTSTR, L"COUNTSEL", RTENAME, e, RTSTR, L"", 0), RTNORM);
  EXPECT_EQ(selected, 1);
  ASSERT_EQ(acedSSGet(L"X", nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(acedCommand(RTSTR, L"COUNTSEL", RTPICKS, ss, RTSTR, L"", 0), RTNORM);
  EXPECT_EQ(selected, 3);
  acedSSFree(ss);
  const ads_name forged = {999, 1};
  EXPECT_EQ(acedCommand(RTSTR, L"COUNTSEL", RTENAME, forged, 0), RTERROR);
  cadrt::CommandProcessor::instance().removeHostCommand(L"COUNTSEL");
}

}  // namespace
