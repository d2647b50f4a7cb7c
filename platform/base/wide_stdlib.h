// The wide-character number conversions of the platform's C runtime that the
// module calls by name.
#pragma once

#include <climits>
#include <cwchar>

// The leading decimal integer of text: blanks skipped, an optional sign, then
// digits; 0 when there are none. A value beyond int is clamped to INT_MAX or
// INT_MIN, as the platform's runtime does.
inline int _wtoi(const wchar_t* text) {
  if (!text) return 0;
  const long long value = std::wcstoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
