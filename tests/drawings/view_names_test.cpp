// The drawing library's naming rules: view drawing files, view blocks, placed
// blocks, model labels, the angles block names offer and the view block test.
#include <gtest/gtest.h>

#include "drawings/view_names.h"

TEST(ViewNames, TheModelNamesItsViewDrawingAndItsPlacedBlocks) {
  const CString base = ViewDrawingBaseName(L"4-72", L"4.5", L"A");
  EXPECT_EQ(base, L"4-72No4.5A");
  EXPECT_EQ(ViewDrawingFileName(base), L"4-72No4.5A.dwg");
  EXPECT_EQ(ViewDrawingPath(L"/lib/dwg", ViewDrawingFileName(base)),
            L"/lib/dwg\\Fan\\4-72No4.5A.dwg");
  EXPECT_EQ(PlacedBlockName(base, L"F_L0"), L"4-72No4.5AF_L0");
  EXPECT_EQ(ModelLabel(base, L"2900"), L"4-72No4.5A_2900");
  EXPECT_EQ(ViewDrawingBaseName(L"T4-72", L"4.5", L"皮带"), L"T4-72No4.5皮带");
}

TEST(ViewNames, ViewHandAndAngleMakeTheViewBlockName) {
  EXPECT_EQ(ViewBlockName(0, L"左", L"0"), L"F_L0");
  EXPECT_EQ(ViewBlockName(1, L"右", L"45"), L"S_R45");
  EXPECT_EQ(ViewBlockName(2, L"左", L"135"), L"B_L135");
  EXPECT_EQ(ViewBlockName(0, L"左 ", L"90"), L"F_R90") << "only exactly 左 is the left hand";
  EXPECT_EQ(ViewBlockName(0, L"", L"90"), L"F_R90");
  EXPECT_EQ(ViewBlockName(3, L"左", L"0"), L"") << "no such view";
  EXPECT_EQ(ViewBlockName(-1, L"左", L"0"), L"");
  EXPECT_EQ(ViewBlockName(0, L"左", L""), L"") << "no angle";
}

TEST(ViewNames, TheAngleStartsTwoCharactersAfterTheFirstUnderscore) {
  EXPECT_EQ(AngleOfBlockName(L"F_L90"), L"90");
  EXPECT_EQ(AngleOfBlockName(L"B_R135"), L"135");
  EXPECT_EQ(AngleOfBlockName(L"S_L0_A"), L"0_A");
  EXPECT_EQ(AngleOfBlockName(L"F_L"), L"");
  EXPECT_EQ(AngleOfBlockName(L"F_"), L"");
  EXPECT_EQ(AngleOfBlockName(L"ROOM"), L"OOM") << "no underscore: all but the first character";
}

TEST(ViewNames, ViewBlocksAreTheirPatternWithOrWithoutTheModelInFront) {
  const CString base = L"4-72No4.5A";
  for (const wchar_t* name :
       {L"F_L0", L"f_r45", L"B_L135", L"S_R999", L"4-72No4.5AF_L0", L"4-72No4.5As_l90"}) {
    EXPECT_TRUE(MatchesViewBlockName(base, name)) << CString(name).ToUtf8();
  }
  for (const wchar_t* name : {L"F_L1234", L"F_L", L"F_X0", L"X_L0", L"F_L0A", L"F-L0",
                              L"9-19No4AF_L0", L"X4-72No4.5AF_L0", L"4-72No4.5A", L""}) {
    EXPECT_FALSE(MatchesViewBlockName(base, name)) << CString(name).ToUtf8();
  }
  EXPECT_TRUE(MatchesViewBlockName(L"", L"F_L0")) << "no model chosen";
}
