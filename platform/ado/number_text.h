// Numbers as text the way the data-access layer shows and reads them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adoimpl {

// Writes value with at most `digits` significant digits, trailing zeros
// dropped, switching to an exponent ("1E+20", "1E-05") as printf's %G does:
// 4.0 is "4", 4.5 is "4.5", 1131.0 is "1131", 0.1+0.2 is "0.3". buffer must
// hold 32 characters; returns the length written (no terminator).
std::size_t formatDouble(double value, int digits, char* buffer);
std::string formatDouble(double value, int digits = 15);

// Text read as a number: blanks around it, a sign, digits with an optional
// decimal point, an optional exponent. Nothing else is a number. A number
// beyond the range of a double ("1e309") is not ok either: `overflow` says so
// and `real` holds the infinity it would round to; one too small for a double
// is zero.
struct ParsedNumber {
  bool ok = false;
  bool overflow = false;
  bool isInteger = false;  // digits only, and within 64 bits: `integer` holds it exactly
  long long integer = 0;
  double real = 0;
};
ParsedNumber parseNumber(std::wstring_view text);

}  // namespace adoimpl
