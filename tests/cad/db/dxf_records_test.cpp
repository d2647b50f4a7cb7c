// Records read and written back: values kept as read are checked against their group code
// (records we do not model too), handles stay unique, below the seed and in the range new
// ones can follow, angles read and left alone are written exactly as read; records with
// followers (POLYLINE, SPLINE), parts of files kept as read, and damaged structures that are
// repaired or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

TEST(PolylineRecords, VerticesBulgesAndKindsSurviveAndVerticesGetTheirOwnHandles) {
  AcDbDatabase db;
  AcGePoint3dArray pts;
  for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {2, 2}}) pts.append(AcGePoint3d(x, y, 0));
  AcGeDoubleArray bulges;
  for (double b : {1.0, 0.0, 0.0}) bulges.append(b);
  addToModelSpace(&db, new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 5.0, true, 0, 0, &bulges));
  pts.at(2) = AcGePoint3d(1, 2, 3);
  addToModelSpace(&db, new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
  const std::string text = written(db);
  auto back = readBack(text);
  const std::vector<AcDbObjectId> ids = entitiesOf(back->modelSpaceId());
  ASSERT_EQ(ids.size(), 2u);
  AcDbObjectPointer<AcDb2dPolyline> pl(ids[0], AcDb::kForRead);
  ASSERT_TRUE(pl && pl->numVerts() == 3);
  EXPECT_TRUE(pl->isClosed());
  EXPECT_EQ(pl->elevation(), 5.0);
  EXPECT_EQ(pl->bulgeAt(0), 1.0);
  AcGePoint3d p;
  pl->getVertexAt(2, p);
  EXPECT_EQ(p, AcGePoint3d(2, 2, 5));
  pl->close();
  EXPECT_TRUE(AcDbObjectPointer<AcDb3dPolyline>(ids[1], AcDb::kForRead))
      << "three-dimensional polylines are their own kind";
  EXPECT_EQ(written(*back), text);  // handles of vertices and SEQEND are kept as read
}

TEST(SplineRecords, RepeatedGroupsKeepTheirOrder) {
  std::string spline = dxf({0, "SPLINE", 8, "0", 70, 8, 71, 3, 72, 8, 73, 4, 74, 0});
  for (int k : {0, 0, 0, 0, 1, 1, 1, 1}) spline += dxf({40, k});
  for (int i = 0; i < 4; ++i) spline += dxf({10, i, 20, i * i});  // no 30: z is 0
  auto db = readBack(r12Drawing(spline));
  auto* sp = AcDbSpline::cast(firstInModelSpace(db.get()));
  ASSERT_NE(sp, nullptr);
  ASSERT_EQ(sp->numControlPoints(), 4);
  AcGePoint3d p;
  sp->getControlPointAt(3, p);
  EXPECT_EQ(p, AcGePoint3d(3, 9, 0));
  sp->close();
  EXPECT_NE(written(*db).find(" 72\n8\n 73\n4\n 74\n0\n 40\n0.0\n"), std::string::npos);
}

// A line keeps its thickness and extrusion direction apart, when it has them: each is read,
// written back, copied, and left out when it is the default.
TEST(LineRecords, ThicknessAndExtrusionAreKeptWrittenAndCopiedOnlyWhenSet) {
  struct Case {
    std::string read;     // groups after the end point
    std::string written;  // the line's subclass as written back
    double thickness;
    AcGeVector3d normal;
  };
  const std::string points = " 10\n1.0\n 20\n2.0\n 30\n0.0\n 11\n3.0\n 21\n4.0\n 31\n0.0\n";
  const std::string down = "210\n0.0\n220\n0.0\n230\n-1.0\n";
  for (const Case& c : {
           Case{"", points, 0, {0, 0, 1}},
           Case{dxf({39, "2.5"}), " 39\n2.5\n" + points, 2.5, {0, 0, 1}},
           Case{down, points + down, 0, {0, 0, -1}},
           Case{dxf({39, "0", 210, "0", 220, "0", 230, "1"}), points, 0, {0, 0, 1}},
           Case{dxf({39, "-1", 210, "1", 220, "0", 230, "0"}),
                " 39\n-1.0\n" + points + "210\n1.0\n220\n0.0\n230\n0.0\n",
                -1,
                {1, 0, 0}},
       }) {
    SCOPED_TRACE(c.read);
    auto db =
        readBack(withEntities(dxf({0, "LINE", 100, "AcDbEntity", 8, "0", 100, "AcDbLine", 10, 1, 20,
                                   2, 30,     0,   11,           3, 21,  4,   31,         0}) +
                              c.read));
    auto* line = AcDbLine::cast(firstInModelSpace(db.get()));
    ASSERT_NE(line, nullptr);
    std::unique_ptr<AcDbLine> copy(AcDbLine::cast(line->clone()));
    line->close();
    for (const AcDbLine* l : {line, copy.get()}) {
      EXPECT_EQ(l->thickness(), c.thickness);
      EXPECT_EQ(l->normal(), c.normal);
    }
    const std::string text = written(*db);
    const size_t at = text.find("AcDbLine\n") + 9;
    EXPECT_EQ(text.substr(at, text.find("  0\n", at) - at), c.written);
  }
}

