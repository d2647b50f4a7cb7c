// Adding and deleting view blocks: entities selected in the current drawing
// become the view block of the model's view drawing, a view block is deleted
// from it, with the questions, refusals and messages of each way through. (A
// view drawing that cannot be read, never written, and a declined deletion:
// e2e/drawings_test.py.)
#include "drawings_harness.h"

using drawingstest::ChooseModel;
using drawingstest::ComboItems;
using drawingstest::Dlg;
using drawingstest::DrawingsHarness;

namespace {

const std::string kView = "4-72No4.5A";

// The blocks of a drawing file with their entity counts, layouts aside, e.g.
// "F_L0:6 S_R45:1"; "unreadable" when it cannot be read.
std::string BlocksOf(const std::string& path) {
  AcDbDatabase db(false, true);
  if (db.readDwgFile(CString::FromUtf8(path)) != Acad::eOk) return "unreadable";
  std::string out;
  for (const std::wstring& name : apptest::blockNames(&db)) {
    out += (out.empty() ? "" : " ") + CString(name.c_str()).ToUtf8() + ":" +
           std::to_string(apptest::entityCount(apptest::blockId(&db, name.c_str())));
  }
  return out;
}

std::vector<std::wstring> BoxTexts(DrawingsHarness& h) {
  std::vector<std::wstring> texts;
  for (const auto& box : h.ui().boxes()) texts.push_back(box.text);
  return texts;
}

// Side view, right hand, angle 45: the block S_R45.
void ChooseSideRight45(CFanDlg& dlg) {
  ChooseModel(dlg);
  Dlg(dlg, "dlg select 1018 右");
  Dlg(dlg, "dlg click 1027");
  Dlg(dlg, "dlg type 1017 45");
}

}  // namespace

