// The module's dialogs on screen: the fan selection dialog and the model
// editor laid out from the dialog font with every control in place and
// readable, on the sample catalogue, worked with the mouse and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "desktop_session.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/grid_widget.h"
#include "gui/gui_ui_service.h"
#include "res/resource.h"
#include "styledlg/style_dlg.h"

namespace {

using guitest::waitFor;

struct FanDialogView : ::testing::Test {
  guitest::SampleModule module{"zrfan-gui-test"};
  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
};

// Every template control has its widget, and nothing of the layout is wrong.
void expectReadable(const zrgui::DialogView& view, const winplat::DialogTemplate& tmpl) {
  std::size_t fromTemplate = 0;
  for (const auto& [h, w] : view.controls()) fromTemplate += h->fromTemplate && w;
  EXPECT_EQ(fromTemplate, tmpl.controls.size());
  for (const std::string& problem : guitest::layoutProblems(view)) ADD_FAILURE() << problem;
}

// Every text of a grid fits its cell.
void expectCellsReadable(const zrgui::GridWidget& grid, const winplat::GridModel& model) {
  const QFontMetrics fm(grid.font());
  for (int r = 0; r < model.gridRowCount(); ++r) {
    for (int c = 0; c < model.gridColumnCount(); ++c) {
      const QString text = QString::fromStdWString(model.cellText(r, c));
      const int need = fm.horizontalAdvance(text);
      const int room = grid.cellRect(r, c).width() - 2 * grid.metrics().toScreenX(4);
      EXPECT_LE(need, room) << "cell (" << r << "," << c << ") '" << text.toStdString() << "'";
    }
  }
}

// One fan dialog on the sample catalogue, worked as a user would: its layout
// and grids readable, a series chosen with the mouse refilling the cascade and
// the grids, and the model editor opened from its button. (A performance cell
// edited into the catalogue: tests/e2e/grid_edit_test.py; in-place edits with
// the mouse and keys: dialog_view_test.cpp.)
TEST_F(FanDialogView, TheFanDialogIsReadableAndWorksWithTheMouseAndKeys) {
  CFanDlg dlg;  // modeless, shown
  ASSERT_TRUE(dlg.Create(IDD_FAN_DIALOG));
  dlg.ShowWindow(SW_SHOW);
  auto view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
  view->show();
  expectReadable(*view, *fancadModuleResources()->findDialog(IDD_FAN_DIALOG));
  EXPECT_EQ(view->metrics().baseY, QFontMetrics(view->metrics().font).height())
      << "dialog units come from the font the dialog is drawn with";
  for (int id : {IDC_GRID_PARAM, IDC_GRID_ACCESSORY}) {
    auto* grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(id));
    ASSERT_NE(grid, nullptr) << "grid " << id;
    auto* model = dynamic_cast<CGridCtrl*>(dlg.GetDlgItem(id));
    ASSERT_NE(model, nullptr);
    EXPECT_GT(model->GetRowCount(), 1) << "the sample's first model has rows";
    expectCellsReadable(*grid, *model);
  }
  auto* grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(IDC_GRID_PARAM));
  ASSERT_NE(grid, nullptr);

  // A series chosen with the mouse refills the cascade and the grids.
  auto* series = qobject_cast<QComboBox*>(view->controlWidget(IDC_COMBO_BIGMODEL));
  ASSERT_NE(series, nullptr);
  ASSERT_TRUE(guitest::pickWithMouse(series, QStringLiteral("T4-72")));
  EXPECT_EQ(dlg.m_strBigModel, L"T4-72");
  // The cascade below it was refilled (by the dialog's model), on screen too,
  // and the grid widget has the new model's rows.
  auto* driveMode = qobject_cast<QComboBox*>(view->controlWidget(IDC_COMBO_DRIVEMODE));
  ASSERT_GT(dlg.m_cbDriveMode.GetCount(), 0);
  ASSERT_EQ(driveMode->count(), dlg.m_cbDriveMode.GetCount());
  CString last;
  dlg.m_cbDriveMode.GetLBText(driveMode->count() - 1, last);
  EXPECT_EQ(driveMode->itemText(driveMode->count() - 1).toStdWString(), last.str());
  ASSERT_GT(dlg.m_GridParam.GetRowCount(), 2);
  EXPECT_FALSE(grid->cellRect(dlg.m_GridParam.GetRowCount() - 1, 1).isEmpty());

  // The model editor's button runs it modally and returns when it closes.
  bool seen = false;
  guitest::whenIdle([&] {
    zrgui::DialogView* editor = nullptr;
    ASSERT_TRUE(waitFor([&] {
      editor = dynamic_cast<zrgui::DialogView*>(QApplication::activeModalWidget());
      return editor && editor->isVisible();
    }));
    seen = true;
    expectReadable(*editor, *fancadModuleResources()->findDialog(IDD_STYLE_DIALOG));
    QTest::mouseClick(qobject_cast<QPushButton*>(editor->controlWidget(IDCANCEL)), Qt::LeftButton);
  });
  QTest::mouseClick(qobject_cast<QPushButton*>(view->controlWidget(IDC_BUTTON_MODIFYTYPE)),
                    Qt::LeftButton);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(view->isVisible()) << "the fan dialog is back";
}