TEST(KeptParts, ClassesObjectsUnknownSectionsAndPaperSpaceComeBackAsTheyWere) {
  AcDbDatabase db;
  ASSERT_FALSE(addToBlock(db.paperSpaceId(), new AcDbPoint(AcGePoint3d(1, 1, 0))).isNull());
  const std::string first = written(db);
  const std::string extra = "  0\nSECTION\n  2\nACDSDATA\n 70\n2\n  0\nENDSEC\n";
  std::string withExtra = first;
  withExtra.insert(withExtra.rfind("  0\nEOF"), extra);
  auto back = readBack(withExtra);
  const std::string second = written(*back);
  EXPECT_NE(second.find(extra), std::string::npos);
  auto between = [](const std::string& s, const std::string& a) {
    const size_t from = s.find(a);
    return s.substr(from, s.find("ENDSEC", from) - from);
  };
  EXPECT_EQ(between(second, "CLASSES"), between(first, "CLASSES"));
  EXPECT_EQ(between(second, "OBJECTS"), between(first, "OBJECTS"));
  EXPECT_EQ(modelSpaceCount(back.get()), 0);
  EXPECT_EQ(entitiesOf(back->paperSpaceId()).size(), 1u);
}

TEST(Repairs, DuplicateHandlesAreRenumbered) {
  auto db =
      readBack(withEntities(dxf({0, "POINT", 5, "ABC", 8, "0", 10, 1, 20, 1}) +
                            dxf({0, "INSERT", 5, "ABC", 8, "0", 2, "NOWHERE", 10, 0, 20, 0})));
  const std::vector<AcDbObjectId> ids = entitiesOf(db->modelSpaceId());
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].handle().value(), 0xABCu);
  EXPECT_NE(ids[1].handle().value(), 0xABCu);
}

// A layer group without a name puts the entity on layer 0; each one made a second layer 0.
TEST(Repairs, EntitiesWithoutALayerNameAreOnLayerZero) {
  std::string entities;
  for (const char* layer : {"", "A", "", "A", ""})
    entities +=
        dxf({0, "POINT", 100, "AcDbEntity", 8, layer, 100, "AcDbPoint", 10, "1", 20, "2", 30, "0"});
  auto db = readBack(withEntities(entities));
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db->getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  AcDbObjectId zero;
  ASSERT_EQ(layers->getAt(L"0", zero), Acad::eOk);
  int zeros = 0;
  AcDbLayerTableIterator* it = nullptr;
  layers->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(it->getRecord(rec, AcDb::kForRead), Acad::eOk);
    zeros += rec->name() == L"0";
    rec->close();
  }
  delete it;
  layers->close();
  EXPECT_EQ(zeros, 1);
  const std::vector<AcDbObjectId> ids = entitiesOf(db->modelSpaceId());
  ASSERT_EQ(ids.size(), 5u);
  AcDbObjectPointer<AcDbPoint> first(ids[0], AcDb::kForRead);
  EXPECT_EQ(first->layerId(), zero);
}

TEST(Repairs, FilesWithoutBlockRecordsAreReadOntoTheDefaultDrawing) {
  auto db = readBack(dxfFile(
      "AC1015", section("ENTITIES", dxf({0, "LINE", 8, "WALLS", 10, 0, 20, 0, 11, 1, 21, 1}))));
  EXPECT_EQ(modelSpaceCount(db.get()), 1);
  TempDir dir;
  ASSERT_EQ(db->saveAs(dir.wpath("minimal.dxf").c_str()), Acad::eOk);
  expectClean(dir.path("minimal.dxf"));
}

