// The grid as a child of a dialog: created over a placeholder's rectangle, the
// end-of-edit notification after the text is changed (and a refusal restoring the
// old text), and the grid seen through "dlg grid" lines and the DUMP. (Clicks and
// edits by mouse and keys: tests/gui/dialog_view_test.cpp.)
#include <gtest/gtest.h>

#include "recording_ui_service.h"
#include "uikit/grid_btn_cell.h"
#include "uikit/grid_ctrl.h"
#include "win/afxwin.h"
#include "win/dialog_script.h"

namespace {

constexpr UINT kDialogId = 400;

const winplat::ResourceTable& table() {
  using namespace winplat;
  static const std::vector<ControlTemplate> controls = {
      control(L"", 200, L"STATIC", SS_SUNKEN, 7, 7, 180, 80),
      defPushButton(L"退出", IDOK, 140, 95, 50, 14)};
  static const DWORD style = DS_MODALFRAME | WS_POPUP | WS_CAPTION;
  static const ResourceTable t = {
      {DialogTemplate{kDialogId, L"网格", L"宋体", 9, style, 0, 0, 200, 120, controls}}, {}, {}};
  return t;
}

class CGridHostDlg : public CDialog {
 public:
  CGridHostDlg() : CDialog(kDialogId) {}
  CGridCtrl m_Grid;
  std::vector<std::string> events;
  LRESULT editResult = 0;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    CRect rect;
    GetDlgItem(200)->GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_Grid.Create(rect, this, 5003, WS_CHILD | WS_VISIBLE | WS_BORDER);
    m_Grid.SetRowCount(3);
    m_Grid.SetColumnCount(3);
    m_Grid.SetFixedRowCount(1);
    m_Grid.SetFixedColumnCount(1);
    m_Grid.SetItemText(0, 1, L"风量");
    m_Grid.SetItemText(1, 0, L"1");
    m_Grid.SetItemText(1, 1, L"1131");
    return TRUE;
  }
  void OnGridClick(NMHDR* pNotifyStruct, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NM_GRIDVIEW*>(pNotifyStruct);
    events.push_back("click " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn));
    *pResult = 0;
  }
  void OnGridEndEdit(NMHDR* pNotifyStruct, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NM_GRIDVIEW*>(pNotifyStruct);
    EXPECT_EQ(nm->hdr.hwndFrom, m_Grid.m_hWnd);
    events.push_back("edit " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn) + " " +
                     m_Grid.GetItemText(nm->iRow, nm->iColumn).ToUtf8());
    *pResult = editResult;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGridHostDlg, CDialog)
ON_NOTIFY(NM_CLICK, 5003, &CGridHostDlg::OnGridClick)
ON_NOTIFY(GVN_ENDLABELEDIT, 5003, &CGridHostDlg::OnGridEndEdit)
END_MESSAGE_MAP()

struct GridDialogFixture : ::testing::Test {
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scoped{ui};
  HINSTANCE saved = AfxGetResourceHandle();
  CGridHostDlg dlg;
  void SetUp() override {
    static HINSTANCE h = winplat::instanceFromTable(&table(), "grid-dialogs");
    AfxSetResourceHandle(h);
    ASSERT_TRUE(dlg.Create(kDialogId));
  }
  void TearDown() override { AfxSetResourceHandle(saved); }
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
  EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 edit 1 0 x"),
            "cell (1,0) of grid 5003 cannot be edited");
  const std::string json = winplat::dialogDumpJson(dlg);
  EXPECT_NE(json.find("\"grids\":[{\"id\":5003,\"rows\":3,\"cols\":3,\"fixedRows\":1,"
                      "\"fixedCols\":1,\"focus\":[2,2],\"cells\":[[\"\",\"风量\",\"\"],"
                      "[\"1\",\"1131\",\"\"],[\"\",\"960\",\"\"]]}]"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.find("5003,\"kind\""), std::string::npos) << "a grid is not a standard control";
}

TEST_F(GridDialogFixture, ComboButtonCellsOfferTheirListAndAPickEndsTheEdit) {
  CBtnDataBase buttons;
  buttons.SetGrid(&dlg.m_Grid);
  CStringArray series;
  series.Add(L"B");
  series.Add(L"A");
  dlg.m_Grid.SetItemText(2, 1, L"B");
  ASSERT_TRUE(dlg.m_Grid.SetCellType(2, 1, RUNTIME_CLASS(CGridBtnCellCombo)));
  auto* cell = dynamic_cast<CGridBtnCellCombo*>(dlg.m_Grid.GetCell(2, 1));
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(cell->SetupBtns(0, DFC_SCROLL, DFCS_SCROLLDOWN, CGridBtnCellBase::CTL_ALIGN_RIGHT, 19,
                              FALSE, L""));
  cell->SetComboStyle(CBS_DROPDOWNLIST);
  cell->SetComboString(series);
  cell->SetBtnDataBase(&buttons);
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
  CStringArray drives;
  drives.Add(L"A");
  drives.Add(L"直联");
  dlg.m_Grid.SetItemText(2, 2, L"A");
  ASSERT_TRUE(dlg.m_Grid.SetCellType(2, 2, RUNTIME_CLASS(CGridBtnCellCombo)));
  auto* cell = dynamic_cast<CGridBtnCellCombo*>(dlg.m_Grid.GetCell(2, 2));
  ASSERT_NE(cell, nullptr);
  cell->SetComboString(drives);
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
