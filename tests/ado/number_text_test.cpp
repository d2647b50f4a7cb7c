// Number text: the fast formatting path must give exactly printf's %.15G (and %.7G).
#include "ado/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::string printfG(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", digits, v);
  return buf;
}

TEST(NumberText, MatchesPrintfOnRandomDoubles) {
  std::mt19937_64 random(2024);
  std::uniform_int_distribution<int> scale(0, 8);
  std::uniform_int_distribution<long long> mantissa(-99999999, 99999999);
  for (int i = 0; i < 200000; ++i) {
    double v;
    if (i % 2) {
      std::uint64_t bits = random();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v) || v == 0) continue;
    } else {
      // Catalogue-like values: short decimals such as 4.5, 3.15, 1131, 0.85.
      v = static_cast<double>(mantissa(random)) / std::pow(10.0, scale(random));
      if (v == 0) continue;
    }
    for (int digits : {15, 7}) {
      ASSERT_EQ(adoimpl::formatDouble(v, digits), printfG(v, digits)) << v << " digits " << digits;
    }
  }
}

TEST(NumberText, EdgesOfTheFixedAndExponentForms) {
  for (double v : {1e14, 1e15, 999999999999999.0, 123456789012345.6, 1e-4, 1e-5, 0.000123,
                   -2.5e-300, 1.7976931348623157e308, 5e-324, 100.0, 0.1, 12.5}) {
    EXPECT_EQ(adoimpl::formatDouble(v, 15), printfG(v, 15)) << v;
  }
  EXPECT_EQ(adoimpl::formatDouble(-0.0, 15), "0");
  EXPECT_EQ(adoimpl::formatDouble(std::nan(""), 15), "NaN");
}

TEST(NumberText, ParsesOnlyWholeNumbers) {
  const adoimpl::ParsedNumber big = adoimpl::parseNumber(L"  -9223372036854775808 ");
  ASSERT_TRUE(big.ok);
  EXPECT_TRUE(big.isInteger);
  EXPECT_EQ(big.integer, INT64_MIN);
  const adoimpl::ParsedNumber beyond = adoimpl::parseNumber(L"9223372036854775808");
  ASSERT_TRUE(beyond.ok);
  EXPECT_FALSE(beyond.isInteger) << "beyond 64 bits it is a real number";
  EXPECT_DOUBLE_EQ(beyond.real, 9223372036854775808.0);
  EXPECT_TRUE(std::isinf(adoimpl::parseNumber(L"1e999").real));
  EXPECT_FALSE(adoimpl::parseNumber(L"١٢").ok) << "other scripts' digits are not numbers";
}

}  // namespace