TEST(Repairs, CircularBlocksAreMeasuredInMemoryAndRefusedInAFile) {
  AcDbDatabase db;
  const AcDbObjectId a = addBlock(&db, L"A");
  const AcDbObjectId b = addBlock(&db, L"B");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(1, 0, 0), b));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(0, 1, 0), a));
  addToBlock(b, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)));
  addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), a));
  // Such a drawing is invalid, but measuring it must end.
  AcDbEntity* ref = firstInModelSpace(&db);
  AcDbExtents e;
  EXPECT_EQ(ref->getGeomExtents(e), Acad::eOk);
  EXPECT_EQ(e.minPoint(), AcGePoint3d(1, 0, 0));  // B's line, moved by A's reference to B
  EXPECT_EQ(e.maxPoint(), AcGePoint3d(2, 1, 0));
  ref->close();
  // Read from a file it is refused, naming the loop.
  TempDir dir;
  ASSERT_EQ(db.saveAs(dir.wpath("loop.dxf").c_str()), Acad::eOk);
  AcDbDatabase back(false);
  EXPECT_EQ(back.readDwgFile(dir.wpath("loop.dxf").c_str()), Acad::eBadDxfFile);
  EXPECT_EQ(errorText(back), "cannot read drawing '" + dir.path("loop.dxf") +
                                 "': a block contains itself: 'A' -> 'B' -> 'A'");
}

// Structures refused, each with its reason. Found by fuzzing: a table left without ENDTAB
// took the next table's records as its own; an ENDBLK among the entities was kept as an
// entity and written twice; a table whose own record was refused leaked (LeakSanitizer).
TEST(Repairs, BrokenStructuresAreRefusedWithTheirReason) {
  const std::string fresh = withEntities("");
  std::string nameless = fresh;
  const size_t at = nameless.find("\n  2\n*Paper_Space\n", nameless.find("BLOCK_RECORD\n  5"));
  ASSERT_NE(at, std::string::npos);
  nameless.erase(at, std::string("\n  2\n*Paper_Space").size());
  std::string badLayerTable = fresh;
  const size_t layers = badLayerTable.find("TABLE\n  2\nLAYER\n");
  ASSERT_NE(layers, std::string::npos);
  badLayerTable.insert(badLayerTable.find(" 70\n", layers), " 10\nx\n");
  const std::pair<std::string, std::string> cases[] = {
      {dxfFile("AC1009", section("TABLES", dxf({0, "TABLE", 2, "LTYPE", 0, "TABLE", 2, "LAYER", 0,
                                                "LAYER", 2, "X", 0, "ENDTAB"}))),
       "record TABLE in table LTYPE"},
      {r12Drawing(dxf({0, "ENDBLK", 8, "0"})), "unexpected ENDBLK among entities"},
      {badLayerTable, "not a finite number: 'x'"},
      {nameless, "without a name in table BLOCK_RECORD"},
  };
  for (const auto& [text, reason] : cases) {
    AcDbDatabase db(false);
    EXPECT_EQ(db.readDxfText(text), Acad::eBadDxfFile) << reason;
    EXPECT_NE(errorText(db).find(reason), std::string::npos) << errorText(db);
  }
}

// A HATCH as AutoCAD writes one (abridged); `flags70` is its first group 70.
std::string hatch(const std::string& flags70) {
  return dxf({0,  "HATCH", 5,   "2F",        330, "1F",  100, "AcDbEntity",
              8,  "0",     100, "AcDbHatch", 10,  "0.0", 20,  "0.0",
              30, "0.0",   210, "0.0",       220, "0.0", 230, "1.0",
              2,  "SOLID", 70,  flags70,     71,  0,     91,  0,
              75, 0,       76,  1,           98,  0});
}

TEST(DxfValues, ValuesOfRecordsWeDoNotModelAreCheckedByTheirGroupCode) {
  const struct {
    int code;
    std::string value, reason;
  } cases[] = {
      {70, "abc", "value of group code 70 is not an integer: 'abc'"},
      {70, "1.5", "value of group code 70 is not an integer: '1.5'"},
      {71, "70000", "value of group code 71 is out of range: 70000"},
      {91, "99999999999", "value of group code 91 is out of range: 99999999999"},
      {41, "1e400", "value of group code 41 is not a finite number: '1e400'"},
      {340, "XYZ", "value of group code 340 is not a handle: 'XYZ'"},
      {310, "ABC", "value of group code 310 is not binary data in hex: 'ABC'"},
      {1071, "x", "value of group code 1071 is not an integer: 'x'"},
  };
  for (const auto& c : cases) {
    AcDbDatabase bad(false);
    EXPECT_EQ(bad.readDxfText(withEntities(hatch("1") + dxf({c.code, c.value})), L"h.dxf"),
              Acad::eBadDxfFile)
        << c.code;
    EXPECT_EQ(errorText(bad).substr(0, errorText(bad).find(" (line")),
              "cannot read drawing 'h.dxf': " + c.reason);
  }
  // The case of the report: the first 70 of a HATCH reads "abc".
  AcDbDatabase reported(false);
  EXPECT_EQ(reported.readDxfText(withEntities(hatch("abc"))), Acad::eBadDxfFile);
  // Unsigned flags and text in text codes pass.
  readBack(withEntities(hatch("1") + dxf({91, "4294967295", 310, "00FFab", 1, "abc", 300, "1.5"})));
  // The header, the objects and the tables are checked too.
  const std::string text = withEntities("");
  for (const auto& [anchor, pairs] : std::vector<std::pair<std::string, std::string>>{
           {"  2\nHEADER\n", "  9\n$ANGBASE\n 50\nnan\n"},
           {"AcDbDictionary\n", "281\nnope\n"},
           {"AcDbLayerTableRecord\n", "1071\n1.5\n"}}) {
    AcDbDatabase back(false);
    EXPECT_EQ(back.readDxfText(insertAfter(text, anchor, pairs)), Acad::eBadDxfFile) << pairs;
  }
}

