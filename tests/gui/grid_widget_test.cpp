// The grid control on screen: its cells where the model puts them, clicks and
// in-place edits through the model's entry points, the end-of-edit
// notification only for a changed text, combo cells with their list.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "gui/dialog_view.h"
#include "gui/grid_widget.h"
#include "gui/gui_ui_service.h"
#include "gui_test_support.h"
#include "uikit/grid_btn_cell.h"
#include "uikit/grid_ctrl.h"
#include "win/afxwin.h"

namespace {

constexpr UINT kDialogId = 410;

const winplat::ResourceTable& table() {
  using namespace winplat;
  static const ResourceTable t = {
      {DialogTemplate{kDialogId,
                      L"网格",
                      L"宋体",
                      9,
                      DS_MODALFRAME | WS_POPUP | WS_CAPTION,
                      0,
                      0,
                      220,
                      120,
                      {control(L"", 200, L"STATIC", SS_SUNKEN, 7, 7, 200, 80),
                       defPushButton(L"退出", IDOK, 160, 95, 50, 14)}}},
      {},
      {}};
  return t;
}

class CGridHostDlg : public CDialog {
 public:
  CGridHostDlg() : CDialog(kDialogId) {}
  CGridCtrl m_Grid;
  CBtnDataBase m_Buttons;
  std::vector<std::string> events;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    CRect rect;
    GetDlgItem(200)->GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_Grid.Create(rect, this, 5003, WS_CHILD | WS_VISIBLE | WS_BORDER);
    m_Grid.SetRowCount(4);
    m_Grid.SetColumnCount(4);
    m_Grid.SetFixedRowCount(1);
    m_Grid.SetFixedColumnCount(1);
    m_Grid.SetColumnWidth(0, 20);
    m_Grid.SetItemText(0, 1, L"风量");
    m_Grid.SetItemText(0, 2, L"传动方式");
    m_Grid.SetItemText(1, 0, L"1");
    m_Grid.SetItemText(1, 1, L"1131");
    m_Grid.SetItemText(1, 2, L"A");
    m_Grid.SetCellType(1, 2, RUNTIME_CLASS(CGridBtnCellCombo));
    auto* combo = static_cast<CGridBtnCellCombo*>(m_Grid.GetCell(1, 2));
    combo->SetupBtns(0, DFC_SCROLL, DFCS_SCROLLDOWN, CGridBtnCellBase::CTL_ALIGN_RIGHT, 19, FALSE,
                     L"");
    CStringArray choices;
    choices.Add(L"A");
    choices.Add(L"皮带");
    combo->SetComboString(choices);
    combo->SetBtnDataBase(&m_Buttons);
    return TRUE;
  }
  void OnGridClick(NMHDR* hdr, LRESULT* result) {
    auto* nm = reinterpret_cast<NM_GRIDVIEW*>(hdr);
    events.push_back("click " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn));
    *result = 0;
  }
  void OnGridEndEdit(NMHDR* hdr, LRESULT* result) {
    auto* nm = reinterpret_cast<NM_GRIDVIEW*>(hdr);
    events.push_back("edit " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn) + " " +
                     m_Grid.GetItemText(nm->iRow, nm->iColumn).ToUtf8());
    *result = 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGridHostDlg, CDialog)
ON_NOTIFY(NM_CLICK, 5003, &CGridHostDlg::OnGridClick)
ON_NOTIFY(GVN_ENDLABELEDIT, 5003, &CGridHostDlg::OnGridEndEdit)
END_MESSAGE_MAP()

class GridWidgetTest : public ::testing::Test {
 protected:
  GridWidgetTest() {
    m_previous = AfxGetResourceHandle();
    static HINSTANCE h = winplat::instanceFromTable(&table(), "grid-tests");
    AfxSetResourceHandle(h);
    EXPECT_TRUE(dlg.Create(kDialogId));
    dlg.ShowWindow(SW_SHOW);
    view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
    view->show();
    grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(5003));
  }
  ~GridWidgetTest() override { AfxSetResourceHandle(m_previous); }

  QPoint centerOf(int row, int col) const { return grid->cellRect(row, col).center(); }
  void click(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centerOf(row, col));
  }

  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
  CGridHostDlg dlg;
  std::unique_ptr<zrgui::DialogView> view;
  zrgui::GridWidget* grid = nullptr;
  HINSTANCE m_previous;
};

