// The preview of the fan dialog on view drawings of the test's own: the block
// shown with its base-point cross, the angle list of the hand, the view, hand
// and angle handlers, the cross's size, and view drawings that are missing,
// damaged or hold a block that contains itself.
#include <unistd.h>

#include <cmath>

#include "drawings/preview_settings.h"
#include "drawings_harness.h"
#include "res/resource.h"

using drawingstest::ChooseModel;
using drawingstest::ComboItems;
using drawingstest::Dlg;
using drawingstest::DrawingsHarness;
using testsupport::ViewBlock;

namespace {

// The left hand offers 0, 45, 90 and 135 (F_L0 with six lines, the others
// four; S_L0 five); the right hand 0 (side view only), 45 and 180 (top only).
std::vector<ViewBlock> TypicalBlocks() {
  return {{L"F_L0", 6}, {L"F_L45", 4}, {L"F_L90", 4}, {L"F_L135", 4},
          {L"S_L0", 5}, {L"F_R45", 4}, {L"S_R0", 4},  {L"B_R180", 4}};
}

constexpr int kCross = 4;  // the base-point cross: four lines

}  // namespace

// One dialog through the preview's ways: the view block with its cross on black, the hand's
// angles; view, hand and angle handlers reloading on every keystroke; a view drawing
// holding a block that contains itself refused when read like a damaged one (nothing of
// it shown, no angles); a drawing changed or deleted while the dialog is up read again.
TEST(Preview, ShowsTheViewBlockTheViewHandAndAngleNameAndFollowsTheDrawing) {
  DrawingsHarness h;
  const std::string view = h.viewDrawing("4-72No4.5A");
  ASSERT_TRUE(testsupport::writeViewDrawing(view, TypicalBlocks()));
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No5A"),
                                            {{L"F_L0", 4, 10, {}, false, L"F_L0"}, {L"S_L0", 5}}));
  h.run([&](CFanDlg& dlg) {
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "the first series has no view drawing";
    ChooseModel(dlg, "4-72", "5", "A", "2900");
    EXPECT_FALSE(dlg.m_Preview.previewShown());
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 0);
    EXPECT_TRUE(ComboItems(dlg.m_cbAngle).empty()) << "no angles from a refused drawing";
    ChooseModel(dlg);
    ASSERT_TRUE(dlg.m_Preview.previewShown());
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 6 + kCross);
    EXPECT_EQ(dlg.m_Preview.database(), dlg.m_pPreviewDb);
    EXPECT_EQ(dlg.m_Preview.GetCtrlStyle(), 17u);
    EXPECT_EQ(dlg.m_Preview.previewBackground(), RGB(0, 0, 0));
    EXPECT_EQ(dlg.m_Preview.view()->frameMargin(), kPreviewFrameMargin);
    EXPECT_EQ(dlg.m_Preview.model()->renderModeOverride(), AcGsView::kFlatShaded);
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"0", L"135", L"45", L"90"}))
        << "the hand's angles of all views, sorted as text";
    EXPECT_EQ(dlg.m_cbAngle.GetCurSel(), 0);

    Dlg(dlg, "dlg click 1027");
    EXPECT_EQ(dlg.m_nView, 1);
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 5 + kCross) << "S_L0";
    Dlg(dlg, "dlg click 1028");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "no B_L0";
    Dlg(dlg, "dlg click 1026");
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 6 + kCross) << "F_L0 again";
    Dlg(dlg, "dlg select 1018 右");
    EXPECT_EQ(dlg.m_strHand, L"右");
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"0", L"180", L"45"}));
    EXPECT_EQ(dlg.m_strAngle, L"0");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "no F_R0";
    Dlg(dlg, "dlg select 1017 45");
    EXPECT_EQ(dlg.m_strAngle, L"45");
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 4 + kCross) << "F_R45";
    for (const auto& [angle, shown] : std::vector<std::pair<std::string, bool>>{
             {"4", false}, {"45", true}, {"4x5", false}, {"", false}}) {
      Dlg(dlg, "dlg type 1017 " + angle);
      EXPECT_EQ(dlg.m_Preview.previewShown(), shown) << "'" << angle << "'";
    }
    EXPECT_EQ(dlg.m_strAngle, L"");
    EXPECT_EQ(dlg.m_Preview.database(), dlg.m_pPreviewDb) << "the last shown stays held";

    Dlg(dlg, "dlg select 1018 左");
    ChooseModel(dlg);
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 6 + kCross);

    ASSERT_TRUE(testsupport::writeViewDrawing(view, {{L"F_L0", 3}}));
    Dlg(dlg, "dlg click 1026");
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 3 + kCross);
    ::unlink(view.c_str());
    Dlg(dlg, "dlg click 1026");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "a deleted drawing is not shown from memory";
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

