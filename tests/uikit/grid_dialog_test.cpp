// The grid as a child of a dialog: created over a placeholder's rectangle, the
// end-of-edit notification after the text is changed (and a refusal restoring the
// old text), cells made from a pattern when first asked for, and the grid seen
// through "dlg grid" lines and the DUMP. (Clicks and edits by mouse and keys:
// tests/gui/dialog_view_test.cpp.)
#include <gtest/gtest.h>

#include <memory>

#include "grid_dialog.h"
#include "recording_ui_service.h"
#include "win/dialog_script.h"

namespace {

struct GridDialogFixture : ::testing::Test {
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scoped{ui};
  gridtest::ScopedResources resources;
  gridtest::CGridHostDlg dlg;
  CBtnDataBase buttons;
  void SetUp() override { ASSERT_TRUE(dlg.Create(gridtest::kDialogId)); }
  void apply(const std::string& line) {
    EXPECT_EQ(winplat::applyDialogLine(dlg, line), "") << line;
  }
};

}  // namespace

TEST_F(GridDialogFixture, TheGridIsAChildOverThePlaceholderAndGoesWithTheDialog) {
  CRect placeholder;
  CRect grid;
  dlg.GetDlgItem(200)->GetWindowRect(&placeholder);
  dlg.m_Grid.GetWindowRect(&grid);
  EXPECT_EQ(grid, placeholder);
  EXPECT_EQ(dlg.GetDlgItem(5003), &dlg.m_Grid);
  EXPECT_EQ(dlg.m_Grid.GetParent(), &dlg);
  EXPECT_FALSE(dlg.m_Grid.Create(grid, &dlg, 5004)) << "one window per grid";
  CGridCtrl orphan;
  EXPECT_FALSE(orphan.Create(grid, nullptr, 5006));
  CGridCtrl unbuilt;
  EXPECT_FALSE(unbuilt.Create(grid, &unbuilt, 5007)) << "the parent must have a window";

  // The grid window goes with the dialog; the cells live with the object.
  HWND window = dlg.m_Grid.m_hWnd;
  dlg.DestroyWindow();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dlg.m_Grid.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 1), L"1131");
  dlg.m_Grid.clickCell(1, 1);
  EXPECT_EQ(dlg.events.size(), 0u) << "no parent, no notification";
}

TEST_F(GridDialogFixture, EndOfEditComesAfterTheTextChangedAndARefusalRestoresIt) {
  // An edit that keeps the text moves the focus and sends nothing; a blank or another
  // letter case is a change.
  EXPECT_TRUE(dlg.m_Grid.editCell(1, 1, L"1131"));
  EXPECT_TRUE(dlg.m_Grid.editCell(2, 2, L""));
  EXPECT_EQ(dlg.m_Grid.GetFocusCell(), CCellID(2, 2));
  apply("dlg grid 5003 edit 1 1 1131 ");
  EXPECT_TRUE(dlg.events.empty()) << "the line's trailing blank is dropped";
  EXPECT_TRUE(dlg.m_Grid.editCell(1, 1, L"1131 "));
  EXPECT_TRUE(dlg.m_Grid.editCell(2, 1, L"A"));
  EXPECT_TRUE(dlg.m_Grid.editCell(2, 1, L"a"));
  EXPECT_EQ(dlg.events, (std::vector<std::string>{"edit 1 1 1131 ", "edit 2 1 A", "edit 2 1 a"}));

  EXPECT_TRUE(dlg.m_Grid.editCell(1, 1, L"2900"));
  EXPECT_EQ(dlg.events.back(), "edit 1 1 2900") << "the handler reads the new text";
  EXPECT_EQ(dlg.m_Grid.GetFocusCell(), CCellID(1, 1));
  dlg.editResult = -1;
  EXPECT_TRUE(dlg.m_Grid.editCell(1, 1, L"abc"));
  EXPECT_EQ(dlg.events.back(), "edit 1 1 abc");
  EXPECT_EQ(dlg.m_Grid.GetItemText(1, 1), L"2900") << "a negative result refuses the text";
  dlg.editResult = 0;
  const auto before = dlg.events.size();
  EXPECT_FALSE(dlg.m_Grid.editCell(0, 1, L"x")) << "headings are not edited in place";
  EXPECT_FALSE(dlg.m_Grid.pickCell(1, 1, L"x")) << "a plain cell has no choices";
  EXPECT_EQ(dlg.events.size(), before);
}

