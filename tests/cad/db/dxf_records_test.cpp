// Records with followers (POLYLINE, SPLINE), parts of files kept as read, and damaged
// structures that are repaired or refused.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

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
  EXPECT_EQ(count(text, "\nVERTEX\n"), 6u);
  EXPECT_EQ(count(text, "\nSEQEND\n"), 2u);
  EXPECT_NE(text.find("AcDb2dVertex"), std::string::npos);
  auto back = readBack(text);
  AcDbObjectPointer<AcDbBlockTableRecord> ms(back->modelSpaceId(), AcDb::kForRead);
  const std::vector<AcDbObjectId> ids = ms->entityIds();
  ms->close();
  ASSERT_EQ(ids.size(), 2u);
  AcDbObjectPointer<AcDb2dPolyline> pl(ids[0], AcDb::kForRead);
  ASSERT_TRUE(pl);
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
  pl->close();
  AcDbObjectPointer<AcDb3dPolyline> pl3(ids[1], AcDb::kForRead);
  ASSERT_TRUE(pl3) << "three-dimensional polylines are their own kind";
  pl3->getGeomExtents(e);
  EXPECT_EQ(e.maxPoint(), AcGePoint3d(2, 2, 3));
  pl3->close();
  EXPECT_EQ(written(*back), text);  // handles of vertices and SEQEND are kept as read
}

TEST(SplineRecords, RepeatedGroupsKeepTheirOrder) {
  DxfText t;
  t.pairs({0, "SPLINE", 8, "0", 70, 8, 71, 3, 72, 8, 73, 4, 74, 0});
  for (int k : {0, 0, 0, 0, 1, 1, 1, 1}) t.pair(40, std::to_string(k));
  for (int i = 0; i < 4; ++i) t.pairs({10, i, 20, i * i, 30, 0});
  auto db = readBack(r12Drawing(t.str()));
  auto* sp = AcDbSpline::cast(firstInModelSpace(db.get()));
  ASSERT_NE(sp, nullptr);
  ASSERT_EQ(sp->numControlPoints(), 4);
  AcGePoint3d p;
  sp->getControlPointAt(3, p);
  EXPECT_EQ(p, AcGePoint3d(3, 9, 0));
  AcDbExtents e;
  sp->getGeomExtents(e);
  EXPECT_EQ(e.maxPoint(), AcGePoint3d(3, 9, 0));
  sp->close();
  EXPECT_NE(written(*db).find(" 72\n8\n 73\n4\n 74\n0\n 40\n0.0\n"), std::string::npos);
}

TEST(KeptParts, ClassesObjectsUnknownSectionsAndPaperSpaceComeBackAsTheyWere) {
  AcDbDatabase db;
  const AcDbObjectId point = addToBlock(db.paperSpaceId(), new AcDbPoint(AcGePoint3d(1, 1, 0)));
  ASSERT_FALSE(point.isNull());
  const std::string first = written(db);
  ACHAR handle[17];
  point.handle().getIntoAsciiBuffer(handle);
  const size_t at = first.find("POINT\n  5\n" + zrbase::wideToUtf8(handle) + "\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(first.find(" 67\n1\n", at), std::string::npos);
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
  AcDbObjectPointer<AcDbBlockTableRecord> ps(back->paperSpaceId(), AcDb::kForRead);
  EXPECT_EQ(ps->entityIds().size(), 1u);
}

TEST(Repairs, DuplicateHandlesAreRenumberedAndMissingBlocksDefined) {
  auto db =
      readBack(withEntities(dxf({0, "POINT", 5, "ABC", 8, "0", 10, 1, 20, 1}) +
                            dxf({0, "INSERT", 5, "ABC", 8, "0", 2, "NOWHERE", 10, 0, 20, 0})));
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db->modelSpaceId(), AcDb::kForRead);
  const std::vector<AcDbObjectId> ids = ms->entityIds();
  ms->close();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].handle().value(), 0xABCu);
  EXPECT_NE(ids[1].handle().value(), 0xABCu);
  EXPECT_FALSE(blockNamed(*db, L"NOWHERE").isNull());
}

TEST(Repairs, FilesWithoutBlockRecordsAreReadOntoTheDefaultDrawing) {
  auto db = readBack(DxfText()
                         .header("AC1015")
                         .section("ENTITIES")
                         .pairs({0, "LINE", 8, "WALLS", 10, 0, 20, 0, 11, 1, 21, 1})
                         .endSection()
                         .eof()
                         .str());
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
      {DxfText()
           .header("AC1009")
           .section("TABLES")
           .pairs({0, "TABLE", 2, "LTYPE", 0, "TABLE", 2, "LAYER", 0, "LAYER", 2, "X", 0, "ENDTAB"})
           .endSection()
           .eof()
           .str(),
       "record TABLE in table LTYPE"},
      {r12Drawing(dxf({0, "ENDBLK", 8, "0"})), "among entities"},
      {r12Drawing(dxf({0, "BLOCK", 8, "0"})), "among entities"},
      {r12Drawing(dxf({0, "TABLE", 8, "0"})), "among entities"},
      {badLayerTable, "not a finite number: 'x'"},
      {nameless, "without a name in table BLOCK_RECORD"},
  };
  for (const auto& [text, reason] : cases) {
    AcDbDatabase db(false);
    EXPECT_EQ(db.readDxfText(text), Acad::eBadDxfFile) << reason;
    EXPECT_NE(errorText(db).find(reason), std::string::npos) << errorText(db);
  }
}

TEST(Erasure, AnErasedBlockGoesWithItsEntities) {
  AcDbDatabase db;
  const AcDbObjectId blk = addBlock(&db, L"GONE");
  addToBlock(blk, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 3));
  ASSERT_EQ(AcDbObjectPointer<AcDbBlockTableRecord>(blk, AcDb::kForWrite)->erase(), Acad::eOk);
  const std::string text = written(db);
  EXPECT_EQ(text.find("GONE"), std::string::npos);
  EXPECT_EQ(text.find("\nCIRCLE\n"), std::string::npos);
}

}  // namespace
