// Grid editing driven in-process: the positional mapping of grid rows to
// catalogue rows after deletions and additions, a spare-row insert whose write
// fails, and a model whose rows vanished while the dialog was up.
#include <gtest/gtest.h>

#include "fan_dlg_harness.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;
using testsupport::readRows;

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kColumns = {"ModelID", "PointNo", "Flux"};

// Model 1 (P No.4 A 2900, the one the dialog opens on) has points 1 to 3;
// model 2's rows lie between them, so a row's place among its model's rows
// differs from its place in the table.
void BuildInterleaved(CatalogueBuilder& b) {
  b.standardHeadings();
  b.model(1, std::string("P"), std::string("A"), 4.0, 2900LL);
  b.model(2, std::string("P"), std::string("A"), 4.0, 960LL);
  b.style("P", true);
  b.parameterTable("P", TableStyle::Point);
  b.accessoryTable("P", "A");
  b.row("P_Parameter", kColumns, {1LL, 1LL, 100.0});
  b.row("P_Parameter", kColumns, {2LL, 1LL, 900.0});
  b.row("P_Parameter", kColumns, {1LL, 2LL, 200.0});
  b.row("P_Parameter", kColumns, {2LL, 2LL, 800.0});
  b.row("P_Parameter", kColumns, {1LL, 3LL, 300.0});
}

Rows PointsOf(const std::string& path, int modelID) {
  return readRows(path,
                  "SELECT PointNo, Flux FROM \"P_Parameter\" WHERE ModelID = " +
                      std::to_string(modelID) + " ORDER BY rowid",
                  true);
}

int ColumnOf(CGridCtrl& grid, const CString& heading) {
  for (int c = 0; c < grid.GetColumnCount(); ++c) {
    if (grid.GetItemText(0, c) == heading) return c;
  }
  return -1;
}

std::string Edit(int row, int col, const std::string& text) {
  return "dlg grid 5003 edit " + std::to_string(row) + " " + std::to_string(col) + " " + text;
}

}  // namespace

// After a deletion and an addition each grid row still edits its own row; a
// spare row whose first text is refused keeps the new row; a model whose rows
// vanished while the dialog was up is not deleted (its edit: tests/reliability).
TEST(FanDlgEdit, EachGridRowEditsItsOwnCatalogueRow) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    BuildInterleaved(b);
  }
  const std::string path = h.catalogue();
  h.run([&h, &path](CFanDlg& dlg) {
    CGridCtrl& g = dlg.m_GridParam;
    ASSERT_EQ(g.GetRowCount(), 5);
    const int flux = ColumnOf(g, L"风量m³/h");
    ASSERT_GT(flux, 0);
    EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 click 1 1"), "");
    EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg click 209"), "");
    ASSERT_EQ(g.GetRowCount(), 4);
    EXPECT_EQ(g.GetItemText(1, 0), L"2");

    // Grid row 1 now shows point 2, which is the model's first row.
    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(1, flux, "210")), "");
    // The spare row (3): column 1 adds a row, which comes last.
    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(3, 1, "1")), "");
    EXPECT_EQ(g.GetItemText(3, 0), L"3");
    EXPECT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(3, flux, "777")), "");
    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(2, flux, "310")), "");
    EXPECT_EQ(PointsOf(path, 1), (Rows{{"2", "210.0"}, {"3", "310.0"}, {"<null>", "777.0"}}));
    EXPECT_EQ(PointsOf(path, 2), (Rows{{"1", "900.0"}, {"2", "800.0"}}));
    EXPECT_TRUE(h.ui().boxes().empty());

    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(4, 1, "abc")), "");
    ASSERT_EQ(h.ui().boxes().size(), 1u);
    EXPECT_EQ(h.ui().boxes()[0].text, L"类型不匹配。");
    EXPECT_EQ(g.GetItemText(4, 1), L"abc");
    EXPECT_EQ(g.GetItemText(4, 0), L"4");
    EXPECT_EQ(g.GetRowCount(), 6);
    EXPECT_EQ(PointsOf(path, 1).size(), 4u) << "the new row stays, with its ModelID only";
    h.ui().clear();

    // Another user removes the model's rows while the grid still shows them.
    ASSERT_TRUE(dlg.m_FanDb.Execute(L"delete * from P_Parameter where ModelID like 1"));
    EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg grid 5003 click 2 1"), "");
    EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg click 209"), "");
    EXPECT_EQ(g.GetRowCount(), 6) << "the grid keeps the row";
    EXPECT_TRUE(PointsOf(path, 1).empty());
    EXPECT_EQ(PointsOf(path, 2).size(), 2u);
    EXPECT_TRUE(h.ui().boxes().empty());
  });
}

TEST(FanDlgEdit, AnInsertThatFailsIsReportedAndTheWriteFindsNoRow) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.standardHeadings();
    b.model(1, std::string("N"), std::string("A"), 4.0, 2900LL);
    b.style("N", true);
    b.accessoryTable("N", "A");
    b.exec(
        "CREATE TABLE \"N_Parameter\" (ID INTEGER PRIMARY KEY, ModelID INTEGER, "
        "PointNo INTEGER NOT NULL, Flux DOUBLE)");
    b.row("N_Parameter", kColumns, {1LL, 1LL, 100.0});
  }
  h.run([&h](CFanDlg& dlg) {
    ASSERT_EQ(dlg.m_GridParam.GetRowCount(), 3);
    EXPECT_EQ(winplat::applyDialogLine(dlg, Edit(2, 1, "1")), "");
    ASSERT_EQ(h.ui().boxes().size(), 2u);
    EXPECT_EQ(h.ui().boxes()[0].text,
              L"数据库操作错误!\ninsert into N_Parameter (ModelID) values(1)");
    EXPECT_EQ(h.ui().boxes()[1].text,
              L"BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。");
  });
}
