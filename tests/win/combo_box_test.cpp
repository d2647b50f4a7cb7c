// Combo boxes: sorted and unsorted lists, the selection and the text shown. (The
// case-sensitive search of "dlg select": dialog_script_test.cpp.)
#include "win/combo_box.h"

#include <gtest/gtest.h>

#include "test_dialog.h"

namespace {

struct ComboFixture : testdlg::DialogFixture {
  static std::vector<std::wstring> items(const CComboBox& c) {
    std::vector<std::wstring> list;
    for (int i = 0; i < c.GetCount(); ++i) {
      CString s;
      c.GetLBText(i, s);
      list.push_back(s.str());
    }
    return list;
  }
};

}  // namespace

TEST_F(ComboFixture, SortedListsKeepTextOrderIgnoringCaseUnsortedOnesTheOrderOfAdding) {
  CComboBox& c = dlg.m_cbBigModel;
  EXPECT_EQ(c.AddString(L"960"), 0);
  EXPECT_EQ(c.AddString(L"1450"), 0) << "texts of numbers sort as texts";
  EXPECT_EQ(c.AddString(L"b"), 2);
  EXPECT_EQ(c.AddString(L"A"), 2);
  EXPECT_EQ(c.AddString(L"a"), 3) << "equal ignoring case: after the existing item";
  EXPECT_EQ(c.AddString(L"_x"), 5) << "letters fold to upper case, which sorts before '_'";
  EXPECT_EQ(items(c), (std::vector<std::wstring>{L"1450", L"960", L"A", L"a", L"b", L"_x"}));

  EXPECT_EQ(items(dlg.m_cbHand), (std::vector<std::wstring>{L"左", L"右"}))
      << "initial items of the template, in their order";
  EXPECT_EQ(dlg.m_cbHand.AddString(L"中"), 2);
}

TEST_F(ComboFixture, TheSelectionDrivesTheTextShownAndADropDownKeepsTypedText) {
  CComboBox& list = dlg.m_cbBigModel;  // a drop-down list
  list.AddString(L"4-72");
  list.AddString(L"9-19");
  CComboBox& drop = dlg.m_cbAngle;  // a drop-down with an edit field
  drop.AddString(L"90");
  drop.AddString(L"0");
  EXPECT_EQ(text(1012), L"") << "no selection, nothing shown";
  EXPECT_EQ(text(1017), L"0") << "data exchange put the member's text into the field";
  EXPECT_EQ(drop.GetCurSel(), -1) << "before the items existed nothing could be selected";
  EXPECT_EQ(list.SetCurSel(1), 1);
  drop.SetCurSel(1);
  list.SetWindowText(L"other");
  EXPECT_EQ(text(1012), L"9-19") << "a drop-down list has no text of its own";
  EXPECT_EQ(text(1017), L"90");
  drop.SetWindowText(L"45");
  EXPECT_EQ(text(1017), L"45");
  EXPECT_EQ(drop.GetCurSel(), 1) << "typing leaves the selection";
  EXPECT_EQ(list.SetCurSel(5), CB_ERR);
  EXPECT_EQ(list.GetCurSel(), -1) << "a bad index clears the selection";
  EXPECT_EQ(list.GetWindowTextLength(), 0);
  drop.ResetContent();
  EXPECT_EQ(drop.GetCount(), 0);
  EXPECT_EQ(drop.GetWindowTextLength(), 0) << "the field is emptied with the list";
}
