// The editor prompts against typed lines: the values they return, Enter, cancel, the end of
// the input, and what happens to answers that do not fit; acutPrintf, the wide printf of the
// command line.
#include <cmath>
#include <numbers>

#include "editor_fixture.h"

namespace {

using EditorPrompts = EditorTest;
using AcutPrintf = EditorTest;
constexpr double kPi = std::numbers::pi;

TEST_F(EditorPrompts, PointsTakeTwoOrThreeCoordinatesAndEchoFollowsThePrompt) {
  input("10,20\n-1.5, 2e3 ,7\n");
  cadrt::EditorInput::instance().setEchoLines(true);
  ads_point p = {9, 9, 9};
  ASSERT_EQ(acedGetPoint(nullptr, L"Point: ", p), RTNORM);
  EXPECT_EQ(std::vector<double>(p, p + 3), (std::vector<double>{10, 20, 0}));
  ASSERT_EQ(acedGetPoint(nullptr, L"Point: ", p), RTNORM);
  EXPECT_EQ(std::vector<double>(p, p + 3), (std::vector<double>{-1.5, 2000, 7}));
  EXPECT_EQ(output(), "Point: 10,20\nPoint: -1.5, 2e3 ,7\n");
  for (const char* bad : {"", "1", "1,", ",1", "1,2,3,4", "a,b", "1,2x", "nan,1", "inf,0", "1;2"})
    EXPECT_FALSE(cadrt::parsePoint(bad, p)) << bad;
  EXPECT_TRUE(cadrt::parsePoint("+1,-2", p));
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], -2);
}

// Cancel and the end of the input at a prompt: command_processor_test.
TEST_F(EditorPrompts, EnterIsNoAnswerAndLeavesTheResultAlone) {
  input("\n\n");
  ads_point p = {1, 2, 3};
  EXPECT_EQ(acedGetPoint(nullptr, L"P: ", p), RTNONE);
  EXPECT_DOUBLE_EQ(p[0], 1);
  ACHAR s[8] = L"x";
  ASSERT_EQ(acedGetString(0, L"S: ", s), RTNORM);
  EXPECT_STREQ(s, L"") << "but an empty string";
}

TEST_F(EditorPrompts, AnglesAreTypedInDegreesOrPickedAndReturnedInRadians) {
  input("90\n30\n-90\n450\n0\n0,5\n1,1\n1,2\n");
  ads_real a = 0;
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_EQ(a, kPi / 2) << "a quarter turn is exact";
  EXPECT_EQ(a / kPi * 180, 90.0) << "and converts back to 90 exactly";
  for (double expected : {kPi / 6, 1.5 * kPi, kPi / 2, 0.0}) {
    ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
    EXPECT_NEAR(a, expected, 1e-15);
  }
  const ads_point base = {0, 0, 0};
  ASSERT_EQ(acedGetAngle(base, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, kPi / 2, 1e-12);
  // Without a base the first point asks for a second.
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, kPi / 2, 1e-12);
  EXPECT_NE(output().find("Specify second point"), std::string::npos);
}

// A script line that does not fit stops the script at its line: command_processor_test and,
// end to end, tests/app/e2e_test.py.
TEST_F(EditorPrompts, AnAnswerTypedAtTheKeyboardThatDoesNotFitIsAskedAgain) {
  input("abc\n1e999\n3.25\n", /*script=*/false);
  ads_real r = 0;
  ASSERT_EQ(acedGetReal(L"Number: ", &r), RTNORM);
  EXPECT_EQ(r, 3.25);
  // The user's own Enter ended each answer's line on the terminal.
  EXPECT_EQ(output(), "Number: A number required.\nNumber: A number required.\nNumber: ");
  // Integers are sixteen bit: 32768 is refused, then the input ends.
  input("32767\n-32768\n32768\n", false);
  int v = 0;
  ASSERT_EQ(acedGetInt(L"I: ", &v), RTNORM);
  EXPECT_EQ(v, 32767);
  ASSERT_EQ(acedGetInt(L"I: ", &v), RTNORM);
  EXPECT_EQ(v, -32768);
  EXPECT_EQ(acedGetInt(L"I: ", &v), RTCAN);
  EXPECT_NE(output().find("between -32768 and 32767"), std::string::npos);
}

TEST_F(EditorPrompts, InitGetConditionsAndKeywords) {
  input("\n0\n-2\n2\nsc\nX\nr\n", false);
  ads_real r = 0;
  acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
  ASSERT_EQ(acedGetReal(L"R: ", &r), RTNORM);
  EXPECT_EQ(r, 2) << "Enter, zero and a negative number were all refused";
  // Keywords: any prefix of the keyword at least as long as its capitals.
  ads_point p;
  ACHAR kw[32];
  for (const wchar_t* expected : {L"Scale", L"Rotate"}) {  // X is refused, r is Rotate
    acedInitGet(0, L"Scale Rotate");
    ASSERT_EQ(acedGetPoint(nullptr, L"P: ", p), RTKWORD);
    ASSERT_EQ(acedGetInput(kw), RTNORM);
    EXPECT_STREQ(kw, expected);
  }
  // Keywords apply to one prompt only.
  input("s\n", true);
  EXPECT_THROW(acedGetPoint(nullptr, L"P: ", p), zrbase::ScriptAbort);
}

// Strings with blanks: command_processor_test (a file name).
TEST_F(EditorPrompts, AStringLongerThanTheBufferIsRefused) {
  ACHAR s[8];
  input("abcdef\nabc\n", false);
  ASSERT_EQ(acedGetString(0, L"S: ", s, 4), RTNORM);
  EXPECT_STREQ(s, L"abc");
  EXPECT_NE(output().find("longer than 3 characters"), std::string::npos);
}

// The directives themselves are the format engine's (tests/base/format_test.cpp); here their
// arguments read from a va_list, the widths of Windows size modifiers included.
TEST_F(AcutPrintf, FormatsFromAVaListAndPrintsWhatItCannotReadAsItIs) {
  input("");
  const int n =
      acutPrintf(L"\n%s=%d [%5.2f] %x %c %ls%%", L"风量", 1131, 3.14159, 255u, L'Z', L"w");
  EXPECT_EQ(output(), "\n风量=1131 [ 3.14] ff Z w%");
  EXPECT_EQ(n, 24);
  m_out.str("");
  acutPrintf(L"%ld|%lld|%hd|%*d|%.*f|%zu|", -5L, 1LL << 40, 7, 4, 42, 3, 1.0, size_t{12});
  acutPrintf(L"[%I64d][%I64u][%I32d][%d]", -(1LL << 40), 1ULL << 63, -3, 9);
  EXPECT_EQ(output(),
            "-5|1099511627776|7|  42|1.000|12|"
            "[-1099511627776][9223372036854775808][-3][9]");
  // Narrow strings are UTF-8, and null strings say so.
  m_out.str("");
  acutPrintf(L"%hs %s", "图块", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(output(), "图块 (null)");
  m_out.str("");
  acutPrintf(L"value %p here");
  EXPECT_EQ(output(), "value %p here [unsupported format directive]");
}

}  // namespace
