// The drawing library's naming rules: view blocks, the angles block names offer
// and the view block test. (View drawing files, placed blocks and model labels
// are read back by e2e/drawings_test.py and e2e/duty_test.py.)
#include <gtest/gtest.h>

#include "drawings/view_names.h"

TEST(ViewNames, ViewHandAndAngleMakeTheViewBlockNameAndTheAngleIsReadBack) {
  const struct {
    int view;
    const wchar_t *hand, *angle, *name;
  } names[] = {{0, L"左", L"0", L"F_L0"},     {1, L"右", L"45", L"S_R45"},
               {2, L"左", L"135", L"B_L135"}, {0, L"左 ", L"90", L"F_R90"},  // only exactly 左
               {0, L"", L"90", L"F_R90"},     {3, L"左", L"0", L""},         // no such view
               {-1, L"左", L"0", L""},        {0, L"左", L"", L""}};         // no angle
  for (const auto& n : names) {
    EXPECT_EQ(ViewBlockName(n.view, n.hand, n.angle), n.name) << n.view << " " << n.angle;
  }
  // The angle starts two characters after the first underscore; without one, all but the
  // first character.
  for (const auto& [name, angle] :
       std::vector<std::pair<const wchar_t*, const wchar_t*>>{{L"F_L90", L"90"},
                                                              {L"B_R135", L"135"},
                                                              {L"S_L0_A", L"0_A"},
                                                              {L"F_L", L""},
                                                              {L"F_", L""},
                                                              {L"ROOM", L"OOM"}}) {
    EXPECT_EQ(AngleOfBlockName(name), angle) << CString(name).ToUtf8();
  }
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