// A model without view drawing: an empty angle is refused before anything is written; a
// cancelled selection leaves a new, valid, empty drawing whose empty angle list then
// refuses the typed angle; a selection makes S_R45 of it, the entities staying in the
// drawing. Adding it again asks first: declined, no selection is asked for; accepted, the
// block is replaced.
TEST(AddDrawing, ANewViewDrawingGetsTheBlockAndAddingAgainAsksBeforeReplacing) {
  DrawingsHarness h;
  const std::string view = h.viewDrawing(kView);
  apptest::addLine(h.drawing(), {0, 0, 0}, {20, 0, 0});
  h.run([&](CFanDlg& dlg) {
    ChooseModel(dlg);
    Dlg(dlg, "dlg type 1017");
    h.input("all\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all");
    EXPECT_EQ(BlocksOf(view), "unreadable") << "nothing was written";

    ChooseSideRight45(dlg);
    h.input("^C\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(BlocksOf(view), "");
    EXPECT_EQ(dlg.m_cbAngle.GetCount(), 0) << "refilled from the new, empty drawing";
    h.input("all\n\n0,0\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all") << "the refilled list took the typed angle";
    Dlg(dlg, "dlg type 1017 45");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(BlocksOf(view), "S_R45:1");

    apptest::addCircle(h.drawing(), {0, 0, 0}, 5);
    h.ui().answer(IDNO);
    h.input("all\n\n0,0\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all") << "declined: no selection was asked for";
    h.ui().answer(IDYES);
    Dlg(dlg, "dlg click 204");
  });
  const std::wstring empty = L"出口角度不能为空!", replace = L"图形存在,确认替换么?";
  EXPECT_EQ(BoxTexts(h), (std::vector<std::wstring>{empty, empty, replace, replace}));
  EXPECT_EQ(h.ui().boxes()[3].caption, L"提示");
  EXPECT_EQ(h.ui().boxes()[3].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_NE(h.output().find("\n未选中任何实体!\n"), std::string::npos);
  EXPECT_EQ(BlocksOf(view), "S_R45:2");
  EXPECT_EQ(apptest::entityCount(h.drawing()->modelSpaceId()), 2) << "the selection stays";
  const testsupport::CommandResult check = testsupport::checkDrawing(FANCAD_DXF_CHECKER, view);
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(AddDrawing, SelectionsHoldingViewBlocksOrPlacedFansAreRefusedAtAnyDepth) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), {{L"F_L0", 6}}));
  AcDbDatabase* db = h.drawing();
  for (const wchar_t* name : {L"B_L90", L"4-72No4.5AF_L0", L"F_L1234"}) apptest::addBlock(db, name);
  apptest::addReference(apptest::addBlock(db, L"HOLDER"), apptest::blockId(db, L"4-72No4.5AF_L0"));
  const AcDbObjectId loop = apptest::addBlock(db, L"LOOP");
  apptest::addReference(loop, loop);
  const AcDbObjectId line = apptest::addLine(db, {0, 0, 0}, {1, 0, 0});
  const auto handle = [](AcDbObjectId id) { return CString(apptest::handleOf(id)).ToUtf8(); };
  struct Case {
    const wchar_t* block;
    std::wstring refused;  // "" when the selection passes
    bool stored;           // S_R45 was made from it
  };
  // LOOP passes the check (it holds no view block) but a view block made of a
  // block that contains itself would contain itself too: none is made.
  for (const Case& c : {Case{L"B_L90", L"B_L90", false}, Case{L"HOLDER", L"4-72No4.5AF_L0", false},
                        Case{L"LOOP", L"", false}, Case{L"F_L1234", L"", true}}) {
    const AcDbObjectId ref =
        apptest::addReference(db->modelSpaceId(), apptest::blockId(db, c.block));
    h.ui().clear();
    h.run([&](CFanDlg& dlg) {
      ChooseSideRight45(dlg);
      h.input("h " + handle(line) + " " + handle(ref) + "\n\n0,0\n");
      Dlg(dlg, "dlg click 204");
      CString name;
      EXPECT_EQ(dlg.CheckSelectedEntity(ref, name), c.refused.empty());
      EXPECT_EQ(name, c.refused.c_str());
      EXPECT_EQ(dlg.m_Preview.previewShown(), c.stored);
    });
    EXPECT_EQ(BoxTexts(h), c.refused.empty() ? std::vector<std::wstring>{}
                                             : std::vector<std::wstring>{
                                                   L"选择实体中存在块名为" + c.refused +
                                                   L"的块或块引用\n,请先炸碎后,再执行添加操作!"});
    EXPECT_EQ(BlocksOf(h.viewDrawing(kView)), c.stored ? "F_L0:6 S_R45:2 F_L1234:4" : "F_L0:6");
  }
}

TEST(DeleteDrawing, DeletingTheOnlyBlockOfAnAngleTakesTheAngleOffTheList) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView),
                                            {{L"F_L0", 6}, {L"F_L90", 4}, {L"S_L90", 4}}));
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    Dlg(dlg, "dlg select 1017 90");
    h.ui().answer(IDYES);
    Dlg(dlg, "dlg click 206");
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"0", L"90"})) << "S_L90";
    EXPECT_EQ(dlg.m_strAngle, L"0") << "the first angle is taken after the rebuild";
    Dlg(dlg, "dlg click 1027");
    Dlg(dlg, "dlg select 1017 90");
    h.ui().answer(IDYES);
    Dlg(dlg, "dlg click 206");
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), std::vector<std::wstring>{L"0"});
    EXPECT_EQ(dlg.m_strAngle, L"0") << "the selected angle is taken";
    h.ui().clear();
    Dlg(dlg, "dlg click 1028");
    Dlg(dlg, "dlg click 206");
    EXPECT_TRUE(h.ui().boxes().empty()) << "no B_L0: nothing to ask";
  });
  EXPECT_EQ(BlocksOf(h.viewDrawing(kView)), "F_L0:6");
}
