// The undo record: every step undone gives back the drawing exactly as it was before it,
// every step redone the drawing as it was after it (compared as the DXF written, with a
// stopped clock), and the modified mark follows.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;
using Steps = std::vector<std::wstring>;

class UndoRecordTest : public ::testing::Test {
 protected:
  UndoRecordTest() { db.enableUndoRecording(true); }

  // The DXF of db without the handle seed: handles given out stay given out after an undo.
  std::string text() {
    return std::regex_replace(written(db), std::regex("\\$HANDSEED\n *5\n[0-9A-F]+\n"), "");
  }

  // A block with an attribute definition and a reference to it with its attribute and
  // xdata, as a fan placement leaves them; one step.
  AcDbObjectId placeFan(const ACHAR* name, const AcGePoint3d& at) {
    const AcDbObjectId block = addBlock(&db, name);
    addToBlock(block, new AcDbLine(AcGePoint3d(), AcGePoint3d(10, 0, 0)));
    auto* ref = new AcDbBlockReference(at, block);
    ref->appendAttribute(new AcDbAttribute(at, L"4-72", L"MODEL"));
    const AcDbObjectId id = addToModelSpace(&db, ref);
    db.registerApplication(L"FANDATA");
    resbuf* rb = acutBuildList(1001, L"FANDATA", 1000, L"4-72No4.5A", 0);
    EXPECT_EQ(AcDbObjectPointer<AcDbEntity>(id, AcDb::kForWrite)->setXData(rb), Acad::eOk);
    acutRelRb(rb);
    db.closeUndoStep(L"FAN");
    return id;
  }

  AcDbDatabase db;
};

TEST_F(UndoRecordTest, EachStepUndoesAndRedoesToTheExactDrawing) {
  addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(5, 5, 0)));
  db.closeUndoStep(L"LINE");
  const std::string opened = text();
  const AcDbObjectId fan = placeFan(L"F_L0", AcGePoint3d(100, 0, 0));
  const std::string placed = text();
  // Moved and turned: its attribute goes with it, and comes back with it.
  AcDbObjectPointer<AcDbBlockReference>(fan, AcDb::kForWrite)
      ->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 7, 0)) *
                    AcGeMatrix3d::rotation(1.0, AcGeVector3d::kZAxis, AcGePoint3d(3, 3, 0)));
  db.closeUndoStep(L"MOVE");
  const std::string moved = text();
  AcDbObjectPointer<AcDbBlockReference>(fan, AcDb::kForWrite)->erase();
  db.closeUndoStep(L"ERASE");
  EXPECT_NE(text(), moved);

  EXPECT_EQ(db.undo(1), Steps{L"ERASE"});
  EXPECT_EQ(text(), moved);
  EXPECT_EQ(db.undo(1), Steps{L"MOVE"});
  EXPECT_EQ(text(), placed);
  EXPECT_EQ(db.undo(1), Steps{L"FAN"});
  EXPECT_EQ(text(), opened);
  EXPECT_TRUE(blockNamed(db, L"F_L0").isNull()) << "the block definition goes with the placement";

  EXPECT_EQ(db.redo(2), (Steps{L"FAN", L"MOVE"}));
  EXPECT_EQ(text(), moved);
  AcDbObjectPointer<AcDbBlockReference> ref(fan, AcDb::kForRead);
  ASSERT_TRUE(ref) << "the placed reference is back under its own id";
  resbuf* x = ref->xData(L"FANDATA");
  ASSERT_NE(x, nullptr);
  EXPECT_STREQ(x->rbnext->resval.rstring, L"4-72No4.5A");
  acutRelRb(x);
}

