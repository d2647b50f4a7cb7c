// Entity behaviour that the module relies on: text alignment, attribute iteration, block
// iterators, copies.
#include <gtest/gtest.h>

#include <numbers>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;

TEST(TextAlignment, AdjustMovesThePositionToTheAlignmentPoint) {
  AcDbAttribute attr(AcGePoint3d(), L"ABCD", L"T");
  attr.setHeight(2);
  attr.setHorizontalMode(kTextRight);
  attr.setAlignmentPoint(AcGePoint3d(10, 0, 0));
  ASSERT_EQ(attr.adjustAlignment(nullptr), Acad::eOk);
  EXPECT_TRUE(attr.position().isEqualTo(AcGePoint3d(2, 0, 0)));
  attr.setHorizontalMode(kTextMid);
  attr.adjustAlignment();
  EXPECT_TRUE(attr.position().isEqualTo(AcGePoint3d(6, -1, 0)));
  AcDbText left(AcGePoint3d(3, 3, 0), L"X");
  left.adjustAlignment();
  EXPECT_EQ(left.position(), AcGePoint3d(3, 3, 0));  // default alignment: nothing to adjust
}

TEST(AttributeDefinitions, TagPromptAndDefaultAreSeparate) {
  AcDbAttributeDefinition def(AcGePoint3d(10, 5, 0), L"默认", L"TAG", L"型号");
  ACHAR* tag = def.tag();
  ACHAR* prompt = def.prompt();
  ACHAR* text = def.textString();
  EXPECT_STREQ(tag, L"TAG");
  EXPECT_STREQ(prompt, L"型号");
  EXPECT_STREQ(text, L"默认");
  acutDelString(tag);
  acutDelString(prompt);
  acutDelString(text);
  EXPECT_EQ(def.setTag(L""), Acad::eInvalidInput);
}

TEST(Iterators, BlockEntitiesBackwardsAndAppendedWhileWalking) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"B");
  AcDbObjectId first = addToBlock(blk, new AcDbPoint(AcGePoint3d(1, 0, 0)));
  AcDbObjectId second = addToBlock(blk, new AcDbPoint(AcGePoint3d(2, 0, 0)));
  AcDbBlockTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, blk, AcDb::kForWrite), Acad::eOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  rec->newIterator(it, false);
  AcDbObjectId id;
  it->getEntityId(id);
  EXPECT_EQ(id, second);
  it->step(false);
  it->getEntityId(id);
  EXPECT_EQ(id, first);
  it->step(false);
  EXPECT_TRUE(it->done());
  it->start();
  int seen = 0;
  for (; !it->done(); it->step()) {
    if (seen++ == 0) {
      auto* late = new AcDbPoint(AcGePoint3d(3, 0, 0));
      rec->appendAcDbEntity(late);
      late->close();
    }
  }
  EXPECT_EQ(seen, 3);
  delete it;
  rec->close();
}

TEST(Iterators, SymbolTableSeekAndRecordIds) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"B");
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt);
  AcDbBlockTableIterator* it = nullptr;
  bt->newIterator(it);
  ASSERT_EQ(it->seek(blk), Acad::eOk);
  AcDbObjectId id;
  it->getRecordId(id);
  EXPECT_EQ(id, blk);
  EXPECT_EQ(it->seek(AcDbObjectId()), Acad::eKeyNotFound);
  delete it;
  bt->close();
}

TEST(Copies, CloneBelongsToNoDatabaseAndKeepsItsData) {
  AcDbDatabase db;
  auto* line = new AcDbLine(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6));
  line->setColorIndex(4);
  AcDbObjectId id = addToModelSpace(&db, line);
  AcDbObjectPointer<AcDbLine> opened(id, AcDb::kForWrite);
  resbuf* rb = acutBuildList(1001, L"APP", 1000, L"v", 0);
  opened->setXData(rb);
  acutRelRb(rb);
  std::unique_ptr<AcDbLine> copy(static_cast<AcDbLine*>(opened->clone()));
  EXPECT_EQ(copy->database(), nullptr);
  EXPECT_TRUE(copy->objectId().isNull());
  EXPECT_EQ(copy->endPoint(), AcGePoint3d(4, 5, 6));
  EXPECT_EQ(copy->colorIndex(), 4);
  resbuf* x = copy->xData(L"APP");
  ASSERT_NE(x, nullptr);
  EXPECT_STREQ(x->rbnext->resval.rstring, L"v");
  acutRelRb(x);
}

TEST(Extents, EllipsesAndMultilineText) {
  AcDbEllipse quarter(AcGePoint3d(), AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 0.5, 0,
                      std::numbers::pi / 2);
  AcDbExtents e;
  ASSERT_EQ(quarter.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.maxPoint().x, 2, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 1, 1e-9);
  EXPECT_NEAR(e.minPoint().x, 0, 1e-9);
  AcDbMText mtext;
  mtext.setContents(L"AB\\PCD");
  mtext.setTextHeight(2);
  mtext.setLocation(AcGePoint3d(10, 10, 0));
  mtext.setAttachment(AcDbMText::kBottomRight);
  ASSERT_EQ(mtext.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.minPoint().x, 6, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 14, 1e-9);
}

}  // namespace
