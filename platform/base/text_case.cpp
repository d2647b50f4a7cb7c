// Letter case without the process locale.
#include "base/text_case.h"

#include "base/utf8.h"

namespace zrbase {

namespace {

// Latin Extended-A pairs capitals and small letters as (even, odd), except in two runs
// where they are (odd, even).
bool oddCapitalRun(char32_t c) { return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E); }

// Letters of Latin Extended-A without a one-to-one partner in the other case.
bool unpairedLatinA(char32_t c) { return c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F; }

}  // namespace

char32_t foldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    if (unpairedLatinA(c)) return c;
    if (oddCapitalRun(c)) return (c & 1) ? c + 1 : c;
    return (c & 1) ? c : c + 1;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

char32_t upperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    if (unpairedLatinA(c)) return c;
    if (oddCapitalRun(c)) return (c & 1) ? c : c - 1;
    return (c & 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
  return c;
}

std::wstring toUpper(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = static_cast<wchar_t>(upperCase(static_cast<char32_t>(c)));
  return out;
}

std::wstring toLower(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = static_cast<wchar_t>(foldCase(static_cast<char32_t>(c)));
  return out;
}

bool equalsFolded(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] &&
        foldCase(static_cast<char32_t>(a[i])) != foldCase(static_cast<char32_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool equalsFolded(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (foldCase(decodeUtf8(a, i)) != foldCase(decodeUtf8(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

int compareFolded(std::wstring_view a, std::wstring_view b) {
  return toLower(a).compare(toLower(b));
}

}  // namespace zrbase
