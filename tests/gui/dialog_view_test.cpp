// Dialogs of the window layer on screen: every control of the template as its
// widget, state mirrored both ways, the modal run and its keys, message boxes
// and the data-exchange prompt as Qt boxes. (A dialog stepping aside for the
// drawing is tested with the fan dialog in host_window_test.cpp.)
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/dialog_view.h"
#include "gui/gui_ui_service.h"
#include "gui_test_support.h"
#include "test_dialog.h"

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

TEST_F(DialogViewTest, TemplateControlsBecomeTheirWidgetsAndStateGoesBothWays) {
  ShownDialog s;
  s.dlg.m_cbBigModel.AddString(L"B-9");
  s.dlg.m_cbBigModel.AddString(L"A-4");
  s.dlg.m_cbBigModel.SetCurSel(1);
  s.view->sync();
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
  auto* series = widgetOf<QComboBox>(view, 1012);
  ASSERT_EQ(series->count(), 2);
  EXPECT_EQ(series->itemText(0), QStringLiteral("A-4")) << "a sorted list shows the sorted order";
  EXPECT_EQ(series->currentText(), QStringLiteral("B-9"));
  EXPECT_TRUE(widgetOf<QComboBox>(view, 1017)->isEditable());
  EXPECT_EQ(widgetOf<QComboBox>(view, 1017)->currentText(), QStringLiteral("0"));
  EXPECT_EQ(widgetOf<QLabel>(view, 210)->frameShadow(), QFrame::Sunken);

  // Clicks, choices and typing become the notifications of the message map.
  QTest::mouseClick(widgetOf<QRadioButton>(view, 1027), Qt::LeftButton);
  EXPECT_EQ(s.dlg.IsDlgButtonChecked(1027), BST_CHECKED);
  EXPECT_EQ(s.dlg.IsDlgButtonChecked(1026), BST_UNCHECKED) << "the others of the group uncheck";
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1027)->isChecked());
  EXPECT_FALSE(widgetOf<QRadioButton>(view, 1026)->isChecked());
  ASSERT_TRUE(guitest::pickWithMouse(series, QStringLiteral("A-4")));
  EXPECT_EQ(s.dlg.m_cbBigModel.GetCurSel(), 0);
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
            (std::vector<std::string>{"view:1027", "selchange:A-4", "selendok", "editchange:4",
                                      "editchange:45", "enchange", "base:add"}));

  // What handlers change reaches the screen.
  s.dlg.GetDlgItem(1002)->EnableWindow(TRUE);
  s.dlg.SetDlgItemText(1002, L"2000");
  s.dlg.CheckRadioButton(1026, 1028, 1028);
  s.dlg.GetDlgItem(204)->ShowWindow(SW_HIDE);
  s.dlg.SetWindowText(L"新标题");
  s.view->sync();
  EXPECT_TRUE(widgetOf<QLineEdit>(view, 1002)->isEnabled());
  EXPECT_EQ(widgetOf<QLineEdit>(view, 1002)->text(), QStringLiteral("2000"));
  EXPECT_TRUE(widgetOf<QRadioButton>(view, 1028)->isChecked());
  EXPECT_FALSE(widgetOf<QRadioButton>(view, 1027)->isChecked());
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

}  // namespace
