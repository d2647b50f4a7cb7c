// The command stack: registration, look-up by either name without regard to case, groups
// and removal; the host's environment settings.
#include <gtest/gtest.h>

#include "cad/aced.h"
#include "cad/runtime/environment_settings.h"

namespace {

void handlerA() {}
void handlerB() {}

class CommandStack : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* g : {L"G1", L"G2"}) stack()->removeGroup(g);
  }
  static AcEdCommandStack* stack() {
    return AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
  }
};

TEST_F(CommandStack, RegistersWithEveryDetailAndFindsByEitherNameInAnyCase) {
  AcEdCommand* made = nullptr;
  const HINSTANCE res = reinterpret_cast<HINSTANCE>(0x10);
  ASSERT_EQ(
      stack()->addCommand(L"G1", L"FAN", L"FENGJI", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET,
                          handlerA, nullptr, 7, res, &made),
      Acad::eOk);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"fan"), made);
  EXPECT_EQ(stack()->lookupLocalCmd(L"FengJi"), made);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FENGJI"), nullptr) << "a local name is not a global one";
  EXPECT_EQ(stack()->lookup(L"fengji"), made);
  EXPECT_STREQ(made->groupName(), L"G1");
  EXPECT_EQ(made->commandFlags(), 3);
  EXPECT_EQ(made->functionAddr(), &handlerA);
  EXPECT_EQ(made->functionCode(), 7);
  EXPECT_EQ(made->resourceHandle(), res);
  EXPECT_EQ(made->commandApp(), nullptr) << "registered outside any application";
  // The newest group wins, and removing it uncovers the older.
  ASSERT_EQ(stack()->addCommand(L"G2", L"FAN", L"FAN", 0, handlerB), Acad::eOk);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerB);
  EXPECT_EQ(stack()->removeGroup(L"g2"), Acad::eOk);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerA);
  EXPECT_EQ(stack()->removeGroup(L"G2"), Acad::eKeyNotFound);
}

TEST_F(CommandStack, RefusesDuplicatesAndBadNamesAndRemovesSingleCommands) {
  ASSERT_EQ(stack()->addCommand(L"G1", L"FAN", L"FAN", 0, handlerA), Acad::eOk);
  ASSERT_EQ(stack()->addCommand(L"G1", L"B", L"B", 0, handlerB), Acad::eOk);
  EXPECT_EQ(stack()->addCommand(L"g1", L"fan", L"OTHER", 0, handlerB), Acad::eDuplicateKey);
  EXPECT_EQ(stack()->addCommand(L"G1", L"OTHER", L"Fan", 0, handlerB), Acad::eDuplicateKey);
  EXPECT_EQ(stack()->addCommand(L"G1", L"TWO WORDS", L"X", 0, handlerB), Acad::eInvalidInput);
  EXPECT_EQ(stack()->addCommand(L"G1", L"", L"X", 0, handlerB), Acad::eInvalidInput);
  EXPECT_EQ(stack()->addCommand(nullptr, L"X", L"X", 0, handlerB), Acad::eInvalidInput);
  EXPECT_EQ(stack()->addCommand(L"G1", L"X", L"X", 0, nullptr), Acad::eInvalidInput);
  EXPECT_EQ(stack()->lookupGlobalCmd(L"FAN")->functionAddr(), &handlerA);
  EXPECT_EQ(stack()->removeCmd(L"G1", L"fan"), Acad::eOk);
  EXPECT_EQ(stack()->removeCmd(L"G1", L"FAN"), Acad::eKeyNotFound);
  EXPECT_EQ(stack()->removeCmd(L"G9", L"B"), Acad::eKeyNotFound);
  EXPECT_EQ(stack()->lookup(L"FAN"), nullptr);
  EXPECT_NE(stack()->lookup(L"B"), nullptr);
}

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
}

}  // namespace
