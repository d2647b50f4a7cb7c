// Windows and their tree: dialog-unit geometry, screen/client conversions,
// wrappers of the right class, state flags and destruction that detaches the
// objects bound to windows; message maps: entries found in the class's map,
// then in its base classes', derived entries first, ranges, WM_NOTIFY with its
// code and id.
#include <gtest/gtest.h>

#include "test_dialog.h"

using testdlg::DialogFixture;

TEST(DialogUnits, ConvertWithTheFixedBaseUnitsAndRoundHalvesAway) {
  // 1.5 pixels a unit both ways; 1.5 and 4.5 round up, -1.5 down.
  const struct { int dlu, pixels; } cases[] = {{4, 6}, {1, 2}, {3, 5}, {-1, -2}};
  for (const auto& c : cases) {
    EXPECT_EQ(winplat::dluToPixelsX(c.dlu), c.pixels) << c.dlu;
    EXPECT_EQ(winplat::dluToPixelsY(c.dlu), c.pixels) << c.dlu;
  }
  EXPECT_EQ(CRect(winplat::dluRectToPixels(110, 8, 80, 60)), CRect(165, 12, 285, 102));
}

TEST_F(DialogFixture, ControlsStandAtTheirTemplatePlaceSeenFromTheScreenOrTheClient) {
  CRect client;
  dlg.GetClientRect(&client);
  EXPECT_EQ(client, CRect(0, 0, 300, 240)) << "the template size is the client size";
  CWnd* placeholder = dlg.GetDlgItem(210);
  CRect r;
  placeholder->GetWindowRect(&r);
  dlg.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(165, 12, 285, 102)) << "the grid takes exactly the placeholder's place";
  placeholder->GetClientRect(&client);
  EXPECT_EQ(client, CRect(0, 0, 118, 88)) << "a sunken static has a one-pixel edge";
}

TEST_F(DialogFixture, WrappersMatchTheWindowClassAndHandlesMapBack) {
  EXPECT_EQ(dlg.GetDlgItem(1018), &dlg.m_cbHand) << "a bound control returns its object";
  EXPECT_TRUE(dlg.GetDlgItem(1002)->IsKindOf(RUNTIME_CLASS(CEdit)));
  EXPECT_TRUE(dlg.GetDlgItem(202)->IsKindOf(RUNTIME_CLASS(CButton)));
  EXPECT_TRUE(dlg.GetDlgItem(210)->IsKindOf(RUNTIME_CLASS(CStatic)));
  EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
  CWnd* edit = dlg.GetDlgItem(1003);
  EXPECT_EQ(edit, dlg.GetDlgItem(1003)) << "the wrapper is kept with the window";
  EXPECT_EQ(CWnd::FromHandle(edit->GetSafeHwnd()), edit);
  EXPECT_EQ(edit->GetDlgCtrlID(), 1003);
  EXPECT_EQ(edit->GetParent(), &dlg);
  EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
  HWND label = nullptr;
  dlg.GetDlgItem(IDC_STATIC, &label);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->id, 65535) << "IDC_STATIC is stored as a 16-bit id";

  CString caption;
  dlg.GetWindowText(caption);
  EXPECT_EQ(caption, L"测试对话框");
}

TEST_F(DialogFixture, StateFlagsFollowEnableAndShow) {
  CWnd* edit = dlg.GetDlgItem(1002);
  EXPECT_FALSE(edit->IsWindowEnabled()) << "disabled in the template";
  EXPECT_TRUE(edit->EnableWindow(TRUE)) << "reports that it was disabled";
  EXPECT_TRUE(edit->IsWindowEnabled());
  EXPECT_FALSE(edit->EnableWindow(FALSE));
  EXPECT_TRUE(edit->GetStyle() & WS_DISABLED);

  dlg.ShowWindow(SW_SHOW);
  EXPECT_TRUE(edit->IsWindowVisible());
  EXPECT_TRUE(edit->ShowWindow(SW_HIDE));
  EXPECT_FALSE(edit->IsWindowVisible());
  edit->ShowWindow(SW_SHOW);
  dlg.ShowWindow(SW_HIDE);
  EXPECT_FALSE(edit->IsWindowVisible()) << "a hidden parent hides its children";
  EXPECT_TRUE(edit->GetStyle() & WS_VISIBLE) << "while the child keeps its own flag";
}

TEST_F(DialogFixture, ObjectsDestroyTheirWindowsAndDestroyingTheDialogDetachesBoundControls) {
  HWND child = nullptr;
  {
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(1, 2, 41, 22), &dlg, 900));
    child = edit.m_hWnd;
    EXPECT_EQ(dlg.GetDlgItem(900), &edit);
    EXPECT_FALSE(edit.Create(WS_CHILD, CRect(0, 0, 1, 1), &dlg, 901)) << "already created";
  }
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(dlg.GetDlgItem(900), nullptr);
  CEdit orphan;
  EXPECT_FALSE(orphan.Create(WS_CHILD, CRect(0, 0, 1, 1), nullptr, 902))
      << "a child window needs a parent";

  HWND combo = dlg.m_cbHand.m_hWnd;
  EXPECT_TRUE(dlg.DestroyWindow());
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_cbHand.m_hWnd, nullptr) << "bound control objects are detached";
  EXPECT_FALSE(IsWindow(combo));
  EXPECT_EQ(dlg.calls.back(), "destroy") << "ON_WM_DESTROY reached the handler";
  EXPECT_EQ(dlg.m_cbHand.GetCount(), 0) << "a detached object is safe to use";
}

TEST_F(DialogFixture, MessageMapsReachBaseEntriesRangesAndNotifiesWithTheirResult) {
  click(204);
  click(206);
  click(1028);
  click(202);
  EXPECT_EQ(dlg.calls,
            (std::vector<std::string>{"base:add", "derived:delete", "view:1028", "mode:1"}))
      << "a base entry is reached, the derived entry wins, a range passes the id, and a "
         "handler sees the new state";
  EXPECT_NE(dlg.FindMessageEntry(WM_COMMAND, BN_CLICKED, 204), nullptr);
  EXPECT_EQ(dlg.FindMessageEntry(WM_COMMAND, CBN_SELCHANGE, 204), nullptr)
      << "the code must match as well as the id";

  dlg.calls.clear();
  NMHDR hdr{dlg.GetDlgItem(210)->m_hWnd, 210, NM_CLICK};
  EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 210, reinterpret_cast<LPARAM>(&hdr)), 7);
  hdr.code = NM_DBLCLK;
  EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 210, reinterpret_cast<LPARAM>(&hdr)), 0);
  hdr.code = NM_CLICK;
  hdr.idFrom = 211;
  dlg.SendMessage(WM_NOTIFY, 211, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"notify:-2:210"}));
}
