// Commands typed at the command prompt and driven by acedCommand: where their
// answers come from, and how cancel, failure and wrong answers come back.
#include <numbers>
#include <stdexcept>

#include "editor_fixture.h"

namespace {

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

constexpr double kPi = std::numbers::pi;

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
  // Answers from the command line are shown after their prompts.
  EXPECT_EQ(output(), "\nWord: abc\n\nPoint: 1,2\n\nReal: ");
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
  EXPECT_EQ(proc().runLine("ASKANGLE 90 extra words", 4, true), RTNORM);
  EXPECT_NE(output().find("Ignored the rest of the line: extra words"), std::string::npos);
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
  EXPECT_NE(output().find("Command: ASK3\n"), std::string::npos);
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

TEST_F(CommandProcessor, TokensThatDoNotFitFailWithoutAskingTheUser) {
  input("1,1\n");
  EXPECT_EQ(acedCommand(RTSTR, L"ASK3", RTSTR, L"w", RTREAL, 4.0, 0), RTERROR);
  EXPECT_EQ(pending(), "1,1");
  EXPECT_NE(output().find("Point required."), std::string::npos);
  m_out.str("");
  g_rec.angle = 0;
  EXPECT_EQ(acedCommand(RTSTR, L"ASKANGLE", RTRESBUF, nullptr, 0), RTERROR);
  EXPECT_EQ(g_rec.angle, 0);
  EXPECT_EQ(output().find("Command: ASKANGLE"), std::string::npos) << "nothing ran";
  EXPECT_NE(output().find("argument type 5023"), std::string::npos);
}

}  // namespace
