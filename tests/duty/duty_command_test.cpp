// The FANDUTY command in-process: its prompts answered by the test, the
// listing it prints, its CSV and chart files, and the FAN dialog it opens on
// the chosen candidate.
#include "duty/duty_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cad/aced.h"
#include "editor_fixture.h"
#include "fan_dlg_harness.h"
#include "host/fan_module.h"
#include "res/resource.h"

using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

std::string S(const char* s) { return s; }

// Two series: 4-72 with two models that reach 1000 m³/h at 500 Pa (the more
// efficient one first), and 4-79 with a range box around the duty point.
void buildCatalogue(const std::string& path) {
  CatalogueBuilder b(path);
  b.standardHeadings();
  b.model(1, S("4-72"), S("A"), 4.0, 2900LL, S("4-72No4A"));
  b.model(2, S("4-72"), S("C"), 4.5, 1450LL);
  b.model(4, S("4-79"), S("A"), 5.0, 960LL);
  b.style("4-72", true).style("4-79", false);
  b.parameterTable("4-72", TableStyle::Point).parameterTable("4-79", TableStyle::Range);
  b.accessoryTable("4-72", "A").accessoryTable("4-72", "C");
  const std::vector<std::string> p = {"ModelID",    "Speed",      "Flux",      "AllPress",
                                      "Efficiency", "ShaftPower", "MotorPower"};
  // p = 1181.25 - 0.6·Q meets the system at 1050 m³/h; p = 1265 - 0.6·Q at 1100.
  b.row("4-72_Parameter", p, {1LL, 2900LL, 800.0, 701.25, 78.0, 0.30, 0.55});
  b.row("4-72_Parameter", p, {1LL, 2900LL, 1600.0, 221.25, 78.0, 0.30, 0.55});
  b.row("4-72_Parameter", p, {2LL, 1450LL, 800.0, 785.0, 82.0, 0.25, 0.37});
  b.row("4-72_Parameter", p, {2LL, 1450LL, 1600.0, 305.0, 82.0, 0.25, 0.37});
  b.row("4-79_Parameter",
        {"ModelID", "FluxLow", "FluxHigh", "AllPressLow", "AllPressHigh", "Efficiency"},
        {4LL, 900.0, 1100.0, 450.0, 650.0, 70.0});
}

class FanDutyCommand_ : public EditorTest {
 protected:
  void SetUp() override {
    buildCatalogue(m_dlg.catalogue());
    m_module = winplat::instanceFromTable(fancadModuleResources(), "zrfan");
    ASSERT_TRUE(DllMain(m_module, DLL_PROCESS_ATTACH, nullptr));
  }
  void TearDown() override {
    DllMain(m_module, DLL_PROCESS_DETACH, nullptr);
    zrbase::releaseInstance(m_module);
    for (const wchar_t* setting :
         {duty::kCsvSetting, duty::kAltitudeSetting, duty::kHumiditySetting, duty::kFansSetting,
          duty::kArrangementSetting, duty::kMotorEfficiencySetting, duty::kSheetSetting}) {
      acedSetEnv(setting, L"");
    }
    EditorTest::TearDown();
  }

  // Runs the command on the answers; returns what it printed.
  std::string run(const std::string& answers) {
    input(answers);
    m_out.str("");
    FanDutyCommand();
    return output();
  }

  std::string folder() const { return m_dlg.catalogue().substr(0, m_dlg.catalogue().rfind('/')); }

  fandlgtest::DialogHarness m_dlg;
  HINSTANCE m_module = nullptr;
};

// The model the FAN dialog is on: series, fan number, drive and speed.
std::string modelOf(const CFanDlg& dlg) {
  return (dlg.m_strBigModel + L" " + dlg.m_strFanNo + L" " + dlg.m_strDriveMode + L" " +
          dlg.m_strSpeed)
      .ToUtf8();
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The table's rows: lines that start with a rank.
std::vector<std::string> tableRows(const std::string& out) {
  std::vector<std::string> rows;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && first > 0 &&
        std::isdigit(static_cast<unsigned char>(line[first]))) {
      rows.push_back(line.substr(first));
    }
  }
  return rows;
}

}  // namespace