// A drawing with a LINE of the given handle, a CIRCLE whose xdata refers to it, and the
// given $HANDSEED.
std::string withLine(const std::string& lineHandle, const std::string& seed) {
  AcDbDatabase base;
  base.registerApplication(L"REF");
  const std::string entities =
      dxf({0, "LINE", 5, lineHandle, 100, "AcDbEntity", 8, "0", 100, "AcDbLine", 10,
           0, 20,     0, 30,         0,   11,           1, 21,  1,   31,         0}) +
      dxf({0, "CIRCLE", 100, "AcDbEntity", 8, "0",  100,   "AcDbCircle", 10,        0, 20,
           0, 30,       0,   40,           1, 1001, "REF", 1005,         lineHandle});
  return std::regex_replace(insertAfter(written(base), "ENTITIES\n", entities),
                            std::regex("\\$HANDSEED\n  5\n[0-9A-F]+\n"),
                            "$$HANDSEED\n  5\n" + seed + "\n");
}

// Every handle a text gives its records (5, and 105 of DIMSTYLE); fails on repeats, on 0 and
// on handles at or above the seed.
std::set<std::string> handlesOf(const std::string& text) {
  std::set<std::string> handles;
  std::smatch seed;
  EXPECT_TRUE(std::regex_search(text, seed, std::regex("\\$HANDSEED\n  5\n([0-9A-F]+)\n")));
  const std::regex handle("\n  5\n([0-9A-F]+)(?=\n)|\n105\n([0-9A-F]+)(?=\n)");
  const size_t body = text.find("ENDSEC");  // past the header and its seed
  for (auto it = std::sregex_iterator(text.begin() + body, text.end(), handle);
       it != std::sregex_iterator(); ++it) {
    const std::string h = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    EXPECT_NE(h, "0");
    EXPECT_TRUE(handles.insert(h).second) << "handle " << h << " written twice";
    EXPECT_LT(std::stoull(h, nullptr, 16), std::stoull(seed[1], nullptr, 16)) << h;
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
    auto db = readBack(withLine(huge, "30"));
    // An insert and a new reference, as in the report, then the drawing written.
    AcDbDatabase source;
    const AcDbObjectId inner = addBlock(&source, L"B");
    addToBlock(inner, new AcDbPoint());
    addToModelSpace(&source, new AcDbBlockReference(AcGePoint3d(), inner));
    AcDbObjectId id;
    ASSERT_EQ(db->insert(id, L"INSERTED", &source), Acad::eOk);
    addToModelSpace(db.get(), new AcDbBlockReference(AcGePoint3d(), id));
    // Attributes, and polylines for their vertices, take handles when written; an erased
    // entity is left out.
    auto* withAttribute = new AcDbBlockReference(AcGePoint3d(), id);
    withAttribute->appendAttribute(new AcDbAttribute(AcGePoint3d(), L"v", L"TAG"));
    addToModelSpace(db.get(), withAttribute);
    AcDbObjectPointer<AcDbEntity>(addToModelSpace(db.get(), new AcDbPoint()), AcDb::kForWrite)
        ->erase();
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 1));
    addToModelSpace(db.get(), new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
    const std::string out = written(*db);
    const std::set<std::string> handles = handlesOf(out);
    EXPECT_EQ(handles.count(huge), 0u);
    EXPECT_EQ(handles.count(circleReference(out)), 1u) << "the reference follows the LINE";
    readBack(out);
  }
  // The largest handle kept is kept; a seed beyond the range is not taken; new handles go
  // on above it without wrapping.
  auto edge = readBack(withLine("7FFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF"));
  addToModelSpace(edge.get(), new AcDbPoint());
  const std::string out = written(*edge);
  EXPECT_EQ(circleReference(out), "7FFFFFFFFFFFFFFF");
  const std::set<std::string> handles = handlesOf(out);
  EXPECT_GE(std::count_if(handles.begin(), handles.end(),
                          [](const std::string& h) { return h.starts_with("80000000000000"); }),
            2)
      << "the CIRCLE and the POINT went on above the LINE";
  readBack(out);  // its new handles are renumbered in turn
}

