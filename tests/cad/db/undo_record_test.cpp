// The undo record: every step undone gives back the drawing exactly as it was before it,
// every step redone the drawing as it was after it (compared as the DXF written, with a
// stopped clock), and the modified mark follows.
#include <gtest/gtest.h>

#include <string>

#include "cad/acdb.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;

// The DXF of db without the handle seed: handles given out stay given out after an undo.
std::string drawingText(AcDbDatabase& db) {
  std::string text;
  EXPECT_EQ(db.writeDxfText(text), Acad::eOk);
  const size_t seed = text.find("$HANDSEED");
  if (seed != std::string::npos) {
    const size_t valueEnd = text.find('\n', text.find('\n', text.find('\n', seed) + 1) + 1);
    text.erase(seed, valueEnd - seed);
  }
  return text;
}

class UndoRecordTest : public ::testing::Test {
 protected:
  UndoRecordTest() : clock([] { return zrcad::dxf::TimePoint(std::chrono::seconds(1700000000)); }) {
    db.enableUndoRecording(true);
  }

  void setXdata(AcDbObjectId id, const ACHAR* app, const ACHAR* value) {
    db.registerApplication(app);
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForWrite);
    resbuf* rb = acutBuildList(1001, app, 1000, value, 0);
    ASSERT_EQ(ent->setXData(rb), Acad::eOk);
    acutRelRb(rb);
  }

  // A block with an attribute definition and a reference to it with its attribute and
  // xdata, as a fan placement leaves them; one step.
  AcDbObjectId placeFan(const ACHAR* name, const AcGePoint3d& at) {
    AcDbObjectId block = addBlock(&db, name);
    addToBlock(block, new AcDbLine(AcGePoint3d(), AcGePoint3d(10, 0, 0)));
    auto* ref = new AcDbBlockReference(at, block);
    ref->appendAttribute(new AcDbAttribute(at, L"4-72", L"MODEL"));
    AcDbObjectId id = addToModelSpace(&db, ref);
    setXdata(id, L"FANDATA", L"4-72No4.5A");
    db.closeUndoStep(L"FAN");
    return id;
  }

  zrcad::dxf::ScopedDrawingClock clock;
  AcDbDatabase db;
};

TEST_F(UndoRecordTest, EachStepUndoesAndRedoesToTheExactDrawing) {
  addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(5, 5, 0)));
  db.closeUndoStep(L"LINE");
  const std::string opened = drawingText(db);
  const AcDbObjectId fan = placeFan(L"F_L0", AcGePoint3d(100, 0, 0));
  const std::string placed = drawingText(db);
  {
    AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForWrite);
    ref->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 7, 0)));
  }
  db.closeUndoStep(L"MOVE");
  const std::string moved = drawingText(db);
  {
    AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForWrite);
    ref->erase();
  }
  db.closeUndoStep(L"ERASE");
  EXPECT_NE(drawingText(db), moved);

  EXPECT_EQ(db.undo(1), std::vector<std::wstring>{L"ERASE"});
  EXPECT_EQ(drawingText(db), moved);
  EXPECT_EQ(db.undo(1), std::vector<std::wstring>{L"MOVE"});
  EXPECT_EQ(drawingText(db), placed);
  EXPECT_EQ(db.undo(1), std::vector<std::wstring>{L"FAN"});
  EXPECT_EQ(drawingText(db), opened);
  AcDbBlockTable* table = nullptr;
  db.getBlockTable(table, AcDb::kForRead);
  EXPECT_FALSE(table->has(L"F_L0")) << "the block definition goes with the placement";
  table->close();

  EXPECT_EQ(db.redo(2), (std::vector<std::wstring>{L"FAN", L"MOVE"}));
  EXPECT_EQ(drawingText(db), moved);
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  ASSERT_TRUE(ref) << "the placed reference is back under its own id";
  EXPECT_EQ(ref->position(), AcGePoint3d(105, 7, 0));
  resbuf* x = ref->xData(L"FANDATA");
  ASSERT_NE(x, nullptr);
  EXPECT_STREQ(x->rbnext->resval.rstring, L"4-72No4.5A");
  acutRelRb(x);
}

TEST_F(UndoRecordTest, ErasingManyKeepsOnlyTheErasedStateYetUndoesExactly) {
  const AcDbObjectId fan = placeFan(L"F_L0", AcGePoint3d(1, 2, 0));
  const AcDbObjectId line = addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)));
  db.closeUndoStep(L"LINE");
  const std::string before = drawingText(db);
  // Erased, then (unerased and) changed in the same step: both must come back.
  EXPECT_EQ(db.eraseObjects({fan, line, line, db.modelSpaceId()}), 2);
  {
    AcDbObjectPointer<AcDbLine> l(line, AcDb::kForWrite, true);
    l->erase(false);
    l->setEndPoint(AcGePoint3d(9, 9, 0));
  }
  db.closeUndoStep(L"ERASE");
  const std::string after = drawingText(db);
  EXPECT_TRUE(fan.isErased());
  db.undo(1);
  EXPECT_EQ(drawingText(db), before);
  db.redo(1);
  EXPECT_EQ(drawingText(db), after);
}

