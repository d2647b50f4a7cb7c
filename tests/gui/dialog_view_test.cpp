// Dialogs of the window layer on screen: the template's controls as widgets,
// state mirrored both ways, the modal run and its keys, message boxes; the
// grid control (clicks, in-place edits, combo
// cells, scrolling) and the preview (colours, red base-point cross, background,
// wheel and drag, the context menu from the module's resources).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "grid_dialog.h"
#include "gui/dialog_view.h"
#include "gui/grid_widget.h"
#include "gui/gui_ui_service.h"
#include "gui/preview_widget.h"
#include "gui_test_support.h"
#include "test_dialog.h"
#include "test_drawing.h"
#include "win/afxwin.h"
#include "win/ui_models.h"

namespace {

using guitest::whenIdle;

template <class W>
W* widgetOf(const zrgui::DialogView& view, int id) {
  W* w = qobject_cast<W*>(view.controlWidget(id));
  EXPECT_NE(w, nullptr) << "control " << id;
  return w;
}

class DialogViewTest : public ::testing::Test {
 protected:
  testdlg::ScopedResources resources;
  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
};

TEST_F(DialogViewTest, TemplateControlsBecomeTheirWidgetsAndStateGoesBothWays) {
  testdlg::CTestDlg dlg;  // modeless, on screen
  ASSERT_TRUE(dlg.Create(testdlg::kDialogId));
  dlg.ShowWindow(SW_SHOW);
  dlg.m_cbBigModel.AddString(L"B-9");
  dlg.m_cbBigModel.AddString(L"A-4");
  dlg.m_cbBigModel.SetCurSel(1);
  zrgui::DialogView view(dlg, nullptr);
  view.sync();
  const winplat::DialogTemplate* tmpl = dlg.GetDialogTemplate();
  ASSERT_NE(tmpl, nullptr);
  ASSERT_EQ(view.controls().size(), tmpl->controls.size());
  EXPECT_EQ(view.windowTitle(), QStringLiteral("测试对话框"));
  EXPECT_NE(widgetOf<QGroupBox>(view, 0xFFFF), nullptr)
      << "the first label-id control is the frame";
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 203)->isChecked());
  EXPECT_EQ(widgetOf<QLineEdit>(view, 1002)->text(), QStringLiteral("1131"));
  EXPECT_FALSE(widgetOf<QLineEdit>(view, 1002)->isEnabled());
  EXPECT_FALSE(widgetOf<QPushButton>(view, 206)->isEnabled());
  EXPECT_TRUE(widgetOf<QPushButton>(view, IDOK)->isDefault());
  auto* hand = widgetOf<QComboBox>(view, 1018);
  EXPECT_FALSE(hand->isEditable());
  ASSERT_EQ(hand->count(), 2);
  EXPECT_EQ(hand->itemText(0), QStringLiteral("左"))
      << "an unsorted list keeps the template's order";
  auto* series = widgetOf<QComboBox>(view, 1012);
  ASSERT_EQ(series->count(), 2);
  EXPECT_EQ(series->itemText(0), QStringLiteral("A-4")) << "a sorted list shows the sorted order";
  EXPECT_EQ(series->currentText(), QStringLiteral("B-9"));
  EXPECT_TRUE(widgetOf<QComboBox>(view, 1017)->isEditable());
  EXPECT_EQ(widgetOf<QComboBox>(view, 1017)->currentText(), QStringLiteral("0"));

  // Clicks, choices and typing become the notifications of the message map.
  QTest::mouseClick(widgetOf<QRadioButton>(view, 1027), Qt::LeftButton);
  EXPECT_EQ(dlg.IsDlgButtonChecked(1027), BST_CHECKED);
  EXPECT_EQ(dlg.IsDlgButtonChecked(1026), BST_UNCHECKED) << "the others of the group uncheck";
  ASSERT_TRUE(guitest::pickWithMouse(series, QStringLiteral("A-4")));
  EXPECT_EQ(dlg.m_cbBigModel.GetCurSel(), 0);
  QLineEdit* angle = widgetOf<QComboBox>(view, 1017)->lineEdit();
  ASSERT_NE(angle, nullptr);
  angle->selectAll();
  QTest::keyClicks(angle, QStringLiteral("45"));
  CString text;
  dlg.m_cbAngle.GetWindowText(text);
  EXPECT_EQ(text, L"45");
  QTest::keyClicks(widgetOf<QLineEdit>(view, 1003), QStringLiteral("1"));
  dlg.GetDlgItemText(1003, text);
  EXPECT_EQ(text, L"9901");
  QTest::mouseClick(widgetOf<QPushButton>(view, 206), Qt::LeftButton);  // disabled
  QTest::mouseClick(widgetOf<QPushButton>(view, 204), Qt::LeftButton);
  EXPECT_EQ(dlg.calls,
            (std::vector<std::string>{"view:1027", "selchange:A-4", "selendok", "editchange:4",
                                      "editchange:45", "enchange", "base:add"}));

  // What handlers change reaches the screen.
  dlg.GetDlgItem(1002)->EnableWindow(TRUE);
  dlg.SetDlgItemText(1002, L"2000");
  dlg.CheckRadioButton(1026, 1028, 1028);
  dlg.GetDlgItem(204)->ShowWindow(SW_HIDE);
  dlg.SetWindowText(L"新标题");
  view.sync();
  EXPECT_TRUE(widgetOf<QLineEdit>(view, 1002)->isEnabled());
  EXPECT_EQ(widgetOf<QLineEdit>(view, 1002)->text(), QStringLiteral("2000"));
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1028)->isChecked());
  EXPECT_TRUE(view.controlWidget(204)->isHidden());
  EXPECT_EQ(view.windowTitle(), QStringLiteral("新标题"));
}

