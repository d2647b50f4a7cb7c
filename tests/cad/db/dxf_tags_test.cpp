// The lowest layer of DXF files: pairs, code pages, numbers and handles.
#include <gtest/gtest.h>

#include <limits>

#include "cad/db/dxf/codepage.h"
#include "cad/db/dxf/dxf_tags.h"
#include "cad/db/dxf/tag_reader.h"
#include "cad/db/dxf/tag_writer.h"

namespace {

using zrcad::dxf::DxfError;
using zrcad::dxf::Tag;
using zrcad::dxf::TagReader;
using zrcad::dxf::TagWriter;

// Every pair of text as "code:value@line", or the error as "message@line".
std::vector<std::string> tagsOf(const std::string& text) {
  std::vector<std::string> out;
  TagReader r(text);
  Tag t;
  try {
    while (r.next(t))
      out.push_back(std::to_string(t.code) + ":" + std::string(t.value) + "@" +
                    std::to_string(t.line));
  } catch (const DxfError& e) {
    out.push_back(e.message + "@" + std::to_string(e.line));
  }
  return out;
}

TEST(TagReader, ReadsPairsSkipsCommentsAndRefusesBrokenPairsWithTheLine) {
  const struct {
    const char* text;
    std::vector<std::string> tags;
  } cases[] = {
      // Windows line ends; values keep their blanks (numbers are trimmed when parsed).
      {"  0\r\nSECTION\r\n  2\r\nHEADER\r\n 10\r\n 1.5 \r\n",
       {"0:SECTION@1", "2:HEADER@3", "10: 1.5 @5"}},
      // Comments stand anywhere: our own files open with one, others put them inside records.
      {"999\nfancad 1.0\n  0\nSECTION\n999\n\n  2\nHEADER\n999\nlast\n",
       {"0:SECTION@3", "2:HEADER@7"}},
      // Codes with leading zeros, blanks or a minus sign.
      {"0010\n1\n-1\nx\n", {"10:1@1", "-1:x@3"}},
      {"0\nEOF\n\n\n", {"0:EOF@1"}},
      {"0\nSECTION\nabc\nx\n", {"0:SECTION@1", "bad group code 'abc'@3"}},
      {"0\nSECTION\n8\n", {"0:SECTION@1", "group code 8 without a value@3"}},
      {"99999\nx\n", {"group code 99999 out of range@1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(tagsOf(c.text), c.tags) << c.text;
  Tag t;
  for (const char* bad : {"+8\nx\n", "8 8\nx\n", "12345\nx\n", " \t\nx\n"})
    EXPECT_THROW(TagReader(bad).next(t), DxfError) << bad;
}

// Records built from the pairs (readRecord, peek) are read by every drawing test.

TEST(CodePage, TextBecomesUtf8ByCodePageAndEscapesOnlyBeforeR2007) {
  const struct {
    const char* codePage;
    bool utf8;  // R2007 and later
    std::string in, out;
  } cases[] = {
      {"ANSI_936", false, "\xB7\xE7\xBB\xFA", "风机"},
      // A byte that starts no GBK character is replaced, not dropped with what follows.
      {"ANSI_936", false, "A\x81", "A\xEF\xBF\xBD"},
      {"ANSI_1252", false, "\\U+98CE\\U+673A-1", "风机-1"},
      {"ANSI_1252", true, "\\U+98CE", "\\U+98CE"},
      {"ANSI_1252", true, "\xE9\xA3\x8E", "风"},
      {"ANSI_1252", true, "a\xFF", "a\xEF\xBF\xBD"},
      {"ANSI_99999", false, "caf\xE9", "caf\xC3\xA9"},  // unknown: western
  };
  for (const auto& c : cases) {
    zrcad::dxf::CodePageDecoder d;
    d.setCodePage(c.codePage, c.utf8);
    EXPECT_EQ(d.decode(c.in), c.out) << c.codePage << " " << c.in;
  }
}

TEST(Handles, ParseAndFormat) {
  std::uint64_t h = 0;
  EXPECT_TRUE(zrcad::dxf::parseHandle(" 2F ", h));
  EXPECT_EQ(h, 0x2Fu);
  for (const char* bad : {"", "G1", "11112222333344445"})
    EXPECT_FALSE(zrcad::dxf::parseHandle(bad, h)) << bad;
  EXPECT_EQ(zrcad::dxf::handleText(0xABCu), "ABC");
}

TEST(TagWriter, NumbersReadBackExactlyAndLineBreaksCannotSplitPairs) {
  std::string out;
  TagWriter w(out);
  w.real(10, 0.1);
  w.real(40, 2.0);
  w.integer(70, -3);
  w.str(1, "two\nlines\r");
  w.wstr(1, L"\u98CE\u673A\nA\r");
  EXPECT_EQ(out,
            " 10\n0.1\n 40\n2.0\n 70\n-3\n  1\ntwo lines \n"
            "  1\n\xE9\xA3\x8E\xE6\x9C\xBA A \n");
  try {  // a number that is not finite is refused or replaced, never written as such
    w.real(41, std::numeric_limits<double>::quiet_NaN());
  } catch (...) {
  }
  EXPECT_EQ(out.find("nan"), std::string::npos);
  EXPECT_EQ(std::stod(zrcad::dxf::formatReal(1.0 / 3.0)), 1.0 / 3.0);
}

}  // namespace