// Both module dialogs made larger: the grid grows by all that was added, the
// other controls keep their size and move only as the grid's right and bottom
// edges do (a control at the fan dialog's top left stays, the buttons keep
// their distance to the bottom edge), nothing overlaps; smaller than the
// template it does not go, and a view that remembers opens at the size left.
TEST_F(FanDialogView, TheDialogsGrowTheirGridsAndReopenAtTheSizeLeft) {
  const QSize extra(180, 120);
  struct Case {
    std::function<std::unique_ptr<CDialog>()> make;
    UINT templateId;
    int grid;
    std::vector<std::pair<int, QPoint>> moved;  // controls and how far they go
  };
  const Case cases[] = {
      {[] { return std::make_unique<CFanDlg>(); },
       IDD_FAN_DIALOG,
       IDC_GRID_PARAM,
       {{IDC_RADIO_AUTOSELECT, {0, 0}},
        {IDC_COMBO_BIGMODEL, {0, 0}},
        {IDC_BUTTON_DELETEPARAMROW, {0, 120}},
        {IDC_RADIO_FRONTVIEW, {180, 120}},
        {IDOK, {180, 120}}}},
      {[] { return std::make_unique<CStyleDlg>(nullptr); },
       IDD_STYLE_DIALOG,
       IDC_GRID_MODEL,
       {{IDC_BUTTON_ADDROW, {0, 120}}, {IDCANCEL, {0, 120}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.templateId);
    std::unique_ptr<CDialog> dlg = c.make();
    ASSERT_TRUE(dlg->Create(c.templateId));
    dlg->ShowWindow(SW_SHOW);
    zrgui::DialogView view(*dlg, nullptr);
    view.setRemembersSize(true);
    view.show();
    ASSERT_TRUE(view.isResizable());
    const QSize start = view.templateSize();
    EXPECT_EQ(view.size(), start) << "nothing remembered yet";
    const QRect grid = view.controlWidget(c.grid)->geometry();
    std::vector<QRect> before;
    for (const auto& [id, shift] : c.moved) before.push_back(view.controlWidget(id)->geometry());
    view.resize(start + extra);
    QApplication::processEvents();
    EXPECT_EQ(view.controlWidget(c.grid)->geometry(),
              grid.adjusted(0, 0, extra.width(), extra.height()));
    for (std::size_t i = 0; i < c.moved.size(); ++i) {
      EXPECT_EQ(view.controlWidget(c.moved[i].first)->geometry(),
                before[i].translated(c.moved[i].second))
          << "control " << c.moved[i].first;
    }
    for (const std::string& problem : guitest::layoutProblems(view)) ADD_FAILURE() << problem;
    const RECT record = dlg->m_hWnd->rect;
    view.resize(start - QSize(50, 50));
    EXPECT_EQ(view.size(), start) << "the template's size is the least";
    view.resize(start + extra);
    QApplication::processEvents();
    EXPECT_EQ(dlg->m_hWnd->rect.right - dlg->m_hWnd->rect.left, record.right - record.left)
        << "the dialog's record keeps the template's size";

    zrgui::DialogView again(*dlg, nullptr);
    again.setRemembersSize(true);
    EXPECT_EQ(again.size(), start + extra);
    zrgui::DialogView script(*dlg, nullptr);
    EXPECT_EQ(script.size(), start) << "a view that does not remember opens at the template's";
    dlg->DestroyWindow();
  }
}

}  // namespace