TEST_F(UndoRecordTest, ErasingManyKeepsOnlyTheErasedStateYetUndoesExactly) {
  const AcDbObjectId fan = placeFan(L"F_L0", AcGePoint3d(1, 2, 0));
  const AcDbObjectId line = addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)));
  db.closeUndoStep(L"LINE");
  const std::string before = text();
  // Erased, then (unerased and) changed in the same step: both must come back.
  EXPECT_EQ(db.eraseObjects({fan, line, line, db.modelSpaceId()}), 2);
  {
    AcDbObjectPointer<AcDbLine> l(line, AcDb::kForWrite, true);
    l->erase(false);
    l->setEndPoint(AcGePoint3d(9, 9, 0));
  }
  db.closeUndoStep(L"ERASE");
  const std::string after = text();
  EXPECT_TRUE(fan.isErased());
  db.undo(1);
  EXPECT_EQ(text(), before);
  db.redo(1);
  EXPECT_EQ(text(), after);
}

// The current layer and layer states undone with the LAYER command: tests/e2e/edit_test.py.

TEST_F(UndoRecordTest, ModifiedFollowsUndoAndANewStepDropsWhatWasUndone) {
  TempDir dir;
  EXPECT_FALSE(db.isModified());
  const AcDbObjectId first = placeFan(L"A", AcGePoint3d(0, 0, 0));
  EXPECT_TRUE(db.isModified());
  ASSERT_EQ(db.saveAs(dir.wpath("a.dxf").c_str()), Acad::eOk);
  EXPECT_FALSE(db.isModified());
  EXPECT_EQ(db.undoStepCount(), 1) << "a save keeps the history";
  db.undo(1);
  EXPECT_TRUE(db.isModified());
  db.redo(1);
  EXPECT_FALSE(db.isModified());
  db.undo(1);
  EXPECT_EQ(db.redoStepCount(), 1);
  const AcDbObjectId second = placeFan(L"A", AcGePoint3d(1, 0, 0));
  EXPECT_EQ(db.redoStepCount(), 0);
  EXPECT_TRUE(db.redo(1).empty());
  EXPECT_NE(first.handle(), second.handle());
  EXPECT_TRUE(first.isErased());
  EXPECT_TRUE(second.isValid());
  EXPECT_EQ(modelSpaceCount(&db), 1);
  EXPECT_TRUE(db.isModified()) << "the saved state cannot come back";
  db.undo(5);
  EXPECT_TRUE(db.isModified()) << "the opened drawing is not the one saved last";
}

TEST_F(UndoRecordTest, RedefiningABlockFromAnotherDrawingUndoes) {
  addToBlock(addBlock(&db, L"VIEW"), new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  db.closeUndoStep(L"BLOCK");
  const std::string before = text();
  AcDbDatabase source;
  addToModelSpace(&source, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 2));
  AcDbObjectId id;
  ASSERT_EQ(db.insert(id, L"VIEW", &source), Acad::eOk);
  db.closeUndoStep(L"INSERT");
  EXPECT_NE(text(), before);
  db.undo(1);
  EXPECT_EQ(text(), before);
}

// What PURGE leaves and its undo: tests/e2e/edit_test.py; here a block used only by an unused
// one, which goes only once that one has gone.
TEST_F(UndoRecordTest, PurgeLeavesOnlyWhatNothingRefersTo) {
  const AcDbObjectId unused = addBlock(&db, L"UNUSED"), nested = addBlock(&db, L"NESTED");
  addToBlock(unused, new AcDbBlockReference(AcGePoint3d(), nested));
  AcDbObjectIdArray ids;
  for (AcDbObjectId id : {unused, nested, db.modelSpaceId()}) ids.append(id);
  db.purge(ids);
  ASSERT_EQ(ids.length(), 1);
  EXPECT_EQ(ids[0], unused) << "NESTED is used until UNUSED goes";
  AcDbObjectPointer<AcDbBlockTableRecord>(unused, AcDb::kForWrite)->erase();
  AcDbObjectIdArray again;
  again.append(nested);
  db.purge(again);
  EXPECT_EQ(again.length(), 1);
}

}  // namespace