// The cross's arms are five pixels of the block's larger size about its base point (how it
// shows: tests/gui/dialog_view_test.cpp); the angle list follows the hand combo.
TEST(Preview, TheBaseCrossAndTheAngleListOnDrawingsOfTheirOwn) {
  DrawingsHarness h;
  h.run([](CFanDlg& dlg) {
    AcDbDatabase db(true, true);
    const AcDbObjectId block = apptest::addBlock(&db, L"B");  // 10 x 5 from its origin
    {
      AcDbBlockTableRecord* rec = nullptr;
      ASSERT_EQ(acdbOpenObject(rec, block, AcDb::kForWrite), Acad::eOk);
      rec->setOrigin(AcGePoint3d(2, 1, 0));
      rec->close();
    }
    AcGePoint3d size;
    EXPECT_TRUE(dlg.GetBlockSize(block, size));
    EXPECT_TRUE(size.isEqualTo(AcGePoint3d(16, 8, 1))) << "twice the farther side about (2, 1)";
    CRect rect;
    dlg.GetDlgItem(IDC_STATIC_PREVIEW)->GetWindowRect(&rect);
    const double pixels = std::max(rect.Width(), rect.Height());
    ASSERT_TRUE(dlg.DrawBasePointMark(&db, block));
    AcDbObjectPointer<AcDbBlockTableRecord> space(db.modelSpaceId(), AcDb::kForRead);
    const std::vector<AcDbObjectId> ids = space->entityIds();
    ASSERT_EQ(ids.size(), 4u);
    AcDbObjectPointer<AcDbLine> arm(ids[0], AcDb::kForRead);
    EXPECT_TRUE(arm->startPoint().isEqualTo(AcGePoint3d(2, 1, 0)));
    EXPECT_TRUE(arm->endPoint().isEqualTo(AcGePoint3d(2 + 5.0 * 16 / pixels, 1, 0)));
    EXPECT_EQ(arm->colorIndex(), 1);

    std::unique_ptr<AcDbDatabase> empty(testsupport::buildViewDrawing({{L"EMPTY", 0}}));
    const AcDbObjectId none = apptest::blockId(empty.get(), L"EMPTY");
    EXPECT_FALSE(dlg.GetBlockSize(none, size));
    EXPECT_TRUE(size.isEqualTo(AcGePoint3d(1, 1, 1)));
    EXPECT_FALSE(dlg.DrawBasePointMark(empty.get(), AcDbObjectId())) << "no block";

    std::unique_ptr<AcDbDatabase> views(testsupport::buildViewDrawing(
        {{L"F_L90", 1}, {L"S_L90", 1}, {L"RAMP", 1}, {L"LIGHT", 1}, {L"F_R7", 1}, {L"B_L", 1}}));
    dlg.m_strHand = L"左";
    dlg.m_cbHand.SetCurSel(1);  // the combo says 右
    ASSERT_TRUE(dlg.FillAngleList(views.get()));
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"7", L"AMP"}))
        << "every name with an R, the layouts (*Paper_Space) aside";
    dlg.m_cbHand.SetCurSel(0);
    ASSERT_TRUE(dlg.FillAngleList(views.get()));
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"90", L"IGHT"}));
    EXPECT_EQ(dlg.m_cbAngle.GetCurSel(), 0);

    AcDbDatabase unread(false, true);
    EXPECT_FALSE(dlg.FillAngleList(&unread));
    EXPECT_EQ(dlg.m_cbAngle.GetCount(), 0);
  });
}
