// FANDUTY's listing, lines and CSV with numbers as large as a catalogue or the
// air's density can make them: each is written whole, digit for digit as printf
// writes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "duty/duty_listing.h"

namespace {

std::string printed(const char* format, double v) {
  std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, v)), '\0');
  std::snprintf(text.data(), text.size() + 1, format, v);
  return text;
}

TEST(DutyNumbers, ValuesOf1e62AndMoreAreWrittenWhole) {
  duty::DutyCatalogue catalogue;
  catalogue.series.push_back({L"4-72", duty::RowKind::Points, {}, {}});
  duty::CatalogueModel model;
  model.bigModel = L"4-72";
  model.fanNo = L"4";
  model.driveMode = L"A";
  model.speed = L"2900";
  catalogue.models.push_back(model);
  duty::DutySelection s;
  s.duty = {1e63, 1e64, 20, 101325};
  s.density = 1e62;
  s.catalogueDensity = 1.2;
  duty::Candidate c;
  c.point.flow = 1e66;
  c.point.pressure = 1e80;
  c.efficiency = 1e100;
  c.shaftPower = 1e70;
  s.candidates.push_back(c);

  std::string lines;
  for (const CString& line : duty::conditionLines(s)) lines += line.ToUtf8() + "\n";
  for (const CString& line : duty::tableLines(catalogue, s)) lines += line.ToUtf8() + "\n";
  const std::string csv = duty::csvText(catalogue, s);
  EXPECT_NE(lines.find("密度 " + printed("%.3f", 1e62) + " kg/m3"), std::string::npos) << lines;
  for (const auto& [format, v] : {std::pair{"%.0f", 1e66}, std::pair{"%.0f", 1e80},
                                  std::pair{"%.1f", 1e100}, std::pair{"%.2f", 1e70}}) {
    const std::string text = printed(format, v);
    EXPECT_NE(lines.find("  " + text), std::string::npos) << text;
    EXPECT_NE(csv.find("," + text + ","), std::string::npos) << text;
  }
}

}  // namespace
