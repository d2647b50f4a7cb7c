// The lowest layer of DXF files: pairs, code pages, numbers and handles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "cad/db/dxf/codepage.h"
#include "cad/db/dxf/dxf_tags.h"
#include "cad/db/dxf/tag_reader.h"
#include "cad/db/dxf/tag_writer.h"

namespace {

using zrcad::dxf::CodePageDecoder;
using zrcad::dxf::DxfError;
using zrcad::dxf::Tag;
using zrcad::dxf::TagReader;
using zrcad::dxf::TagWriter;

TEST(TagReader, ReadsPairsWithLineNumbersAndWindowsLineEnds) {
  TagReader r("  0\r\nSECTION\r\n  2\r\nHEADER\r\n 10\r\n 1.5 \r\n");
  Tag t;
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.code, 0);
  EXPECT_EQ(t.value, "SECTION");
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.line, 3u);
  EXPECT_EQ(t.value, "HEADER");
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.code, 10);
  EXPECT_EQ(t.value, " 1.5 ");  // values keep their blanks; numbers are trimmed when parsed
  EXPECT_FALSE(r.next(t));
}

// Our own files open with one; other writers put them between sections or inside records.
TEST(TagReader, CommentsArePassedOverWhereverTheyStand) {
  TagReader r("999\nfancad 1.0\n  0\nSECTION\n999\n\n  2\nHEADER\n999\nlast\n");
  Tag t;
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.line, 3u);
  EXPECT_EQ(t.value, "SECTION");
  ASSERT_TRUE(r.peek(t));
  EXPECT_EQ(t.value, "HEADER");
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.line, 7u);
  EXPECT_FALSE(r.next(t));
}

TEST(TagReader, RefusesBrokenPairsWithTheLine) {
  auto errorOf = [](const char* text) -> std::string {
    TagReader r(text);
    Tag t;
    try {
      while (r.next(t)) {
      }
    } catch (const DxfError& e) {
      return e.message + "@" + std::to_string(e.line);
    }
    return "";
  };
  EXPECT_EQ(errorOf("0\nSECTION\nabc\nx\n"), "bad group code 'abc'@3");
  EXPECT_EQ(errorOf("0\nSECTION\n8\n"), "group code 8 without a value@3");
  EXPECT_EQ(errorOf("99999\nx\n"), "group code 99999 out of range@1");
  EXPECT_EQ(errorOf("0\nEOF\n\n\n"), "");
}

TEST(TagReader, RecordRunsToTheNextZeroGroup) {
  TagReader r("0\nLINE\n8\nA\n10\n1\n0\nCIRCLE\n");
  Tag first;
  ASSERT_TRUE(r.next(first));
  std::vector<Tag> rec;
  r.readRecord(first, rec);
  ASSERT_EQ(rec.size(), 3u);
  EXPECT_EQ(rec[2].code, 10);
  Tag next;
  ASSERT_TRUE(r.next(next));
  EXPECT_EQ(next.value, "CIRCLE");
}

TEST(TagReader, RecordsFollowOneAnotherWithCommentsAndOddCodes) {
  // The 0 group that ends a record starts the next one, also read by readRecord; comments
  // between pairs and codes written with leading zeros, blanks or a sign read as before.
  TagReader r("0\nLINE\n999\nnote\n  8\nA\n0\nPOINT\n0010\n1\n-1\nx\n0\nEOF\n");
  Tag t;
  std::vector<Tag> rec;
  ASSERT_TRUE(r.next(t));
  r.readRecord(t, rec);
  ASSERT_EQ(rec.size(), 2u);
  EXPECT_EQ(rec[1].code, 8);
  EXPECT_EQ(rec[1].line, 5u);
  Tag peeked;
  ASSERT_TRUE(r.peek(peeked));
  EXPECT_EQ(peeked.value, "POINT");
  ASSERT_TRUE(r.next(t));
  EXPECT_EQ(t.line, peeked.line);
  r.readRecord(t, rec);
  ASSERT_EQ(rec.size(), 3u);
  EXPECT_EQ(rec[1].code, 10);
  EXPECT_EQ(rec[2].code, -1);
  ASSERT_TRUE(r.next(t));
  r.readRecord(t, rec);
  ASSERT_EQ(rec.size(), 1u);
  EXPECT_EQ(rec[0].value, "EOF");
  EXPECT_FALSE(r.next(t));
  for (const char* bad : {"+8\nx\n", "8 8\nx\n", "12345\nx\n", " \t\nx\n"}) {
    TagReader broken(bad);
    EXPECT_THROW(broken.next(t), DxfError) << bad;
  }
}