TEST_F(DialogViewTest, TheModalRunEndsWithOkEnterOrEsc) {
  auto view = [] { return dynamic_cast<zrgui::DialogView*>(guitest::activeModal()); };
  const std::vector<std::pair<std::function<void()>, int>> cases = {
      {[&] {
         ASSERT_NE(view(), nullptr);
         EXPECT_TRUE(view()->isModal());
         QTest::mouseClick(qobject_cast<QPushButton*>(view()->controlWidget(IDOK)), Qt::LeftButton);
       },
       IDOK},
      {[] { QTest::keyClick(guitest::activeModal(), Qt::Key_Escape); }, IDCANCEL},
      {[&] {  // Enter in an edit is the default button.
         view()->controlWidget(1003)->setFocus();
         QTest::keyClick(view()->controlWidget(1003), Qt::Key_Return);
       },
       IDOK},
  };
  for (const auto& [act, result] : cases) {
    testdlg::CTestDlg dlg;
    whenIdle(act);
    EXPECT_EQ(dlg.DoModal(), result);
    EXPECT_TRUE(dlg.initialised);
  }
}

// One case of the flags' table (the rest restates it): the middle of three
// buttons pressed.
TEST_F(DialogViewTest, MessageBoxesHaveTheirCaptionTextButtonsAndIcon) {
  whenIdle([] {
    auto* box = qobject_cast<QMessageBox*>(guitest::activeModal());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
    EXPECT_EQ(box->text(), QStringLiteral("确实要删除吗?"));
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes)) << "the first is the default";
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(MessageBox(nullptr, L"确实要删除吗?", L"提示", MB_YESNOCANCEL | MB_ICONINFORMATION),
            IDNO);
}

// A preview control as the test needs one: a window with a database to show.
class CTestPreview : public CWnd, public winplat::PreviewModel {
 public:
  void show(const AcDbDatabase* db, COLORREF background = RGB(0, 0, 0)) {
    m_db = db;
    m_background = background;
    modelChanged();
  }
  const void* previewDatabase() const override { return m_db; }
  int previewEntityCount() const override { return 0; }
  bool previewShown() const override { return m_db != nullptr; }
  COLORREF previewBackground() const override { return m_background; }
  winplat::PreviewView previewView() const override { return {}; }

