// The runtime's wide number conversion: the leading integer of a text.
#include "base/wide_stdlib.h"

#include <gtest/gtest.h>

TEST(WideStdlib, WtoiTakesTheLeadingIntegerAndClampsWhatIntCannotHold) {
  EXPECT_EQ(_wtoi(L"1450"), 1450);
  EXPECT_EQ(_wtoi(L"  -960rpm"), -960) << "blanks skipped, the rest after the digits ignored";
  EXPECT_EQ(_wtoi(L"4.5"), 4);
  EXPECT_EQ(_wtoi(L"abc"), 0);
  EXPECT_EQ(_wtoi(L""), 0);
  EXPECT_EQ(_wtoi(nullptr), 0);
  EXPECT_EQ(_wtoi(L"99999999999"), INT_MAX);
  EXPECT_EQ(_wtoi(L"-99999999999999999999999"), INT_MIN);
}