TEST_F(UndoRecordTest, AttributesMoveBackWithTheirReference) {
  const AcDbObjectId fan = placeFan(L"F_L0", AcGePoint3d(0, 0, 0));
  {
    AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForWrite);
    ref->transformBy(AcGeMatrix3d::rotation(1.0, AcGeVector3d::kZAxis, AcGePoint3d(3, 3, 0)));
  }
  db.closeUndoStep(L"ROTATE");
  db.undo(1);
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  AcDbObjectPointer<AcDbAttribute> attr(ref->attributeIds().at(0), AcDb::kForRead);
  EXPECT_EQ(attr->position(), AcGePoint3d(0, 0, 0));
  EXPECT_DOUBLE_EQ(ref->rotation(), 0.0);
}

TEST_F(UndoRecordTest, ANewStepDropsWhatWasUndoneAndKeepsHandlesUnique) {
  const AcDbObjectId first = placeFan(L"A", AcGePoint3d(0, 0, 0));
  db.undo(1);
  EXPECT_EQ(db.redoStepCount(), 1);
  const AcDbObjectId second = placeFan(L"A", AcGePoint3d(1, 0, 0));
  EXPECT_EQ(db.redoStepCount(), 0);
  EXPECT_TRUE(db.redo(1).empty());
  EXPECT_NE(first.handle(), second.handle());
  EXPECT_TRUE(first.isErased());
  EXPECT_TRUE(second.isValid());
  EXPECT_EQ(cadtest::modelSpaceCount(&db), 1);
}

TEST_F(UndoRecordTest, CurrentLayerAndLayerStatesComeBack) {
  AcDbLayerTable* layers = nullptr;
  db.getLayerTable(layers, AcDb::kForWrite);
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(L"FANS");
  AcDbObjectId fans;
  layers->add(fans, rec);
  rec->close();
  layers->close();
  db.setClayer(fans);
  db.closeUndoStep(L"LAYER");
  {
    AcDbObjectPointer<AcDbLayerTableRecord> layer(fans, AcDb::kForWrite);
    layer->setIsOff(true);
  }
  db.closeUndoStep(L"LAYER");
  db.undo(1);
  EXPECT_FALSE(AcDbObjectPointer<AcDbLayerTableRecord>(fans, AcDb::kForRead)->isOff());
  db.undo(1);
  EXPECT_NE(db.clayer(), fans);
  db.getLayerTable(layers, AcDb::kForRead);
  EXPECT_FALSE(layers->has(L"FANS"));
  layers->close();
  db.redo(2);
  EXPECT_EQ(db.clayer(), fans);
  EXPECT_TRUE(AcDbObjectPointer<AcDbLayerTableRecord>(fans, AcDb::kForRead)->isOff());
}

TEST_F(UndoRecordTest, ModifiedFollowsUndoAndSaveKeepsTheHistory) {
  cadtest::TempDir dir;
  EXPECT_FALSE(db.isModified());
  placeFan(L"A", AcGePoint3d(0, 0, 0));
  EXPECT_TRUE(db.isModified());
  ASSERT_EQ(db.saveAs(dir.wpath("a.dxf").c_str()), Acad::eOk);
  EXPECT_FALSE(db.isModified());
  EXPECT_EQ(db.undoStepCount(), 1);
  db.undo(1);
  EXPECT_TRUE(db.isModified());
  db.redo(1);
  EXPECT_FALSE(db.isModified());
  db.undo(1);
  placeFan(L"B", AcGePoint3d(0, 0, 0));
  EXPECT_TRUE(db.isModified()) << "the saved state cannot come back";
  db.undo(5);
  EXPECT_TRUE(db.isModified()) << "the opened drawing is not the one saved last";
}

TEST_F(UndoRecordTest, RedefiningABlockFromAnotherDrawingUndoes) {
  const AcDbObjectId block = addBlock(&db, L"VIEW");
  addToBlock(block, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  db.closeUndoStep(L"BLOCK");
  const std::string before = drawingText(db);
  AcDbDatabase source;
  addToModelSpace(&source, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 2));
  AcDbObjectId id;
  ASSERT_EQ(db.insert(id, L"VIEW", &source), Acad::eOk);
  db.closeUndoStep(L"INSERT");
  EXPECT_NE(drawingText(db), before);
  db.undo(1);
  EXPECT_EQ(drawingText(db), before);
}

TEST_F(UndoRecordTest, PurgeLeavesOnlyWhatNothingRefersTo) {
  const AcDbObjectId used = addBlock(&db, L"USED");
  const AcDbObjectId unused = addBlock(&db, L"UNUSED");
  const AcDbObjectId nested = addBlock(&db, L"NESTED");
  addToBlock(unused, new AcDbBlockReference(AcGePoint3d(), nested));
  addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), used));
  AcDbObjectIdArray ids;
  ids.append(used);
  ids.append(unused);
  ids.append(nested);
  ids.append(db.modelSpaceId());
  db.purge(ids);
  ASSERT_EQ(ids.length(), 1);
  EXPECT_EQ(ids[0], unused) << "NESTED is used until UNUSED goes";
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(unused, AcDb::kForWrite);
    rec->erase();
  }
  AcDbObjectIdArray again;
  again.append(nested);
  db.purge(again);
  EXPECT_EQ(again.length(), 1);
}

}  // namespace
