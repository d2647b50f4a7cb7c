// Data exchange both ways: the standard double format, the prompt for a text
// that is not a number (and the members it leaves alone), radio groups, combo
// strings and binding controls of any class.
#include <gtest/gtest.h>

#include "test_dialog.h"

namespace {

using testdlg::DialogFixture;

// A control class of another library: bound by DDX_Control like any CWnd.
class CCustomCtrl : public CWnd {
 public:
  int subclassed = 0;

 protected:
  void PreSubclassWindow() override { ++subclassed; }
};

class CCustomDlg : public CDialog {
 public:
  CCustomDlg() : CDialog(testdlg::kDialogId) {}
  CCustomCtrl m_preview;
  int m_nUnchecked = 5;
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, 210, m_preview);
    DDX_Radio(pDX, 1026, m_nUnchecked);
  }
};

class CBrokenDlg : public CDialog {
 public:
  CBrokenDlg() : CDialog(testdlg::kDialogId) {}
  CString m_value;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 4711, m_value); }
};

}  // namespace

TEST_F(DialogFixture, DoublesAreShownInTheStandardFormatAndReadBackWithBlanksAround) {
  EXPECT_EQ(text(1002), L"1131");
  EXPECT_EQ(text(1003), L"990");
  // 15 significant digits hide the binary rounding (0.1).
  const struct {
    double value;
    const wchar_t* shown;
  } shown[] = {
      {101325.0, L"101325"}, {0.1, L"0.1"}, {1.0 / 3.0, L"0.333333333333333"}, {1e20, L"1e+20"}};
  for (const auto& c : shown) {
    dlg.m_dAllPress = c.value;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(text(1003), c.shown) << c.value;
  }
  const struct {
    const wchar_t* typed;
    double value;
  } read[] = {{L"  2900.5 ", 2900.5}, {L"-1.5e3", -1500.0}, {L"0", 0.0}};
  for (const auto& c : read) {
    dlg.SetDlgItemText(1003, c.typed);
    EXPECT_TRUE(dlg.UpdateData(TRUE)) << CString(c.typed).ToUtf8();
    EXPECT_DOUBLE_EQ(dlg.m_dAllPress, c.value);
  }
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(DialogFixture, ATextThatIsNotANumberPromptsAndStopsTheExchange) {
  dlg.SetDlgItemText(1002, L"12abc");
  dlg.m_nSelectMode = 1;
  dlg.CheckRadioButton(202, 203, 202);
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_EQ(ui.boxes()[0].text, L"请输入一个数字。");
  EXPECT_EQ(ui.boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_DOUBLE_EQ(dlg.m_dFlux, 1131.0) << "the refused member keeps its value";
  EXPECT_EQ(dlg.m_nSelectMode, 1) << "members after the failing one are not read";
  EXPECT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(1002)) << "focus goes to the refused control";

  for (const wchar_t* bad : {L"", L"abc", L".5x", L"0x10", L"inf", L"nan", L"1,5", L"-0"}) {
    ui.clear();
    dlg.SetDlgItemText(1002, bad);
    EXPECT_FALSE(dlg.UpdateData(TRUE)) << "'" << CString(bad).ToUtf8() << "'";
    EXPECT_EQ(ui.boxes().size(), 1u);
  }
}

TEST_F(DialogFixture, RadioGroupsCheckOneButtonAndReadTheCheckedIndex) {
  EXPECT_FALSE(dlg.IsDlgButtonChecked(202));
  EXPECT_TRUE(dlg.IsDlgButtonChecked(203)) << "m_nSelectMode 1 checks the second radio";
  EXPECT_TRUE(dlg.IsDlgButtonChecked(1026));
  dlg.m_nView = 2;
  dlg.UpdateData(FALSE);
  EXPECT_FALSE(dlg.IsDlgButtonChecked(1026));
  EXPECT_TRUE(dlg.IsDlgButtonChecked(1028));
  EXPECT_FALSE(dlg.IsDlgButtonChecked(1030)) << "the check box after the group is not in it";

  click(1027);
  EXPECT_FALSE(dlg.IsDlgButtonChecked(1028)) << "an auto radio unchecks its group";
  EXPECT_TRUE(dlg.IsDlgButtonChecked(203)) << "but not another group";
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.m_nView, 1);
  dlg.CheckRadioButton(1026, 1028, 0);
  dlg.UpdateData(TRUE);
  EXPECT_EQ(dlg.m_nView, -1) << "no button checked reads as -1";
}

TEST_F(DialogFixture, ComboStringsSelectByPrefixOrFillTheEditField) {
  for (const wchar_t* angle : {L"0", L"90", L"180"}) dlg.m_cbAngle.AddString(angle);
  dlg.m_strAngle = L"9";
  dlg.UpdateData(FALSE);
  EXPECT_EQ(dlg.m_cbAngle.GetCurSel(), 2) << "the first item starting with the text";
  EXPECT_EQ(text(1017), L"90");
  dlg.m_strAngle = L"45";
  dlg.UpdateData(FALSE);
  EXPECT_EQ(text(1017), L"45") << "no item: the text goes into the edit field";
  dlg.m_cbAngle.SetWindowText(L"135");
  dlg.UpdateData(TRUE);
  EXPECT_EQ(dlg.m_strAngle, L"135");
}

TEST_F(DialogFixture, ControlsOfAnyClassAreBoundOnceAndBadIdsAreBugs) {
  CCustomDlg custom;
  ASSERT_TRUE(custom.Create(testdlg::kDialogId));
  EXPECT_EQ(custom.GetDlgItem(210), &custom.m_preview);
  EXPECT_EQ(custom.m_preview.subclassed, 1);
  custom.UpdateData(FALSE);
  EXPECT_EQ(custom.m_preview.subclassed, 1) << "later exchanges leave the binding";
  EXPECT_FALSE(custom.IsDlgButtonChecked(1026)) << "an index past the group checks none";

  CBrokenDlg broken;
  EXPECT_THROW(broken.Create(testdlg::kDialogId), std::logic_error)
      << "a control id missing from the template is the program's bug";
}

TEST_F(DialogFixture, NotificationsAreIgnoredWhileExchangingData) {
  dlg.m_dAllPress = 12;
  dlg.UpdateData(FALSE);
  EXPECT_TRUE(dlg.calls.empty()) << "EN_CHANGE of the exchange is locked out";
  dlg.SetDlgItemText(1003, L"13");
  EXPECT_EQ(dlg.calls, std::vector<std::string>{"enchange"})
      << "a program's SetWindowText on an edit notifies";
}
