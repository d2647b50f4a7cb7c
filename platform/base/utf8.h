// UTF-8: the one codec of the platform. Every layer that turns bytes into wide text or
// back (strings, the data layer, drawing files) goes through these functions, so a
// malformed sequence reads the same everywhere: each byte that does not start a valid
// sequence is one U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zrbase {

// The length of the valid UTF-8 sequence at s[i], or 0 when none starts there. Overlong
// forms, surrogates and values past U+10FFFF are not valid.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i);

// The character at s[i]; i moves past it. An invalid byte is U+FFFD and one byte long.
char32_t decodeUtf8(std::string_view s, std::size_t& i);

// Appends the character as UTF-8 (surrogates and values past U+10FFFF as U+FFFD).
void appendUtf8(std::string& out, char32_t c);

// Appends s (UTF-8) to out as wide characters.
void appendUtf8AsWide(std::wstring& out, std::string_view s);

std::wstring utf8ToWide(std::string_view s);
std::string wideToUtf8(std::wstring_view s);

// s with every invalid byte replaced by U+FFFD; valid text comes back unchanged.
std::string sanitizeUtf8(std::string_view s);

// File names are bytes: on this system any byte but '/' and NUL may stand in a name, and a
// name need not be UTF-8 (a drawing named in GBK, a byte 0xFF). Where a name from the
// system (an argument, a line naming a file, a folder's entry) becomes wide text, each byte
// that does not start a valid UTF-8 sequence becomes the lone surrogate U+DC00 + byte
// (U+DC80..U+DCFF) instead of U+FFFD, and wideToBytes turns those back into the bytes, so
// the name reaches the file system unchanged. Valid UTF-8 never decodes to a lone surrogate,
// which makes the mapping reversible (as Python's "surrogateescape"). Text shown or written
// into a drawing goes through wideToUtf8, which writes the escapes as U+FFFD.
std::wstring bytesToWide(std::string_view s);
std::string wideToBytes(std::wstring_view s);

// True when every byte is below 0x80.
bool isAscii(std::string_view s);

}  // namespace zrbase
