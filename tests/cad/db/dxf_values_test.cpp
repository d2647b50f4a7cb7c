// Values read and written back: every value kept as read is checked against its group code
// (records we do not model too), handles stay in the range new ones can follow, and angles
// read and left alone are written exactly as read.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::DxfText;

std::string errorText(const AcDbDatabase& db) { return zrbase::wideToUtf8(db.lastErrorText()); }

// An R2010 drawing made by this writer with `entities` (pairs) added to its ENTITIES section.
std::string drawingWithEntities(const std::string& entities) {
  AcDbDatabase db;
  std::string text;
  db.writeDxfText(text);
  const std::string mark = "ENTITIES\n  0\nENDSEC";
  const size_t at = text.find(mark);
  return text.substr(0, at) + "ENTITIES\n" + entities + text.substr(at + 9);
}

// A HATCH as AutoCAD writes one (abridged); `flags70` is its first group 70.
std::string hatch(const std::string& flags70, const std::string& handle = "2F") {
  return DxfText()
      .pair(0, "HATCH")
      .pair(5, handle)
      .pair(330, "1F")
      .pair(100, "AcDbEntity")
      .pair(8, "0")
      .pair(100, "AcDbHatch")
      .pair(10, "0.0")
      .pair(20, "0.0")
      .pair(30, "0.0")
      .pair(210, "0.0")
      .pair(220, "0.0")
      .pair(230, "1.0")
      .pair(2, "SOLID")
      .pair(70, flags70)
      .pair(71, "0")
      .pair(91, "0")
      .pair(75, "0")
      .pair(76, "1")
      .pair(98, "0")
      .str();
}

TEST(DxfValues, ValuesOfRecordsWeDoNotModelAreCheckedByTheirGroupCode) {
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDxfText(drawingWithEntities(hatch("1"))), Acad::eOk) << errorText(db);
  struct Case {
    int code;
    std::string value;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {70, "abc", "value of group code 70 is not an integer: 'abc'"},
      {70, "1.5", "value of group code 70 is not an integer: '1.5'"},
      {71, "70000", "value of group code 71 is out of range: 70000"},
      {91, "99999999999", "value of group code 91 is out of range: 99999999999"},
      {41, "1e400", "value of group code 41 is not a finite number: '1e400'"},
      {290, "yes", "value of group code 290 is not an integer: 'yes'"},
      {340, "XYZ", "value of group code 340 is not a handle: 'XYZ'"},
      {310, "ABC", "value of group code 310 is not binary data in hex: 'ABC'"},
      {1071, "x", "value of group code 1071 is not an integer: 'x'"},
  };
  for (const Case& c : cases) {
    const std::string entity = hatch("1") + DxfText().pair(c.code, c.value).str();
    AcDbDatabase bad(false);
    EXPECT_EQ(bad.readDxfText(drawingWithEntities(entity), L"h.dxf"), Acad::eBadDxfFile) << c.code;
    EXPECT_EQ(errorText(bad).substr(0, errorText(bad).find(" (line")),
              "cannot read drawing 'h.dxf': " + c.reason);
  }
  // The case of the report: the first 70 of a HATCH reads "abc".
  AcDbDatabase reported(false);
  EXPECT_EQ(reported.readDxfText(drawingWithEntities(hatch("abc"))), Acad::eBadDxfFile);
  // Unsigned flags and text in text codes pass.
  AcDbDatabase fine(false);
  EXPECT_EQ(fine.readDxfText(drawingWithEntities(hatch("1") + DxfText()
                                                                  .pair(91, "4294967295")
                                                                  .pair(310, "00FFab")
                                                                  .pair(1, "abc")
                                                                  .pair(300, "1.5")
                                                                  .str())),
            Acad::eOk)
      << errorText(fine);
}

TEST(DxfValues, HeaderObjectsAndOtherSectionsAreCheckedToo) {
  AcDbDatabase db;
  std::string text;
  db.writeDxfText(text);
  const auto badAfter = [&](const std::string& anchor, const std::string& pairs) {
    const size_t at = text.find(anchor);
    EXPECT_NE(at, std::string::npos) << anchor;
    AcDbDatabase back(false);
    return back.readDxfText(text.substr(0, at + anchor.size()) + pairs +
                            text.substr(at + anchor.size())) == Acad::eBadDxfFile;
  };
  EXPECT_TRUE(badAfter("  2\nHEADER\n", "  9\n$ANGBASE\n 50\nnan\n"));
  EXPECT_TRUE(badAfter("AcDbDictionary\n", "281\nnope\n"));
  EXPECT_TRUE(badAfter("AcDbLayerTableRecord\n", "1071\n1.5\n"));
}

