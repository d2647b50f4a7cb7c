// The sequence of database calls that placing a fan makes, end to end on real files: view
// drawing -> preview copy -> placed block -> saved drawing.
#include <gtest/gtest.h>

#include <numbers>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

TEST(DrawingFlows, ViewBlockIsPreviewedCopiedPlacedAndSaved) {
  TempDir dir;
  {  // A view drawing as the drawing library holds it: blocks named by view, hand and angle.
    AcDbDatabase db;
    for (const ACHAR* name : {L"F_L0", L"F_L90", L"S_R45"}) {
      const AcDbObjectId blk = addBlock(&db, name, AcGePoint3d(5, 5, 0));
      addToBlock(blk, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0)));
      addToBlock(blk, new AcDbArc(AcGePoint3d(5, 5, 0), 5, 0, 3.14159));
    }
    ASSERT_EQ(db.saveAs(dir.wpath("4-72No4.5A.dwg").c_str()), Acad::eOk);
  }
  auto view = std::make_unique<AcDbDatabase>(false, true);
  ASSERT_EQ(view->readDwgFile(dir.wpath("4-72No4.5A.dwg").c_str(), _SH_DENYNO), Acad::eOk);
  const AcDbObjectId block = blockNamed(*view, L"f_l0");
  ASSERT_FALSE(block.isNull());
  AcDbDatabase* preview = nullptr;
  ASSERT_EQ(view->wblock(preview, block), Acad::eOk);
  EXPECT_EQ(modelSpaceCount(preview), 2);
  EXPECT_EQ(preview->insbase(), AcGePoint3d(5, 5, 0));
  delete preview;

  AcDbDatabase current;
  acdbHostApplicationServices()->setWorkingDatabase(&current);
  AcDbDatabase* piece = nullptr;
  ASSERT_EQ(view->wblock(piece, block), Acad::eOk);
  AcDbObjectId placed;
  ASSERT_EQ(current.insert(placed, L"4-72No4.5AF_L0", piece), Acad::eOk);
  delete piece;
  view.reset();
  auto* ref = new AcDbBlockReference(AcGePoint3d(100, 50, 0), placed);
  ref->setRotation(std::numbers::pi / 2);
  AcDbObjectPointer<AcDbBlockReference> opened(addToModelSpace(&current, ref), AcDb::kForWrite);
  current.registerApplication(L"Model");
  resbuf* rb = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 0);
  EXPECT_EQ(opened->setXData(rb), Acad::eOk);
  acutRelRb(rb);
  AcDbExtents e;
  ASSERT_EQ(opened->getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.minPoint().x, 95, 1e-9);  // the block's base (5,5) lands on the insertion point
  EXPECT_NEAR(e.maxPoint().y, 55, 1e-9);
  opened->close();
  ASSERT_EQ(current.saveAs(dir.wpath("plan.dxf").c_str()), Acad::eOk);
  expectClean(dir.path("plan.dxf"));
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
