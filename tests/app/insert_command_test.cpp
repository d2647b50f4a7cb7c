// INSERT typed at the command prompt and driven by acedCommand.
#include <cmath>
#include <numbers>

#include "drawing_builder.h"
#include "editor_fixture.h"
#include "insert_command.h"

namespace {

class InsertCommand : public EditorTest {
 protected:
  void SetUp() override {
    fancad::registerInsertCommand();
    db = apptest::newCurrentDrawing();
    block = apptest::addBlock(db, L"F_L0", L"TAG");
  }
  void TearDown() override {
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }

  // The only reference of the drawing, opened for read.
  AcDbObjectId onlyReference() {
    const auto refs = apptest::references(db);
    EXPECT_EQ(refs.size(), 1u);
    return refs.empty() ? AcDbObjectId() : refs.front();
  }

  static int run(const std::string& line) {
    return cadrt::CommandProcessor::instance().runLine(line, 1, true);
  }

  AcDbDatabase* db = nullptr;
  AcDbObjectId block;
};

TEST_F(InsertCommand, ScaleAndRotationOnTheLineOrAtThePromptsWithDefaultsOnEnter) {
  struct Case {
    std::string line, typed;
    double scale, degrees;
    AcGePoint3d at;
    std::string asked, notAsked;
  };
  for (const Case& c : std::vector<Case>{
           // All on one line; block names are found in any case.
           {"INSERT f_l0 S 2 R 30 10,20", "", 2, 30, {10, 20, 0}, "", ""},
           // S before the point; Enter at the rotation prompt.
           {"INSERT F_L0", "S\n3\n5,6\n\n", 3, 0, {5, 6, 0}, "rotation angle <0>: ", "Enter scale"},
           {"INSERT F_L0", "1,2\n0.5\n90\n", 0.5, 90, {1, 2, 0}, "Enter scale factor", ""},
       }) {
    SCOPED_TRACE(c.line + " / " + c.typed);
    input(c.typed);
    m_out.str("");
    ASSERT_EQ(run(c.line), RTNORM);
    AcDbObjectPointer<AcDbBlockReference> ref(apptest::references(db).back(), AcDb::kForRead);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->blockTableRecord(), block);
    EXPECT_TRUE(ref->position().isEqualTo(c.at));
    EXPECT_EQ(ref->scaleFactors(), AcGeScale3d(c.scale));
    EXPECT_NEAR(ref->rotation(), c.degrees * std::numbers::pi / 180, 1e-12);
    if (!c.asked.empty()) {
      EXPECT_NE(output().find(c.asked), std::string::npos) << output();
    }
    if (!c.notAsked.empty()) {
      EXPECT_EQ(output().find(c.notAsked), std::string::npos) << output();
    }
  }
}

TEST_F(InsertCommand, TheReferenceGoesOnTheCurrentLayerWithTheDefinitionsAttributes) {
  const AcDbObjectId layer = apptest::addLayer(db, L"AC_EQUIPMENT");
  ASSERT_EQ(db->setClayer(layer), Acad::eOk);
  input("");
  ASSERT_EQ(run("INSERT F_L0 S 2 R 0 100,50"), RTNORM);
  AcDbObjectPointer<AcDbBlockReference> ref(onlyReference(), AcDb::kForRead);
  EXPECT_EQ(ref->layerId(), layer);
  ASSERT_EQ(ref->attributeIds().size(), 1u);
  AcDbObjectPointer<AcDbAttribute> attr(ref->attributeIds()[0], AcDb::kForRead);
  ASSERT_TRUE(attr);
  EXPECT_STREQ(attr->tagConst(), L"TAG");
  EXPECT_STREQ(attr->textStringConst(), L"default");
  EXPECT_TRUE(attr->position().isEqualTo({104, 52, 0})) << "(2,1) scaled by 2 from (100,50)";
  EXPECT_DOUBLE_EQ(attr->height(), 5);
}

TEST_F(InsertCommand, AnUnknownBlockStopsAScriptAndFailsACommandCall) {
  input("");
  EXPECT_THROW(run("INSERT NOSUCH 1,1"), zrbase::ScriptAbort);
  EXPECT_EQ(acedCommand(RTSTR, L"INSERT", RTSTR, L"NOSUCH", 0), RTERROR);
  EXPECT_EQ(acedCommand(RTSTR, L"INSERT", RTSTR, L"*Model_Space", 0), RTERROR);
  EXPECT_NE(output().find("Block \"NOSUCH\" not found."), std::string::npos);
  EXPECT_TRUE(apptest::references(db).empty());
}

TEST_F(InsertCommand, DrivenByAcedCommandWithThePointLeftToTheUserWhoMayCancel) {
  input("^C\n");
  EXPECT_EQ(acedCommand(RTSTR, L"INSERT", RTSTR, L"F_L0", RTSTR, L"S", RTREAL, 1.0, RTSTR, L"R",
                        RTREAL, 0.0, RTSTR, PAUSE, 0),
            RTCAN);
  input("");
  EXPECT_EQ(acedCommand(RTSTR, L"INSERT", RTSTR, L"F_L0", RTSTR, PAUSE, 0), RTCAN)
      << "the end of the input cancels too";
  EXPECT_TRUE(apptest::references(db).empty());
  input("7,8\n");
  const double degrees = 90.0;
  EXPECT_EQ(acedCommand(RTSTR, L"INSERT", RTSTR, L"F_L0", RTSTR, L"S", RTREAL, 1.0, RTSTR, L"R",
                        RTREAL, degrees, RTSTR, PAUSE, 0),
            RTNORM);
  AcDbObjectPointer<AcDbBlockReference> ref(onlyReference(), AcDb::kForRead);
  EXPECT_TRUE(ref->position().isEqualTo({7, 8, 0}));
  EXPECT_EQ(ref->rotation(), std::numbers::pi / 2);
  EXPECT_EQ(ref->scaleFactors(), AcGeScale3d(1));
  // The last entity is the new reference, as the caller expects to tag it.
  ads_name last;
  AcDbObjectId id;
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  ASSERT_EQ(acdbGetObjectId(id, last), Acad::eOk);
  EXPECT_EQ(id, ref->objectId());
}

}  // namespace