TEST_F(GridDialogFixture, DlgLinesAndTheDumpSeeTheGrid) {
  apply("dlg grid 5003 edit 2 1 960");
  apply("dlg grid 5003 click 2 2");
  EXPECT_EQ(dlg.events, (std::vector<std::string>{"edit 2 1 960", "click 2 2"}));
  const std::string json = winplat::dialogDumpJson(dlg);
  EXPECT_NE(json.find("\"grids\":[{\"id\":5003,\"rows\":3,\"cols\":3,\"fixedRows\":1,"
                      "\"fixedCols\":1,\"focus\":[2,2],\"cells\":[[\"\",\"风量\",\"\"],"
                      "[\"1\",\"1131\",\"\"],[\"\",\"960\",\"\"]]}]"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.find("5003,\"kind\""), std::string::npos) << "a grid is not a standard control";
}

TEST_F(GridDialogFixture, ComboButtonCellsOfferTheirListAndAPickEndsTheEdit) {
  dlg.m_Grid.SetItemText(2, 1, L"B");
  CGridBtnCellCombo* cell = gridtest::makeComboCell(dlg.m_Grid, buttons, 2, 1, {L"B", L"A"});
  ASSERT_NE(cell, nullptr);
  cell->SetComboStyle(CBS_DROPDOWNLIST);
  EXPECT_EQ(buttons.GetBoundCellCount(), 1);
  EXPECT_EQ(cell->GetButtonCount(), 1);
  EXPECT_EQ(dlg.m_Grid.GetItemText(2, 1), L"B") << "the text survives the change of type";

  apply("dlg grid 5003 pick 2 1 A");
  EXPECT_EQ(dlg.events.back(), "edit 2 1 A");
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 pick 2 1 C"),
            "cell (2,1) of grid 5003 has no choice 'C'");
  EXPECT_NE(winplat::dialogDumpJson(dlg).find("[\"\",\"A\",\"\"]"), std::string::npos);

  ASSERT_TRUE(dlg.m_Grid.SetCellType(2, 1, RUNTIME_CLASS(CGridBtnCellCombo)));
  cell = dynamic_cast<CGridBtnCellCombo*>(dlg.m_Grid.GetCell(2, 1));
  EXPECT_EQ(cell->GetButtonCount(), 0) << "set up from scratch";
  EXPECT_EQ(cell->GetComboString().GetSize(), 0);
  EXPECT_EQ(dlg.m_Grid.GetItemText(2, 1), L"A");
  EXPECT_FALSE(dlg.m_Grid.pickCell(2, 1, L"A")) << "no choices yet";
}

TEST_F(GridDialogFixture, ADropDownListTakesOnlyItsChoicesAndADropDownComboAnyText) {
  dlg.m_Grid.SetItemText(2, 2, L"A");
  CGridBtnCellCombo* cell = gridtest::makeComboCell(dlg.m_Grid, buttons, 2, 2, {L"A", L"直联"});
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(dlg.m_Grid.cellChoicesOnly(2, 2)) << "a new combo cell is a drop-down list";
  EXPECT_FALSE(dlg.m_Grid.cellChoicesOnly(2, 1)) << "plain cell";
  EXPECT_FALSE(dlg.m_Grid.editCell(2, 2, L"B"));
  EXPECT_EQ(dlg.m_Grid.GetItemText(2, 2), L"A");
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 edit 2 2 B"),
            "cell (2,2) of grid 5003 is a drop-down list and 'B' is none of its choices (A, 直联)");
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 edit 2 2"),
            "cell (2,2) of grid 5003 is a drop-down list and '' is none of its choices (A, 直联)")
      << "a list cannot be emptied by typing either";
  EXPECT_TRUE(dlg.events.empty()) << "a refused edit sends nothing";
  apply("dlg grid 5003 edit 2 2 直联");
  EXPECT_EQ(dlg.events.back(), "edit 2 2 直联") << "typing one of the choices is a choice";

  cell->SetComboStyle(CBS_DROPDOWN | CBS_SORT);
  EXPECT_FALSE(dlg.m_Grid.cellChoicesOnly(2, 2));
  apply("dlg grid 5003 edit 2 2 B");
  EXPECT_EQ(dlg.m_Grid.GetItemText(2, 2), L"B") << "a combo with an edit field takes any text";
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 pick 2 2 B"),
            "cell (2,2) of grid 5003 has no choice 'B'")
      << "a pick still comes from the list";

  cell->SetComboStyle(CBS_DROPDOWNLIST | CBS_SORT);
  cell->SetComboString(CStringArray());
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 edit 2 2 A"),
            "cell (2,2) of grid 5003 is a drop-down list and 'A' is none of its choices (none)");
}

