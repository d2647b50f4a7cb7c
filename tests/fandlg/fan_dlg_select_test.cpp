// Selection by parameters driven in-process: the tolerance's text, the
// candidate records, the statements a search sends when a table is missing,
// and the searches that stop or find nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "fan_dlg_harness.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

const std::vector<std::string> kPoint = {"ModelID", "AllPress", "Flux"};
const std::vector<std::string> kRange = {"ModelID", "AllPressLow", "AllPressHigh", "FluxLow",
                                         "FluxHigh"};

// Series P (point table) with models 1 and 2, R (range table) with model 3.
// Model 2 covers 990 Pa / 1131 m³/h, model 3 covers it by its ranges.
void BuildTwoSeries(CatalogueBuilder& b, const std::string& errorNum = "50") {
  b.standardHeadings(errorNum);
  b.model(1, std::string("P"), std::string("A"), 4.0, 2900LL, std::string("PNo4A"));
  b.model(2, std::string("P"), std::string("A"), 4.5, 2900LL);
  b.model(3, std::string("R"), std::string("C"), 5.0, 1450LL, std::string("RNo5C"));
  b.style("P", true).style("R", false);
  b.parameterTable("P", TableStyle::Point).parameterTable("R", TableStyle::Range);
  b.accessoryTable("P", "A").accessoryTable("R", "C");
  b.row("P_Parameter", kPoint, {1LL, 2000.0, 4000.0});
  b.row("P_Parameter", kPoint, {2LL, 1000.0, 1100.0});
  b.row("R_Parameter", kRange, {3LL, 900.0, 1100.0, 1000.0, 1200.0});
}

std::vector<CString> Items(CComboBox& combo) {
  std::vector<CString> items;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString text;
    combo.GetLBText(i, text);
    items.push_back(text);
  }
  return items;
}

}  // namespace

TEST(FanDlgSelect, TheToleranceIsTheLeadingDecimalNumberOfItsEntry) {
  DialogHarness h;
  CatalogueBuilder(h.catalogue()).heading("ERRORNUM", "50");
  h.run([](CFanDlg& dlg) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"50", 50}, {L" 12x", 12}, {L"-5", -5}, {L"abc", 0}, {L"", 0}, {L"99999999999", INT_MAX}};
    for (const auto& [text, expected] : cases) {
      ASSERT_TRUE(dlg.m_FanDb.Execute(CString(L"UPDATE IndexTableName SET TableHead = '") + text +
                                      L"' WHERE IndexName = 'ERRORNUM'"));
      EXPECT_EQ(dlg.GetErrorNum(), expected) << '"' << CString(text).ToUtf8() << '"';
    }
    ASSERT_TRUE(dlg.m_FanDb.Execute(L"delete * from IndexTableName"));
    EXPECT_EQ(dlg.GetErrorNum(), 0) << "no ERRORNUM entry";
  });
}

TEST(FanDlgSelect, CandidatesAreTheModelRowsOfTheMatchingIds) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    BuildTwoSeries(b);
  }
  h.run([&h](CFanDlg& dlg) {
    winplat::applyDialogLine(dlg, "dlg click 202");
    ASSERT_EQ(dlg.m_Models.GetSize(), 2);
    EXPECT_EQ(dlg.m_Models[0].ID, 2);
    EXPECT_EQ(dlg.m_Models[0].Speed, L"2900");
    EXPECT_EQ(dlg.m_Models[0].LabelModel, L"") << "a NULL label is empty";
    EXPECT_EQ(dlg.m_Models[1].ID, 3);
    EXPECT_EQ(dlg.m_Models[1].DriveMode, L"C");
    EXPECT_EQ(dlg.m_Models[1].LabelModel, L"RNo5C");
    EXPECT_EQ(dlg.m_strBigModel, L"P");
    EXPECT_EQ(dlg.m_strFanNo, L"4.5");
    EXPECT_EQ(dlg.GetModelID(), 2);

    // Only the two values the search reads count: the other edits do not.
    dlg.m_dAirTemp = 80;
    dlg.m_dAtmPressure = 50000;
    EXPECT_TRUE(dlg.SelectByParameters(990, 1131));
    EXPECT_EQ(dlg.m_Models.GetSize(), 2);
    // Model 2's point (1000, 1100) within the tolerance, model 3's ranges
    // (900..1100, 1000..1200) with their bounds.
    EXPECT_TRUE(dlg.SelectByParameters(1050, 1150));
    EXPECT_EQ(dlg.m_Models.GetSize(), 2);
    EXPECT_TRUE(dlg.SelectByParameters(1051, 1150));
    ASSERT_EQ(dlg.m_Models.GetSize(), 1);
    EXPECT_EQ(dlg.m_Models[0].ID, 3);
    EXPECT_TRUE(dlg.SelectByParameters(1100, 1000));
    EXPECT_EQ(dlg.m_Models.GetSize(), 1);
    EXPECT_FALSE(dlg.SelectByParameters(1101, 1150)) << "past the range and the tolerance";
    EXPECT_EQ(dlg.m_Models.GetSize(), 0) << "a search that finds nothing leaves no candidates";
    EXPECT_TRUE(Items(dlg.m_cbBigModel).empty());
  });
  EXPECT_TRUE(h.ui().boxes().empty());
}