 private:
  const AcDbDatabase* m_db = nullptr;
  COLORREF m_background = RGB(0, 0, 0);
};

// The grid dialog with a combo cell A/皮带 at (1,2) and a preview bound to 210.
class CWidgetDlg : public gridtest::CGridHostDlg {
 public:
  CBtnDataBase m_Buttons;
  CTestPreview m_Preview;

  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 210, m_Preview); }
  BOOL OnInitDialog() override {
    CGridHostDlg::OnInitDialog();
    m_Grid.SetColumnWidth(0, 20);
    m_Grid.SetItemText(1, 2, L"A");
    gridtest::makeComboCell(m_Grid, m_Buttons, 1, 2, {L"A", L"皮带"});
    return TRUE;
  }
};

// The view block of a fan as the module shows it: a yellow body, a green
// outlet, and the red cross at the base point (the block's origin).
guitest::TestDrawing viewBlockDrawing() {
  guitest::TestDrawing d;
  const AcGePoint3d c[] = {{-40, -30, 0}, {40, -30, 0}, {40, 30, 0}, {-40, 30, 0}};
  for (int i = 0; i < 4; ++i) d.line(c[i], c[(i + 1) % 4], 2);
  d.line({40, 10, 0}, {60, 10, 0}, 3);
  for (const auto& end :
       {AcGePoint3d(4, 0, 0), AcGePoint3d(-4, 0, 0), AcGePoint3d(0, 4, 0), AcGePoint3d(0, -4, 0)}) {
    d.line({0, 0, 0}, end, 1);
  }
  return d;
}

class WidgetTest : public DialogViewTest {
 protected:
  WidgetTest() {
    EXPECT_TRUE(dlg.Create(gridtest::kDialogId));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_Preview.show(drawing.db());
    view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
    view->show();
    grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(gridtest::kGridId));
    preview = dynamic_cast<zrgui::PreviewWidget*>(view->controlWidget(210));
  }

  QPoint centerOf(int row, int col) const { return grid->cellRect(row, col).center(); }
  void click(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centerOf(row, col));
  }
  QPoint at(double x, double y) const { return preview->view().toScreen(QPointF(x, y)).toPoint(); }
  void dragPreview(QPoint from, QPoint to) {
    QTest::mousePress(preview, Qt::LeftButton, {}, from);
    QTest::mouseMove(preview, to);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, to);
  }

  gridtest::ScopedResources gridResources;
  guitest::TestDrawing drawing = viewBlockDrawing();
  CWidgetDlg dlg;
  std::unique_ptr<zrgui::DialogView> view;
  zrgui::GridWidget* grid = nullptr;
  zrgui::PreviewWidget* preview = nullptr;
};

TEST_F(WidgetTest, AClickFocusesACellASecondEditsItAndOnlyAChangedTextIsNotified) {
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

  // An edit that changes nothing or is dropped sends no notification.
  dlg.events.clear();
  click(1, 1);
  QTest::keyClick(grid, Qt::Key_F2);
  ASSERT_NE(grid->editor(), nullptr);
  QTest::keyClick(grid->editor(), Qt::Key_Return);  // the same text
  QTest::keyClick(grid, Qt::Key_7);                 // typing starts an edit with that key
  ASSERT_NE(grid->editor(), nullptr);
  EXPECT_EQ(grid->editor()->text(), QStringLiteral("7"));
  QTest::keyClick(grid->editor(), Qt::Key_Escape);
  EXPECT_EQ(grid->editor(), nullptr);
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 1), L"990");
  click(0, 1);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centerOf(0, 1));
  EXPECT_EQ(grid->editor(), nullptr) << "a fixed cell is not edited";
  for (const std::string& e : dlg.events) EXPECT_EQ(e.rfind("click", 0), 0u) << e;
}

