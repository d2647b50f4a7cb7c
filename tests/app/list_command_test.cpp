// LIST: what it prints for references, their attributes and their xdata.
#include "list_command.h"
#include "drawing_builder.h"
#include "editor_fixture.h"

namespace {

class ListCommand : public EditorTest {
 protected:
  void SetUp() override {
    fancad::registerListCommand();
    db = apptest::newCurrentDrawing();
    line = apptest::addLine(db, {0, 0, 0}, {1, 1, 0});
    const AcDbObjectId block = apptest::addBlock(db, L"4-72No4.5AF_L0");
    auto* ref = new AcDbBlockReference(AcGePoint3d(10.5, -20, 0), block);
    ref->setScaleFactors(AcGeScale3d(2));
    ref->setRotation(3.141592653589793 / 6);
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
    ms->appendAcDbEntity(refId, ref);
    ms->close();
    auto* attr = new AcDbAttribute(AcGePoint3d(0, 0, 0), L"值", L"TAG");
    ref->appendAttribute(attr);
    attr->close();
    db->registerApplication(L"Model");
    db->registerApplication(L"PLAN");
    resbuf* xdata = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 1001, L"PLAN", 1070, 1,
                                  1040, 2.5, 0);
    ref->setXData(xdata);
    acutRelRb(xdata);
    ref->close();
  }
  void TearDown() override {
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }
  AcDbDatabase* db = nullptr;
  AcDbObjectId line, refId;
};

TEST_F(ListCommand, AReferenceWithEverythingItCarries) {
  const std::wstring expected = L"INSERT  Handle: " + apptest::handleOf(refId) +
                                L"  Layer: \"0\"\n"
                                L"  Block name: \"4-72No4.5AF_L0\"\n"
                                L"  Position: X=10.5 Y=-20 Z=0\n"
                                L"  Rotation: 30 deg\n"
                                L"  Scale: X=2 Y=2 Z=2\n"
                                L"  Attribute \"TAG\": \"值\"\n"
                                L"  Xdata \"Model\": \"4-72No4.5A_2900\"\n"
                                L"  Xdata \"PLAN\": 1, 2.5\n";
  EXPECT_EQ(fancad::listEntity(refId), expected);
}

TEST_F(ListCommand, LastAllAndAHandle) {
  input("");
  ASSERT_EQ(cadrt::CommandProcessor::instance().runLine("LIST LAST", 1, true), RTNORM);
  EXPECT_NE(output().find("INSERT  Handle"), std::string::npos);
  EXPECT_EQ(output().find("LINE  Handle"), std::string::npos);
  m_out.str("");
  ASSERT_EQ(cadrt::CommandProcessor::instance().runLine("list all", 2, true), RTNORM);
  EXPECT_LT(output().find("LINE  Handle"), output().find("INSERT  Handle")) << "drawing order";
  m_out.str("");
  const std::string h = zrbase::wideToUtf8(apptest::handleOf(line));
  ASSERT_EQ(cadrt::CommandProcessor::instance().runLine("LIST " + h, 3, true), RTNORM);
  EXPECT_NE(output().find("LINE  Handle: " + h + "  Layer: \"0\"\n"), std::string::npos);
  EXPECT_THROW(cadrt::CommandProcessor::instance().runLine("LIST everything", 4, true),
               zrbase::ScriptAbort);
}

}  // namespace
