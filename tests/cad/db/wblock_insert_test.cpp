// wblock of a block into a new drawing, and insert of a drawing as a block.
#include <gtest/gtest.h>

#include <memory>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;

AcDbObjectId newLayer(AcDbDatabase& db, const ACHAR* name, short color) {
  AcDbLayerTable* lt = nullptr;
  db.getLayerTable(lt, AcDb::kForWrite);
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(name);
  AcCmColor c;
  c.setColorIndex(color);
  rec->setColor(c);
  AcDbObjectId id;
  lt->add(id, rec);
  rec->close();
  lt->close();
  return id;
}

// The dxf names of the live entities of a block.
std::vector<std::string> kinds(AcDbObjectId block) {
  AcDbObjectPointer<AcDbBlockTableRecord> btr(block, AcDb::kForRead);
  std::vector<std::string> out;
  for (AcDbObjectId id : btr->entityIds()) out.push_back(id.stub()->object->dxfName());
  return out;
}

TEST(Wblock, ModelSpaceOfTheNewDrawingHoldsTheBlock) {
  AcDbDatabase db;
  AcDbObjectId layer = newLayer(db, L"风机层", 3);
  AcDbObjectId inner = addBlock(&db, L"INNER");
  addToBlock(inner, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  AcDbObjectId view = addBlock(&db, L"F_L0", AcGePoint3d(5, 5, 0));
  auto* line = new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0));
  line->setLayer(layer);
  addToBlock(view, line);
  addToBlock(view, new AcDbBlockReference(AcGePoint3d(2, 2, 0), inner));
  AcDbDatabase* out = nullptr;
  ASSERT_EQ(db.wblock(out, view), Acad::eOk);
  std::unique_ptr<AcDbDatabase> owned(out);
  EXPECT_EQ(kinds(out->modelSpaceId()), (std::vector<std::string>{"LINE", "INSERT"}));
  EXPECT_EQ(out->insbase(), AcGePoint3d(5, 5, 0));
  AcDbEntity* first = cadtest::firstInModelSpace(out);
  ACHAR* name = first->layer();
  EXPECT_STREQ(name, L"风机层");
  acutDelString(name);
  AcDbObjectPointer<AcDbLayerTableRecord> copied(first->layerId(), AcDb::kForRead);
  EXPECT_EQ(copied->color().colorIndex(), 3);
  EXPECT_EQ(first->database(), out);
  first->close();
  AcDbBlockTable* bt = nullptr;
  out->getBlockTable(bt);
  AcDbObjectId innerCopy;
  EXPECT_EQ(bt->getAt(L"INNER", innerCopy), Acad::eOk);
  EXPECT_FALSE(bt->has(L"F_L0"));
  bt->close();
  EXPECT_EQ(kinds(innerCopy), std::vector<std::string>{"CIRCLE"});
  std::string text;
  EXPECT_EQ(out->writeDxfText(text), Acad::eOk);
}

TEST(Wblock, CircularBlocksAreCopiedOnce) {
  AcDbDatabase db;
  AcDbObjectId a = addBlock(&db, L"A");
  AcDbObjectId b = addBlock(&db, L"B");
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(), b));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(), a));
  addToBlock(b, new AcDbPoint());
  AcDbDatabase* out = nullptr;
  ASSERT_EQ(db.wblock(out, a), Acad::eOk);
  std::unique_ptr<AcDbDatabase> owned(out);
  AcDbBlockTable* bt = nullptr;
  out->getBlockTable(bt);
  AcDbObjectId bCopy, aCopy;
  EXPECT_EQ(bt->getAt(L"B", bCopy), Acad::eOk);
  EXPECT_EQ(bt->getAt(L"A", aCopy), Acad::eOk);
  bt->close();
  EXPECT_EQ(kinds(bCopy), (std::vector<std::string>{"INSERT", "POINT"}));
}

TEST(Wblock, OnlyBlocksOfThisDrawing) {
  AcDbDatabase db, other;
  AcDbDatabase* out = nullptr;
  EXPECT_EQ(db.wblock(out, AcDbObjectId()), Acad::eNullObjectId);
  EXPECT_EQ(db.wblock(out, other.modelSpaceId()), Acad::eInvalidInput);
  EXPECT_EQ(out, nullptr);
}

TEST(Insert, DrawingBecomesABlockWithItsBaseAsOrigin) {
  AcDbDatabase source;
  source.setInsbase(AcGePoint3d(1, 2, 0));
  newLayer(source, L"LAYER_FROM_SOURCE", 4);
  auto* attdef = new AcDbAttributeDefinition(AcGePoint3d(10, 5, 0), L"d", L"TAG", L"p");
  attdef->setLayer(L"LAYER_FROM_SOURCE");
  addToModelSpace(&source, attdef);
  addToModelSpace(&source, new AcDbLine());
  AcDbDatabase target;
  AcDbObjectId blockId;
  ASSERT_EQ(target.insert(blockId, L"SYMBOL", &source), Acad::eOk);
  AcDbObjectPointer<AcDbBlockTableRecord> btr(blockId, AcDb::kForRead);
  ASSERT_TRUE(btr);
  EXPECT_EQ(btr->name(), L"SYMBOL");
  EXPECT_EQ(btr->origin(), AcGePoint3d(1, 2, 0));
  EXPECT_TRUE(btr->hasAttributeDefinitions());
  btr->close();
  EXPECT_EQ(kinds(blockId), (std::vector<std::string>{"ATTDEF", "LINE"}));
  AcDbLayerTable* lt = nullptr;
  target.getLayerTable(lt);
  EXPECT_TRUE(lt->has(L"LAYER_FROM_SOURCE"));
  lt->close();
}

TEST(Insert, ExistingBlockIsRedefined) {
  AcDbDatabase target;
  AcDbObjectId old = addBlock(&target, L"SYMBOL");
  addToBlock(old, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  AcDbDatabase source;
  addToModelSpace(&source, new AcDbPoint());
  AcDbObjectId blockId;
  ASSERT_EQ(target.insert(blockId, L"symbol", &source), Acad::eOk);
  EXPECT_EQ(blockId, old);
  EXPECT_EQ(kinds(blockId), std::vector<std::string>{"POINT"});
  EXPECT_EQ(target.insert(blockId, ACDB_MODEL_SPACE, &source), Acad::eIllegalReplacement);
  EXPECT_EQ(target.insert(blockId, L"X", &target), Acad::eInvalidInput);
}

}  // namespace
