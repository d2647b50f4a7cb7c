// The host's environment settings: names in any letter case, values that do not fit, removal.
#include "cad/runtime/environment_settings.h"

#include <gtest/gtest.h>

TEST(EnvironmentSettings, SetReadInAnyCaseAndRemoved) {
  ACHAR value[16];
  EXPECT_EQ(acedGetEnv(L"TestSetting", value, 16), RTERROR);
  EXPECT_STREQ(value, L"");
  ASSERT_EQ(acedSetEnv(L"TestSetting", L"out/表.csv"), RTNORM);
  ASSERT_EQ(acedGetEnv(L"TESTSETTING", value, 16), RTNORM);
  EXPECT_STREQ(value, L"out/表.csv");

  ACHAR small[4];
  EXPECT_EQ(acedGetEnv(L"testsetting", small, 4), RTERROR) << "the value does not fit";
  EXPECT_STREQ(small, L"out");

  ASSERT_EQ(acedSetEnv(L"testSetting", L""), RTNORM);
  EXPECT_EQ(acedGetEnv(L"TestSetting", value, 16), RTERROR);
  EXPECT_EQ(acedSetEnv(L"", L"x"), RTERROR);
  EXPECT_EQ(acedSetEnv(nullptr, L"x"), RTERROR);
}
