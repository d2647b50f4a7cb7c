// UTF-8 helpers of the SQLite side: decoding one character, widening, case folding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adoimpl {

// The character at s[i] and the index after it; a byte that does not start a
// valid sequence is U+FFFD and one byte long.
char32_t decodeUtf8(std::string_view s, std::size_t& i);

// Appends s (UTF-8) to out as wide characters.
void appendUtf8AsWide(std::wstring& out, const char* s, std::size_t length);

// Simple case folding: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and
// full-width Latin capitals map to their small letters; everything else is
// itself. Table names, field names and LIKE compare through it.
char32_t foldCase(char32_t c);

bool equalsFolded(std::wstring_view a, std::wstring_view b);
bool equalsFolded(std::string_view a, std::string_view b);

}  // namespace adoimpl
