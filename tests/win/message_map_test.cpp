// Message maps: entries found in the class's map, then in its base classes',
// derived entries first; ranges, WM_NOTIFY with its code and id, results, and
// the standard buttons reaching OnOK/OnCancel through CDialog's own map.
#include <gtest/gtest.h>

#include "test_dialog.h"

namespace {

struct MapFixture : ::testing::Test {
  testdlg::ScopedResources resources;
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scoped{ui};
  testdlg::CTestDlg dlg;
  void SetUp() override {
    ASSERT_TRUE(dlg.Create(testdlg::kDialogId));
    dlg.calls.clear();
  }
  void click(int id) { winplat::clickButton(dlg.GetDlgItem(id)->m_hWnd); }
};

// A command target outside any window: maps work for any CCmdTarget.
class CCounter : public CCmdTarget {
 public:
  int count = 0;
  void OnCount() { ++count; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCounter, CCmdTarget)
ON_COMMAND(33, &CCounter::OnCount)
END_MESSAGE_MAP()

}  // namespace

TEST_F(MapFixture, BaseClassEntriesAreReachedAndDerivedEntriesWin) {
  click(204);
  click(206);
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"base:add", "derived:delete"}));
  EXPECT_NE(dlg.FindMessageEntry(WM_COMMAND, BN_CLICKED, 204), nullptr);
  EXPECT_EQ(dlg.FindMessageEntry(WM_COMMAND, CBN_SELCHANGE, 204), nullptr)
      << "the code must match as well as the id";
}

TEST_F(MapFixture, RangesPassTheIdAndHandlersSeeTheNewState) {
  click(1028);
  click(202);
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"view:1028", "mode:1"}));
}

TEST_F(MapFixture, NotifyEntriesMatchCodeAndIdAndReturnTheResult) {
  NMHDR hdr{dlg.GetDlgItem(210)->m_hWnd, 210, NM_CLICK};
  EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 210, reinterpret_cast<LPARAM>(&hdr)), 7);
  hdr.code = NM_DBLCLK;
  EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 210, reinterpret_cast<LPARAM>(&hdr)), 0);
  hdr.code = NM_CLICK;
  hdr.idFrom = 211;
  dlg.SendMessage(WM_NOTIFY, 211, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"notify:-2:210"}));
}

TEST_F(MapFixture, StandardButtonsReachOnOkAndOnCancel) {
  dlg.SetDlgItemText(1003, L"x");
  click(IDOK);
  EXPECT_FALSE(dlg.IsDialogEnded()) << "OnOK keeps the dialog when the data are refused";
  EXPECT_EQ(ui.boxes().size(), 1u);
  dlg.SetDlgItemText(1003, L"5");
  click(IDOK);
  EXPECT_TRUE(dlg.IsDialogEnded());
  EXPECT_EQ(dlg.GetModalResult(), IDOK);
  EXPECT_DOUBLE_EQ(dlg.m_dAllPress, 5.0);
}

TEST(MessageMap, PlainCommandTargetsDispatchCommands) {
  CCounter c;
  EXPECT_TRUE(c.OnCmdMsg(33, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(c.OnCmdMsg(34, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(c.count, 1);
}