TEST(CodePage, GbkTextOfOlderDrawingsBecomesUtf8) {
  CodePageDecoder d;
  d.setCodePage("ANSI_936", false);
  EXPECT_EQ(d.decode("\xB7\xE7\xBB\xFA"), "风机");
  EXPECT_EQ(d.decode("plain"), "plain");
  // A byte that starts no GBK character is replaced, not dropped with what follows.
  EXPECT_EQ(d.decode("A\x81"), "A\xEF\xBF\xBD");
}

TEST(CodePage, UnicodeEscapesOnlyBeforeR2007) {
  CodePageDecoder old;
  old.setCodePage("ANSI_1252", false);
  EXPECT_EQ(old.decode("\\U+98CE\\U+673A-1"), "风机-1");
  EXPECT_EQ(old.decode("\\U+12"), "\\U+12");
  CodePageDecoder utf8;
  utf8.setCodePage("ANSI_1252", true);
  EXPECT_EQ(utf8.decode("\\U+98CE"), "\\U+98CE");
  EXPECT_EQ(utf8.decode("\xE9\xA3\x8E"), "风");
  EXPECT_EQ(utf8.decode("a\xFF"), "a\xEF\xBF\xBD");
}

TEST(CodePage, UnknownCodePageFallsBackToWestern) {
  CodePageDecoder d;
  d.setCodePage("ANSI_99999", false);
  EXPECT_EQ(d.decode("caf\xE9"), "caf\xC3\xA9");
}

TEST(Handles, ParseAndFormat) {
  std::uint64_t h = 0;
  EXPECT_TRUE(zrcad::dxf::parseHandle(" 2F ", h));
  EXPECT_EQ(h, 0x2Fu);
  EXPECT_FALSE(zrcad::dxf::parseHandle("", h));
  EXPECT_FALSE(zrcad::dxf::parseHandle("G1", h));
  EXPECT_FALSE(zrcad::dxf::parseHandle("11112222333344445", h));
  EXPECT_EQ(zrcad::dxf::handleText(0xABCu), "ABC");
}

TEST(TagWriter, NumbersReadBackExactlyAndNeverAsNaN) {
  std::string out;
  TagWriter w(out);
  w.real(10, 0.1);
  w.real(40, 2.0);
  w.real(41, std::numeric_limits<double>::quiet_NaN());
  w.integer(70, -3);
  EXPECT_EQ(out, " 10\n0.1\n 40\n2.0\n 41\n0.0\n 70\n-3\n");
  EXPECT_EQ(std::stod(zrcad::dxf::formatReal(1.0 / 3.0)), 1.0 / 3.0);
}

TEST(TagWriter, LineBreaksInValuesCannotSplitPairs) {
  std::string out;
  TagWriter w(out);
  w.str(1, "two\nlines\r");
  EXPECT_EQ(out, "  1\ntwo lines \n");
  out.clear();
  w.wstr(1, L"\u98CE\u673A\nA\r");
  EXPECT_EQ(out, "  1\n\xE9\xA3\x8E\xE6\x9C\xBA A \n");
}

TEST(TagWriter, GroupCodesStandRightAlignedInThreeColumns) {
  for (int code : {0, 5, 10, 62, 100, 330, 999, 1000, 1071, -1, -5}) {
    std::string out;
    TagWriter w(out);
    w.integer(code, 1);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%3d\n1\n", code);
    EXPECT_EQ(out, expected) << code;
  }
}

}  // namespace