TEST(DxfValues, SubRecordsDoNotTakeHandlesOfOthers) {
  // A POLYLINE whose VERTEX has the handle of the first table, and whose SEQEND has its own.
  const std::string text = withEntities("");
  std::smatch table;
  ASSERT_TRUE(std::regex_search(text, table, std::regex("TABLE\n  2\n\\w+\n  5\n([0-9A-F]+)\n")));
  const std::string polyline =
      dxf({0, "POLYLINE", 5, "ABC1", 100, "AcDbEntity", 8, "0", 100, "AcDb2dPolyline", 66, 1, 70,
           0}) +
      dxf({0, "VERTEX", 5, table[1].str(), 100, "AcDbEntity", 8, "0", 100, "AcDbVertex", 100,
           "AcDb2dVertex", 10, "1.0", 20, "2.0", 30, "0.0"}) +
      dxf({0, "SEQEND", 5, "ABC1", 100, "AcDbEntity", 8, "0"});
  const std::string out = written(*readBack(insertAfter(text, "ENTITIES\n", polyline)));
  EXPECT_EQ(handlesOf(out).count(table[1].str()), 1u);
  EXPECT_NE(out.find("VERTEX"), std::string::npos);
}

// An ARC from a to b degrees, an INSERT of block B turned by a and a TEXT turned by b.
std::string angleEntities(const std::string& a, const std::string& b) {
  return dxf({0,  "ARC", 100, "AcDbEntity", 8,  "0",   100, "AcDbCircle", 10, "0.0",
              20, "0.0", 30,  "0.0",        40, "1.0", 100, "AcDbArc",    50, a,
              51, b}) +
         dxf({0, "INSERT", 100, "AcDbEntity", 8, "0", 100, "AcDbBlockReference", 2, "B", 10, "0.0",
              20, "0.0", 30, "0.0", 50, a}) +
         dxf({0,  "TEXT", 100, "AcDbEntity", 8, "0", 100, "AcDbText", 10,  "0.0",     20, "0.0",
              30, "0.0",  40,  "1.0",        1, "t", 50,  b,          100, "AcDbText"});
}

TEST(DxfValues, AnglesReadAndLeftAloneAreWrittenAsRead) {
  AcDbDatabase db;
  addToBlock(addBlock(&db, L"B"), new AcDbPoint());
  const std::vector<std::string> angles = {"30.0",  "40.3",  "10.1",   "45.7",
                                           "359.9", "0.001", "270.01", "1.234567"};
  std::string entities;
  std::multiset<double> expected, got;
  for (size_t i = 0; i + 1 < angles.size(); i += 2)
    entities += angleEntities(angles[i], angles[i + 1]);
  for (const std::string& a : angles) expected.insert({std::stod(a), std::stod(a)});
  auto back = readBack(insertAfter(written(db), "ENTITIES\n", entities));
  std::string out = written(*back);
  const std::regex angle("\n 5[01]\n([^\n]+)(?=\n)");
  const size_t at = out.find("ENTITIES\n");
  const std::string ents = out.substr(at, out.find("ENDSEC", at) - at);
  for (auto it = std::sregex_iterator(ents.begin(), ents.end(), angle);
       it != std::sregex_iterator(); ++it)
    got.insert(std::stod((*it)[1].str()));
  EXPECT_EQ(got, expected);
  // An angle that is changed is written from its new value.
  // The first INSERT, at 30 degrees.
  AcDbObjectPointer<AcDbBlockReference> ref(entitiesOf(back->modelSpaceId())[1], AcDb::kForWrite);
  ASSERT_TRUE(ref);
  ref->setRotation(ref->rotation() * 2);
  ref->close();
  out = written(*back);
  std::smatch first;
  const std::string tail = out.substr(out.find("AcDbBlockReference"));
  ASSERT_TRUE(std::regex_search(tail, first, angle));
  EXPECT_NEAR(std::stod(first[1].str()), 60.0, 1e-9);
}

}  // namespace
