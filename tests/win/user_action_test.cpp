// Where the window layer puts the bounds of a user action: the messages one input sends are
// one action, the next input is another, and opening a dialog belongs to the action that
// opened it. The data layer spends one waiting budget per action, so these bounds decide how
// long a dialog can keep a user waiting on a locked catalogue.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "base/console_input.h"
#include "base/user_action.h"
#include "test_dialog.h"
#include "win/dialog_script.h"

namespace {

using Clock = zrbase::UserAction::Clock;
using std::chrono::hours;

// The deadline a wait in the current action would get if it asked for `budget` now; the
// first asker of an action fixes it for the whole action. Empty between actions.
std::optional<Clock::time_point> deadlineFor(Clock::duration budget) {
  zrbase::UserAction* action = zrbase::currentUserAction();
  if (action == nullptr) return std::nullopt;
  return action->waitDeadline(budget);
}

class CActionDlg : public testdlg::CTestDlg {
 public:
  std::optional<Clock::time_point> atInit, atSelect, atNestedEdit, atTyped;
  BOOL OnInitDialog() override {
    atInit = deadlineFor(hours(1));
    CTestDlg::OnInitDialog();
    for (const wchar_t* series : {L"4-72", L"9-19"}) m_cbBigModel.AddString(series);
    return TRUE;
  }
  // A handler that changes another control the way a cascade does: the notification it
  // sends is handled inside the same action.
  void OnSeries() {
    atSelect = deadlineFor(hours(2));
    SendMessage(WM_COMMAND, MAKEWPARAM(1003, EN_CHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(1003)->m_hWnd));
  }
  void OnPressure() {
    if (!atNestedEdit) {
      atNestedEdit = deadlineFor(hours(3));
    } else {
      atTyped = deadlineFor(hours(4));
    }
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CActionDlg, testdlg::CTestDlg)
ON_CBN_SELCHANGE(1012, &CActionDlg::OnSeries)
ON_EN_CHANGE(1003, &CActionDlg::OnPressure)
END_MESSAGE_MAP()

struct UserActions : ::testing::Test {
  testdlg::ScopedResources resources;
  winplat::ConsoleUiService console;
  winplat::ScopedUiService scoped{console};
  std::ostringstream out;
  std::istringstream in{"dlg select 1012 9-19\ndlg type 1003 5\ndlg cancel\n"};
  zrbase::StreamInput input{in, true};
  void SetUp() override {
    zrbase::setCurrentInput(&input);
    zrbase::setConsoleOut(&out);
  }
  void TearDown() override {
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
  }
};

TEST_F(UserActions, EachInputToADialogIsOneActionWithTheMessagesItSends) {
  CActionDlg dlg;
  {
    // The command that opens the dialog.
    zrbase::UserActionScope command;
    const Clock::time_point commandDeadline = *deadlineFor(hours(10));
    dlg.DoModal();
    EXPECT_EQ(dlg.atInit, commandDeadline) << "filling the dialog is part of opening it";
    EXPECT_EQ(deadlineFor(hours(1)), commandDeadline) << "the command's action resumes after";
  }
  ASSERT_TRUE(dlg.atSelect && dlg.atNestedEdit && dlg.atTyped);
  EXPECT_LT(*dlg.atSelect, *dlg.atInit) << "a new action while the dialog is up";
  EXPECT_EQ(*dlg.atNestedEdit, *dlg.atSelect) << "the handler's message joins its action";
  EXPECT_GT(*dlg.atTyped, *dlg.atSelect) << "the next line is an action of its own";
  EXPECT_EQ(zrbase::currentUserAction(), nullptr);
}

TEST_F(UserActions, AMessageFromOutsideAnyActionBeginsOne) {
  CActionDlg dlg;
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService recording(ui);
  ui.onModal([](CDialog& up) {
    EXPECT_EQ(zrbase::currentUserAction(), nullptr) << "the dialog waits for the user";
    winplat::userSelect(up.GetDlgItem(1012)->m_hWnd, 1);
  });
  dlg.DoModal();
  ASSERT_TRUE(dlg.atInit && dlg.atSelect && dlg.atNestedEdit);
  EXPECT_EQ(*dlg.atNestedEdit, *dlg.atSelect);
}

}  // namespace