TEST_F(GridWidgetTest, CellsLieWhereTheModelsWidthsAndHeightsPutThem) {
  ASSERT_NE(grid, nullptr) << "the grid's window is a grid widget";
  const zrgui::DialogMetrics& m = view->metrics();
  EXPECT_EQ(grid->geometry(), m.toScreen(dlg.m_Grid.m_hWnd->rect));
  const QRect fixed = grid->cellRect(0, 0);
  EXPECT_EQ(fixed.topLeft(), QPoint(0, 0));
  EXPECT_EQ(fixed.width(), m.toScreenX(20));
  EXPECT_EQ(fixed.height(), m.toScreenY(CGridCtrl::kDefaultRowHeight));
  EXPECT_EQ(grid->cellRect(1, 2).left(), m.toScreenX(20 + CGridCtrl::kDefaultColumnWidth));
  EXPECT_EQ(grid->cellAt(centerOf(1, 2)), std::make_pair(1, 2));
  EXPECT_FALSE(grid->dropButtonRect(1, 2).isEmpty()) << "a combo cell has its button";
  EXPECT_TRUE(grid->dropButtonRect(1, 1).isEmpty());
  EXPECT_EQ(grid->dropButtonRect(1, 2).right(), grid->cellRect(1, 2).right());
}

TEST_F(GridWidgetTest, AClickFocusesTheCellAndASecondOneEditsIt) {
  click(1, 1);
  EXPECT_EQ(dlg.m_Grid.GetFocusCell().row, 1);
  EXPECT_EQ(dlg.m_Grid.GetFocusCell().col, 1);
  EXPECT_EQ(grid->editor(), nullptr);
  click(1, 1);
  ASSERT_NE(grid->editor(), nullptr);
  EXPECT_EQ(grid->editor()->text(), QStringLiteral("1131"));
  QTest::keyClicks(grid->editor(), QStringLiteral("990"));
  QTest::keyClick(grid->editor(), Qt::Key_Return);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 1), L"990");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    QPoint(grid->viewport()->width() - 2, grid->viewport()->height() - 2));
  EXPECT_EQ(dlg.events,
            (std::vector<std::string>{"click 1 1", "click 1 1", "edit 1 1 990", "click -1 -1"}));
}

TEST_F(GridWidgetTest, AnEditThatChangesNothingOrIsDroppedSendsNoNotification) {
  click(1, 1);
  QTest::keyClick(grid, Qt::Key_F2);
  ASSERT_NE(grid->editor(), nullptr);
  QTest::keyClick(grid->editor(), Qt::Key_Return);  // the same text
  QTest::keyClick(grid, Qt::Key_7);                 // typing starts an edit with that key
  ASSERT_NE(grid->editor(), nullptr);
  EXPECT_EQ(grid->editor()->text(), QStringLiteral("7"));
  QTest::keyClick(grid->editor(), Qt::Key_Escape);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 1), L"1131");
  click(0, 1);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centerOf(0, 1));
  EXPECT_EQ(grid->editor(), nullptr) << "a fixed cell is not edited";
  EXPECT_FALSE(grid->beginEdit(0, 1));
  ASSERT_GE(dlg.events.size(), 2u);
  EXPECT_EQ(dlg.events[0], "click 1 1");
  for (const std::string& e : dlg.events) EXPECT_EQ(e.rfind("click", 0), 0u) << e;
}

TEST_F(GridWidgetTest, AComboCellOffersItsChoicesAndAChoiceIsPicked) {
  guitest::whenIdle([] {
    auto* menu = qobject_cast<QMenu*>(guitest::activeModal());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("A"));
    EXPECT_TRUE(menu->actions()[0]->isChecked()) << "the cell's text is marked";
    QAction* belt = menu->actions()[1];
    EXPECT_EQ(belt->text(), QStringLiteral("皮带"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(belt).center());
  });
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->dropButtonRect(1, 2).center());
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 2), L"皮带");
  EXPECT_EQ(dlg.events, (std::vector<std::string>{"click 1 2", "edit 1 2 皮带"}));
}

TEST_F(GridWidgetTest, FixedRowsAndColumnsStayWhileTheRestScrolls) {
  dlg.m_Grid.SetRowCount(40);
  for (int r = 1; r < 40; ++r) dlg.m_Grid.SetItemText(r, 0, CString(std::to_wstring(r).c_str()));
  view->sync();
  QScrollBar* bar = grid->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  const int before = grid->cellRect(5, 1).top();
  bar->setValue(bar->maximum());
  EXPECT_EQ(grid->cellRect(0, 1).top(), 0) << "the heading row stays";
  EXPECT_EQ(grid->cellRect(5, 1).top(), before - bar->maximum());
  EXPECT_EQ(grid->cellAt(QPoint(5, 5)), std::make_pair(0, 0));
  const auto last = grid->cellAt(QPoint(centerOf(39, 1).x(), grid->viewport()->height() - 3));
  EXPECT_EQ(last.first, 39) << "the last row scrolls into sight";
}

}  // namespace
