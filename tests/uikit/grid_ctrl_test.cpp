// The grid control on its own: counts and fixed rows and columns, cell texts,
// rows inserted and deleted with the focus following, auto-sized widths, cell
// types that keep their text, and rows standing for a source's rows.
#include "uikit/grid_ctrl.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A combo cell as a cell library would add one.
class CTestComboCell : public CGridCell {
  DECLARE_DYNCREATE(CTestComboCell)
 public:
  BOOL IsComboCell() const override { return TRUE; }
  void GetComboChoices(CStringArray& choices) const override {
    choices.RemoveAll();
    choices.Add(L"4-72");
    choices.Add(L"9-19");
  }
};
IMPLEMENT_DYNCREATE(CTestComboCell, CGridCell)

// Texts "s<row>.<col>"; column 1 of odd rows a combo cell.
class NumberedSource : public CGridRowSource {
 public:
  CString GetText(int r, int c) const override {
    return (L"s" + std::to_wstring(r) + L"." + std::to_wstring(c)).c_str();
  }
  std::shared_ptr<const CGridCellBase> GetPattern(int r, int c) const override {
    return c == 1 && r % 2 ? combo : nullptr;
  }
  std::shared_ptr<const CGridCellBase> combo = std::make_shared<CTestComboCell>();
};

std::vector<std::wstring> column(const CGridCtrl& g, int col) {
  std::vector<std::wstring> texts;
  for (int r = 0; r < g.GetRowCount(); ++r) texts.push_back(g.GetItemText(r, col).str());
  return texts;
}

// Rows, columns, fixed rows and fixed columns.
std::vector<int> counts(const CGridCtrl& g) {
  return {g.GetRowCount(), g.GetColumnCount(), g.GetFixedRowCount(), g.GetFixedColumnCount()};
}

}  // namespace

TEST(GridCounts, GrowingAddsEmptyCellsFixedCountsStayInsideAndDeleteAllLeavesNothing) {
  CGridCtrl g(3, 2, 1, 1);
  EXPECT_EQ(counts(g), (std::vector<int>{3, 2, 1, 1}));
  g.SetItemText(2, 1, L"1131");
  EXPECT_TRUE(g.SetRowCount(5));
  EXPECT_TRUE(g.SetColumnCount(3));
  EXPECT_EQ(g.GetItemText(2, 1), L"1131") << "existing cells keep their text";
  EXPECT_EQ(g.GetItemText(4, 2), L"") << "new cells are empty";
  EXPECT_FALSE(g.SetItemText(5, 0, L"x")) << "outside the counts";

  EXPECT_TRUE(g.SetFixedRowCount(7));
  EXPECT_EQ(g.GetRowCount(), 7) << "more fixed rows than rows adds rows";
  g.SetRowCount(2);
  EXPECT_EQ(g.GetFixedRowCount(), 2) << "fewer rows than fixed rows lowers the fixed count";
  EXPECT_FALSE(g.SetRowCount(-1));
  EXPECT_FALSE(g.SetFixedColumnCount(-2));
  EXPECT_EQ(g.GetRowCount(), 2);

  // Deleting everything takes the headings, the widths and the focus too.
  g.SetItemText(0, 1, L"风量");
  g.SetColumnWidth(1, 99);
  g.SetFocusCell(1, 1);
  EXPECT_TRUE(g.DeleteAllItems());
  EXPECT_EQ(counts(g), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));
  g.SetRowCount(1);
  g.SetColumnCount(2);
  EXPECT_EQ(g.GetItemText(0, 1), L"") << "no heading survives";
  EXPECT_EQ(g.GetColumnWidth(1), CGridCtrl::kDefaultColumnWidth);
}