// One run through every prompt: the table on the console and in the CSV file of the host's
// setting, a chart written under its default name after a candidate that is not there, and
// the FAN dialog opened on the second candidate. (The listing of the sample catalogue at one
// duty point: e2e/duty_test.py.)
TEST_F(FanDutyCommand_, ListsTheCandidatesWritesTableAndChartAndOpensTheChosenOne) {
  const std::string csv = folder() + "/out.csv";
  acedSetEnv(duty::kCsvSetting, CString::FromUtf8(csv));
  std::string opened;
  int gridRows = 0;
  m_dlg.ui().onModal([&](CDialog& d) {
    auto& dlg = dynamic_cast<CFanDlg&>(d);
    opened = modelOf(dlg);
    gridRows = dlg.m_GridParam.GetRowCount();
    CString shown;
    dlg.m_cbSpeed.GetWindowText(shown);
    EXPECT_EQ(shown, dlg.m_strSpeed) << "the list shows what the dialog holds";
  });
  const std::string out = run("1000\n500\n\n\nC\n9\n1\n\n2\n");
  const std::vector<std::string> rows = tableRows(out);
  ASSERT_EQ(rows.size(), 3u) << out;
  EXPECT_EQ(rows[0].rfind("1  4-72  4.5   C", 0), 0u) << rows[0];

  EXPECT_NE(out.find("表格已写入 " + csv), std::string::npos) << out;
  const std::string text = fileText(csv);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
  EXPECT_NE(text.find("\r\n1,4-72,4.5,C,1450,"), std::string::npos) << text;

  EXPECT_NE(out.find("没有第 9 个候选, 候选为 1 至 3。"), std::string::npos) << out;
  const std::string chart = "4-72No4.5C-1450.svg";
  EXPECT_NE(out.find("图表已写入 "), std::string::npos) << out;
  EXPECT_NE(fileText(chart).find("<title>4-72 No.4.5 C 1450 r/min</title>"), std::string::npos);
  std::filesystem::remove(chart);

  ASSERT_EQ(m_dlg.ui().modalRuns(), std::vector<UINT>{IDD_FAN_DIALOG});
  EXPECT_EQ(opened, "4-72 4 A 2900");
  EXPECT_EQ(gridRows, 4) << "the model's two rows with heading and spare row";
  EXPECT_TRUE(m_dlg.ui().boxes().empty());
}

// With FANDUTYSHEET set, the chosen candidate's data sheet is written before the FAN dialog
// opens (a folder is refused and said, and the dialog opens all the same); unset, the run is
// as ever (the test above).
TEST_F(FanDutyCommand_, WritesTheChosenCandidatesSheetWhereTheSettingSays) {
  struct Case {
    std::string file;
    const char* said;
  };
  for (const Case& k :
       {Case{folder() + "/sheet.pdf", "数据表已写入 "}, Case{folder(), "无法写入数据表文件 "}}) {
    acedSetEnv(duty::kSheetSetting, CString::FromUtf8(k.file));
    m_dlg.ui().onModal([](CDialog&) {});
    const std::string out = run("1000\n500\n\n\n2\n");
    EXPECT_NE(out.find(k.said + k.file), std::string::npos) << out;
  }
  EXPECT_EQ(m_dlg.ui().modalRuns().size(), 2u);
  const std::string pdf = fileText(folder() + "/sheet.pdf");
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
}

// Runs that end early: a duty no model reaches (with a CSV file that cannot be written: that
// is said), cancels at the pressure and at the candidate, and a missing catalogue; none
// opens the FAN dialog.
TEST_F(FanDutyCommand_, NoCandidateACancelOrAMissingCatalogueEndsTheRun) {
  acedSetEnv(duty::kCsvSetting, CString::FromUtf8(folder()));
  const std::string none = run("3000\n2000\n\n\n");
  EXPECT_NE(none.find("没有风机能达到设计点"), std::string::npos) << none;
  EXPECT_NE(none.find("无法写入表格文件 " + folder()), std::string::npos) << none;
  EXPECT_EQ(none.find("候选序号"), std::string::npos);
  EXPECT_FALSE(pending()) << "every answer was taken";

  EXPECT_EQ(run("1000\n^C\n").find("设计点:"), std::string::npos);
  EXPECT_NE(run("1000\n500\n\n\n^C\n").find("能达到设计点的风机 3 个"), std::string::npos);
  EXPECT_TRUE(m_dlg.ui().modalRuns().empty());
  EXPECT_TRUE(m_dlg.ui().boxes().empty());

  std::filesystem::remove(m_dlg.catalogue());
  const std::string missing = run("1000\n500\n\n\n");
  ASSERT_EQ(m_dlg.ui().boxes().size(), 1u);
  EXPECT_NE(CString(m_dlg.ui().boxes()[0].text).Find(L"不存在"), -1);
  EXPECT_EQ(missing.find("设计点:"), std::string::npos);
}