// A drawing with a LINE of the given handle, a CIRCLE whose xdata refers to it, and the
// given $HANDSEED.
std::string withLine(const std::string& lineHandle, const std::string& seed) {
  AcDbDatabase base;
  base.registerApplication(L"REF");
  std::string text;
  base.writeDxfText(text);
  const std::string entities = DxfText()
                                   .pair(0, "LINE")
                                   .pair(5, lineHandle)
                                   .pair(100, "AcDbEntity")
                                   .pair(8, "0")
                                   .pair(100, "AcDbLine")
                                   .pair(10, "0")
                                   .pair(20, "0")
                                   .pair(30, "0")
                                   .pair(11, "1")
                                   .pair(21, "1")
                                   .pair(31, "0")
                                   .pair(0, "CIRCLE")
                                   .pair(100, "AcDbEntity")
                                   .pair(8, "0")
                                   .pair(100, "AcDbCircle")
                                   .pair(10, "0")
                                   .pair(20, "0")
                                   .pair(30, "0")
                                   .pair(40, "1")
                                   .pair(1001, "REF")
                                   .pair(1005, lineHandle)
                                   .str();
  const size_t at = text.find("ENTITIES\n") + 9;
  text = text.substr(0, at) + entities + text.substr(at);
  return std::regex_replace(text, std::regex("\\$HANDSEED\n  5\n[0-9A-F]+\n"),
                            "$$HANDSEED\n  5\n" + seed + "\n");
}

// Every handle a text gives its records (5, and 105 of DIMSTYLE); fails on repeats and 0.
std::set<std::string> handlesOf(const std::string& text) {
  std::set<std::string> handles;
  const std::regex handle("\n  5\n([0-9A-F]+)(?=\n)|\n105\n([0-9A-F]+)(?=\n)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), handle);
       it != std::sregex_iterator(); ++it) {
    const std::string h = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    EXPECT_NE(h, "0");
    EXPECT_TRUE(handles.insert(h).second) << "handle " << h << " written twice";
  }
  return handles;
}

// The handle the xdata of the drawing's CIRCLE refers to.
std::string circleReference(const std::string& text) {
  std::smatch m;
  return std::regex_search(text, m, std::regex("1005\n([0-9A-F]+)\n")) ? m[1].str() : "";
}

TEST(DxfValues, HandlesBeyondTheRangeAreRenumberedAndNewOnesNeverWrap) {
  for (const char* huge : {"FFFFFFFFFFFFFFFF", "8000000000000000"}) {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxfText(withLine(huge, "30")), Acad::eOk) << errorText(db);
    // An insert and a new reference, as in the report, then the drawing written.
    AcDbDatabase source;
    const AcDbObjectId inner = cadtest::addBlock(&source, L"B");
    cadtest::addToBlock(inner, new AcDbPoint());
    cadtest::addToModelSpace(&source, new AcDbBlockReference(AcGePoint3d(), inner));
    AcDbObjectId id;
    ASSERT_EQ(db.insert(id, L"INSERTED", &source), Acad::eOk);
    cadtest::addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), id));
    std::string out;
    ASSERT_EQ(db.writeDxfText(out), Acad::eOk);
    const std::set<std::string> handles = handlesOf(out);
    EXPECT_EQ(handles.count(huge), 0u);
    const std::string ref = circleReference(out);
    EXPECT_EQ(handles.count(ref), 1u) << "the reference follows the LINE to its new handle";
    AcDbDatabase back(false);
    EXPECT_EQ(back.readDxfText(out), Acad::eOk) << errorText(back);
  }
  // The largest handle kept is kept; a seed beyond the range is not taken; new handles go
  // on above it without wrapping.
  AcDbDatabase edge(false);
  ASSERT_EQ(edge.readDxfText(withLine("7FFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF")), Acad::eOk)
      << errorText(edge);
  cadtest::addToModelSpace(&edge, new AcDbPoint());
  std::string out;
  ASSERT_EQ(edge.writeDxfText(out), Acad::eOk);
  EXPECT_EQ(circleReference(out), "7FFFFFFFFFFFFFFF");
  const std::set<std::string> handles = handlesOf(out);
  EXPECT_GE(std::count_if(handles.begin(), handles.end(),
                          [](const std::string& h) { return h.starts_with("80000000000000"); }),
            2)
      << "the CIRCLE and the POINT went on above the LINE";
  // Written so, the drawing reads back (its new handles are renumbered in turn).
  AcDbDatabase back(false);
  EXPECT_EQ(back.readDxfText(out), Acad::eOk) << errorText(back);
}

