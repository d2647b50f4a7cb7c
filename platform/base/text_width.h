// How many fixed-pitch cells a character takes: East Asian wide and full-width characters
// (CJK ideographs, kana, hangul, full-width forms) take two, every other character one.
// Terminal tables and the grid control's measured widths line up by this one rule.
//
// The ranges are the wide and full-width ones of Unicode's East Asian Width property, the
// CJK blocks taken whole; U+303F (the half-fill space) and the Yijing hexagrams
// (U+4DC0-U+4DFF) are narrow there.
#pragma once

#include <string_view>

namespace zrbase {

constexpr bool isWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The cells text takes on one line of a terminal.
constexpr int displayColumns(std::wstring_view text) {
  int columns = 0;
  for (wchar_t c : text) columns += isWide(static_cast<char32_t>(c)) ? 2 : 1;
  return columns;
}

}  // namespace zrbase