namespace {

// A desktop as the command sees it: a table window that the test answers.
class TableWindowUi : public testsupport::RecordingUiService {
 public:
  std::function<winplat::TableChoiceResult(const winplat::TableChoice&)> onTable;
  winplat::TableChoiceResult chooseFromTable(const winplat::TableChoice& choice) override {
    ++tables;
    return onTable(choice);
  }
  int tables = 0;
};

}  // namespace

// The desktop's table (its rows against the console's, a chosen row opening the FAN dialog:
// tests/gui/duty_window_test.cpp) saves SVG charts, refuses PNG without the desktop's
// painter, and when closed ends the command with nothing opened.
TEST_F(FanDutyCommand_, TheDesktopsTableSavesSvgChartsAndClosedOpensNothing) {
  TableWindowUi ui;
  winplat::ScopedUiService scope(ui);
  const std::string svg = folder() + "/desk.svg";
  std::wstring savedSvg, savedPng;
  ui.onTable = [&](const winplat::TableChoice& t) {
    EXPECT_EQ(t.marked, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(t.pictureName(0), L"4-72No4.5C-1450");
    savedSvg = t.savePicture(1, CString::FromUtf8(svg).str());
    savedPng = t.savePicture(1, CString::FromUtf8(folder() + "/desk.png").str());
    return winplat::TableChoiceResult{winplat::TableChoiceResult::Outcome::Cancelled, 0};
  };
  const std::string out = run("1000\n500\n\n\n");
  EXPECT_EQ(ui.tables, 1);
  EXPECT_FALSE(pending()) << "no prompt for a number when the window was shown";
  EXPECT_EQ(out.find("候选序号"), std::string::npos) << out;
  EXPECT_TRUE(savedSvg.empty()) << CString(savedSvg.c_str()).ToUtf8();
  EXPECT_NE(fileText(svg).find("<title>4-72 No.4 A 2900 r/min</title>"), std::string::npos);
  EXPECT_NE(CString(savedPng.c_str()).Find(L"desktop"), -1) << CString(savedPng.c_str()).ToUtf8();
  EXPECT_FALSE(std::filesystem::exists(folder() + "/desk.png"));
  EXPECT_TRUE(ui.modalRuns().empty());
}

// Settings change the air and the fans without a prompt of their own; one
// that holds something else ends the command before any prompt, naming it.
TEST_F(FanDutyCommand_, SettingsGiveTheSiteAirAndTheSetAndABadOneEndsTheRun) {
  struct Case {
    std::vector<std::pair<const wchar_t*, const wchar_t*>> settings;
    std::string answers;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {{{duty::kAltitudeSetting, L"1000"}, {duty::kHumiditySetting, L"50"}},
       "1000\n500\n\n\n\n",
       {"大气压力Pa <按海拔 1000 m>: ", "海拔 1000 m (标准大气 89875 Pa), 相对湿度 50%",
        "  电机效率: IE3 最低效率", "FEI、能效等级和 SFP 未计算: no verified IE3"}},
      // A pressure typed at the prompt is the site's measured one.
      {{{duty::kAltitudeSetting, L"1000"}}, "1000\n500\n\n95000\n\n", {"20 ℃, 95000 Pa,"}},
      {{{duty::kFansSetting, L"2"}, {duty::kArrangementSetting, L"S"}},
       "1000\n1000\n\n\n\n",
       {"风机组: 2 台串联", "单台风量m3/h  单台全压Pa"}},
      {{{duty::kFansSetting, L"5"}}, "", {"设置 FANDUTYFANS 的值 '5' 无效, 须为 1 至 4 的整数。"}},
      {{{duty::kArrangementSetting, L"X"}}, "", {"设置 FANDUTYARRANGEMENT 的值 'X' 无效"}},
  };
  for (const Case& k : cases) {
    for (const auto& [name, value] : k.settings) acedSetEnv(name, value);
    const std::string out = run(k.answers);
    for (const std::string& part : k.shown)
      EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    if (k.answers.empty()) {
      EXPECT_EQ(out.find("风量m3/h"), std::string::npos) << "nothing asked";
    }
    for (const auto& [name, value] : k.settings) acedSetEnv(name, L"");
  }
}