TEST_F(WidgetTest, AComboCellOffersItsChoicesAndAChoiceIsPicked) {
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

TEST_F(WidgetTest, FixedRowsAndColumnsStayWhileTheRestScrolls) {
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

TEST_F(WidgetTest, TheBlockShowsInItsColoursWithTheRedCrossOnTheBackgroundAsked) {
  ASSERT_NE(preview, nullptr) << "a static subclassed into a preview becomes a preview widget";
  const QImage image = preview->picture();
  const QRect whole = image.rect();
  // Fitted: the outline spans most of the width, and nothing falls outside.
  EXPECT_GT(at(60, 0).x() - at(-40, 0).x(), whole.width() * 8 / 10);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(0, 30), 2), Qt::yellow), 0);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(50, 10), 2), Qt::green), 0);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(0, 0), 2), Qt::red), 3)
      << "the base-point cross";
  EXPECT_EQ(guitest::countNot(image, guitest::around(at(20, -15), 4), Qt::black), 0)
      << "the background inside the outline";

  dlg.m_Preview.show(drawing.db(), RGB(255, 255, 255));
  view->sync();
  EXPECT_EQ(guitest::countNot(preview->picture(), guitest::around(at(20, -15), 4), Qt::white), 0);
  dlg.m_Preview.show(nullptr, RGB(255, 255, 255));
  view->sync();
  EXPECT_EQ(guitest::countNot(preview->picture(), preview->rect(), Qt::white), 0)
      << "an erased preview shows nothing";
}

TEST_F(WidgetTest, TheWheelZoomsAboutTheCursorAndADragPans) {
  const QPoint cursor = at(40, 10);
  const QPointF under = preview->view().toWorld(cursor);
  const double scale = preview->view().scale();
  QWheelEvent wheel(QPointF(cursor), preview->mapToGlobal(QPointF(cursor)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(preview, &wheel);
  EXPECT_GT(preview->view().scale(), scale);
  EXPECT_NEAR(preview->view().toWorld(cursor).x(), under.x(), 1e-9)
      << "the point under the cursor stays";
  EXPECT_NEAR(preview->view().toWorld(cursor).y(), under.y(), 1e-9);
  const QPoint before = at(0, 0);
  dragPreview(QPoint(50, 50), QPoint(70, 60));
  EXPECT_EQ(at(0, 0), before + QPoint(20, 10));
}

TEST_F(WidgetTest, TheContextMenuComesFromTheModulesResourcesAndDoesWhatItSays) {
  QString defaultItem;
  auto choose = [&](const QString& item) {
    guitest::whenIdle([&, item] {
      auto* menu = qobject_cast<QMenu*>(guitest::activeModal());
      ASSERT_NE(menu, nullptr);
      defaultItem = menu->defaultAction() ? menu->defaultAction()->text() : QString();
      for (QAction* a : menu->actions()) {
        if (a->text() == item) a->trigger();
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            preview->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(preview, &event);
  };
  choose(QStringLiteral("实时缩放"));
  EXPECT_EQ(defaultItem, QStringLiteral("初始视图"));
  EXPECT_EQ(preview->dragMode(), zrgui::PreviewWidget::DragMode::ZoomRealtime);
  const double scale = preview->view().scale();
  dragPreview(QPoint(50, 80), QPoint(50, 40));
  EXPECT_GT(preview->view().scale(), scale) << "dragging up zooms in";

  choose(QStringLiteral("旋转视图"));
  dragPreview(QPoint(50, 50), QPoint(80, 50));
  EXPECT_NE(preview->view().twist(), 0);

  choose(QStringLiteral("窗口放大"));
  const QPoint a = at(30, 0);
  const QPoint b = at(60, 20);
  dragPreview(a, b);
  EXPECT_TRUE(preview->rect().contains(at(45, 10)));
  EXPECT_FALSE(preview->rect().contains(at(-40, -30))) << "the window fills the view";

  choose(QStringLiteral("初始视图"));
  EXPECT_EQ(preview->view().twist(), 0);
  EXPECT_EQ(preview->dragMode(), zrgui::PreviewWidget::DragMode::Pan);
  EXPECT_TRUE(preview->rect().contains(at(-40, -30)) && preview->rect().contains(at(60, 30)));
}

}  // namespace
