// Dialogs of the window layer on screen: every control of the template as its
// widget, state mirrored both ways, the modal run, the keys, the editor-command
// protocol, message boxes and the data-exchange prompt as Qt boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "cad/aced.h"
#include "gui/dialog_view.h"
#include "gui/gui_ui_service.h"
#include "gui/line_inputs.h"
#include "gui_test_support.h"
#include "test_dialog.h"
#include "win/resources.h"

namespace {

using guitest::waitFor;
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

// A modeless test dialog on screen.
class ShownDialog {
 public:
  ShownDialog() {
    EXPECT_TRUE(dlg.Create(testdlg::kDialogId));
    dlg.ShowWindow(SW_SHOW);
    view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
    view->sync();
  }
  testdlg::CTestDlg dlg;
  std::unique_ptr<zrgui::DialogView> view;
};

TEST_F(DialogViewTest, EveryTemplateControlIsItsKindOfWidgetWhereTheTemplatePutsIt) {
  ShownDialog s;
  const auto& view = *s.view;
  const winplat::DialogTemplate* tmpl = s.dlg.GetDialogTemplate();
  ASSERT_NE(tmpl, nullptr);
  ASSERT_EQ(view.controls().size(), tmpl->controls.size());
  EXPECT_EQ(view.windowTitle(), QStringLiteral("测试对话框"));
  const zrgui::DialogMetrics& m = view.metrics();
  EXPECT_EQ(view.size(), QSize(m.toScreenX(winplat::dluToPixelsX(200)),
                               m.toScreenY(winplat::dluToPixelsY(160))));
  for (const auto& [h, w] : view.controls()) {
    QRect expected = m.toScreen(h->rect);
    if (qobject_cast<QComboBox*>(w)) expected.setHeight(w->height());
    EXPECT_EQ(w->geometry(), expected) << "control " << h->id;
  }
  EXPECT_NE(widgetOf<QGroupBox>(view, 0xFFFF), nullptr)
      << "the first label-id control is the frame";
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 203)->isChecked());
  EXPECT_FALSE(widgetOf<QRadioButton>(view, 202)->isChecked());
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1026)->isChecked());
  EXPECT_EQ(widgetOf<QLineEdit>(view, 1002)->text(), QStringLiteral("1131"));
  EXPECT_FALSE(widgetOf<QLineEdit>(view, 1002)->isEnabled());
  EXPECT_FALSE(widgetOf<QPushButton>(view, 206)->isEnabled());
  EXPECT_TRUE(widgetOf<QPushButton>(view, IDOK)->isDefault());
  auto* hand = widgetOf<QComboBox>(view, 1018);
  EXPECT_FALSE(hand->isEditable());
  ASSERT_EQ(hand->count(), 2);
  EXPECT_EQ(hand->itemText(0), QStringLiteral("左"))
      << "an unsorted list keeps the template's order";
  EXPECT_TRUE(widgetOf<QComboBox>(view, 1017)->isEditable());
  EXPECT_EQ(widgetOf<QComboBox>(view, 1017)->currentText(), QStringLiteral("0"));
  auto* sunken = widgetOf<QLabel>(view, 210);
  EXPECT_EQ(sunken->frameShadow(), QFrame::Sunken);
}

TEST_F(DialogViewTest, WhatHandlersChangeReachesTheScreen) {
  ShownDialog s;
  s.dlg.GetDlgItem(1002)->EnableWindow(TRUE);
  s.dlg.SetDlgItemText(1002, L"2000");
  s.dlg.m_cbBigModel.AddString(L"T4-72");
  s.dlg.m_cbBigModel.AddString(L"4-72");
  s.dlg.m_cbBigModel.SetCurSel(1);
  s.dlg.CheckRadioButton(1026, 1028, 1028);
  s.dlg.GetDlgItem(204)->ShowWindow(SW_HIDE);
  s.dlg.SetWindowText(L"新标题");
  s.view->sync();
  const auto& view = *s.view;
  EXPECT_TRUE(widgetOf<QLineEdit>(view, 1002)->isEnabled());
  EXPECT_EQ(widgetOf<QLineEdit>(view, 1002)->text(), QStringLiteral("2000"));
  auto* series = widgetOf<QComboBox>(view, 1012);
  ASSERT_EQ(series->count(), 2);
  EXPECT_EQ(series->itemText(0), QStringLiteral("4-72")) << "a sorted list shows the sorted order";
  EXPECT_EQ(series->currentText(), QStringLiteral("T4-72"));
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1028)->isChecked());
  EXPECT_FALSE(widgetOf<QRadioButton>(view, 1026)->isChecked());
  EXPECT_TRUE(view.controlWidget(204)->isHidden());
  EXPECT_EQ(view.windowTitle(), QStringLiteral("新标题"));
}

