// The table of candidates on the command line and as CSV, and the notes below it.
// (How its columns line up on a terminal is not checked: the cells are.)
#include "duty/duty_listing.h"

#include <gtest/gtest.h>

#include <regex>

#include "duty_test_models.h"

using duty::RowKind;
using dutytest::Catalogue;
using dutytest::straight;

namespace {

const duty::DutyConditions kDuty{1000, 500, 20, 101325};

// Cells of a table line: runs of two or more blanks separate them.
std::vector<std::wstring> cellsOf(const CString& line) {
  std::vector<std::wstring> cells;
  const std::wstring& s = line.str();
  const std::wregex gap(L" {2,}");
  std::wsregex_token_iterator it(s.begin(), s.end(), gap, -1), end;
  for (; it != end; ++it) {
    if (!it->str().empty()) cells.push_back(it->str());
  }
  return cells;
}

Catalogue mixed() {
  Catalogue c;
  c.series("4-72", RowKind::Points).curve("4.5", "直联", "2900", straight(1265, 0.6, 85, 85, 2.0));
  // Motor of 1 kW for a shaft power of 1.2 kW: too small.
  c.series("Y5,47", RowKind::Points, false)
      .curve("6", "C", "1450", {{800, 701.25, {}, 1.2, 1.0}, {1600, 221.25, {}, 1.2, 1.0}});
  c.series("R", RowKind::Ranges).boxes("5", "A", "2900", {{900, 1100, 400, 600, 70}});
  return c;
}

}  // namespace

TEST(DutyListing, ATableOfEveryCandidateWithItsNotesInTheRemarks) {
  const Catalogue c = mixed();
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const std::vector<CString> lines = duty::tableLines(c.get(), s);
  ASSERT_EQ(lines.size(), 5u) << "the count line, the headings and three candidates";
  EXPECT_NE(lines[0].Find(L"能达到设计点的风机 3 个"), -1);
  EXPECT_NE(lines[0].Find(L"100% 至 120%"), -1);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(cellsOf(lines[i]).size(), 21u) << lines[i].ToUtf8() << ": every cell holds text";
  }
  // 1100 m³/h is 37.5 % right of the peak at 800; a direct drive has no speed to set; the
  // belt drive's speed is 1450 · 1000 / 1050.
  EXPECT_EQ(cellsOf(lines[2]), (std::vector<std::wstring>{L"1",
                                                          L"4-72",
                                                          L"4.5",
                                                          L"直联",
                                                          L"2900",
                                                          L"1100",
                                                          L"605",
                                                          L"85.0",
                                                          L"2.00",
                                                          L"3",
                                                          L"+50",
                                                          L"+38",
                                                          L"-",
                                                          L"曲线",
                                                          L"-",
                                                          L"0.27",
                                                          L"14.7/64 不合格",
                                                          L"7",
                                                          L"83 估算",
                                                          L"否",
                                                          L"-"}));
  const std::vector<std::wstring> range = cellsOf(lines[3]);
  EXPECT_EQ(range[11] + L" " + range[13] + L" " + range[14], L"- 范围 无轴功率,无电机功率");
  EXPECT_EQ(range[15] + L" " + range[16] + L" " + range[17] + L" " + range[19] + L" " + range[20],
            L"- - - - 无轴功率, 不能计算 FEI、能效等级和 SFP");
  const std::vector<std::wstring> belt = cellsOf(lines[4]);
  EXPECT_EQ(belt[7] + L" " + belt[10] + L" " + belt[12] + L" " + belt[14],
            L"- -17 1381 电机功率不足,无效率");
}

TEST(DutyListing, NotesSayWhatWasLeftOutAndWhatListedSeriesLack) {
  Catalogue c = mixed();
  c.series("X", RowKind::Points).curve("1", "A", "2900", {{1000, 500}});
  c.edit().series.back().problem = L"参数表 X_Parameter 缺少列 Flux";
  c.series("Z", RowKind::Points).curve("2", "A", "2900", {{1000, 500}});
  c.edit().incompleteModels = 2;
  c.edit().densityProblem = L"AIRDENSITY 的值 'x' 不是空气密度";
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const std::vector<CString> notes = duty::noteLines(c.get(), s);
  std::wstring all;
  for (const CString& n : notes) all += n.str() + L"\n";
  EXPECT_NE(all.find(L"按 1.2 kg/m3 计算"), std::wstring::npos) << CString(all.c_str()).ToUtf8();
  EXPECT_NE(all.find(L"系列 X: 参数表 X_Parameter 缺少列 Flux, 未参加选型"), std::wstring::npos);
  EXPECT_NE(all.find(L"1 个型号的性能数据不能构成曲线或范围"), std::wstring::npos);
  EXPECT_NE(all.find(L"表 Model 中有 2 行"), std::wstring::npos);
  EXPECT_NE(all.find(L"系列 Y5,47 的参数表没有效率、轴功率、电机功率列, 排在有效率的型号之后"),
            std::wstring::npos);
  EXPECT_EQ(all.find(L"系列 4-72 的参数表没有"), std::wstring::npos);
  EXPECT_EQ(all.find(L"系列 Z"), std::wstring::npos) << "Z has no candidate to explain";
}