TEST(DxfValues, SubRecordsDoNotTakeHandlesOfOthers) {
  // A POLYLINE whose VERTEX has the handle of the first table, and whose SEQEND has its own.
  AcDbDatabase db;
  std::string text;
  db.writeDxfText(text);
  std::smatch table;
  ASSERT_TRUE(std::regex_search(text, table, std::regex("TABLE\n  2\n\\w+\n  5\n([0-9A-F]+)\n")));
  const std::string polyline = DxfText()
                                   .pair(0, "POLYLINE")
                                   .pair(5, "ABC1")
                                   .pair(100, "AcDbEntity")
                                   .pair(8, "0")
                                   .pair(100, "AcDb2dPolyline")
                                   .pair(66, "1")
                                   .pair(70, "0")
                                   .pair(0, "VERTEX")
                                   .pair(5, table[1].str())
                                   .pair(100, "AcDbEntity")
                                   .pair(8, "0")
                                   .pair(100, "AcDbVertex")
                                   .pair(100, "AcDb2dVertex")
                                   .pair(10, "1.0")
                                   .pair(20, "2.0")
                                   .pair(30, "0.0")
                                   .pair(0, "SEQEND")
                                   .pair(5, "ABC1")
                                   .pair(100, "AcDbEntity")
                                   .pair(8, "0")
                                   .str();
  const size_t at = text.find("ENTITIES\n") + 9;
  AcDbDatabase back(false);
  ASSERT_EQ(back.readDxfText(text.substr(0, at) + polyline + text.substr(at)), Acad::eOk)
      << errorText(back);
  std::string out;
  back.writeDxfText(out);
  EXPECT_EQ(handlesOf(out).count(table[1].str()), 1u);
  EXPECT_NE(out.find("VERTEX"), std::string::npos);
}

// An ARC from a to b degrees, an INSERT of block B turned by a and a TEXT turned by b.
std::string angleEntities(const std::string& a, const std::string& b) {
  DxfText t;
  t.pair(0, "ARC").pair(100, "AcDbEntity").pair(8, "0").pair(100, "AcDbCircle");
  t.pair(10, "0.0").pair(20, "0.0").pair(30, "0.0").pair(40, "1.0");
  t.pair(100, "AcDbArc").pair(50, a).pair(51, b);
  t.pair(0, "INSERT").pair(100, "AcDbEntity").pair(8, "0").pair(100, "AcDbBlockReference");
  t.pair(2, "B").pair(10, "0.0").pair(20, "0.0").pair(30, "0.0").pair(50, a);
  t.pair(0, "TEXT").pair(100, "AcDbEntity").pair(8, "0").pair(100, "AcDbText");
  t.pair(10, "0.0").pair(20, "0.0").pair(30, "0.0").pair(40, "1.0").pair(1, "t").pair(50, b);
  t.pair(100, "AcDbText");
  return t.str();
}

// Angles as a file may hold them, written back by the writer.
TEST(DxfValues, AnglesReadAndLeftAloneAreWrittenAsRead) {
  AcDbDatabase db;
  const AcDbObjectId block = cadtest::addBlock(&db, L"B");
  cadtest::addToBlock(block, new AcDbPoint());
  std::string text;
  db.writeDxfText(text);
  const std::vector<std::string> angles = {
      "30.0", "40.3", "10.1", "45.7",  "123.456", "0.1",   "359.9", "89.999", "270.01", "1.234567",
      "33.3", "66.6", "99.9", "12.34", "200.2",   "0.001", "15.15", "77.77",  "150.5",  "300.3"};
  std::string entities;
  for (size_t i = 0; i + 1 < angles.size(); i += 2)
    entities += angleEntities(angles[i], angles[i + 1]);
  const size_t at = text.find("ENTITIES\n") + 9;
  AcDbDatabase back(false);
  ASSERT_EQ(back.readDxfText(text.substr(0, at) + entities + text.substr(at)), Acad::eOk)
      << errorText(back);
  std::string out;
  ASSERT_EQ(back.writeDxfText(out), Acad::eOk);
  std::multiset<double> written, expected;
  for (size_t i = 0; i < angles.size(); ++i) {
    expected.insert(std::stod(angles[i]));  // the ARC's
    expected.insert(std::stod(angles[i]));  // the INSERT's or the TEXT's
  }
  const std::regex angle("\n 5[01]\n([^\n]+)(?=\n)");
  const size_t entitiesAt = out.find("ENTITIES\n");
  const std::string section = out.substr(entitiesAt, out.find("ENDSEC", entitiesAt) - entitiesAt);
  for (auto it = std::sregex_iterator(section.begin(), section.end(), angle);
       it != std::sregex_iterator(); ++it)
    written.insert(std::stod((*it)[1].str()));
  EXPECT_EQ(written, expected);
  // An angle that is changed is written from its new value.
  AcDbBlockTableRecord* model = nullptr;
  ASSERT_EQ(acdbOpenObject(model, back.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  const AcDbObjectId second = model->entityIds()[1];  // the first INSERT, at 30 degrees
  model->close();
  AcDbObjectPointer<AcDbBlockReference> ref(second, AcDb::kForWrite);
  ASSERT_TRUE(ref);
  ref->setRotation(ref->rotation() * 2);
  ref->close();
  back.writeDxfText(out);
  std::smatch first;
  const std::string tail = out.substr(out.find("AcDbBlockReference"));
  ASSERT_TRUE(std::regex_search(tail, first, angle));
  EXPECT_NEAR(std::stod(first[1].str()), 60.0, 1e-9);
}

}  // namespace
