// Case folding of the SQLite side: table names, field names and LIKE compare through it.
// Text is decoded by the platform's UTF-8 codec (base/utf8.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adoimpl {

// Simple case folding: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and
// full-width Latin capitals map to their small letters; everything else is
// itself. Table names, field names and LIKE compare through it.
char32_t foldCase(char32_t c);

bool equalsFolded(std::wstring_view a, std::wstring_view b);
bool equalsFolded(std::string_view a, std::string_view b);

}  // namespace adoimpl