TEST(DutyListing, NoCandidateSaysSo) {
  Catalogue c;
  c.series("S", RowKind::Points).curve("1", "A", "2900", straight(700, 0.6));
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const std::vector<CString> lines = duty::tableLines(c.get(), s);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"没有风机能达到设计点 (工作风量为设计风量的 100% 至 120%)。");
  const std::vector<CString> conditions = duty::conditionLines(s);
  EXPECT_EQ(conditions[0], L"设计点: 风量 1000 m3/h, 全压 500 Pa");
  EXPECT_NE(conditions[1].Find(L"密度 1.204 kg/m3"), -1) << conditions[1].ToUtf8();
}

TEST(DutyListing, CsvHoldsTheSameTableForSpreadsheets) {
  const Catalogue c = mixed();
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const std::string csv = duty::csvText(c.get(), s);
  ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u) << "a byte-order mark first";
  std::vector<std::string> rows;
  for (std::size_t at = 3; at < csv.size();) {
    const std::size_t end = csv.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    rows.push_back(csv.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(
      rows[1],
      "1,4-72,4.5,直联,2900,1100,605,85.0,2.00,3,+50,+38,,曲线,,0.27,14.7/64 不合格,7,83 估算,否,");
  EXPECT_EQ(rows[3].substr(0, 9), "3,\"Y5,47\"") << "a comma in a value is quoted";
  EXPECT_NE(rows[3].find(",\"电机功率不足,无效率\""), std::string::npos);
}

// The assessment's columns of one fan that meets the duty at 1100 m³/h and
// 605 Pa (0.30556 m³/s, air power 184.9 W) in dry air of 20 °C (1.2041 kg/m³).
// AMCA 208's reference: H = (0.30556 + 0.118)(605 + 100.34) / 660 = 0.45266 kW,
// V-belt 0.88921, motor fit at lg(0.50906) 0.80654, so 0.63117 kW electrical.
// Direct drive, 2.0 kW on a 2.2 kW IE3 motor (86.7 %): 2.3068 kW, FEI 0.27,
// 8.01 % against 4.56·ln(2.3068) - 10.5 + 64, N 14.7; SFP 7549 → 7.
// 0.3 kW at a stated 80 %: 0.375 kW, FEI 1.68, 49.30 % → N 64.3; SFP 1227 → 3.
TEST(DutyListing, AssessmentColumnsGiveFeiGradeSfpSoundOrSayWhyNot) {
  struct Case {
    const char* name;
    double shaft, motor;
    std::optional<double> motorEfficiency;
    std::vector<std::wstring> cells;  // FEI to the motor flag
    const wchar_t* note;              // in the assessment's notes
  };
  const Case cases[] = {
      {"IE3 motor", 2.0, 3, {}, {L"0.27", L"14.7/64 不合格", L"7", L"83 估算", L"否"}, L""},
      {"below the IE3 table",
       0.3,
       0.55,
       {},
       {L"-", L"-", L"-", L"83 估算", L"否"},
       L"starts at 0.75 kW"},
      {"stated motor", 0.3, 0.55, 0.8, {L"1.68", L"64.3/64 合格", L"3", L"83 估算", L"否"}, L""},
      {"oversized motor",
       2.0,
       7,
       {},
       {L"0.27", L"14.7/64 不合格", L"7", L"83 估算", L"是"},
       L"电机余量 +250% 过大"},
  };
  for (const Case& k : cases) {
    Catalogue c;
    c.series("4-72", RowKind::Points)
        .curve("4.5", "直联", "2900",
               {{800, 785, 85, k.shaft, k.motor}, {1600, 305, 85, k.shaft, k.motor}});
    duty::DutyConditions d = kDuty;
    d.motorEfficiency = k.motorEfficiency;
    const duty::DutySelection s = duty::selectForDuty(c.get(), d);
    const std::vector<CString> lines = duty::tableLines(c.get(), s);
    ASSERT_EQ(lines.size(), 3u) << k.name;
    const std::vector<std::wstring> row = cellsOf(lines[2]);
    EXPECT_EQ(std::vector<std::wstring>(row.begin() + 15, row.begin() + 20), k.cells) << k.name;
    EXPECT_NE(row[20].find(k.note), std::wstring::npos)
        << k.name << ": " << CString(row[20].c_str()).ToUtf8();
    if (!*k.note) {
      EXPECT_EQ(row[20], L"-") << k.name;
    }
  }
}
