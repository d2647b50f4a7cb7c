// The format engine: one parser of directives for typed arguments (CString::Format)
// and for va_lists (acutPrintf), so both accept the same directives.
#include "base/format.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/cstring.h"

using zrbase::FormatSpec;

TEST(FormatDirective, LengthModifiersOfBothPlatforms) {
  FormatSpec conv;
  const wchar_t* text = L"I64d rest";
  const wchar_t* after = zrbase::parseFormatDirective(text, conv);
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(std::wstring(after), L" rest");
  EXPECT_EQ(conv.conversion, L'd');
  EXPECT_TRUE(conv.wide64());
  ASSERT_NE(zrbase::parseFormatDirective(L"-08.3lf", conv), nullptr);
  EXPECT_EQ(conv.flags, "-0");
  EXPECT_EQ(conv.width, 8);
  EXPECT_EQ(conv.precision, 3);
  EXPECT_EQ(conv.length, FormatSpec::Length::Long);
  ASSERT_NE(zrbase::parseFormatDirective(L"*.*llx", conv), nullptr);
  EXPECT_TRUE(conv.widthFromArg && conv.precisionFromArg && conv.wide64());
  ASSERT_NE(zrbase::parseFormatDirective(L"I32u", conv), nullptr);
  EXPECT_FALSE(conv.wide64());
  EXPECT_EQ(zrbase::parseFormatDirective(L"p", conv), nullptr);
  EXPECT_EQ(zrbase::parseFormatDirective(L"I6", conv), nullptr);
  EXPECT_EQ(zrbase::parseFormatDirective(L"", conv), nullptr);
}

TEST(FormatDirective, TypedArgumentsTakeEveryModifier) {
  CString s;
  s.Format(L"[%I64d|%lld|%I64u|%hd|%ls|%hs]", -(1LL << 40), 7LL, 1ULL << 63, 3, L"w", L"n");
  EXPECT_EQ(s, L"[-1099511627776|7|9223372036854775808|3|w|n]");
  s.Format(L"%x|%I64x", -1, -1LL);
  EXPECT_EQ(s, L"ffffffff|ffffffffffffffff");
  s.Format(L"[%*d|%-*d]", -4, 1, 3, 2);
  EXPECT_EQ(s, L"[1   |2  ]");
}

TEST(FormatDirective, LongResultsAreNotCut) {
  CString s;
  s.Format(L"%.300f", 1.0);
  EXPECT_EQ(s.GetLength(), 302);
  s.Format(L"%600d", 5);
  EXPECT_EQ(s.GetLength(), 600);
  EXPECT_THROW(s.Format(L"%I64", 5), std::logic_error);
}
