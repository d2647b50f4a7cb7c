// Letter case without the process locale: names of layers, blocks, tables, commands and
// options compare the same in every mode of the program (the console never sets a locale,
// the desktop's Qt does, and a Turkish one would make 'i' and 'I' different letters).
//
// The mapping is the simple one-to-one case mapping of ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and full-width Latin; every other character is its own case. A letter
// without a one-to-one partner (dotless i, long s, sharp s) keeps its case, so that
// upperCase and foldCase agree on which texts are equal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zrbase {

// The small letter of c (c itself when it has none).
char32_t foldCase(char32_t c);
// The capital letter of c (c itself when it has none).
char32_t upperCase(char32_t c);

std::wstring toUpper(std::wstring_view s);
std::wstring toLower(std::wstring_view s);

// Equal but for letter case; UTF-8 texts are decoded by the platform's codec.
bool equalsFolded(std::wstring_view a, std::wstring_view b);
bool equalsFolded(std::string_view a, std::string_view b);
// <0, 0, >0 as a.compare(b) of the folded texts.
int compareFolded(std::wstring_view a, std::wstring_view b);

// The ASCII letters of s in one case, every other byte (UTF-8 Chinese included) as it is:
// for names and texts matched as a database matches them, which folds ASCII alone.
inline std::string lowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}
inline std::string upperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace zrbase
