// FANEDIT's rules and its replacement in place on drawings built in memory, and
// FANDUTY offering the duty of the fan selected before it (e2e/fanedit_test.py: the command).
#include "sched/fan_edit_command.h"

#include <gtest/gtest.h>

#include <tuple>

#include "cad/aced.h"
#include "cad/runtime/implied_selection.h"
#include "drawing_builder.h"
#include "drawings/fan_placement.h"
#include "drawings/fan_tags.h"
#include "duty/duty_command.h"
#include "editor_fixture.h"

namespace {

TEST(FanEdit, TheViewComesFromThePlacedBlockNameElseFromPlan) {
  const struct {
    const wchar_t* block;
    const wchar_t* plan;
    int view;
    const wchar_t* hand;
    const wchar_t* angle;
  } cases[] = {{L"4-72No4.5AF_L0", L"0", kViewDrawingFront, kLeftHand, L"0"},
               {L"4-72No4.5AS_R135", L"1", kViewDrawingSide, kRightHand, L"135"},
               {L"T4_72No10皮带b_l90", L"1", kViewDrawingTop, kLeftHand, L"90"},
               {L"4-72No4.5A_2900", L"1", kViewDrawingSide, kLeftHand, L"0"},
               {L"FAN", L"0", kViewDrawingFront, kLeftHand, L"0"},
               {L"X_F_L1234", L"1", kViewDrawingSide, kLeftHand, L"0"}};
  for (const auto& c : cases) {
    const PlacedView v = ViewOfPlacedFan(c.block, c.plan);
    EXPECT_EQ(v.nView, c.view) << CString(c.block).ToUtf8();
    EXPECT_EQ(v.strHand, c.hand) << CString(c.block).ToUtf8();
    EXPECT_EQ(v.strAngle, c.angle) << CString(c.block).ToUtf8();
  }
}

FanRecord model(const wchar_t* fanNo, FanSource source = FanSource::Browse) {
  FanRecord r;
  r.series = L"4-72";
  r.fanNo = fanNo;
  r.drive = L"A";
  r.speed = L"2900";
  r.source = source;
  return r;
}

// The same model browsed keeps the old record (FANDUTY's point); another one
// keeps the old tag and duty but not the point; a duty asked for in the
// dialog replaces the old one; a fan without a record waits for the next tag.
TEST(FanEdit, AnEditedFanKeepsItsTagAndTheDutyWhileItStillHolds) {
  FanRecord duty = model(L"4.5", FanSource::Duty);
  duty.tag = L"F-3";
  duty.flow = 1000;
  duty.efficiency = 80;
  FanRecord asked = model(L"5", FanSource::Parameters);
  asked.flow = 1200;
  using R = std::optional<FanRecord>;
  using D = std::optional<double>;
  const struct {
    R old;
    FanRecord placed;
    FanSource source;
    const wchar_t* tag;
    D flow, efficiency;
  } cases[] = {{duty, model(L"4.5"), FanSource::Duty, L"F-3", 1000, 80},
               {duty, model(L"5"), FanSource::Browse, L"F-3", 1000, D()},
               {duty, asked, FanSource::Parameters, L"F-3", 1200, D()},
               {R(), model(L"5"), FanSource::Browse, L"", D(), D()}};
  for (const auto& c : cases) {
    const FanRecord r = EditedFanRecord(c.old, c.placed);
    EXPECT_EQ(r.fanNo, c.placed.fanNo);
    EXPECT_EQ(std::tie(r.source, r.tag, r.flow, r.efficiency),
              std::tie(c.source, c.tag, c.flow, c.efficiency))
        << &c - cases;
  }
}

std::vector<std::wstring> attributeTags(AcDbObjectId fan) {
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  std::vector<std::wstring> tags;
  for (AcDbObjectId id : ref->attributeIds()) {
    AcDbObjectPointer<AcDbAttribute> attr(id, AcDb::kForRead);
    if (attr) tags.push_back(std::wstring(attr->tagConst()) + L"=" + attr->textStringConst());
  }
  return tags;
}

// Where the fan's tag is drawn from the upper right corner of its outline.
AcGeVector3d tagOffset(AcDbObjectId fan) {
  AcDbExtents outline;
  EXPECT_TRUE(FanOutline(fan, outline));
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  for (AcDbObjectId id : ref->attributeIds()) {
    AcDbObjectPointer<AcDbAttribute> attr(id, AcDb::kForRead);
    if (attr && CString(attr->tagConst()) == kFanTagAttribute)
      return attr->position() - outline.maxPoint();
  }
  ADD_FAILURE() << "no tag";
  return {};
}

// The old block's attributes give way to the new block's, the tag stays beside
// the new outline; a view block missing from the view drawing leaves the fan
// as it was.
TEST(FanEdit, TheReferenceTakesTheNewBlockWithItsAttributesAndKeepsItsTag) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId fan =
      apptest::addReference(db->modelSpaceId(), apptest::addBlock(db, L"OLD", L"MODEL"));
  {
    AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForWrite);
    ref->appendAttribute(new AcDbAttribute(AcGePoint3d(2, 1, 0), L"old", L"MODEL"));
    resbuf* xdata = acutBuildList(1001, L"Model", 1000, L"OLD_1", 1001, L"Other", 1000, L"x", 0);
    ref->setXData(xdata);
    acutRelRb(xdata);
  }
  FanRecord record;
  record.tag = L"F-1";
  ASSERT_EQ(TagEditedFan(fan, record), L"F-1");
  const AcGeVector3d offset = tagOffset(fan);

  AcDbDatabase viewDb(true, true);
  const AcDbObjectId view = apptest::addBlock(&viewDb, L"F_L0", L"SIZE");
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(20, 10, 0));
  AcDbObjectPointer<AcDbBlockTableRecord>(view, AcDb::kForWrite)->appendAcDbEntity(line);
  line->close();
  const FanView no5{L"4-72", L"5", L"A", L"2900", kViewDrawingFront, kLeftHand, L"0"};
  FanView missing = no5;
  missing.nView = kViewDrawingSide;
  EXPECT_FALSE(ReplacePlacedBlock(&viewDb, missing, fan));
  EXPECT_EQ(apptest::xdataStrings(fan, L"Model"), std::vector<std::wstring>{L"OLD_1"});
  ASSERT_TRUE(ReplacePlacedBlock(&viewDb, no5, fan));

  EXPECT_EQ(attributeTags(fan), (std::vector<std::wstring>{L"ZRFAN_TAG=F-1", L"SIZE=default"}));
  EXPECT_TRUE((tagOffset(fan) - offset).isZeroLength());
  EXPECT_TRUE(apptest::xdataStrings(fan, L"Model").empty());
  EXPECT_EQ(apptest::xdataStrings(fan, L"Other"), std::vector<std::wstring>{L"x"});
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  EXPECT_EQ(ref->blockTableRecord(), apptest::blockId(db, L"4-72No5AF_L0"));
  EXPECT_FALSE(ReadFanRecord(ref.object()));
}