// A series without its parameter table is reported by its statement and the
// search goes on; a series whose style is NULL stops it, dropping the
// candidates found so far.
TEST(FanDlgSelect, AMissingTableIsReportedAndANullStyleStopsTheSearch) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    BuildTwoSeries(b);
    b.model(4, std::string("Q"), std::string("A"), 4.0, 2900LL).style("Q", false);
    b.model(5, std::string("S"), std::string("A"), 4.0, 2900LL).style("S", std::nullopt);
  }
  h.run([&h](CFanDlg& dlg) {
    h.ui().clear();
    winplat::applyDialogLine(dlg, "dlg click 202");
    ASSERT_EQ(h.ui().boxes().size(), 1u);
    EXPECT_EQ(h.ui().boxes()[0].text,
              L"数据库操作错误!\nselect * from Q_Parameter where AllPressLow <= 990.000000 AND "
              L"AllPressHigh >= 990.000000 and FluxLow <= 1131.000000 and FluxHigh >= "
              L"1131.000000");
    EXPECT_EQ(dlg.m_Models.GetSize(), 0);
    EXPECT_EQ(Items(dlg.m_cbBigModel), (std::vector<CString>{L"P", L"Q", L"R", L"S"}))
        << "each series once";
    EXPECT_FALSE(dlg.SelectByParameters(990, 1131));
  });
}

TEST(FanDlgSelect, RowsWithoutAModelIdAndSeriesDifferingInCase) {
  DialogHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    BuildTwoSeries(b);
    // The last matching row of P names no model: its empty ModelID is one of
    // the ids all the same, and the candidate query with it cannot be run.
    b.row("P_Parameter", kPoint, {{}, 990.0, 1131.0});
    // A second model with ID 3, of series "r". Table names and LIKE ignore
    // case, so "r" reads R's style and table and finds id 3 as R does; the
    // candidates are both models with that id, two series by exact text.
    b.model(3, std::string("r"), std::string("C"), 6.3, 960LL);
  }
  h.run([&h](CFanDlg& dlg) {
    dlg.m_nSelectMode = CFanDlg::kSelectByParameters;
    EXPECT_FALSE(dlg.SelectByParameters(990, 1131));
    EXPECT_EQ(dlg.m_Models.GetSize(), 0);
    EXPECT_EQ(h.ui().boxes().size(), 1u) << "the wrapper reports the query it could not run";
    // At 1100 Pa and 1000 m³/h no row of P matches (its nearest is 100 Pa
    // off), and R's range and r's, the same table, give id 3.
    EXPECT_TRUE(dlg.SelectByParameters(1100, 1000));
    ASSERT_EQ(dlg.m_Models.GetSize(), 2);
    EXPECT_EQ(dlg.m_Models[0].ID, 3);
    EXPECT_EQ(dlg.m_Models[1].ID, 3);
    const std::vector<CString> series = Items(dlg.m_cbBigModel);
    EXPECT_EQ(series.size(), 2u);
    EXPECT_EQ(std::count(series.begin(), series.end(), CString(L"R")), 1);
    EXPECT_EQ(std::count(series.begin(), series.end(), CString(L"r")), 1);
    EXPECT_EQ(h.ui().boxes().size(), 1u);
  });
}