// A cell given a pattern is made only when asked for; before and after, it
// reads as the cell SetCellType and the same set-up make at once.
TEST_F(GridDialogFixture, ACellMadeFromAPatternReadsAsOneSetUpAtOnce) {
  CGridCtrl& g = dlg.m_Grid;
  g.SetItemText(1, 1, L"B");
  g.SetItemText(2, 1, L"B");
  ASSERT_NE(gridtest::makeComboCell(g, buttons, 1, 1, {L"B", L"A"}), nullptr);
  auto pattern = std::make_shared<CGridBtnCellCombo>();
  pattern->SetupBtns(0, DFC_SCROLL, DFCS_SCROLLDOWN, CGridBtnCellBase::CTL_ALIGN_RIGHT, 19, FALSE,
                     L"");
  CStringArray list;
  list.Add(L"B");
  list.Add(L"A");
  pattern->SetComboString(list);
  pattern->SetBtnDataBase(&buttons);
  ASSERT_TRUE(g.SetCellPattern(2, 1, pattern));
  EXPECT_FALSE(g.SetCellPattern(9, 1, pattern));
  const auto same = [&g](const char* when) {
    EXPECT_EQ(g.GetItemText(2, 1), g.GetItemText(1, 1)) << when;
    EXPECT_EQ(g.cellKind(2, 1), g.cellKind(1, 1)) << when;
    EXPECT_EQ(g.cellChoices(2, 1), g.cellChoices(1, 1)) << when;
    EXPECT_EQ(g.cellChoicesOnly(2, 1), g.cellChoicesOnly(1, 1)) << when;
    EXPECT_EQ(g.cellEditable(2, 1), g.cellEditable(1, 1)) << when;
    EXPECT_EQ(g.GetItemState(2, 1), g.GetItemState(1, 1)) << when;
  };
  same("before it is made");
  apply("dlg grid 5003 pick 2 1 A");
  apply("dlg grid 5003 pick 1 1 A");
  EXPECT_EQ(dlg.events, (std::vector<std::string>{"edit 2 1 A", "edit 1 1 A"}));
  same("after a pick");
  const auto* eager = dynamic_cast<CGridBtnCellCombo*>(g.GetCell(1, 1));
  const auto* made = dynamic_cast<CGridBtnCellCombo*>(g.GetCell(2, 1));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetGrid(), &g);
  EXPECT_EQ(made->GetBtnDataBase(), &buttons);
  EXPECT_EQ(made->GetButtonCount(), eager->GetButtonCount());
  EXPECT_EQ(made->GetButton(0)->width, 19);
  EXPECT_EQ(made->GetComboStyle(), eager->GetComboStyle());
  same("once made");

  // A made cell given a pattern keeps its data, as SetCellType does.
  g.SetItemData(2, 2, 42);
  ASSERT_TRUE(g.SetCellPattern(2, 2, pattern));
  EXPECT_EQ(g.GetItemData(2, 2), 42);
  EXPECT_EQ(g.cellChoices(2, 2), (std::vector<std::wstring>{L"B", L"A"}));
}
