// Extended data: setting, reading, replacing; result-buffer helpers.
#include <gtest/gtest.h>

#include <string>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addToModelSpace;

// The xdata of app on the entity id as "code:value" items.
std::vector<std::string> xdataOf(AcDbObjectId id, const ACHAR* app) {
  AcDbEntity* ent = nullptr;
  std::vector<std::string> out;
  if (acdbOpenObject(ent, id, AcDb::kForRead) != Acad::eOk) return {"not open"};
  resbuf* rb = ent->xData(app);
  for (resbuf* p = rb; p; p = p->rbnext) {
    std::string v;
    switch (zrcad::rbKindOf(p->restype)) {
      case zrcad::RbKind::kString:
        v = zrbase::wideToUtf8(p->resval.rstring);
        break;
      case zrcad::RbKind::kReal:
        v = std::to_string(p->resval.rreal);
        break;
      case zrcad::RbKind::kShort:
        v = std::to_string(p->resval.rint);
        break;
      case zrcad::RbKind::kLong:
        v = std::to_string(p->resval.rlong);
        break;
      case zrcad::RbKind::kPoint:
        v = std::to_string(p->resval.rpoint[0]) + "," + std::to_string(p->resval.rpoint[2]);
        break;
      default:
        v = "?";
    }
    out.push_back(std::to_string(p->restype) + ":" + v);
  }
  acutRelRb(rb);
  ent->close();
  return out;
}

Acad::ErrorStatus setXdata(AcDbObjectId id, resbuf* rb) {
  AcDbEntity* ent = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(ent, id, AcDb::kForWrite);
  if (es == Acad::eOk) {
    es = ent->setXData(rb);
    ent->close();
  }
  acutRelRb(rb);
  return es;
}

TEST(Xdata, ValuesOfEveryKindComeBack) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  ads_point p = {1.5, 2, 3};
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"离心式风机", 1070, 2, 1071,
                                       Adesk::Int32{70000}, 1040, 0.25, 1010, p, 0)),
            Acad::eOk);
  EXPECT_EQ(xdataOf(id, L"MODEL"),
            (std::vector<std::string>{"1001:Model", "1000:离心式风机", "1070:2", "1071:70000",
                                      "1040:0.250000", "1010:1.500000,3.000000"}));
  EXPECT_TRUE(xdataOf(id, L"Other").empty());
}

TEST(Xdata, EachApplicationIsReplacedOnItsOwn) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"A", 0)), Acad::eOk);
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"PLAN", 1000, L"1", 0)), Acad::eOk);
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"B", 0)), Acad::eOk);
  EXPECT_EQ(xdataOf(id, nullptr),
            (std::vector<std::string>{"1001:PLAN", "1000:1", "1001:Model", "1000:B"}));
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"PLAN", 0)), Acad::eOk);
  EXPECT_EQ(xdataOf(id, nullptr), (std::vector<std::string>{"1001:Model", "1000:B"}));
}

TEST(Xdata, ApplicationsAreRegisteredInTheDrawing) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"VACType", 1000, L"FAN", 0)), Acad::eOk);
  AcDbRegAppTable* apps = nullptr;
  db.getRegAppTable(apps);
  EXPECT_TRUE(apps->has(L"VACTYPE"));
  apps->close();
}

TEST(Xdata, WhatDxfReadersRefuseIsRefusedHere) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  std::wstring longText(86, L'风');  // 258 bytes of UTF-8
  EXPECT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, longText.c_str(), 0)),
            Acad::eInvalidResBuf);
  EXPECT_EQ(setXdata(id, acutBuildList(1000, L"no application first", 0)), Acad::eInvalidResBuf);
  EXPECT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1002, L"[", 0)), Acad::eInvalidResBuf);
  EXPECT_TRUE(xdataOf(id, nullptr).empty());
}

TEST(ResultBuffers, BuildDuplicateAndRelease) {
  resbuf* rb = acutBuildList(RTSTR, L"text", RTSHORT, 7, RTREAL, 1.5, 0);
  ASSERT_NE(rb, nullptr);
  resbuf* copy = acutDuplicateRb(rb);
  acutRelRb(rb);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->resval.rstring, L"text");
  ASSERT_NE(copy->rbnext, nullptr);
  EXPECT_EQ(copy->rbnext->resval.rint, 7);
  EXPECT_EQ(copy->rbnext->rbnext->resval.rreal, 1.5);
  EXPECT_EQ(copy->rbnext->rbnext->rbnext, nullptr);
  acutRelRb(copy);
  EXPECT_EQ(acutBuildList(4242, 1, 0), nullptr);
}

}  // namespace
