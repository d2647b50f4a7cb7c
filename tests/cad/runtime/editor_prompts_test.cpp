// The editor prompts against typed lines: the values they return, Enter,
// cancel, the end of the input, and what happens to answers that do not fit.
#include <cmath>
#include <numbers>

#include "editor_fixture.h"

namespace {

using EditorPrompts = EditorTest;

TEST_F(EditorPrompts, PointTakesTwoOrThreeCoordinates) {
  input("10,20\n-1.5, 2e3 ,7\n");
  ads_point p = {9, 9, 9};
  ASSERT_EQ(acedGetPoint(nullptr, L"Point: ", p), RTNORM);
  EXPECT_DOUBLE_EQ(p[0], 10);
  EXPECT_DOUBLE_EQ(p[1], 20);
  EXPECT_DOUBLE_EQ(p[2], 0);
  ASSERT_EQ(acedGetPoint(nullptr, L"Point: ", p), RTNORM);
  EXPECT_DOUBLE_EQ(p[0], -1.5);
  EXPECT_DOUBLE_EQ(p[1], 2000);
  EXPECT_DOUBLE_EQ(p[2], 7);
  EXPECT_EQ(output(), "Point: Point: ");
}

TEST_F(EditorPrompts, EnterCancelAndEndOfInput) {
  input("\n^C\n");
  ads_point p = {1, 2, 3};
  EXPECT_EQ(acedGetPoint(nullptr, L"P: ", p), RTNONE);
  EXPECT_EQ(acedGetPoint(nullptr, L"P: ", p), RTCAN);
  EXPECT_EQ(acedGetPoint(nullptr, L"P: ", p), RTCAN);  // no more lines
  EXPECT_DOUBLE_EQ(p[0], 1) << "a prompt without an answer leaves the result alone";
  ads_real r = 5;
  EXPECT_EQ(acedGetReal(L"R: ", &r), RTCAN);
  EXPECT_EQ(r, 5);
}

TEST_F(EditorPrompts, AngleIsTypedInDegreesAndReturnedInRadians) {
  input("90\n30\n-90\n450\n0\n");
  ads_real a = 0;
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_EQ(a, std::numbers::pi / 2) << "a quarter turn is exact";
  EXPECT_EQ(a / std::numbers::pi * 180, 90.0) << "and converts back to 90 exactly";
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, std::numbers::pi / 6, 1e-15);
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, 1.5 * std::numbers::pi, 1e-15);
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, std::numbers::pi / 2, 1e-15);
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_EQ(a, 0);
}

TEST_F(EditorPrompts, AngleByPointsFromTheBaseOrTwoPicks) {
  input("0,5\n1,1\n1,2\n");
  const ads_point base = {0, 0, 0};
  ads_real a = 0;
  ASSERT_EQ(acedGetAngle(base, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, std::numbers::pi / 2, 1e-12);
  // Without a base the first point asks for a second.
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_NEAR(a, std::numbers::pi / 2, 1e-12);
  EXPECT_NE(output().find("Specify second point"), std::string::npos);
}

TEST_F(EditorPrompts, ScriptStopsAtAnAnswerThatDoesNotFit) {
  input("; a comment line\n10,20\nnot-a-point\n30,40\n");
  ads_point p;
  ASSERT_EQ(acedGetPoint(nullptr, L"P: ", p), RTNORM);
  try {
    acedGetPoint(nullptr, L"P: ", p);
    FAIL() << "a script line that is not a point must stop the script";
  } catch (const zrbase::ScriptAbort& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_EQ(e.text(), "not-a-point");
    EXPECT_EQ(e.reason(), "Point required.");
  }
}

TEST_F(EditorPrompts, KeyboardIsAskedAgainAfterAWrongAnswer) {
  input("abc\n1e999\n3.25\n", /*script=*/false);
  ads_real r = 0;
  ASSERT_EQ(acedGetReal(L"Number: ", &r), RTNORM);
  EXPECT_EQ(r, 3.25);
  // The user's own Enter ended each answer's line on the terminal.
  EXPECT_EQ(output(), "Number: A number required.\nNumber: A number required.\nNumber: ");
}

TEST_F(EditorPrompts, IntegersAreSixteenBit) {
  input("32767\n-32768\n32768\n", false);
  int v = 0;
  ASSERT_EQ(acedGetInt(L"I: ", &v), RTNORM);
  EXPECT_EQ(v, 32767);
  ASSERT_EQ(acedGetInt(L"I: ", &v), RTNORM);
  EXPECT_EQ(v, -32768);
  EXPECT_EQ(acedGetInt(L"I: ", &v), RTCAN) << "32768 is refused, then the input ends";
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
  acedInitGet(0, L"Scale Rotate");
  ASSERT_EQ(acedGetPoint(nullptr, L"P: ", p), RTKWORD);
  ACHAR kw[32];
  ASSERT_EQ(acedGetInput(kw), RTNORM);
  EXPECT_STREQ(kw, L"Scale");
  acedInitGet(0, L"Scale Rotate");
  ASSERT_EQ(acedGetPoint(nullptr, L"P: ", p), RTKWORD) << "X is refused, r is Rotate";
  ASSERT_EQ(acedGetInput(kw), RTNORM);
  EXPECT_STREQ(kw, L"Rotate");
  // Keywords apply to one prompt only.
  input("s\n", true);
  EXPECT_THROW(acedGetPoint(nullptr, L"P: ", p), zrbase::ScriptAbort);
}

TEST_F(EditorPrompts, StringsKeepBlanksAndEnterIsAnEmptyString) {
  input("a file name.dxf\n\n^C\n");
  ACHAR s[133] = L"x";
  ASSERT_EQ(acedGetString(1, L"S: ", s), RTNORM);
  EXPECT_STREQ(s, L"a file name.dxf");
  ASSERT_EQ(acedGetString(0, L"S: ", s), RTNORM);
  EXPECT_STREQ(s, L"");
  EXPECT_EQ(acedGetString(0, L"S: ", s), RTCAN);
}

TEST_F(EditorPrompts, StringsLongerThanTheBufferAreRefused) {
  input("abcdef\nabc\n", false);
  ACHAR s[4];
  ASSERT_EQ(acedGetString(0, L"S: ", s, 4), RTNORM);
  EXPECT_STREQ(s, L"abc");
  EXPECT_NE(output().find("longer than 3 characters"), std::string::npos);
}

TEST_F(EditorPrompts, EchoWritesTypedAnswersAfterTheirPrompt) {
  input("1,2\n\n");
  cadrt::EditorInput::instance().setEchoLines(true);
  ads_point p;
  acedGetPoint(nullptr, L"First: ", p);
  acedGetPoint(nullptr, L"Second: ", p);
  EXPECT_EQ(output(), "First: 1,2\nSecond: \n");
}

TEST(PointParser, RejectsWhatIsNotAPoint) {
  ads_point p;
  for (const char* bad : {"", "1", "1,", ",1", "1,2,3,4", "a,b", "1,2x", "nan,1", "inf,0", "1;2"}) {
    EXPECT_FALSE(cadrt::parsePoint(bad, p)) << bad;
  }
  EXPECT_TRUE(cadrt::parsePoint("+1,-2", p));
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], -2);
}

}  // namespace
