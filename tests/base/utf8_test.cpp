// The platform's UTF-8 codec: every layer decodes through it, so damaged input must
// read the same everywhere (one U+FFFD per bad byte) and valid text must survive.
#include "base/utf8.h"

#include <gtest/gtest.h>

#include "base/cstring.h"

using namespace zrbase;

TEST(Utf8, RoundTripOfEveryWidth) {
  const std::wstring text = L"A é 风机 😀 \u07FF\u0800\uFFFD";
  EXPECT_EQ(utf8ToWide(wideToUtf8(text)), text);
  EXPECT_EQ(wideToUtf8(L"😀"), "\xF0\x9F\x98\x80");
  const CString s = L"风机选型布置 №4.5";
  EXPECT_EQ(CString::FromUtf8(s.ToUtf8()), s);
}

TEST(Utf8, DamagedInputIsOneReplacementPerBadByte) {
  EXPECT_EQ(utf8ToWide("a\xE9\xA3"), L"a\uFFFD\uFFFD");                    // cut off
  EXPECT_EQ(utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");                      // overlong '/'
  EXPECT_EQ(utf8ToWide("\xE0\x80\xAF"), L"\uFFFD\uFFFD\uFFFD");            // overlong, three bytes
  EXPECT_EQ(utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");            // a surrogate
  EXPECT_EQ(utf8ToWide("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(utf8ToWide("\x80z\xFF"), L"\uFFFDz\uFFFD");
  EXPECT_EQ(sanitizeUtf8("ok \xE9\xA3\x8E \xFF!"), "ok \xE9\xA3\x8E \xEF\xBF\xBD!");
}

TEST(Utf8, SequenceLengthAndDecodingAgree) {
  const std::string s = "a\xC3\xA9\xE9\xA3\x8E\xF0\x9F\x98\x80\xC3";
  std::size_t i = 0;
  const std::size_t lengths[] = {1, 2, 3, 4, 0};
  const char32_t chars[] = {U'a', U'é', U'风', U'😀', 0xFFFD};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(utf8SequenceLength(s, i), lengths[k]) << "at " << i;
    EXPECT_EQ(decodeUtf8(s, i), chars[k]);
  }
  EXPECT_EQ(i, s.size());
}

TEST(Utf8, WideTextThatIsNotACharacterIsWrittenAsReplacement) {
  std::wstring w;
  w += static_cast<wchar_t>(0xD800);
  w += static_cast<wchar_t>(0x110000);
  EXPECT_EQ(wideToUtf8(w), "\xEF\xBF\xBD\xEF\xBF\xBD");
  std::string out;
  appendUtf8(out, 0xDFFF);
  EXPECT_EQ(out, "\xEF\xBF\xBD");
  EXPECT_TRUE(isAscii("plain 7-bit"));
  EXPECT_FALSE(isAscii("caf\xC3\xA9"));
}

TEST(Utf8, FileNameBytesSurviveTheTripThroughWideText) {
  // GBK "风机", lone bytes, a cut-off sequence, an encoded surrogate and valid UTF-8.
  for (const std::string bytes :
       {"\xB7\xE7\xBB\xFA.dxf", "\xFF", "\xFE.dxf", "a\xE9\xA3", "\xED\xB2\x80", "风机 ok"}) {
    EXPECT_EQ(wideToBytes(bytesToWide(bytes)), bytes);
  }
  EXPECT_NE(bytesToWide("\xFF"), bytesToWide("\xFE")) << "two names stay two names";
  EXPECT_EQ(bytesToWide("风机"), L"风机");
  // Shown or written into a drawing, the escapes are replacement characters.
  EXPECT_EQ(wideToUtf8(bytesToWide("a\xFF")), "a\xEF\xBF\xBD");
  // Wide text that did not come from bytes is written as UTF-8.
  EXPECT_EQ(wideToBytes(L"é"), "\xC3\xA9");
}
