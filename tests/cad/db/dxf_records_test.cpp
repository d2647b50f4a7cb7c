// Records with followers (POLYLINE, INSERT), parts of files kept as read, and damaged
// structures that are repaired rather than refused.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;
using cadtest::DxfText;
using cadtest::r12Drawing;
using cadtest::TempDir;

// The drawing's text, written by a stopped clock: texts written a second apart must
// still compare equal where only their save dates would differ.
std::string written(AcDbDatabase& db) {
  static const auto stopped = zrcad::dxf::drawingTime();
  zrcad::dxf::ScopedDrawingClock clock([] { return stopped; });
  std::string out;
  EXPECT_EQ(db.writeDxfText(out), Acad::eOk);
  return out;
}

std::unique_ptr<AcDbDatabase> readBack(const std::string& text) {
  auto db = std::make_unique<AcDbDatabase>(false);
  EXPECT_EQ(db->readDxfText(text), Acad::eOk) << zrbase::wideToUtf8(db->lastErrorText());
  return db;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string handleText(AcDbObjectId id) {
  ACHAR buf[17];
  id.handle().getIntoAsciiBuffer(buf);
  return zrbase::wideToUtf8(buf);
}

TEST(PolylineRecords, VerticesAndBulgesSurviveAndGetTheirOwnHandles) {
  AcDbDatabase db;
  AcGePoint3dArray pts;
  pts.append(AcGePoint3d(0, 0, 0));
  pts.append(AcGePoint3d(2, 0, 0));
  pts.append(AcGePoint3d(2, 2, 0));
  AcGeDoubleArray bulges;
  bulges.append(1.0);
  bulges.append(0.0);
  bulges.append(0.0);
  addToModelSpace(&db, new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 5.0, true, 0, 0, &bulges));
  std::string text = written(db);
  EXPECT_EQ(count(text, "\nVERTEX\n"), 3u);
  EXPECT_EQ(count(text, "\nSEQEND\n"), 1u);
  EXPECT_NE(text.find("AcDb2dVertex"), std::string::npos);
  auto back = readBack(text);
  AcDbEntity* ent = cadtest::firstInModelSpace(back.get());
  auto* pl = AcDb2dPolyline::cast(ent);
  ASSERT_NE(pl, nullptr);
  ASSERT_EQ(pl->numVerts(), 3);
  EXPECT_TRUE(pl->isClosed());
  EXPECT_EQ(pl->elevation(), 5.0);
  EXPECT_EQ(pl->bulgeAt(0), 1.0);
  AcGePoint3d p;
  pl->getVertexAt(2, p);
  EXPECT_EQ(p, AcGePoint3d(2, 2, 5));
  AcDbExtents e;
  ASSERT_EQ(pl->getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.minPoint().y, -1, 1e-9);  // the half circle below the first segment
  ent->close();
  EXPECT_EQ(written(*back), text);  // handles of vertices and SEQEND are kept as read
}

TEST(PolylineRecords, ThreeDimensionalPolylinesAreTheirOwnKind) {
  AcDbDatabase db;
  AcGePoint3dArray pts;
  pts.append(AcGePoint3d(0, 0, 0));
  pts.append(AcGePoint3d(1, 2, 3));
  addToModelSpace(&db, new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
  auto back = readBack(written(db));
  AcDbEntity* ent = cadtest::firstInModelSpace(back.get());
  EXPECT_NE(AcDb3dPolyline::cast(ent), nullptr);
  AcDbExtents e;
  ent->getGeomExtents(e);
  EXPECT_EQ(e.maxPoint(), AcGePoint3d(1, 2, 3));
  ent->close();
}

TEST(SplineRecords, RepeatedGroupsKeepTheirOrder) {
  DxfText t;
  t.pair(0, "SPLINE").pair(8, "0").pair(70, "8").pair(71, "3").pair(72, "8").pair(73, "4");
  t.pair(74, "0");
  for (int k : {0, 0, 0, 0, 1, 1, 1, 1}) t.pair(40, std::to_string(k));
  for (int i = 0; i < 4; ++i)
    t.pair(10, std::to_string(i)).pair(20, std::to_string(i * i)).pair(30, "0");
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDxfText(r12Drawing(t.str())), Acad::eOk);
  AcDbEntity* ent = cadtest::firstInModelSpace(&db);
  auto* sp = AcDbSpline::cast(ent);
  ASSERT_NE(sp, nullptr);
  ASSERT_EQ(sp->numControlPoints(), 4);
  AcGePoint3d p;
  sp->getControlPointAt(3, p);
  EXPECT_EQ(p, AcGePoint3d(3, 9, 0));
  AcDbExtents e;
  sp->getGeomExtents(e);
  EXPECT_EQ(e.maxPoint(), AcGePoint3d(3, 9, 0));
  ent->close();
  EXPECT_NE(written(db).find(" 72\n8\n 73\n4\n 74\n0\n 40\n0.0\n"), std::string::npos);
}

