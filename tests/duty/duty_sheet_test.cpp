// The data sheet read back as a reader gets it: pdftotext finds the model,
// FEI, grade and LwA the listing gives, and pdftoppm draws the page. The
// figures are the listing test's (duty_listing_test.cpp): a 4-72 No.4.5 at
// 1000 m³/h, 500 Pa, with a 0.55 kW motor.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "duty/duty_sheet.h"
#include "duty_test_models.h"

namespace {

using duty::RowKind;
using dutytest::Catalogue;

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

}  // namespace

TEST(DutySheet, ThePageGivesTheModelItsComplianceAndSoundAndRenders) {
  struct Case {
    const char* name;
    std::optional<double> motorEfficiency;
    std::vector<std::string> texts;  // each on the page
  };
  const Case cases[] = {
      {"stated motor",
       0.8,
       {"4-72", "FEI: 1.68", "64.3/64 合格", "SFP级: 3", "LwA dB(A): 83 估算"}},
      {"below the IE3 table", {}, {"4-72", "FEI: -", "starts at 0.75 kW", "LwA dB(A): 83 估算"}},
  };
  for (const Case& k : cases) {
    Catalogue c;
    c.series("4-72", RowKind::Points)
        .curve("4.5", "直联", "2900", {{800, 785, 85, 0.3, 0.55}, {1600, 305, 85, 0.3, 0.55}});
    duty::DutyConditions d{1000, 500, 20, 101325};
    d.motorEfficiency = k.motorEfficiency;
    const duty::DutySelection s = duty::selectForDuty(c.get(), d);
    ASSERT_EQ(s.candidates.size(), 1u) << k.name;
    const std::string pdf = testing::TempDir() + "duty_sheet_test.pdf";
    ASSERT_EQ(duty::writeDutySheet(c.get(), s, 0, CString::FromUtf8(pdf)), CString()) << k.name;

    const std::string text = run("pdftotext -layout '" + pdf + "' - 2>&1");
    for (const std::string& t : k.texts) {
      EXPECT_NE(text.find(t), std::string::npos) << k.name << ": no " << t << " in\n" << text;
    }
    EXPECT_TRUE(std::regex_search(run("pdfinfo '" + pdf + "'"), std::regex("Pages: +1\n")));
    // Drawn at 40 dpi: an A4 page of 331 × 468 pixels, and not blank.
    const std::string png = testing::TempDir() + "duty_sheet_test";
    ASSERT_EQ(run("pdftoppm -r 40 -singlefile -gray '" + pdf + "' '" + png + "' 2>&1"), "");
    std::ifstream in(png + ".pgm", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string image = bytes.str();
    EXPECT_EQ(image.rfind("P5\n331 468\n255\n", 0), 0u) << k.name;
    const std::size_t dark = std::count_if(image.begin() + 15, image.end(), [](char p) {
      return static_cast<unsigned char>(p) < 128;
    });
    EXPECT_GT(dark, image.size() / 100) << k.name << ": ink on the page";
  }
}

// LeakSanitizer: fontconfig's caches, which cairo fills when the sheet's text is
// drawn and keeps for the life of the process, are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
