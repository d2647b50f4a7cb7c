// The fan selection dialog driven in-process: grid widths, the lookups behind
// the grids, and the statements that fail or find nothing.
#include <gtest/gtest.h>

#include "fan_dlg_harness.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

// Two series: A with a point table and two models, B with a range table and
// no style row. Model 3 has an ID the dialog cannot read as a 16-bit integer.
void BuildSmallCatalogue(const std::string& path) {
  CatalogueBuilder b(path);
  b.standardHeadings("50");
  b.model(1, std::string("A"), std::string("D"), 4.0, 1450LL, std::string("A4D"));
  b.model(2, std::string("A"), std::string("D"), 4.0, 960LL, std::string("A4D"));
  b.model(40000, std::string("A"), std::string("D"), 5.0, 960LL);
  b.model(4, std::string("B"), std::string("C"), 6.3, 960LL);
  b.style("A", true);
  b.parameterTable("A", TableStyle::Point);
  b.accessoryTable("A", "D");
  b.row("A_Parameter", {"ModelID", "Speed", "Flux", "AllPress"}, {1LL, 1450LL, 1131.0, 990.0});
  b.row("A_Parameter", {"ModelID", "Speed", "Flux", "AllPress"},
        {1LL, 1450LL, 1520.5, std::string("")});
  b.row("A_Parameter", {"ModelID"}, {1LL});
  b.row("A_Parameter", {"ModelID", "Speed"}, {2LL, 960LL});
  b.row("A_D_Accessory", {"ModelID", "ItemName"}, {1LL, std::string("减振器")});
}

}  // namespace

TEST(FanDlgGrids, LayoutWidthsAndNullCells) {
  DialogHarness h;
  BuildSmallCatalogue(h.catalogue());
  h.run([](CFanDlg& dlg) {
    ASSERT_EQ(dlg.m_strBigModel, L"A");
    ASSERT_EQ(dlg.m_strSpeed, L"1450") << "sorted as text, 1450 before 960";
    CGridCtrl& g = dlg.m_GridParam;
    ASSERT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(g.GetItemText(1, 0), L"1");
    EXPECT_EQ(g.GetItemText(3, 0), L"3");
    EXPECT_EQ(g.GetItemText(4, 0), L"");
    EXPECT_EQ(g.GetColumnWidth(0), 20);
    for (int c = 1; c < g.GetColumnCount(); ++c) {
      EXPECT_NE(g.GetColumnWidth(c), 45) << "data columns are sized to their texts, column " << c;
      EXPECT_FALSE(g.GetItemText(0, c).IsEmpty()) << "every shown field has its heading";
      EXPECT_EQ(g.GetItemText(3, c), c == 1 ? L"1" : L"") << "a row of NULLs loads empty";
    }
    EXPECT_EQ(dlg.m_GridAccessory.GetRowCount(), 3);
    EXPECT_EQ(dlg.m_GridAccessory.GetColumnWidth(0), 20);
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

TEST(FanDlgGrids, LookupsGiveTheirEmptyResults) {
  DialogHarness h;
  BuildSmallCatalogue(h.catalogue());
  h.run([&h](CFanDlg& dlg) {
    EXPECT_EQ(dlg.GetTableStyle(L"A"), 1);
    EXPECT_EQ(dlg.GetTableStyle(L"B"), 0) << "no style row";
    EXPECT_EQ(dlg.GetTableHead(L"ERRORNUM"), L"50");
    EXPECT_EQ(dlg.GetTableHead(L"NoSuchField"), L"");
    EXPECT_EQ(dlg.GetIndexName(dlg.GetTableHead(L"Flux")), L"Flux");
    EXPECT_EQ(dlg.GetModelID(), 1);

    dlg.m_strFanNo = L"5";
    dlg.m_strSpeed = L"960";
    EXPECT_EQ(dlg.GetModelID(), 0) << "an ID past 32767 counts as no model";
    dlg.m_strSpeed = L"3000";
    EXPECT_EQ(dlg.GetModelID(), 0);
    EXPECT_FALSE(dlg.LoadParamGrid());
    EXPECT_EQ(dlg.m_GridParam.GetRowCount(), 0);

    // A drive mode without an accessory table: the wrapper reports the
    // statement, the grid stays empty.
    h.ui().clear();
    winplat::applyDialogLine(dlg, "dlg select 1012 B");
    EXPECT_EQ(dlg.m_GridAccessory.GetRowCount(), 0);
    EXPECT_EQ(dlg.m_GridParam.GetRowCount(), 0);
    ASSERT_EQ(h.ui().boxes().size(), 2u);
    EXPECT_EQ(h.ui().boxes()[0].text,
              L"数据库操作错误!\nSELECT * FROM B_Parameter WHERE ModelID LIKE '4'");
    EXPECT_EQ(h.ui().boxes()[1].text,
              L"数据库操作错误!\nSELECT * FROM B_C_Accessory WHERE ModelID LIKE '4'");
  });
}

TEST(FanDlgCascade, AQuoteInAValueFailsItsStatementAndLeavesTheComboAlone) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.standardHeadings();
    b.model(1, std::string("O'Brien"), std::string("A"), 4.0, 960LL);
    b.model(2, std::string("Z"), std::string("A"), 4.0, 960LL);
  }
  h.run([&h](CFanDlg& dlg) {
    ASSERT_EQ(dlg.m_strBigModel, L"O'Brien");
    EXPECT_EQ(dlg.m_cbFanNo.GetCount(), 0);
    EXPECT_EQ(dlg.m_strFanNo, L"");
    ASSERT_FALSE(h.ui().boxes().empty());
    EXPECT_EQ(h.ui().boxes()[0].text,
              L"数据库操作错误!\nSELECT * FROM Model WHERE BigModel LIKE 'O'Brien'");
    winplat::applyDialogLine(dlg, "dlg select 1012 Z");
    EXPECT_EQ(dlg.m_strFanNo, L"4");
    EXPECT_EQ(dlg.m_strSpeed, L"960");
  });
}