TEST(GridRows, InsertAndDeleteShiftRowsAndTheFocus) {
  CGridCtrl g(3, 2, 1, 1);
  for (int r = 0; r < 3; ++r) g.SetItemText(r, 1, std::to_wstring(r).c_str());
  g.SetFocusCell(2, 1);
  EXPECT_EQ(g.InsertRow(L"new", 1), 1);
  EXPECT_EQ(column(g, 0), (std::vector<std::wstring>{L"", L"new", L"", L""}));
  EXPECT_EQ(column(g, 1), (std::vector<std::wstring>{L"0", L"", L"1", L"2"}));
  EXPECT_EQ(g.GetFocusCell(), CCellID(3, 1)) << "the focus stays on its cell";
  EXPECT_EQ(g.InsertRow(L"end"), 4);
  EXPECT_EQ(g.InsertRow(L"far", 9), -1);
  EXPECT_EQ(g.GetRowCount(), 5);

  EXPECT_TRUE(g.DeleteRow(1));
  EXPECT_EQ(column(g, 1), (std::vector<std::wstring>{L"0", L"1", L"2", L""}));
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 1));
  EXPECT_TRUE(g.DeleteRow(2));
  EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1)) << "the focus row is gone";
  EXPECT_FALSE(g.DeleteRow(3));
  EXPECT_TRUE(g.DeleteRow(0));
  EXPECT_EQ(g.GetFixedRowCount(), 0) << "deleting the fixed row lowers the count";

  CGridCtrl empty;
  EXPECT_EQ(empty.InsertRow(L"1"), 0);
  EXPECT_EQ(empty.GetColumnCount(), 1) << "a row needs a column for its heading";
  EXPECT_EQ(empty.GetItemText(0, 0), L"1");
}

TEST(GridColumns, InsertAndDeleteKeepWidthsWithTheirColumns) {
  CGridCtrl g(2, 2, 1, 0);
  g.SetColumnWidth(1, 99);
  EXPECT_EQ(g.InsertColumn(L"ID", 0, 0), 0);
  EXPECT_EQ(g.GetItemText(0, 0), L"ID");
  EXPECT_EQ(g.GetColumnWidth(2), 99);
  EXPECT_TRUE(g.DeleteColumn(0));
  EXPECT_EQ(g.GetColumnWidth(1), 99);
  EXPECT_FALSE(g.DeleteColumn(2));
  EXPECT_EQ(g.GetColumnWidth(2), -1);
}

TEST(GridWidths, AutoSizeFitsTheWidestTextOfEachColumn) {
  EXPECT_EQ(CGridCtrl::TextWidth(L"ab\n风量风量"), 48) << "the widest line counts";
  EXPECT_EQ(CGridCtrl::TextWidth(L"（全角）"), 48) << "full-width forms";

  const int m = 2 * CGridCtrl::kCellMargin;
  CGridCtrl g(3, 3, 1, 1);
  g.SetItemText(0, 1, L"全压Pa");
  g.SetItemText(1, 1, L"990");
  g.SetItemText(2, 1, L"1000000");
  g.SetItemText(0, 2, L"效率");
  g.SetColumnWidth(1, 45);
  g.AutoSizeColumns();
  EXPECT_EQ(g.GetColumnWidth(1), 42 + m) << "the data text is wider than the heading";
  EXPECT_EQ(g.GetColumnWidth(2), 24 + m) << "the heading sizes a column without data";
  EXPECT_EQ(g.GetColumnWidth(0), m) << "an empty column keeps its margins only";
  g.AutoSizeColumns(GVS_HEADER);
  EXPECT_EQ(g.GetColumnWidth(1), 36 + m);
  g.AutoSizeColumns(GVS_DATA);
  EXPECT_EQ(g.GetColumnWidth(2), m);
  EXPECT_FALSE(g.SetColumnWidth(3, 10));
  EXPECT_FALSE(g.AutoSizeColumn(-1));
}

