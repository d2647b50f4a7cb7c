// The wildcard matcher: each comma-separated alternative is compiled into a list
// of single-character tests and stars, then matched with the usual backtracking
// over the last star (linear in practice, quadratic at worst).
#include "cad/runtime/wc_match.h"
#include "base/text_case.h"

#include <locale.h>
#include <clocale>
#include <cwctype>
#include <string>
#include <vector>

namespace cadrt {

namespace {

// Letters beyond ASCII are classified by the C.UTF-8 locale when the system
// has it, so that Chinese and accented names count as letters for '@'
// whatever locale the process runs in.
bool isLetter(wchar_t c) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8) return iswalpha_l(static_cast<wint_t>(c), utf8) != 0;
  return true;
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

struct Range {
  wchar_t lo;
  wchar_t hi;
};

struct Token {
  enum class Kind { Literal, Digit, Letter, NonAlnum, AnyOne, Star, Set };
  Kind kind = Kind::Literal;
  wchar_t ch = 0;
  bool negated = false;
  std::vector<Range> set;

  bool matches(wchar_t c) const {
    switch (kind) {
      case Kind::Literal:
        return c == ch;
      case Kind::Digit:
        return isDigit(c);
      case Kind::Letter:
        return isLetter(c);
      case Kind::NonAlnum:
        return !isDigit(c) && !isLetter(c);
      case Kind::AnyOne:
        return true;
      case Kind::Set: {
        bool in = false;
        for (const Range& r : set) in = in || (c >= r.lo && c <= r.hi);
        return in != negated;
      }
      case Kind::Star:
        break;
    }
    return false;
  }
};

struct Alternative {
  bool negated = false;
  std::vector<Token> tokens;
};

// Parses a bracket expression starting after '['. Returns the position after
// the closing ']', or npos when the bracket is never closed.
size_t parseSet(std::wstring_view p, size_t i, Token& tok) {
  tok.kind = Token::Kind::Set;
  if (i < p.size() && p[i] == L'~') {
    tok.negated = true;
    ++i;
  }
  const size_t first = i;
  while (i < p.size()) {
    wchar_t c = p[i];
    // ']' closes the set except as its first member.
    if (c == L']' && i != first) return i + 1;
    if (c == L'`' && i + 1 < p.size()) c = p[++i];
    ++i;
    // A '-' between two members makes a range; first or last it is literal.
    if (i + 1 < p.size() && p[i] == L'-' && p[i + 1] != L']') {
      wchar_t hi = p[i + 1];
      i += 2;
      if (hi == L'`' && i < p.size()) hi = p[i++];
      tok.set.push_back({c, hi});
    } else {
      tok.set.push_back({c, c});
    }
  }
  return std::wstring_view::npos;
}

std::vector<Alternative> compile(std::wstring_view p) {
  std::vector<Alternative> alts(1);
  bool atStart = true;
  for (size_t i = 0; i < p.size();) {
    const wchar_t c = p[i];
    Token tok;
    if (c == L',') {
      alts.emplace_back();
      atStart = true;
      ++i;
      continue;
    }
    if (c == L'~' && atStart) {
      alts.back().negated = true;
      atStart = false;
      ++i;
      continue;
    }
    atStart = false;
    ++i;
    switch (c) {
      case L'#':
        tok.kind = Token::Kind::Digit;
        break;
      case L'@':
        tok.kind = Token::Kind::Letter;
        break;
      case L'.':
        tok.kind = Token::Kind::NonAlnum;
        break;
      case L'?':
        tok.kind = Token::Kind::AnyOne;
        break;
      case L'*':
        tok.kind = Token::Kind::Star;
        break;
      case L'`':
        // A trailing backquote stands for itself.
        tok.ch = i < p.size() ? p[i++] : L'`';
        break;
      case L'[': {
        const size_t end = parseSet(p, i, tok);
        if (end == std::wstring_view::npos) {
          // An unclosed bracket is an ordinary character.
          tok = Token{};
          tok.ch = L'[';
        } else {
          i = end;
        }
        break;
      }
      default:
        tok.ch = c;
    }
    alts.back().tokens.push_back(std::move(tok));
  }
  return alts;
}

bool matchTokens(const std::vector<Token>& toks, std::wstring_view s) {
  size_t ti = 0, si = 0;
  size_t starTok = std::wstring_view::npos, starStr = 0;
  while (si < s.size()) {
    if (ti < toks.size() && toks[ti].kind == Token::Kind::Star) {
      starTok = ti++;
      starStr = si;
    } else if (ti < toks.size() && toks[ti].matches(s[si])) {
      ++ti;
      ++si;
    } else if (starTok != std::wstring_view::npos) {
      ti = starTok + 1;
      si = ++starStr;
    } else {
      return false;
    }
  }
  while (ti < toks.size() && toks[ti].kind == Token::Kind::Star) ++ti;
  return ti == toks.size();
}

std::wstring upper(std::wstring_view s) { return zrbase::toUpper(s); }

}  // namespace

bool wcMatch(std::wstring_view string, std::wstring_view pattern) {
  for (const Alternative& alt : compile(pattern)) {
    if (matchTokens(alt.tokens, string) != alt.negated) return true;
  }
  return false;
}

bool wcMatchNoCase(std::wstring_view string, std::wstring_view pattern) {
  // Upper-casing the pattern leaves its special characters alone: none of
  // them is a letter.
  return wcMatch(upper(string), upper(pattern));
}

}  // namespace cadrt

int acutWcMatch(const ACHAR* string, const ACHAR* pattern) {
  if (!string || !pattern) return RTERROR;
  return cadrt::wcMatch(string, pattern) ? RTNORM : RTERROR;
}
