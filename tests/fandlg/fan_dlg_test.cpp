// The fan selection dialog driven in-process: the grids, the lookups behind
// the grids, the statements that fail or find nothing, and the dialog opened
// on a given model.
#include <gtest/gtest.h>

#include "fan_dlg_harness.h"
#include "fandlg/fan_dlg_on_model.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

std::string S(const char* s) { return s; }

CString Shown(CComboBox& combo) {
  CString text;
  combo.GetWindowText(text);
  return text;
}

}  // namespace

// Two series: A with a point table and two models, B with a range table and
// no style row. Model 3 has an ID the dialog cannot read as a 16-bit integer.
TEST(FanDlgGrids, LayoutLookupsAndTheirEmptyResults) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.standardHeadings("50");
    b.model(1, S("A"), S("D"), 4.0, 1450LL, S("A4D"))
        .model(2, S("A"), S("D"), 4.0, 960LL, S("A4D"));
    b.model(40000, S("A"), S("D"), 5.0, 960LL).model(4, S("B"), S("C"), 6.3, 960LL);
    b.style("A", true).parameterTable("A", TableStyle::Point).accessoryTable("A", "D");
    const std::vector<std::string> columns = {"ModelID", "Speed", "Flux", "AllPress"};
    b.row("A_Parameter", columns, {1LL, 1450LL, 1131.0, 990.0});
    b.row("A_Parameter", columns, {1LL, 1450LL, 1520.5, S("")});
    b.row("A_Parameter", {"ModelID"}, {1LL});
    b.row("A_Parameter", {"ModelID", "Speed"}, {2LL, 960LL});
    b.row("A_D_Accessory", {"ModelID", "ItemName"}, {1LL, S("减振器")});
  }
  h.run([&h](CFanDlg& dlg) {
    ASSERT_EQ(dlg.m_strBigModel, L"A");
    ASSERT_EQ(dlg.m_strSpeed, L"1450") << "sorted as text, 1450 before 960";
    CGridCtrl& g = dlg.m_GridParam;
    ASSERT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(g.GetItemText(1, 0), L"1");
    EXPECT_EQ(g.GetItemText(3, 0), L"3");
    EXPECT_EQ(g.GetItemText(4, 0), L"");
    for (int c = 1; c < g.GetColumnCount(); ++c) {
      EXPECT_FALSE(g.GetItemText(0, c).IsEmpty()) << "every shown field has its heading";
      EXPECT_EQ(g.GetItemText(3, c), c == 1 ? L"1" : L"") << "a row of NULLs loads empty";
    }
    EXPECT_EQ(dlg.m_GridAccessory.GetRowCount(), 3);
    EXPECT_TRUE(h.ui().boxes().empty());

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
    b.model(1, S("O'Brien"), S("A"), 4.0, 960LL).model(2, S("Z"), S("A"), 4.0, 960LL);
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

// Opened on a model, the four lists show it, through the cascade's own
// handlers; a model the lists lack leaves the dialog usable where it got to.
// Series "a" and "A" differ only in case; A has two fan numbers, two drives
// of No.5 and two speeds of the C drive.
TEST(FanDlgOnModel, OpensWithTheFourListsOnTheModelOrWhereTheyGotTo) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.standardHeadings();
    b.model(1, S("a"), S("A"), 4.0, 2900LL).model(2, S("A"), S("A"), 4.0, 2900LL);
    b.model(3, S("A"), S("A"), 5.0, 1450LL).model(4, S("A"), S("C"), 5.0, 1800LL);
    b.model(5, S("A"), S("C"), 5.0, 2240LL);
    b.style("a", true).style("A", true).parameterTable("A", TableStyle::Point);
    // Table names ignore case: series a reads the tables of A.
    b.accessoryTable("A", "A").accessoryTable("A", "C");
    for (const auto& [model, flux, press] :
         {std::tuple{5LL, 5000.0, 1200.0}, std::tuple{5LL, 6000.0, 1000.0},
          std::tuple{4LL, 4000.0, 800.0}}) {
      b.row("A_Parameter", {"ModelID", "Flux", "AllPress"}, {model, flux, press});
    }
  }
  const auto runOn = [&h](CFanDlgOnModel& dlg, const std::function<void(CFanDlg&)>& fn) {
    h.ui().onModal([&fn](CDialog& d) { fn(dynamic_cast<CFanDlg&>(d)); });
    dlg.DoModal();
  };
  CFanDlgOnModel on(L"A", L"5", L"C", L"2240");
  runOn(on, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"A") << "not the series that differs in case";
    EXPECT_EQ(Shown(d.m_cbFanNo), L"5");
    EXPECT_EQ(Shown(d.m_cbDriveMode), L"C");
    EXPECT_EQ(Shown(d.m_cbSpeed), L"2240") << "sorted as text, 1800 would come first";
    EXPECT_EQ(d.m_strBigModel + d.m_strFanNo + d.m_strDriveMode + d.m_strSpeed, L"A5C2240");
    EXPECT_EQ(d.GetModelID(), 5);
    EXPECT_EQ(d.m_GridParam.GetRowCount(), 4) << "model 5's two rows, not model 4's one";
    EXPECT_EQ(d.m_cbSpeed.GetCount(), 2) << "the lists hold the model's neighbours as usual";
    // The cascade goes on working as the user uses it.
    EXPECT_EQ(winplat::applyDialogLine(d, "dlg select 1016 1800"), "");
    EXPECT_EQ(d.GetModelID(), 4);
    EXPECT_EQ(d.m_GridParam.GetRowCount(), 3);
  });
  EXPECT_TRUE(on.IsOnModel());
  EXPECT_TRUE(h.ui().boxes().empty());

  CFanDlgOnModel lacking(L"A", L"5", L"D", L"1450");
  runOn(lacking, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"A");
    EXPECT_EQ(Shown(d.m_cbFanNo), L"5");
    EXPECT_EQ(Shown(d.m_cbDriveMode), L"A") << "no drive D: the first drive stays";
    EXPECT_EQ(d.m_strSpeed, L"1450");
    EXPECT_EQ(d.GetModelID(), 3);
  });
  EXPECT_FALSE(lacking.IsOnModel());
  CFanDlgOnModel none(L"Z", L"5", L"C", L"2240");
  runOn(none, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"a") << "the dialog's own first model";
  });
  EXPECT_FALSE(none.IsOnModel());
}
