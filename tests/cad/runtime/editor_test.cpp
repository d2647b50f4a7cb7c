// The editor: prompts against typed lines (the values they return, Enter, and answers that do
// not fit); commands typed at the command prompt and driven by acedCommand (where their answers
// come from, and how cancel, failure and wrong answers come back); acutPrintf, the wide printf
// of the command line.
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <tuple>

#include "editor_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;
using EditorPrompts = EditorTest;
using AcutPrintf = EditorTest;

// Points as every prompt reads them. (Script lines echoed after their prompts:
// tests/app/host_test.cpp; Enter at a prompt: the defaults of INSERT,
// tests/app/insert_command_test.cpp; cancel and the end of the input: below.)
TEST_F(EditorPrompts, PointsTakeTwoOrThreeCoordinates) {
  ads_point p = {9, 9, 9};
  for (const auto& [text, x, y, z] : std::vector<std::tuple<const char*, double, double, double>>{
           {"10,20", 10, 20, 0}, {"-1.5, 2e3 ,7", -1.5, 2000, 7}, {"+1,-2", 1, -2, 0}}) {
    ASSERT_TRUE(cadrt::parsePoint(text, p)) << text;
    EXPECT_EQ(std::vector<double>(p, p + 3), (std::vector<double>{x, y, z})) << text;
  }
  for (const char* bad : {"", "1", "1,", ",1", "1,2,3,4", "a,b", "1,2x", "nan,1", "inf,0", "1;2"})
    EXPECT_FALSE(cadrt::parsePoint(bad, p)) << bad;
}

