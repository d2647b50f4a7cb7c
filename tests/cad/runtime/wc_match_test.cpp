// The host's wildcard matcher, one table per feature of its syntax.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/aced.h"

namespace {

struct Case {
  const wchar_t* string;
  const wchar_t* pattern;
  bool matches;
};

void expectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(acutWcMatch(c.string, c.pattern), c.matches ? RTNORM : RTERROR)
        << "string \"" << zrbase::wideToUtf8(c.string) << "\" pattern \""
        << zrbase::wideToUtf8(c.pattern) << "\"";
  }
}

TEST(WcMatch, SingleCharacterClasses) {
  expectAll({
      {L"7", L"#", true},
      {L"a", L"#", false},
      {L"12", L"#", false},
      {L"x", L"@", true},
      {L"Q", L"@", true},
      {L"5", L"@", false},
      {L"风", L"@", true},
      {L"-", L".", true},
      {L"_", L".", true},
      {L" ", L".", true},
      {L"a", L".", false},
      {L"9", L".", false},
      {L"a", L"?", true},
      {L"", L"?", false},
      {L"ab", L"?", false},
      {L"F_L0", L"@_@#", true},
      {L"F-L0", L"@_@#", false},
  });
}

TEST(WcMatch, StarMatchesAnyRunAnywhere) {
  expectAll({
      {L"", L"*", true},
      {L"anything", L"*", true},
      {L"abc", L"a*", true},
      {L"abc", L"*c", true},
      {L"abc", L"a*c", true},
      {L"ac", L"a*c", true},
      {L"abcbc", L"a*bc", true},
      {L"abcbd", L"a*bc", false},
      {L"abc", L"*b*", true},
      {L"xyz", L"*b*", false},
      {L"aXbXc", L"a*b*c", true},
      {L"aXbX", L"a*b*c", false},
  });
}

TEST(WcMatch, MatchingIsCaseSensitive) {
  expectAll({{L"fan", L"FAN", false}, {L"FAN", L"FAN", true}, {L"Fan", L"f*", false}});
}

TEST(WcMatch, BracketSetsRangesAndNegation) {
  expectAll({
      {L"f", L"[fo]", true},     {L"o", L"[fo]", true},      {L"x", L"[fo]", false},
      {L"C", L"[A-D]", true},    {L"E", L"[A-D]", false},    {L"5", L"[0-9a-f]", true},
      {L"e", L"[0-9a-f]", true}, {L"g", L"[0-9a-f]", false}, {L"x", L"[~fo]", true},
      {L"f", L"[~fo]", false},   {L"", L"[~fo]", false},     {L"-", L"[-AB]", true},
      {L"-", L"[AB-]", true},    {L"-", L"[~-AB]", false},   {L"c", L"[~-AB]", true},
      {L"]", L"[]AB]", true},    {L"]", L"[~]AB]", false},   {L"~", L"[A~]", true},
      {L"B", L"[A~]", false},    {L",", L"[,;]", true},      {L"b", L"[a`-c]", false},
      {L"-", L"[a`-c]", true},
  });
}

TEST(WcMatch, CommaSeparatesAlternatives) {
  expectAll({
      {L"ab", L"ab,cd", true},
      {L"cd", L"ab,cd", true},
      {L"ac", L"ab,cd", false},
      {L"", L"ab,", true},
      {L"x", L"a,b,c,x", true},
  });
}

TEST(WcMatch, LeadingTildeNegatesItsAlternative) {
  expectAll({
      {L"Name", L"~*N*", false},
      {L"name", L"~*N*", true},
      {L"abc", L"~abc", false},
      {L"abd", L"~abc", true},
      {L"a~b", L"a~b", true},
      {L"ab", L"a~b", false},
      {L"abc", L"~abc,abc", true},
      {L"xyz", L"abc,~x*", false},
  });
}

TEST(WcMatch, BackquoteTakesTheNextCharacterLiterally) {
  expectAll({
      {L"*U2", L"`*U2", true},
      {L"XU2", L"`*U2", false},
      {L"a,b", L"a`,b", true},
      {L"a", L"a`,b", false},
      {L"#", L"`#", true},
      {L"1", L"`#", false},
      {L"~x", L"`~x", true},
      {L"x`", L"x`", true},
      {L"[a]", L"`[a]", true},
  });
}

TEST(WcMatch, ViewBlockNamePattern) {
  const wchar_t* pattern = L"[FfBbSs]_[LlRr]#,[FfBbSs]_[LlRr]##,[FfBbSs]_[LlRr]###";
  expectAll({
      {L"F_L0", pattern, true},
      {L"s_r45", pattern, true},
      {L"B_L135", pattern, true},
      {L"F_L1234", pattern, false},
      {L"X_L0", pattern, false},
      {L"F_X0", pattern, false},
      {L"F_L", pattern, false},
      {L"F_L9a", pattern, false},
      {L"4-72No4.5AF_L0", pattern, false},
  });
}

TEST(WcMatch, NullArgumentsAndUnclosedBracketsDoNotMatchWildly) {
  EXPECT_EQ(acutWcMatch(nullptr, L"*"), RTERROR);
  EXPECT_EQ(acutWcMatch(L"a", nullptr), RTERROR);
  // An unclosed bracket is an ordinary character.
  expectAll({{L"[ab", L"[ab", true}, {L"a", L"[ab", false}, {L"", L"", true}, {L"a", L"", false}});
}

TEST(WcMatch, NoCaseVariantForSelectionFilters) {
  EXPECT_TRUE(cadrt::wcMatchNoCase(L"ac_equipment", L"AC_*"));
  EXPECT_TRUE(cadrt::wcMatchNoCase(L"F_l0", L"[f]_L#"));
  EXPECT_FALSE(cadrt::wcMatchNoCase(L"F_L0", L"~f_l0"));
}

}  // namespace
