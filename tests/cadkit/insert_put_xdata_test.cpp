// InsertDwgToCurrDwgBlockTableRecord (a drawing file in as a block of the
// current drawing), PutEntityToDatabase and SetXdata.
#include "cadkit/block_helpers.h"
#include "cadkit/xdata.h"
#include "cadkit_fixture.h"

using namespace cadkittest;

namespace {

// A drawing file whose model space holds two lines and a reference to BOLT,
// with its insertion base at (5, 5).
std::string WriteSymbol(const testsupport::TempDir& dir) {
  std::unique_ptr<AcDbDatabase> db(testsupport::buildViewDrawing({{L"BOLT", 3}}));
  db->setInsbase(AcGePoint3d(5, 5, 0));
  apptest::addLine(db.get(), {0, 0, 0}, {10, 0, 0});
  apptest::addLine(db.get(), {10, 0, 0}, {10, 10, 0});
  addReference(db->modelSpaceId(), blockId(db.get(), L"BOLT"));
  const std::string path = dir.file("symbol.dwg");
  EXPECT_EQ(db->saveAs(CString::FromUtf8(path)), Acad::eOk);
  return path;
}

int Insert(const std::wstring& name, const std::string& file, AcDbObjectId& id) {
  Name n(name);
  Name f(CString::FromUtf8(file).str());
  return InsertDwgToCurrDwgBlockTableRecord(n.get(), f.get(), id);
}

}  // namespace

// A new block with the drawing's nested blocks and its base as origin, then one of that name
// redefined in place; nothing for a file that is no drawing. (Names refused:
// tests/cad/db/insert_blocks_test.cpp; missing files: tests/drawings/insert_block_test.cpp.)
TEST(InsertDwgToCurrDwgBlockTableRecord, DefinesTheBlockFromTheFileAndFailsForBadFiles) {
  testsupport::TempDir dir;
  const std::string file = WriteSymbol(dir);
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId old = apptest::addBlock(db, L"SYMBOL");
  AcDbObjectId id;
  ASSERT_EQ(Insert(L"NEW", file, id), 1);
  EXPECT_EQ(id, blockId(db, L"NEW"));
  EXPECT_EQ(entityCount(id), 3);
  EXPECT_FALSE(blockId(db, L"BOLT").isNull()) << "nested blocks come along";
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(id, AcDb::kForRead);
    EXPECT_TRUE(rec->origin().isEqualTo(AcGePoint3d(5, 5, 0))) << "the drawing's insertion base";
  }
  ASSERT_EQ(Insert(L"symbol", file, id), 1);
  EXPECT_EQ(id, old);
  EXPECT_EQ(entityCount(old), 3);

  testsupport::writeBytes(dir.file("garbage.dwg"), "AC1015\x01\x02\x03 not a drawing");
  testsupport::writeBytes(dir.file("empty.dwg"), "");
  for (const char* bad : {"garbage.dwg", "empty.dwg"}) {
    id = AcDbObjectId();
    EXPECT_EQ(Insert(L"A", dir.file(bad), id), 0) << bad;
    EXPECT_TRUE(id.isNull()) << bad;
  }
  EXPECT_EQ(Insert(L"BOLT", file, id), 0) << "the drawing refers to a block of that name";
  EXPECT_TRUE(blockId(db, L"A").isNull());
}

// Appending to model space and leaving the entity open: InsertBlock in
// tests/drawings/insert_block_test.cpp. Refused: an entity already in a database, none.
TEST(PutEntityToDatabase, RefusesAnEntityAlreadyInADatabaseAndNone) {
  AcDbDatabase* db = apptest::newCurrentDrawing();
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, apptest::addLine(db, {0, 0, 0}, {1, 0, 0}), AcDb::kForWrite),
            Acad::eOk);
  EXPECT_TRUE(PutEntityToDatabase(line).isNull());
  line->close();
  EXPECT_TRUE(PutEntityToDatabase(nullptr).isNull());
  EXPECT_EQ(entityCount(db->modelSpaceId()), 1);
}

TEST(SetXdata, StoresEachNameAsItsOwnApplicationWithOneStringAndRefusesWhatCannotBeHeld) {
  testsupport::TempDir dir;
  AcDbDatabase* db = apptest::newCurrentDrawing();
  const AcDbObjectId line = apptest::addLine(db, {0, 0, 0}, {1, 0, 0});
  EXPECT_EQ(SetXdata(line, L"Model", L"4-72No4.5A_2900"), 1);
  EXPECT_EQ(SetXdata(line, L"NAME", L"离心式风机"), 1);
  EXPECT_EQ(SetXdata(line, L"PLAN", L"1"), 1);
  EXPECT_EQ(SetXdata(line, L"PLAN", L"2"), 1) << "replaces the value";
  EXPECT_EQ(SetXdata(line, L"LabelModel", L""), 1);
  EXPECT_EQ(apptest::xdataStrings(line, L"PLAN"), std::vector<std::wstring>{L"2"});

  EXPECT_EQ(apptest::xdataStrings(line, L"LabelModel"), std::vector<std::wstring>{L""});
  // The checker requires every application of the extended data to be registered.
  saveAndCheck(db, dir.file("xdata.dxf"));

  // Refused, changing nothing: a value over 255 bytes, no name, no object, an object open
  // for write elsewhere.
  EXPECT_EQ(SetXdata(line, L"Model", std::wstring(300, L'x').c_str()), 0);
  EXPECT_EQ(apptest::xdataStrings(line, L"Model"), std::vector<std::wstring>{L"4-72No4.5A_2900"});
  EXPECT_EQ(SetXdata(line, L"", L"v"), 0);
  EXPECT_EQ(SetXdata(AcDbObjectId(), L"Model", L"v"), 0);
  AcDbObjectPointer<AcDbLine> open(line, AcDb::kForWrite);
  EXPECT_EQ(SetXdata(line, L"Model", L"v"), 0);
}
