// The command stack: registration, look-up by either name without regard to case, groups
// and removal; the wildcard matcher, per feature of its syntax a pattern with strings it must
// match and strings it must not.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/aced.h"

namespace {

void handlerA() {}
void handlerB() {}

class CommandStack : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* g : {L"G1", L"G2"}) stack()->removeGroup(g);
  }
  static AcEdCommandStack* stack() {
    return AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
  }
};

TEST_F(CommandStack, RegistersAndFindsByEitherNameInAnyCaseTheNewestGroupFirst) {
  AcEdCommand* made = nullptr;
  ASSERT_EQ(stack()->addCommand(L"G1", L"FAN", L"FENGJI", ACRX_CMD_TRANSPARENT, handlerA, nullptr,
                                7, nullptr, &made),
            Acad::eOk);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"fan"), made);
  EXPECT_EQ(stack()->lookupLocalCmd(L"FengJi"), made);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FENGJI"), nullptr) << "a local name is not a global one";
  EXPECT_EQ(stack()->lookup(L"fengji"), made);
  EXPECT_EQ(made->functionAddr(), &handlerA);
  EXPECT_EQ(made->commandApp(), nullptr) << "registered outside any application";
  // The newest group wins, and removing it uncovers the older.
  ASSERT_EQ(stack()->addCommand(L"G2", L"FAN", L"FAN", 0, handlerB), Acad::eOk);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerB);
  EXPECT_EQ(stack()->removeGroup(L"g2"), Acad::eOk);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerA);
  EXPECT_EQ(stack()->removeGroup(L"G2"), Acad::eKeyNotFound);
}

TEST_F(CommandStack, RefusesDuplicatesAndBadNamesAndRemovesSingleCommands) {
  ASSERT_EQ(stack()->addCommand(L"G1", L"FAN", L"FAN", 0, handlerA), Acad::eOk);
  ASSERT_EQ(stack()->addCommand(L"G1", L"B", L"B", 0, handlerB), Acad::eOk);
  EXPECT_EQ(stack()->addCommand(L"g1", L"fan", L"OTHER", 0, handlerB), Acad::eDuplicateKey);
  EXPECT_EQ(stack()->addCommand(L"G1", L"OTHER", L"Fan", 0, handlerB), Acad::eDuplicateKey);
  EXPECT_EQ(stack()->addCommand(L"G1", L"TWO WORDS", L"X", 0, handlerB), Acad::eInvalidInput);
  EXPECT_EQ(stack()->addCommand(L"G1", L"X", L"X", 0, nullptr), Acad::eInvalidInput);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerA);
  EXPECT_EQ(stack()->removeCmd(L"G1", L"fan"), Acad::eOk);
  EXPECT_EQ(stack()->removeCmd(L"G1", L"FAN"), Acad::eKeyNotFound);
  EXPECT_EQ(stack()->removeCmd(L"G9", L"B"), Acad::eKeyNotFound);
  EXPECT_EQ(stack()->lookup(L"FAN"), nullptr);
  EXPECT_NE(stack()->lookup(L"B"), nullptr);
}

// The host's environment settings are set and read back by the module's duty command
// (tests/duty/duty_command_test.cpp).

const struct {
  const wchar_t* pattern;
  std::vector<const wchar_t*> matching, other;
} kCases[] = {
    // Single-character classes: digit, letter (any script), other, any.
    {L"#", {L"7"}, {L"a", L"12"}},
    {L"@", {L"x", L"Q", L"风"}, {L"5"}},
    {L".", {L"-", L"_", L" "}, {L"a", L"9"}},
    {L"?", {L"a"}, {L"", L"ab"}},
    // A star matches any run anywhere.
    {L"*", {L"", L"anything"}, {}},
    {L"a*bc", {L"abcbc"}, {L"abcbd"}},
    // Matching is case-sensitive.
    {L"FAN", {L"FAN"}, {L"fan"}},
    // Bracket sets, ranges and negation; '-' first or last, ']' first and '~' later are
    // literal, as is a backquoted character.
    {L"[fo]", {L"f", L"o"}, {L"x"}},
    {L"[A-D]", {L"C"}, {L"E"}},
    {L"[~fo]", {L"x"}, {L"f", L""}},
    {L"[~-AB]", {L"c"}, {L"-"}},
    {L"[]AB]", {L"]"}, {}},
    {L"[A~]", {L"~"}, {L"B"}},
    {L"[a`-c]", {L"-"}, {L"b"}},
    // A comma separates alternatives; a leading tilde negates its alternative.
    {L"ab,cd", {L"ab", L"cd"}, {L"ac"}},
    {L"ab,", {L""}, {}},
    {L"~*N*", {L"name"}, {L"Name"}},
    {L"a~b", {L"a~b"}, {L"ab"}},
    {L"abc,~x*", {}, {L"xyz"}},
    // A backquote takes the next character literally.
    {L"`*U2", {L"*U2"}, {L"XU2"}},
    {L"x`", {L"x`"}, {}},
    // An unclosed bracket is an ordinary character; an empty pattern matches nothing else.
    {L"[ab", {L"[ab"}, {L"a"}},
    {L"", {L""}, {L"a"}},
    // The pattern the module finds view blocks with.
    {L"[FfBbSs]_[LlRr]#,[FfBbSs]_[LlRr]##,[FfBbSs]_[LlRr]###",
     {L"F_L0", L"s_r45", L"B_L135"},
     {L"F_L1234", L"X_L0", L"F_X0", L"F_L", L"F_L9a", L"4-72No4.5AF_L0"}},
};

TEST(WcMatch, EachFeatureOfThePatternSyntax) {
  for (const auto& c : kCases) {
    for (bool matches : {true, false})
      for (const wchar_t* s : matches ? c.matching : c.other)
        EXPECT_EQ(acutWcMatch(s, c.pattern), matches ? RTNORM : RTERROR)
            << "string \"" << zrbase::wideToUtf8(s) << "\" pattern \""
            << zrbase::wideToUtf8(c.pattern) << "\"";
  }
  EXPECT_EQ(acutWcMatch(nullptr, L"*"), RTERROR);
  EXPECT_EQ(acutWcMatch(L"a", nullptr), RTERROR);
}

}  // namespace