TEST(KeptParts, ClassesObjectsAndUnknownSectionsComeBackWithTheirHandles) {
  AcDbDatabase db;
  std::string first = written(db);
  std::string withExtra = first;
  std::string extra = "  0\nSECTION\n  2\nACDSDATA\n 70\n2\n  0\nENDSEC\n";
  withExtra.insert(withExtra.rfind("  0\nEOF"), extra);
  auto back = readBack(withExtra);
  std::string second = written(*back);
  EXPECT_NE(second.find(extra), std::string::npos);
  auto between = [](const std::string& s, const std::string& a, const std::string& b) {
    size_t from = s.find(a);
    return s.substr(from, s.find(b, from) - from);
  };
  EXPECT_EQ(between(second, "CLASSES", "ENDSEC"), between(first, "CLASSES", "ENDSEC"));
  EXPECT_EQ(between(second, "OBJECTS", "ENDSEC"), between(first, "OBJECTS", "ENDSEC"));
}

TEST(KeptParts, PaperSpaceEntitiesStayInPaperSpace) {
  AcDbDatabase db;
  AcDbObjectId id = addToBlock(db.paperSpaceId(), new AcDbPoint(AcGePoint3d(1, 1, 0)));
  ASSERT_FALSE(id.isNull());
  std::string text = written(db);
  size_t at = text.find("POINT\n  5\n" + handleText(id) + "\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(text.find(" 67\n1\n", at), std::string::npos);
  auto back = readBack(text);
  EXPECT_EQ(cadtest::modelSpaceCount(back.get()), 0);
  AcDbObjectPointer<AcDbBlockTableRecord> ps(back->paperSpaceId(), AcDb::kForRead);
  EXPECT_EQ(ps->entityIds().size(), 1u);
}

TEST(Repairs, DuplicateHandlesAreRenumberedAndMissingBlocksDefined) {
  std::string entities = DxfText()
                             .pair(0, "POINT")
                             .pair(5, "ABC")
                             .pair(8, "0")
                             .pair(10, "1")
                             .pair(20, "1")
                             .pair(0, "INSERT")
                             .pair(5, "ABC")
                             .pair(8, "0")
                             .pair(2, "NOWHERE")
                             .pair(10, "0")
                             .pair(20, "0")
                             .str();
  AcDbDatabase base;
  std::string text = written(base);
  text.insert(text.find("  0\nENDSEC", text.find("ENTITIES")), entities);
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDxfText(text), Acad::eOk) << zrbase::wideToUtf8(db.lastErrorText());
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForRead);
  std::vector<AcDbObjectId> ids = ms->entityIds();
  ms->close();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].handle().value(), 0xABCu);
  EXPECT_NE(ids[1].handle().value(), 0xABCu);
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt);
  EXPECT_TRUE(bt->has(L"NOWHERE"));
  bt->close();
}

