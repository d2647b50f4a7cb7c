// The load layout's headers and units, and CSV sheets: what a header means, what a CSV
// file's records and sections become, and what each refuses.
#include <gtest/gtest.h>

#include "load_layout.h"
#include "sheet_file.h"

namespace {

using fangen::Field;
using fangen::SheetKind;

struct HeaderCase {
  const char* header;
  SheetKind sheet;
  std::optional<Field> field;  // none: refused
  double factor;
};

TEST(LoadLayout, HeadersNameTheirFieldAndUnitInEnglishOrChinese) {
  const HeaderCase cases[] = {
      {"flow m3/h", SheetKind::Performance, Field::Flow, 1},
      {"风量(m³/s)", SheetKind::Performance, Field::Flow, 3600},
      {"Flow Low [L/s]", SheetKind::Performance, Field::FlowLow, 3.6},
      {"全压 kPa", SheetKind::Performance, Field::Pressure, 1000},
      {"total pressure high mmH2O", SheetKind::Performance, Field::PressureHigh, 9.80665},
      {"轴功率（W）", SheetKind::Performance, Field::ShaftPower, 0.001},
      {"motor power", SheetKind::Performance, Field::MotorPower, 1},
      {"speed rpm", SheetKind::Performance, Field::Speed, 1},
      {"效率%", SheetKind::Performance, Field::Efficiency, 1},
      {"sound 1kHz dB", SheetKind::Performance, Field::Sound1k, 1},
      {"quantity", SheetKind::Accessories, Field::ItemQuantity, 1},
      {"flowrate", SheetKind::Performance, std::nullopt, 0},
      {"flow kPa", SheetKind::Performance, std::nullopt, 0},
      {"item", SheetKind::Performance, std::nullopt, 0},
      {"series metres", SheetKind::Performance, std::nullopt, 0},
  };
  for (const HeaderCase& c : cases) {
    std::string why;
    const auto h = fangen::parseHeader(c.header, c.sheet, why);
    ASSERT_EQ(h.has_value(), c.field.has_value()) << c.header << ": " << why;
    if (!h) continue;
    EXPECT_EQ(h->field, *c.field) << c.header;
    EXPECT_DOUBLE_EQ(h->factor, c.factor) << c.header;
  }
}

TEST(LoadLayout, EveryHeaderTheTemplateWritesReadsBackAsItsField) {
  for (const fangen::FieldSpec& f : fangen::layoutFields()) {
    std::string why;
    const auto h = fangen::parseHeader(fangen::headerText(f), f.sheet, why);
    ASSERT_TRUE(h) << fangen::headerText(f) << ": " << why;
    EXPECT_EQ(h->field, f.field) << fangen::headerText(f);
    EXPECT_EQ(h->factor, 1) << fangen::headerText(f);
  }
}

TEST(SheetFile, CsvRecordsQuotesSectionsAndRowNumbers) {
  const std::string text =
      "\xEF\xBB\xBF"
      "a,\"b, \"\"c\"\"\"\r\n"
      ",,\r\n"
      "\"two\nlines\",x\n"
      "[accessories]\n"
      "y";
  const auto sheets = fangen::readCsv("t.csv", text);
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheets[0].name, "");
  ASSERT_EQ(sheets[0].rows.size(), 2u);
  EXPECT_EQ(sheets[0].rows[0].cells, (std::vector<std::string>{"a", "b, \"c\""}));
  EXPECT_EQ(sheets[0].rows[1].number, 3);
  EXPECT_EQ(sheets[0].rows[1].cells, (std::vector<std::string>{"two\nlines", "x"}));
  EXPECT_EQ(sheets[1].name, "accessories");
  EXPECT_EQ(sheets[1].rows[0].number, 5);
}

TEST(SheetFile, BrokenCsvIsRefusedNamingTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\n\"open", "line 2: a quoted cell is not closed"},
      {"\"a\"b", "line 1: text after a quoted cell's closing quote"},
      {"a\n\xFF", "row 2: the text is not UTF-8"},
  };
  for (const auto& [text, why] : cases) {
    try {
      fangen::readCsv("t.csv", text);
      ADD_FAILURE() << text;
    } catch (const fangen::SheetError& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
  }
}

TEST(SheetFile, ColumnLettersRunPastZ) {
  EXPECT_EQ(fangen::columnLetters(0), "A");
  EXPECT_EQ(fangen::columnLetters(25), "Z");
  EXPECT_EQ(fangen::columnLetters(26), "AA");
  EXPECT_EQ(fangen::columnLetters(701), "ZZ");
  EXPECT_EQ(fangen::columnLetters(702), "AAA");
}

}  // namespace
