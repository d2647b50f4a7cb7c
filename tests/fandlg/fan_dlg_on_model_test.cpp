// The fan dialog opened on a given model: the four lists show it, through the
// cascade's own handlers, and a model the lists lack leaves the dialog usable.
#include <gtest/gtest.h>

#include "fan_dlg_harness.h"
#include "fandlg/fan_dlg_on_model.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

std::string S(const char* s) { return s; }

// Series "a" and "A" differ only in case; A has two fan numbers, two drives
// of No.5 and two speeds of the C drive.
void BuildCatalogue(const std::string& path) {
  CatalogueBuilder b(path);
  b.standardHeadings();
  b.model(1, S("a"), S("A"), 4.0, 2900LL);
  b.model(2, S("A"), S("A"), 4.0, 2900LL);
  b.model(3, S("A"), S("A"), 5.0, 1450LL);
  b.model(4, S("A"), S("C"), 5.0, 1800LL);
  b.model(5, S("A"), S("C"), 5.0, 2240LL);
  b.style("a", true).style("A", true);
  b.parameterTable("A", TableStyle::Point);
  // Table names ignore case: series a reads the tables of A.
  b.accessoryTable("A", "A").accessoryTable("A", "C");
  b.row("A_Parameter", {"ModelID", "Flux", "AllPress"}, {5LL, 5000.0, 1200.0});
  b.row("A_Parameter", {"ModelID", "Flux", "AllPress"}, {5LL, 6000.0, 1000.0});
  b.row("A_Parameter", {"ModelID", "Flux", "AllPress"}, {4LL, 4000.0, 800.0});
}

CString Shown(CComboBox& combo) {
  CString text;
  combo.GetWindowText(text);
  return text;
}

void RunOn(DialogHarness& h, CFanDlgOnModel& dlg, const std::function<void(CFanDlg&)>& fn) {
  h.ui().onModal([&fn](CDialog& d) { fn(dynamic_cast<CFanDlg&>(d)); });
  dlg.DoModal();
}

}  // namespace

TEST(FanDlgOnModel, OpensWithTheFourListsOnTheModelAndItsRowsLoaded) {
  DialogHarness h;
  BuildCatalogue(h.catalogue());
  CFanDlgOnModel dlg(L"A", L"5", L"C", L"2240");
  RunOn(h, dlg, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"A") << "not the series that differs in case";
    EXPECT_EQ(Shown(d.m_cbFanNo), L"5");
    EXPECT_EQ(Shown(d.m_cbDriveMode), L"C");
    EXPECT_EQ(Shown(d.m_cbSpeed), L"2240") << "sorted as text, 1800 would come first";
    EXPECT_EQ(d.m_strBigModel, L"A");
    EXPECT_EQ(d.m_strFanNo, L"5");
    EXPECT_EQ(d.m_strDriveMode, L"C");
    EXPECT_EQ(d.m_strSpeed, L"2240");
    EXPECT_EQ(d.GetModelID(), 5);
    EXPECT_EQ(d.m_GridParam.GetRowCount(), 4) << "model 5's two rows, not model 4's one";
    EXPECT_EQ(d.m_cbSpeed.GetCount(), 2) << "the lists hold the model's neighbours as usual";
    // The cascade goes on working as the user uses it.
    EXPECT_EQ(winplat::applyDialogLine(d, "dlg select 1016 1800"), "");
    EXPECT_EQ(d.GetModelID(), 4);
    EXPECT_EQ(d.m_GridParam.GetRowCount(), 3);
  });
  EXPECT_TRUE(dlg.IsOnModel());
  EXPECT_TRUE(h.ui().boxes().empty());
}

TEST(FanDlgOnModel, AModelTheListsLackLeavesTheDialogWhereItGotTo) {
  DialogHarness h;
  BuildCatalogue(h.catalogue());
  CFanDlgOnModel dlg(L"A", L"5", L"D", L"1450");
  RunOn(h, dlg, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"A");
    EXPECT_EQ(Shown(d.m_cbFanNo), L"5");
    EXPECT_EQ(Shown(d.m_cbDriveMode), L"A") << "no drive D: the first drive stays";
    EXPECT_EQ(d.m_strSpeed, L"1450");
    EXPECT_EQ(d.GetModelID(), 3);
  });
  EXPECT_FALSE(dlg.IsOnModel());
  CFanDlgOnModel none(L"Z", L"5", L"C", L"2240");
  RunOn(h, none, [](CFanDlg& d) {
    EXPECT_EQ(Shown(d.m_cbBigModel), L"a") << "the dialog's own first model";
  });
  EXPECT_FALSE(none.IsOnModel());
}