class FanDutyFromAFan : public EditorTest {
 protected:
  void TearDown() override {
    cadrt::setImpliedSelection({});
    EditorTest::TearDown();
  }
  std::string run(const std::string& answers) {
    input(answers);
    m_out.str("");
    FanDutyCommand();
    return output();
  }
};

// The duty a selected fan records is offered for Enter; with nothing selected, or a fan
// without a duty, the prompts are today's. Each run is cancelled at the temperature.
TEST_F(FanDutyFromAFan, TheSelectedFansDutyIsOfferedAndOtherwiseThePromptsStay) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId block = apptest::addBlock(db, L"FAN");
  const AcDbObjectId withDuty = apptest::addReference(db->modelSpaceId(), block);
  const AcDbObjectId without = apptest::addReference(db->modelSpaceId(), block);
  FanRecord record;
  record.flow = 1131.5;
  record.pressure = 990;
  ASSERT_TRUE(WriteFanRecord(withDuty, record));
  ASSERT_TRUE(WriteFanRecord(without, FanRecord{}));
  cadrt::setImpliedSelection({withDuty});
  const std::string offered = run("\n\n^C\n");
  EXPECT_NE(offered.find("风量m3/h <1131.5>: "), std::string::npos) << offered;
  EXPECT_NE(offered.find("设计全压Pa <990>: "), std::string::npos) << offered;
  EXPECT_TRUE(cadrt::impliedSelection().empty()) << "the command took the selection";
  for (const std::vector<AcDbObjectId>& selected :
       {std::vector<AcDbObjectId>{}, {without}, {withDuty, without}}) {
    cadrt::setImpliedSelection(selected);
    const std::string asked = run("7\n8\n^C\n");
    EXPECT_NE(asked.find("风量m3/h: "), std::string::npos) << asked;
    EXPECT_EQ(asked.find("<"), asked.find("<20>")) << asked;
  }
}

}  // namespace
