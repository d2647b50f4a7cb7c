// Formatting and parsing of numbers for variant conversions and LIKE comparisons.
#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace adoimpl {

namespace {

// printf's "%.<digits>G" with trailing zeros dropped: the exact but slow way.
std::size_t formatWithPrecision(double value, int digits, char* buffer) {
  const auto result = std::to_chars(buffer, buffer + 31, value, std::chars_format::general, digits);
  return static_cast<std::size_t>(result.ptr - buffer);
}

// The same text built from the shortest round-trip digits, when there are
// no more of them than `digits`: the shortest digits lie within half an ulp
// of the double, closer than half a unit in the 15th digit of any normal
// double, so rounding to that many digits gives those very digits. Several
// times faster. Returns 0 when the shortest form is longer.
std::size_t formatFromShortest(double value, int digits, char* buffer) {
  char sci[40];
  const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
  std::string_view s(sci, static_cast<std::size_t>(r.ptr - sci));
  std::size_t n = 0;
  if (s.front() == '-') {
    buffer[n++] = '-';
    s.remove_prefix(1);
  }
  const std::size_t e = s.find('e');
  char mantissa[24];
  std::size_t count = 0;
  for (std::size_t i = 0; i < e; ++i) {
    if (s[i] == '.') continue;
    if (count == sizeof mantissa) return 0;
    mantissa[count++] = s[i];
  }
  while (count > 1 && mantissa[count - 1] == '0') --count;
  if (count > static_cast<std::size_t>(digits)) return 0;
  std::string_view expText = s.substr(e + 1);
  if (expText.front() == '+') expText.remove_prefix(1);
  int exp = 0;
  std::from_chars(expText.data(), expText.data() + expText.size(), exp);
  if (exp < -4 || exp >= digits) {
    buffer[n++] = mantissa[0];
    if (count > 1) {
      buffer[n++] = '.';
      for (std::size_t i = 1; i < count; ++i) buffer[n++] = mantissa[i];
    }
    buffer[n++] = 'E';
    buffer[n++] = exp < 0 ? '-' : '+';
    const int a = exp < 0 ? -exp : exp;
    if (a >= 100) buffer[n++] = static_cast<char>('0' + a / 100);
    buffer[n++] = static_cast<char>('0' + a / 10 % 10);
    buffer[n++] = static_cast<char>('0' + a % 10);
    return n;
  }
  if (exp < 0) {
    buffer[n++] = '0';
    buffer[n++] = '.';
    for (int i = -1; i > exp; --i) buffer[n++] = '0';
    for (std::size_t i = 0; i < count; ++i) buffer[n++] = mantissa[i];
    return n;
  }
  const auto whole = static_cast<std::size_t>(exp) + 1;
  for (std::size_t i = 0; i < whole; ++i) buffer[n++] = i < count ? mantissa[i] : '0';
  if (count > whole) {
    buffer[n++] = '.';
    for (std::size_t i = whole; i < count; ++i) buffer[n++] = mantissa[i];
  }
  return n;
}

}  // namespace

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
  if (value == 0) {
    buffer[0] = '0';  // no "-0"
    return 1;
  }
  // Below the normal range a double's spacing is far coarser than 15 digits,
  // and the shortest digits are no longer the rounded ones.
  std::size_t n = std::isnormal(value) ? formatFromShortest(value, digits, buffer) : 0;
  if (n == 0) n = formatWithPrecision(value, digits, buffer);
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

namespace {

// Copies text to ASCII when it has the shape of a number (sign, digits,
// optional point and exponent); false otherwise. `plain` tells whether it is
// digits alone.
bool numberShape(std::wstring_view text, std::string& ascii, bool& plain) {
  std::size_t i = 0;
  const std::size_t e = text.size();
  if (i < e && (text[i] == L'+' || text[i] == L'-')) {
    if (text[i] == L'-') ascii += '-';
    ++i;
  }
  std::size_t mantissaDigits = 0;
  plain = true;
  for (; i < e && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  if (i < e && text[i] == L'.') {
    plain = false;
    ascii += '.';
    for (++i; i < e && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  }
  if (mantissaDigits == 0) return false;
  if (i < e && (text[i] == L'e' || text[i] == L'E')) {
    plain = false;
    ascii += 'e';
    ++i;
    if (i < e && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
    std::size_t expDigits = 0;
    for (; i < e && isDigit(text[i]); ++i, ++expDigits) ascii += static_cast<char>(text[i]);
    if (expDigits == 0) return false;
  }
  return i == e;
}

}  // namespace

ParsedNumber parseNumber(std::wstring_view text) {
  ParsedNumber out;
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  std::string ascii;
  bool plain = false;
  if (!numberShape(text, ascii, plain)) return out;
  if (plain) {
    long long v = 0;
    const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (r.ec == std::errc() && r.ptr == ascii.data() + ascii.size()) {
      out.ok = true;
      out.isInteger = true;
      out.integer = v;
      out.real = static_cast<double>(v);
      return out;
    }
  }
  // from_chars does not take a trailing "." ("5."), which is still a number.
  if (ascii.back() == '.') ascii.pop_back();
  double d = 0;
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), d);
  if (r.ptr != ascii.data() + ascii.size()) return out;
  if (r.ec == std::errc::result_out_of_range) {
    d = std::strtod(ascii.c_str(), nullptr);  // too large is infinite, too small zero
    if (std::isinf(d)) {
      out.overflow = true;
      out.real = d;
      return out;
    }
  } else if (r.ec != std::errc()) {
    return out;
  }
  out.ok = true;
  out.real = d;
  return out;
}

}  // namespace adoimpl