TEST_F(DialogViewTest, ClicksChoicesAndTypingBecomeTheNotificationsOfTheMessageMap) {
  ShownDialog s;
  s.dlg.m_cbBigModel.AddString(L"B-9");
  s.dlg.m_cbBigModel.AddString(L"A-4");
  s.view->sync();
  const auto& view = *s.view;

  QTest::mouseClick(widgetOf<QRadioButton>(view, 1027), Qt::LeftButton);
  EXPECT_EQ(s.dlg.IsDlgButtonChecked(1027), BST_CHECKED);
  EXPECT_EQ(s.dlg.IsDlgButtonChecked(1026), BST_UNCHECKED) << "the others of the group uncheck";
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1027)->isChecked());
  EXPECT_FALSE(widgetOf<QRadioButton>(view, 1026)->isChecked());

  // The series list, opened with the mouse and its second item clicked.
  auto* series = widgetOf<QComboBox>(view, 1012);
  QTest::mouseClick(series, Qt::LeftButton);
  ASSERT_TRUE(waitFor([series] { return series->view()->isVisible(); }));
  QAbstractItemView* list = series->view();
  // A release soon after the press that opened the list is taken for the end
  // of that click, as a user's would be.
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  const QRect item = list->visualRect(list->model()->index(1, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
  ASSERT_TRUE(waitFor([list] { return !list->isVisible(); }));
  EXPECT_EQ(s.dlg.m_cbBigModel.GetCurSel(), 1);

  QLineEdit* angle = widgetOf<QComboBox>(view, 1017)->lineEdit();
  ASSERT_NE(angle, nullptr);
  angle->selectAll();
  QTest::keyClicks(angle, QStringLiteral("45"));
  CString text;
  s.dlg.m_cbAngle.GetWindowText(text);
  EXPECT_EQ(text, L"45");

  QTest::keyClicks(widgetOf<QLineEdit>(view, 1003), QStringLiteral("1"));
  s.dlg.GetDlgItemText(1003, text);
  EXPECT_EQ(text, L"9901");

  QTest::mouseClick(widgetOf<QPushButton>(view, 206), Qt::LeftButton);  // disabled
  QTest::mouseClick(widgetOf<QPushButton>(view, 204), Qt::LeftButton);
  EXPECT_EQ(s.dlg.calls,
            (std::vector<std::string>{"view:1027", "selchange:B-9", "selendok", "editchange:4",
                                      "editchange:45", "enchange", "base:add"}));
}

TEST_F(DialogViewTest, TheModalRunEndsWithOkEnterOrEscAndNotBefore) {
  {
    testdlg::CTestDlg dlg;
    whenIdle([] {
      auto* view = dynamic_cast<zrgui::DialogView*>(guitest::activeModal());
      ASSERT_NE(view, nullptr);
      EXPECT_TRUE(view->isModal());
      QTest::mouseClick(qobject_cast<QPushButton*>(view->controlWidget(IDOK)), Qt::LeftButton);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.initialised);
  }
  {
    testdlg::CTestDlg dlg;
    whenIdle([] { QTest::keyClick(guitest::activeModal(), Qt::Key_Escape); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  }
  {
    testdlg::CTestDlg dlg;
    whenIdle([] {
      auto* view = dynamic_cast<zrgui::DialogView*>(guitest::activeModal());
      view->controlWidget(1003)->setFocus();
      QTest::keyClick(view->controlWidget(1003), Qt::Key_Return);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK) << "Enter in an edit is the default button";
  }
}

TEST_F(DialogViewTest, ANumberThatIsNoneIsRefusedByAQtPromptAndTheDialogStaysUp) {
  testdlg::CTestDlg dlg;
  bool prompted = false;
  bool stayedUp = false;
  whenIdle([&] {
    auto* view = dynamic_cast<zrgui::DialogView*>(guitest::activeModal());
    ASSERT_NE(view, nullptr);
    auto* edit = qobject_cast<QLineEdit*>(view->controlWidget(1003));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    whenIdle([&] {
      auto* box = qobject_cast<QMessageBox*>(guitest::activeModal());
      ASSERT_NE(box, nullptr);
      prompted = true;
      EXPECT_EQ(box->text(), QStringLiteral("请输入一个数字。"));
      EXPECT_EQ(box->icon(), QMessageBox::Warning);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("fancad"));
      EXPECT_EQ(box->buttons().size(), 1);
      box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(qobject_cast<QPushButton*>(view->controlWidget(IDOK)), Qt::LeftButton);
    stayedUp = !dlg.IsDialogEnded() && view->isVisible();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("12.5"));
    QTest::mouseClick(qobject_cast<QPushButton*>(view->controlWidget(IDOK)), Qt::LeftButton);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(prompted);
  EXPECT_TRUE(stayedUp);
  EXPECT_EQ(dlg.m_dAllPress, 12.5);
}

TEST_F(DialogViewTest, MessageBoxesHaveTheirCaptionTextButtonsAndIcon) {
  struct Case {
    UINT type;
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton press;
    int answer;
  };
  const std::vector<Case> cases = {
      {MB_OK, QMessageBox::NoIcon, {QMessageBox::Ok}, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL | MB_ICONQUESTION,
       QMessageBox::Question,
       {QMessageBox::Ok, QMessageBox::Cancel},
       QMessageBox::Cancel,
       IDCANCEL},
      {MB_YESNO | MB_ICONEXCLAMATION,
       QMessageBox::Warning,
       {QMessageBox::Yes, QMessageBox::No},
       QMessageBox::No,
       IDNO},
      {MB_YESNOCANCEL | MB_ICONINFORMATION,
       QMessageBox::Information,
       {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
       QMessageBox::Yes,
       IDYES},
      {MB_OK | MB_ICONERROR, QMessageBox::Critical, {QMessageBox::Ok}, QMessageBox::Ok, IDOK},
  };
  for (const Case& c : cases) {
    whenIdle([&c] {
      auto* box = qobject_cast<QMessageBox*>(guitest::activeModal());
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
      EXPECT_EQ(box->text(), QStringLiteral("确实要删除吗?"));
      EXPECT_EQ(box->icon(), c.icon);
      ASSERT_EQ(box->buttons().size(), c.buttons.size());
      for (auto b : c.buttons) EXPECT_NE(box->button(b), nullptr);
      EXPECT_EQ(box->defaultButton(), box->button(c.buttons.front())) << "the first is the default";
      box->button(c.press)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, L"确实要删除吗?", L"提示", c.type), c.answer);
  }
}

// A dialog whose button steps aside for a point picked in the drawing.
class CPickDlg : public testdlg::CTestDlg {
 public:
  int pickResult = 0;
  double picked[3] = {0, 0, 0};
  bool hiddenWhilePicking = false;
  void OnPick() {
    BeginEditorCommand();
    pickResult = acedGetPoint(nullptr, L"\nPick a point: ", picked);
    CompleteEditorCommand();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPickDlg, testdlg::CTestDlg)
ON_BN_CLICKED(204, &CPickDlg::OnPick)
END_MESSAGE_MAP()

TEST_F(DialogViewTest, AnEditorCommandHidesTheDialogUntilTheDrawingHasAnswered) {
  zrgui::WindowInput input;
  zrbase::setCurrentInput(&input);
  CPickDlg dlg;
  zrgui::DialogView* seen = nullptr;
  input.setBeforeWait([&] {
    // The prompt waits for the drawing: the dialog is off the screen.
    dlg.hiddenWhilePicking = seen && !seen->isVisible();
    whenIdle([&input] { input.submit("3,4"); });
  });
  whenIdle([&] {
    seen = dynamic_cast<zrgui::DialogView*>(guitest::activeModal());
    ASSERT_NE(seen, nullptr);
    QTest::mouseClick(qobject_cast<QPushButton*>(seen->controlWidget(204)), Qt::LeftButton);
    EXPECT_TRUE(seen->isVisible()) << "the dialog is back once the point is picked";
    QTest::mouseClick(qobject_cast<QPushButton*>(seen->controlWidget(IDOK)), Qt::LeftButton);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  zrbase::setCurrentInput(nullptr);
  EXPECT_TRUE(dlg.hiddenWhilePicking);
  EXPECT_EQ(dlg.pickResult, RTNORM);
  EXPECT_EQ(dlg.picked[0], 3);
  EXPECT_EQ(dlg.picked[1], 4);
}

}  // namespace
