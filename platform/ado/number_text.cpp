// Formatting and parsing of numbers for variant conversions and LIKE comparisons.
#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace adoimpl {

std::size_t formatDouble(double value, int digits, char* buffer) {
  if (std::isnan(value)) {
    std::memcpy(buffer, "NaN", 3);
    return 3;
  }
  if (std::isinf(value)) {
    const char* text = value < 0 ? "-Infinity" : "Infinity";
    const std::size_t n = std::strlen(text);
    std::memcpy(buffer, text, n);
    return n;
  }
  if (value == 0) value = 0;  // no "-0"
  const auto result = std::to_chars(buffer, buffer + 31, value, std::chars_format::general, digits);
  std::size_t n = static_cast<std::size_t>(result.ptr - buffer);
  for (std::size_t i = 0; i < n; ++i) {
    if (buffer[i] == 'e') buffer[i] = 'E';
  }
  return n;
}

std::string formatDouble(double value, int digits) {
  char buffer[32];
  return std::string(buffer, formatDouble(value, digits, buffer));
}

namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000;
}
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

ParsedNumber parseNumber(std::wstring_view text) {
  ParsedNumber out;
  std::size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  // Validate the shape and copy it to ASCII for from_chars.
  std::string ascii;
  ascii.reserve(e - b);
  std::size_t i = b;
  if (i < e && (text[i] == L'+' || text[i] == L'-')) {
    if (text[i] == L'-') ascii += '-';
    ++i;
  }
  std::size_t mantissaDigits = 0;
  bool fraction = false, exponent = false;
  for (; i < e && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  if (i < e && text[i] == L'.') {
    fraction = true;
    ascii += '.';
    for (++i; i < e && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  }
  if (mantissaDigits == 0) return out;
  if (i < e && (text[i] == L'e' || text[i] == L'E')) {
    exponent = true;
    ascii += 'e';
    ++i;
    if (i < e && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
    std::size_t expDigits = 0;
    for (; i < e && isDigit(text[i]); ++i, ++expDigits) ascii += static_cast<char>(text[i]);
    if (expDigits == 0) return out;
  }
  if (i != e) return out;

  const char* first = ascii.data();
  const char* last = ascii.data() + ascii.size();
  if (!fraction && !exponent) {
    long long v = 0;
    const auto r = std::from_chars(first, last, v);
    if (r.ec == std::errc() && r.ptr == last) {
      out.ok = true;
      out.isInteger = true;
      out.integer = v;
      out.real = static_cast<double>(v);
      return out;
    }
  }
  // from_chars does not take a trailing "." ("5."), which is still a number.
  if (!ascii.empty() && ascii.back() == '.') ascii.pop_back();
  first = ascii.data();
  last = ascii.data() + ascii.size();
  double d = 0;
  const auto r = std::from_chars(first, last, d);
  if (r.ptr != last) return out;
  if (r.ec == std::errc::result_out_of_range) {
    // Too large is infinite, too small is zero, as strtod would give.
    d = std::strtod(ascii.c_str(), nullptr);
  } else if (r.ec != std::errc()) {
    return out;
  }
  out.ok = true;
  out.real = d;
  return out;
}

}  // namespace adoimpl