TEST_F(EditorPrompts, AnglesAreTypedInDegreesOrPickedAndReturnedInRadians) {
  input("90\n30\n-90\n450\n0\n0,5\n1,1\n1,2\n");
  ads_real a = 0;
  ASSERT_EQ(acedGetAngle(nullptr, L"A: ", &a), RTNORM);
  EXPECT_EQ(a, kPi / 2) << "a quarter turn is exact";
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

// A script line that does not fit stops the script at its line: the CommandProcessor tests
// below and, end to end, tests/app/e2e_test.py.
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
  // A string longer than the buffer is refused. (Strings with blanks: a file name below.)
  ACHAR s[8];
  input("abcdef\nabc\n", false);
  ASSERT_EQ(acedGetString(0, L"S: ", s, 4), RTNORM);
  EXPECT_STREQ(s, L"abc");
  EXPECT_NE(output().find("longer than 3 characters"), std::string::npos);
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

// The directives are the format engine's (tests/base/format_test.cpp); the module prints
// narrow strings too, which are UTF-8, and null strings say so.
TEST_F(AcutPrintf, PrintsNarrowAndNullStringsAndWhatItCannotReadAsItIs) {
  input("");
  acutPrintf(L"%hs %s|%d", "图块", static_cast<const wchar_t*>(nullptr), 7);
  EXPECT_EQ(output(), "图块 (null)|7");
  m_out.str("");
  acutPrintf(L"value %p here");
  EXPECT_EQ(output(), "value %p here [unsupported format directive]");
}

// A command with three prompts that records what it was given.
struct Recorded {
  std::wstring word;
  ads_point point = {0, 0, 0};
  double real = 0;
  double angle = 0;
};
Recorded g_rec;

int askWordPointReal() {
  ACHAR word[64];
  int rc = acedGetString(0, L"\nWord: ", word, 64);
  if (rc != RTNORM) return rc;
  g_rec.word = word;
  if ((rc = acedGetPoint(nullptr, L"\nPoint: ", g_rec.point)) != RTNORM) return rc;
  return acedGetReal(L"\nReal: ", &g_rec.real);
}

int askFileName() {
  ACHAR name[260];
  const int rc = acedGetString(1, L"\nFile: ", name, 260);
  if (rc == RTNORM) g_rec.word = name;
  return rc;
}

int askAngle() { return acedGetAngle(nullptr, L"\nAngle: ", &g_rec.angle); }

class CommandProcessor : public EditorTest {
 protected:
  void SetUp() override {
    g_rec = Recorded{};
    proc().addHostCommand(L"ASK3", askWordPointReal);
    proc().addHostCommand(L"ASKFILE", askFileName);
    proc().addHostCommand(L"ASKANGLE", askAngle);
    proc().addHostCommand(L"STOPS",
                          []() -> int { throw zrbase::ScriptAbort(7, "dlg x", "no dialog"); });
  }
  void TearDown() override {
    for (const wchar_t* n : {L"ASK3", L"ASKFILE", L"ASKANGLE", L"STOPS"})
      proc().removeHostCommand(n);
    EditorTest::TearDown();
  }
  static cadrt::CommandProcessor& proc() { return cadrt::CommandProcessor::instance(); }
};

TEST_F(CommandProcessor, FirstAnswersFollowTheCommandNameAndTheRestArePrompted) {
  input("7.5\n");
  EXPECT_EQ(proc().runLine("ask3   abc  1,2", 1, true), RTNORM);
  EXPECT_EQ(g_rec.word, L"abc");
  EXPECT_EQ(g_rec.point[0], 1);
  EXPECT_EQ(g_rec.point[1], 2);
  EXPECT_EQ(g_rec.real, 7.5);
  // A file name runs to the end of the line.
  EXPECT_EQ(proc().runLine("ASKFILE out/my plan.dxf", 2, true), RTNORM);
  EXPECT_EQ(g_rec.word, L"out/my plan.dxf");
}

TEST_F(CommandProcessor, AWrongAnswerStopsAScriptAtItsLineAndIsAskedAgainAtTheKeyboard) {
  input("1,1\n5\n");
  try {
    proc().runLine("ASK3 abc notapoint", 4, true);
    FAIL() << "expected the script to stop";
  } catch (const zrbase::ScriptAbort& e) {
    EXPECT_EQ(e.line(), 4);
    EXPECT_EQ(e.text(), "ASK3 abc notapoint");
    EXPECT_EQ(e.reason(), "Point required.");
  }
  EXPECT_EQ(pending(), "1,1") << "no line was read for the command";
  input("3,4\n2\n", false);
  EXPECT_EQ(proc().runLine("ASK3 abc bad 9", 1, false), RTNORM);
  EXPECT_EQ(g_rec.point[0], 3) << "the rest of the typed line was dropped";
  EXPECT_EQ(g_rec.real, 2);
  EXPECT_NE(output().find("Point required."), std::string::npos);
}

TEST_F(CommandProcessor, UnknownCommandsLeftoverWordsCancelAndExceptionsAreReported) {
  input("^C\n");
  EXPECT_EQ(proc().runLine("frobnicate now", 1, true), RTERROR);
  EXPECT_EQ(output(), "Unknown command \"FROBNICATE\".\nIgnored the rest of the line: now\n");
  m_out.str("");
  // The typed "^C" ended its line on the terminal; the end of input did not.
  EXPECT_EQ(proc().runLine("ASKANGLE", 2, true), RTCAN);
  EXPECT_EQ(proc().runLine("ASKANGLE", 3, true), RTCAN) << "the input has ended";
  EXPECT_EQ(output(), "\nAngle: *Cancel*\n\nAngle: \n*Cancel*\n");
  // A command's exception is reported (tests/app/host_test.cpp), but a stopped script goes up.
  EXPECT_THROW(proc().run(L"STOPS"), zrbase::ScriptAbort);
  EXPECT_EQ(proc().depth(), 0) << "the running-command count survives the exception";
}

TEST_F(CommandProcessor, AcedCommandAnswersPromptsWithItsTokens) {
  input("");
  const ads_point p = {1.25, -2, 3};
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"xyz", RT3DPOINT, p, RTREAL, 0.1, RTNONE), RTNORM);
  EXPECT_EQ(g_rec.word, L"xyz");
  EXPECT_EQ(g_rec.point[0], 1.25);
  EXPECT_EQ(g_rec.point[2], 3);
  EXPECT_EQ(g_rec.real, 0.1) << "reals pass through text without losing a bit";
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTANG, kPi / 2, 0), RTNORM);
  EXPECT_NEAR(g_rec.angle, kPi / 2, 1e-15) << "RTANG is given in radians";
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTSHORT, 180, 0), RTNORM);
  EXPECT_NEAR(g_rec.angle, kPi, 1e-15) << "a number at an angle prompt is degrees";
  // Tokens left after a command start the next one.
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTREAL, 45.0, RTSTR, L"ASKFILE", RTSTR, L"a b", 0),
            RTNORM);
  EXPECT_EQ(g_rec.word, L"a b");
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTREAL, 45.0, RTSTR, L"NOSUCH", 0), RTERROR);
  EXPECT_NE(output().find("Unknown command \"NOSUCH\"."), std::string::npos);
  // Tokens that do not fit fail without asking the user.
  input("1,1\n");
  m_out.str("");
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"w", RTREAL, 4.0, 0), RTERROR);
  EXPECT_EQ(pending(), "1,1");
  EXPECT_NE(output().find("Point required."), std::string::npos);
  m_out.str("");
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTRESBUF, nullptr, 0), RTERROR);
  EXPECT_EQ(output().find("Command: ASKANGLE"), std::string::npos) << "nothing ran";
  EXPECT_NE(output().find("argument type 5023"), std::string::npos);
}

TEST_F(CommandProcessor, PauseAndRunningOutOfTokensLetTheUserAnswer) {
  input("5,6\n; comment\n9,9\n3\n^C\n8\n");
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"w", RTSTR, PAUSE, RTREAL, 2.0, 0), RTNORM);
  EXPECT_EQ(g_rec.point[0], 5);
  EXPECT_EQ(g_rec.point[1], 6);
  EXPECT_EQ(g_rec.real, 2);
  EXPECT_EQ(pending(), "9,9") << "the paused prompt read exactly one line, past the comment";
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"w", 0), RTNORM);
  EXPECT_EQ(g_rec.point[0], 9);
  EXPECT_EQ(g_rec.real, 3);
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"w", RTSTR, PAUSE, RTREAL, 2.0, 0), RTCAN);
  EXPECT_EQ(pending(), "8") << "nothing after the cancel was read";
}

}  // namespace