TEST(Repairs, FilesWithoutBlockRecordsAreReadOntoTheDefaultDrawing) {
  std::string text = DxfText()
                         .header("AC1015")
                         .section("ENTITIES")
                         .pair(0, "LINE")
                         .pair(8, "WALLS")
                         .pair(10, "0")
                         .pair(20, "0")
                         .pair(11, "1")
                         .pair(21, "1")
                         .endSection()
                         .eof()
                         .str();
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDxfText(text), Acad::eOk) << zrbase::wideToUtf8(db.lastErrorText());
  EXPECT_EQ(cadtest::modelSpaceCount(&db), 1);
  TempDir dir;
  ASSERT_EQ(db.saveAs(dir.wpath("minimal.dxf").c_str()), Acad::eOk);
  cadtest::CommandResult check = cadtest::checkDrawing(dir.path("minimal.dxf"));
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(Repairs, CircularBlocksAreMeasuredInMemoryAndRefusedInAFile) {
  AcDbDatabase db;
  AcDbObjectId a = addBlock(&db, L"A");
  AcDbObjectId b = addBlock(&db, L"B");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(1, 0, 0), b));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(0, 1, 0), a));
  addToBlock(b, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)));
  addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), a));
  // Such a drawing is invalid, but measuring it must end.
  AcDbEntity* ref = cadtest::firstInModelSpace(&db);
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
  EXPECT_EQ(zrbase::wideToUtf8(back.lastErrorText()),
            "cannot read drawing '" + dir.path("loop.dxf") +
                "': a block contains itself: 'A' -> 'B' -> 'A'");
}

// Found by fuzzing: a table left without ENDTAB took the next table's records as its own.
TEST(Repairs, RecordsOfAnotherTableAreRefusedInOlderDrawingsToo) {
  std::string text = DxfText()
                         .header("AC1009")
                         .section("TABLES")
                         .pair(0, "TABLE")
                         .pair(2, "LTYPE")
                         .pair(0, "TABLE")
                         .pair(2, "LAYER")
                         .pair(0, "LAYER")
                         .pair(2, "X")
                         .pair(0, "ENDTAB")
                         .endSection()
                         .eof()
                         .str();
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDxfText(text), Acad::eBadDxfFile);
  EXPECT_NE(zrbase::wideToUtf8(db.lastErrorText()).find("record TABLE in table LTYPE"),
            std::string::npos);
}

// Found by fuzzing: an ENDBLK among the entities was kept as an entity and written twice.
TEST(Repairs, StructureRecordsAmongEntitiesAreRefused) {
  for (const char* type : {"ENDBLK", "BLOCK", "TABLE"}) {
    AcDbDatabase db(false);
    EXPECT_EQ(db.readDxfText(r12Drawing(DxfText().pair(0, type).pair(8, "0").str())),
              Acad::eBadDxfFile);
    EXPECT_NE(zrbase::wideToUtf8(db.lastErrorText()).find("among entities"), std::string::npos);
  }
}

// Found by fuzzing: a table whose own record was refused leaked (LeakSanitizer checks).
TEST(Repairs, ARefusedTableRecordLeavesNothingBehind) {
  AcDbDatabase base;
  std::string text = written(base);
  size_t layerTable = text.find("TABLE\n  2\nLAYER\n");
  ASSERT_NE(layerTable, std::string::npos);
  text.insert(text.find(" 70\n", layerTable), " 10\nx\n");
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDxfText(text), Acad::eBadDxfFile);
  EXPECT_NE(zrbase::wideToUtf8(db.lastErrorText()).find("not a finite number: 'x'"),
            std::string::npos);
}

TEST(Repairs, TableRecordsWithoutANameAreRefused) {
  AcDbDatabase base;
  std::string text = written(base);
  size_t at = text.find("\n  2\n*Paper_Space\n", text.find("BLOCK_RECORD\n  5"));
  ASSERT_NE(at, std::string::npos);
  text.erase(at, std::string("\n  2\n*Paper_Space").size());
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDxfText(text), Acad::eBadDxfFile);
  EXPECT_NE(zrbase::wideToUtf8(db.lastErrorText()).find("without a name in table BLOCK_RECORD"),
            std::string::npos);
}

TEST(Erasure, AnErasedBlockGoesWithItsEntities) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"GONE");
  addToBlock(blk, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 3));
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(blk, AcDb::kForWrite);
    ASSERT_EQ(rec->erase(), Acad::eOk);
  }
  std::string text = written(db);
  EXPECT_EQ(text.find("GONE"), std::string::npos);
  EXPECT_EQ(text.find("\nCIRCLE\n"), std::string::npos);
}

}  // namespace