TEST(GridCells, ChangingACellsTypeKeepsItsTextAndRefusesOtherClasses) {
  CGridCtrl g(2, 3, 1, 1);
  g.SetItemText(1, 2, L"4-72");
  g.SetItemData(1, 2, 77);
  EXPECT_TRUE(g.SetCellType(1, 2, RUNTIME_CLASS(CTestComboCell)));
  EXPECT_EQ(g.GetCell(1, 2)->GetGrid(), &g);
  EXPECT_EQ(g.GetItemText(1, 2), L"4-72");
  EXPECT_EQ(g.GetItemData(1, 2), 77);
  EXPECT_EQ(g.cellKind(1, 2), winplat::GridModel::CellKind::Combo);
  EXPECT_EQ(g.cellChoices(1, 2), (std::vector<std::wstring>{L"4-72", L"9-19"}));
  EXPECT_EQ(g.cellKind(1, 1), winplat::GridModel::CellKind::Plain);
  EXPECT_TRUE(g.cellChoices(1, 1).empty());

  EXPECT_FALSE(g.SetCellType(1, 2, RUNTIME_CLASS(CWnd))) << "not a cell class";
  EXPECT_FALSE(g.SetCellType(1, 2, RUNTIME_CLASS(CGridCellBase))) << "not creatable";
  EXPECT_FALSE(g.SetCellType(5, 2, RUNTIME_CLASS(CGridCell)));
  EXPECT_TRUE(g.GetCell(1, 2)->IsKindOf(RUNTIME_CLASS(CTestComboCell)));

  EXPECT_TRUE(g.SetDefaultCellType(RUNTIME_CLASS(CTestComboCell)));
  g.SetRowCount(3);
  EXPECT_TRUE(g.GetCell(2, 0)->IsKindOf(RUNTIME_CLASS(CTestComboCell))) << "new rows";
  EXPECT_FALSE(g.GetCell(0, 0)->IsKindOf(RUNTIME_CLASS(CTestComboCell))) << "old rows unchanged";
}

TEST(GridCells, EditabilityFollowsFixedCellsReadOnlyStateAndTheGrid) {
  CGridCtrl g(3, 3, 1, 1);
  EXPECT_FALSE(g.IsCellEditable(0, 1)) << "fixed row";
  EXPECT_FALSE(g.IsCellEditable(1, 0)) << "fixed column";
  EXPECT_TRUE(g.IsCellEditable(1, 1));
  g.SetItemState(1, 1, GVIS_READONLY);
  EXPECT_FALSE(g.IsCellEditable(1, 1));
  g.SetEditable(FALSE);
  EXPECT_FALSE(g.IsCellEditable(2, 2));
  EXPECT_FALSE(g.editCell(2, 2, L"x")) << "the grid model refuses too";
  EXPECT_EQ(g.GetItemText(2, 2), L"");
}

// Rows standing for a source read, once moved, changed or made, as rows filled
// with the same texts and patterns at once; rows change before any is made.
TEST(GridSourceRows, ReadAsTheSameRowsFilledAtOnceWhereverTheyMove) {
  const std::vector<std::pair<const char*, std::function<void(CGridCtrl&)>>> steps = {
      {"a row deleted", [](CGridCtrl& g) { g.DeleteRow(2); }},
      {"a row inserted", [](CGridCtrl& g) { g.InsertRow(L"new", 2); }},
      {"the last rows cut", [](CGridCtrl& g) { g.SetRowCount(4); }},
      {"a cell edited", [](CGridCtrl& g) { g.SetItemText(3, 2, L"x"); }},
      {"a column inserted", [](CGridCtrl& g) { g.InsertColumn(L"h", 0, 1); }},
      {"a column deleted", [](CGridCtrl& g) { g.DeleteColumn(0); }},
  };
  for (const auto& [what, step] : steps) {
    CGridCtrl filled(6, 3, 1, 1);
    CGridCtrl lazy(1, 3, 1, 1);
    const auto source = std::make_shared<NumberedSource>();
    ASSERT_TRUE(lazy.AppendSourceRows(source, 5));
    for (int r = 1; r < 6; ++r) {
      for (int c = 0; c < 3; ++c) filled.SetItemText(r, c, source->GetText(r - 1, c));
      if (auto p = source->GetPattern(r - 1, 1)) filled.SetCellPattern(r, 1, p);
    }
    step(filled);
    step(lazy);
    ASSERT_EQ(counts(lazy), counts(filled)) << what;
    const auto same = [&](const char* when, bool make) {
      for (int r = 0; r < filled.GetRowCount(); ++r) {
        for (int c = 0; c < filled.GetColumnCount(); ++c) {
          const CGridCellBase* cell = make ? lazy.GetCell(r, c) : nullptr;
          EXPECT_EQ(lazy.GetItemText(r, c).str(), filled.GetItemText(r, c).str())
              << what << when << r << c;
          EXPECT_EQ(lazy.cellChoices(r, c), filled.cellChoices(r, c)) << what << when << r << c;
          if (cell) {
            EXPECT_EQ(cell->GetRuntimeClass(), filled.GetCell(r, c)->GetRuntimeClass());
          }
        }
      }
    };
    same(", read", false);
    same(", made", true);
  }
}
