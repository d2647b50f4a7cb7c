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

TEST(Preview, ShowsTheViewBlockWithItsBaseCrossOnBlack) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No4.5A"), TypicalBlocks()));
  h.run([](CFanDlg& dlg) {
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "the first series has no view drawing";
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
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

TEST(Preview, ViewHandAndAngleFollowTheDrawing) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No4.5A"), TypicalBlocks()));
  h.run([](CFanDlg& dlg) {
    ChooseModel(dlg);
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

    Dlg(dlg, "dlg type 1017 4");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "a partial angle names no block";
    Dlg(dlg, "dlg type 1017 45");
    EXPECT_TRUE(dlg.m_Preview.previewShown()) << "every keystroke reloads";
    Dlg(dlg, "dlg type 1017 4x5");
    EXPECT_FALSE(dlg.m_Preview.previewShown());
    Dlg(dlg, "dlg type 1017");
    EXPECT_EQ(dlg.m_strAngle, L"");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "no angle, no block";
    EXPECT_EQ(dlg.m_Preview.database(), dlg.m_pPreviewDb) << "the last shown stays held";
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

// Such a drawing is refused when read: nothing of it is shown, as for a damaged file, and
// the next model's drawing shows again.
TEST(Preview, AViewDrawingWithABlockThatContainsItselfShowsNothing) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No4.5A"),
                                            {{L"F_L0", 4, 10, {}, false, L"F_L0"}, {L"S_L0", 5}}));
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No5A"), TypicalBlocks()));
  h.run([](CFanDlg& dlg) {
    ChooseModel(dlg);
    EXPECT_FALSE(dlg.m_Preview.previewShown());
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 0);
    EXPECT_TRUE(ComboItems(dlg.m_cbAngle).empty()) << "no angles from a refused drawing";
    ChooseModel(dlg, "4-72", "5", "A", "2900");
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 6 + kCross);
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

TEST(Preview, TheCrossArmsAreFivePixelsOfTheBlocksLargerSize) {
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
    const double d = 5.0 * 16 / pixels;
    AcDbObjectPointer<AcDbBlockTableRecord> space(db.modelSpaceId(), AcDb::kForRead);
    const std::vector<AcDbObjectId> ids = space->entityIds();
    ASSERT_EQ(ids.size(), 4u);
    const AcGePoint3d ends[] = {{2 + d, 1, 0}, {2 - d, 1, 0}, {2, 1 + d, 0}, {2, 1 - d, 0}};
    for (size_t i = 0; i < ids.size(); ++i) {
      AcDbObjectPointer<AcDbLine> line(ids[i], AcDb::kForRead);
      ASSERT_TRUE(line);
      EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(2, 1, 0)));
      EXPECT_TRUE(line->endPoint().isEqualTo(ends[i]));
      EXPECT_EQ(line->colorIndex(), 1);
    }
  });
}

TEST(Preview, ABlockWithoutExtentsGetsArmsOfFiveOverThePixels) {
  DrawingsHarness h;
  h.run([](CFanDlg& dlg) {
    AcDbDatabase db(true, true);
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(L"EMPTY");
    AcDbObjectId block;
    ASSERT_EQ(table->add(block, rec), Acad::eOk);
    rec->close();
    table->close();

    AcGePoint3d size;
    EXPECT_FALSE(dlg.GetBlockSize(block, size));
    EXPECT_TRUE(size.isEqualTo(AcGePoint3d(1, 1, 1)));
    ASSERT_TRUE(dlg.DrawBasePointMark(&db, block));
    CRect rect;
    dlg.GetDlgItem(IDC_STATIC_PREVIEW)->GetWindowRect(&rect);
    AcDbObjectPointer<AcDbBlockTableRecord> space(db.modelSpaceId(), AcDb::kForRead);
    AcDbObjectPointer<AcDbLine> first(space->entityIds().at(0), AcDb::kForRead);
    EXPECT_NEAR(first->endPoint().x, 5.0 / std::max(rect.Width(), rect.Height()), 1e-12);
    EXPECT_FALSE(dlg.DrawBasePointMark(&db, AcDbObjectId())) << "no block";
  });
}

TEST(Preview, FillAngleListReadsTheHandComboAndSkipsTheLayouts) {
  DrawingsHarness h;
  h.run([](CFanDlg& dlg) {
    std::unique_ptr<AcDbDatabase> db(testsupport::buildViewDrawing(
        {{L"F_L90", 1}, {L"S_L90", 1}, {L"RAMP", 1}, {L"LIGHT", 1}, {L"F_R7", 1}, {L"B_L", 1}}));
    dlg.m_strHand = L"左";
    dlg.m_cbHand.SetCurSel(1);  // the combo says 右
    ASSERT_TRUE(dlg.FillAngleList(db.get()));
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"7", L"AMP"}))
        << "every name with an R, the layouts (*Paper_Space) aside";
    dlg.m_cbHand.SetCurSel(0);
    ASSERT_TRUE(dlg.FillAngleList(db.get()));
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"90", L"IGHT"}));
    EXPECT_EQ(dlg.m_cbAngle.GetCurSel(), 0);

    AcDbDatabase unread(false, true);
    EXPECT_FALSE(dlg.FillAngleList(&unread));
    EXPECT_EQ(dlg.m_cbAngle.GetCount(), 0);
  });
}

TEST(Preview, AViewDrawingChangedWhileTheDialogIsUpIsReadAgain) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No4.5A"), TypicalBlocks()));
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    ASSERT_EQ(dlg.m_Preview.previewEntityCount(), 6 + kCross);
    ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing("4-72No4.5A"), {{L"F_L0", 3}}));
    Dlg(dlg, "dlg click 1026");
    EXPECT_EQ(dlg.m_Preview.previewEntityCount(), 3 + kCross);
    ::unlink(h.viewDrawing("4-72No4.5A").c_str());
    Dlg(dlg, "dlg click 1026");
    EXPECT_FALSE(dlg.m_Preview.previewShown()) << "a deleted drawing is not shown from memory";
  });
}
