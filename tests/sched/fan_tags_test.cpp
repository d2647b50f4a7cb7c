// Fan records and tags on drawings built in memory: the record's round trip
// beside other xdata, numbering, the drawing's prefix, and the renumbering of
// copies.
#include "drawings/fan_tags.h"

#include <gtest/gtest.h>

#include "drawing_builder.h"

namespace {

TEST(FanRecord, ARecordComesBackWholeAndLeavesOtherXdataAlone) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId fan =
      apptest::addReference(db->modelSpaceId(), apptest::addBlock(db, L"FAN_A"));
  resbuf* placed = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 0);
  AcDbObjectPointer<AcDbObject>(fan, AcDb::kForWrite)->setXData(placed);
  acutRelRb(placed);
  FanRecord full;
  full.tag = L"F-7";
  full.series = L"4-72";
  full.fanNo = L"4.5";
  full.drive = L"皮带";
  full.speed = L"2900";
  full.source = FanSource::Duty;
  full.flow = 1131;
  full.pressure = 990.5;
  full.airTemp = -5;
  full.atmPressure = 90000;
  full.pointFlow = 1200;
  full.pointPressure = 1010;
  full.efficiency = 81.5;
  full.shaftPower = 0.45;
  full.motorPower = 0.75;
  full.motor = L"Y802-4";
  full.catalogue = L"data\\ZRFan.Mdb";
  FanRecord bare;
  bare.tag = L"F-1";
  for (const FanRecord& r : {full, bare}) {
    ASSERT_TRUE(WriteFanRecord(fan, r));
    AcDbObjectPointer<AcDbObject> obj(fan, AcDb::kForRead);
    const std::optional<FanRecord> back = ReadFanRecord(obj.object());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tag, r.tag);
    EXPECT_EQ(back->drive, r.drive);
    EXPECT_EQ(back->source, r.source);
    EXPECT_EQ(back->flow, r.flow);
    EXPECT_EQ(back->pressure, r.pressure);
    EXPECT_EQ(back->airTemp, r.airTemp);
    EXPECT_EQ(back->atmPressure, r.atmPressure);
    EXPECT_EQ(back->pointFlow, r.pointFlow);
    EXPECT_EQ(back->pointPressure, r.pointPressure);
    EXPECT_EQ(back->efficiency, r.efficiency);
    EXPECT_EQ(back->shaftPower, r.shaftPower);
    EXPECT_EQ(back->motorPower, r.motorPower);
    EXPECT_EQ(back->motor, r.motor);
    EXPECT_EQ(back->catalogue, r.catalogue);
    EXPECT_EQ(back->version, kFanRecordVersion);
  }
  EXPECT_EQ(apptest::xdataStrings(fan, L"Model"), std::vector<std::wstring>{L"4-72No4.5A_2900"});
}

TEST(FanTags, ATagIsThePrefixAndDigitsAlone) {
  const struct {
    const wchar_t* tag;
    const wchar_t* prefix;
    int number;
  } cases[] = {{L"F-12", L"F-", 12}, {L"F-", L"F-", 0},    {L"F-1a", L"F-", 0},
               {L"G-3", L"F-", 0},   {L"AHU3", L"AHU", 3}, {L"F-9999999999", L"F-", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(TagNumber(c.tag, c.prefix), c.number) << CString(c.tag).ToUtf8();
}

std::wstring tagOf(AcDbObjectId fan) {
  AcDbObjectPointer<AcDbObject> obj(fan, AcDb::kForRead);
  return ReadFanRecord(obj.object()).value_or(FanRecord{}).tag.str();
}

std::wstring shownTag(AcDbObjectId fan) {
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  std::wstring shown;
  for (AcDbObjectId id : ref->attributeIds()) {
    AcDbObjectPointer<AcDbAttribute> attr(id, AcDb::kForRead);
    if (CString(attr->tagConst()) == kFanTagAttribute) shown += attr->textStringConst();
  }
  return shown;
}

TEST(FanTags, NewFansTakeTheNextNumberAndCopiesAreRenumbered) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId block = apptest::addBlock(db, L"FAN_A");
  auto place = [&] { return apptest::addReference(db->modelSpaceId(), block); };
  ASSERT_TRUE(SetTagPrefix(db, L"EF-"));
  const AcDbObjectId first = place(), second = place();
  EXPECT_EQ(TagNewFan(first, FanRecord{}), L"EF-1");
  EXPECT_EQ(TagNewFan(second, FanRecord{}), L"EF-2");
  AcDbObjectPointer<AcDbBlockReference>(first, AcDb::kForWrite)->erase();
  const AcDbObjectId third = place();
  {
    // The view block's own attribute named TAG.
    AcDbObjectPointer<AcDbBlockReference> ref(third, AcDb::kForWrite);
    AcDbObjectId id;
    auto* own = new AcDbAttribute(AcGePoint3d(2, 1, 0), L"own", L"TAG");
    ASSERT_EQ(ref->appendAttribute(id, own), Acad::eOk);
    own->close();
  }
  EXPECT_EQ(TagNewFan(third, FanRecord{}), L"EF-3") << "a number stays given while a later one is";
  // Two copies of the second fan, made as COPY makes them.
  std::vector<AcDbObjectId> copies;
  for (int i = 0; i < 2; ++i) {
    AcDbObjectPointer<AcDbBlockReference> src(second, AcDb::kForRead);
    auto* copy = static_cast<AcDbEntity*>(src->clone());
    AcDbObjectId id;
    AcDbObjectPointer<AcDbBlockTableRecord>(db->modelSpaceId(), AcDb::kForWrite)
        ->appendAcDbEntity(id, copy);
    copy->close();
    copies.push_back(id);
  }
  EXPECT_EQ(RenumberCopiedTags(db), 2);
  EXPECT_EQ(tagOf(second), L"EF-2");
  EXPECT_EQ(tagOf(copies[0]), L"EF-4");
  EXPECT_EQ(tagOf(copies[1]), L"EF-5");
  EXPECT_EQ(shownTag(copies[1]), L"EF-5");
  EXPECT_EQ(apptest::xdataStrings(copies[1], kFanRecordApp),
            (std::vector<std::wstring>{L"SOURCE", L"TAG", L"EF-5"}));
  EXPECT_EQ(RenumberCopiedTags(db), 0);
  EXPECT_EQ(TagPrefix(db), L"EF-");
  AcDbObjectPointer<AcDbBlockReference> ref(third, AcDb::kForRead);
  EXPECT_EQ(ref->attributeCount(), 2);
  EXPECT_EQ(shownTag(third), L"EF-3") << "the block's own TAG attribute is kept beside ours";
}

}  // namespace
