// CZrAcGsPreviewCtrl: what it shows, its graphics objects, the view fitted to
// the content, and the ownership of the databases it is given (a database
// freed twice or never is what the sanitizer runs of these tests catch).
#include <cmath>

#include "cadkit/preview_ctrl.h"
#include "cadkit_fixture.h"

namespace {

// A database whose model space holds a line from (0, 0) to (100, 50).
AcDbDatabase* LineDrawing() {
  auto* db = new AcDbDatabase(true, true);
  apptest::addLine(db, {0, 0, 0}, {100, 50, 0});
  return db;
}

}  // namespace

TEST(PreviewCtrl, ShowsTheModelSpaceItWasGivenUntilErasedAndFreesEachDatabaseOnce) {
  CZrAcGsPreviewCtrl ctrl;
  EXPECT_FALSE(ctrl.previewShown());
  EXPECT_EQ(ctrl.previewDatabase(), nullptr);

  AcDbDatabase* db = LineDrawing();
  apptest::addCircle(db, {0, 0, 0}, 5);
  EXPECT_TRUE(ctrl.init(db, true, true));
  EXPECT_TRUE(ctrl.previewShown());
  EXPECT_EQ(ctrl.previewDatabase(), db);
  EXPECT_EQ(ctrl.previewEntityCount(), 2);
  ASSERT_TRUE(ctrl.view() && ctrl.device() && ctrl.model());

  ctrl.erasePreview();
  EXPECT_FALSE(ctrl.previewShown());
  EXPECT_EQ(ctrl.previewEntityCount(), 0);
  EXPECT_EQ(ctrl.previewDatabase(), nullptr);
  EXPECT_EQ(ctrl.view(), nullptr) << "the graphics objects go with what they showed";
  EXPECT_EQ(ctrl.database(), db) << "the database stays held, to be freed once";

  EXPECT_TRUE(ctrl.init(db, true, true)) << "shown again from the same database";
  EXPECT_EQ(ctrl.previewEntityCount(), 2);

  // Each init frees the database it replaces, and the control frees the last.
  ctrl.init(LineDrawing(), true, true);
  AcDbDatabase* last = LineDrawing();
  ctrl.init(last, false, true);
  EXPECT_EQ(ctrl.database(), last);
  EXPECT_FALSE(ctrl.init(nullptr, true, true)) << "none: the last one is freed, nothing shown";
  EXPECT_EQ(ctrl.database(), nullptr);
  ctrl.init(LineDrawing(), true, true);
}

TEST(PreviewCtrl, TheViewFitsTheContentWithTheFrameMarginInTheDevicesProportions) {
  CZrAcGsPreviewCtrl ctrl;
  ctrl.SetCtrlStyle(17);
  ctrl.init(LineDrawing(), true, true);
  AcGsView* view = ctrl.view();
  EXPECT_DOUBLE_EQ(view->fieldWidth(), 100);
  EXPECT_DOUBLE_EQ(view->fieldHeight(), 50);
  EXPECT_TRUE(view->target().isEqualTo(AcGePoint3d(50, 25, 0)));

  ctrl.device()->onSize(200, 100);
  view->setFrameMargin(8);
  const winplat::PreviewView shown = ctrl.previewView();
  // 184 x 84 pixels are free for 100 x 50 units: 1.68 pixels a unit, fitted by height.
  EXPECT_DOUBLE_EQ(shown.centerX, 50);
  EXPECT_DOUBLE_EQ(shown.centerY, 25);
  EXPECT_NEAR(shown.width, 200 / 1.68, 1e-9);
  EXPECT_NEAR(shown.height, 100 / 1.68, 1e-9);

  // Without the fit style a new view keeps the field of the previous one.
  ctrl.SetCtrlStyle(16);
  ctrl.init(LineDrawing(), false, true);
  EXPECT_DOUBLE_EQ(ctrl.view()->fieldWidth(), 100);
  EXPECT_EQ(ctrl.view()->frameMargin(), 0) << "settings are made anew for each database";

  // An empty drawing or a point still gets a field.
  ctrl.SetCtrlStyle(CZrAcGsPreviewCtrl::kStyleFitContent);
  ctrl.init(new AcDbDatabase(true, true), true, true);
  EXPECT_EQ(ctrl.previewEntityCount(), 0);
  winplat::PreviewView v = ctrl.previewView();
  EXPECT_TRUE(v.width > 0 && v.height > 0);
  auto* point = new AcDbDatabase(true, true);
  apptest::addLine(point, {3, 4, 0}, {3, 4, 0});
  ctrl.init(point, true, true);
  ctrl.device()->onSize(100, 100);
  v = ctrl.previewView();
  EXPECT_TRUE(std::isfinite(v.width) && v.width > 0);
  EXPECT_DOUBLE_EQ(v.centerX, 3);
}
