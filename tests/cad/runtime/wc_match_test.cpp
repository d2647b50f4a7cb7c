// The host's wildcard matcher: per feature of its syntax, a pattern with strings it must
// match and strings it must not.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/aced.h"

namespace {

struct Case {
  const wchar_t* pattern;
  std::vector<const wchar_t*> matching, other;
};

const wchar_t* const kViewBlocks = L"[FfBbSs]_[LlRr]#,[FfBbSs]_[LlRr]##,[FfBbSs]_[LlRr]###";

const Case kCases[] = {
    // Single-character classes: digit, letter (any script), other, any.
    {L"#", {L"7"}, {L"a", L"12"}},
    {L"@", {L"x", L"Q", L"风"}, {L"5"}},
    {L".", {L"-", L"_", L" "}, {L"a", L"9"}},
    {L"?", {L"a"}, {L"", L"ab"}},
    {L"@_@#", {L"F_L0"}, {L"F-L0"}},
    // A star matches any run anywhere.
    {L"*", {L"", L"anything"}, {}},
    {L"a*c", {L"abc", L"ac"}, {L"abd"}},
    {L"a*bc", {L"abcbc"}, {L"abcbd"}},
    {L"a*b*c", {L"aXbXc"}, {L"aXbX"}},
    // Matching is case-sensitive.
    {L"FAN", {L"FAN"}, {L"fan"}},
    // Bracket sets, ranges and negation; '-' first or last, ']' first and '~' later are
    // literal, as is a backquoted character.
    {L"[fo]", {L"f", L"o"}, {L"x"}},
    {L"[A-D]", {L"C"}, {L"E"}},
    {L"[0-9a-f]", {L"5", L"e"}, {L"g"}},
    {L"[~fo]", {L"x"}, {L"f", L""}},
    {L"[-AB]", {L"-"}, {}},
    {L"[~-AB]", {L"c"}, {L"-"}},
    {L"[]AB]", {L"]"}, {}},
    {L"[~]AB]", {}, {L"]"}},
    {L"[A~]", {L"~"}, {L"B"}},
    {L"[a`-c]", {L"-"}, {L"b"}},
    // A comma separates alternatives; a leading tilde negates its alternative.
    {L"ab,cd", {L"ab", L"cd"}, {L"ac"}},
    {L"ab,", {L""}, {}},
    {L"~*N*", {L"name"}, {L"Name"}},
    {L"a~b", {L"a~b"}, {L"ab"}},
    {L"~abc,abc", {L"abc"}, {}},
    {L"abc,~x*", {}, {L"xyz"}},
    // A backquote takes the next character literally.
    {L"`*U2", {L"*U2"}, {L"XU2"}},
    {L"a`,b", {L"a,b"}, {L"a"}},
    {L"x`", {L"x`"}, {}},
    {L"`[a]", {L"[a]"}, {}},
    // An unclosed bracket is an ordinary character; an empty pattern matches nothing else.
    {L"[ab", {L"[ab"}, {L"a"}},
    {L"", {L""}, {L"a"}},
    // The pattern the module finds view blocks with.
    {kViewBlocks,
     {L"F_L0", L"s_r45", L"B_L135"},
     {L"F_L1234", L"X_L0", L"F_X0", L"F_L", L"F_L9a", L"4-72No4.5AF_L0"}},
};

TEST(WcMatch, EachFeatureOfThePatternSyntax) {
  for (const Case& c : kCases) {
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
