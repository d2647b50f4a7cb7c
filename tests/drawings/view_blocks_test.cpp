// Adding and deleting view blocks: entities selected in the current drawing
// become the view block of the model's view drawing, a view block is deleted
// from it, with the questions, refusals and messages of each way through; a
// view drawing that cannot be read is never written.
#include "drawings_harness.h"

using drawingstest::ChooseModel;
using drawingstest::ComboItems;
using drawingstest::Dlg;
using drawingstest::DrawingsHarness;
using testsupport::ViewBlock;

namespace {

const std::string kView = "4-72No4.5A";

// The names of the blocks of a drawing file, layouts aside; empty when it
// cannot be read.
std::vector<std::wstring> BlocksOf(const std::string& path) {
  AcDbDatabase db(false, true);
  std::vector<std::wstring> names;
  if (db.readDwgFile(CString::FromUtf8(path)) != Acad::eOk) return names;
  AcDbBlockTable* table = nullptr;
  db.getBlockTable(table, AcDb::kForRead);
  AcDbBlockTableIterator* it = nullptr;
  table->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* rec = nullptr;
    it->getRecord(rec, AcDb::kForRead);
    if (!rec->isLayout()) names.push_back(rec->name());
    rec->close();
  }
  delete it;
  table->close();
  return names;
}

bool Readable(const std::string& path) {
  AcDbDatabase db(false, true);
  return db.readDwgFile(CString::FromUtf8(path)) == Acad::eOk;
}

int ModelSpaceCount(AcDbDatabase* db) {
  AcDbObjectPointer<AcDbBlockTableRecord> space(db->modelSpaceId(), AcDb::kForRead);
  return static_cast<int>(space->entityIds().size());
}

int EntitiesOf(const std::string& path, const wchar_t* block) {
  AcDbDatabase db(false, true);
  if (db.readDwgFile(CString::FromUtf8(path)) != Acad::eOk) return -1;
  AcDbBlockTable* table = nullptr;
  db.getBlockTable(table, AcDb::kForRead);
  AcDbBlockTableRecord* rec = nullptr;
  const bool found = table->getAt(block, rec, AcDb::kForRead) == Acad::eOk;
  table->close();
  if (!found) return -1;
  const int n = static_cast<int>(rec->entityIds().size());
  rec->close();
  return n;
}

AcDbObjectId AddReference(AcDbDatabase* db, AcDbObjectId owner, const wchar_t* block) {
  AcDbBlockTable* table = nullptr;
  db->getBlockTable(table, AcDb::kForRead);
  AcDbObjectId blockId;
  table->getAt(block, blockId);
  table->close();
  AcDbBlockTableRecord* rec = nullptr;
  acdbOpenObject(rec, owner, AcDb::kForWrite);
  auto* ref = new AcDbBlockReference(AcGePoint3d::kOrigin, blockId);
  AcDbObjectId id;
  rec->appendAcDbEntity(id, ref);
  ref->close();
  rec->close();
  return id;
}

// Side view, right hand, angle 45: the block S_R45.
void ChooseSideRight45(CFanDlg& dlg) {
  ChooseModel(dlg);
  Dlg(dlg, "dlg select 1018 右");
  Dlg(dlg, "dlg click 1027");
  Dlg(dlg, "dlg type 1017 45");
}

}  // namespace

TEST(AddDrawing, AddingAgainAsksBeforeReplacing) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), {{L"S_R45", 6}}));
  apptest::addLine(h.drawing(), {0, 0, 0}, {20, 0, 0});
  const std::string before = testsupport::readBytes(h.viewDrawing(kView));
  h.run([&h](CFanDlg& dlg) {
    ChooseSideRight45(dlg);
    h.ui().answer(IDNO);
    h.input("all\n\n0,0\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all") << "declined: no selection was asked for";
    h.ui().answer(IDYES);
    Dlg(dlg, "dlg click 204");
  });
  ASSERT_EQ(h.ui().boxes().size(), 2u);
  for (const auto& box : h.ui().boxes()) {
    EXPECT_EQ(box.caption, L"提示");
    EXPECT_EQ(box.text, L"图形存在,确认替换么?");
    EXPECT_EQ(box.type, MB_YESNO | MB_ICONQUESTION);
  }
  EXPECT_EQ(EntitiesOf(h.viewDrawing(kView), L"S_R45"), 1);
}

TEST(AddDrawing, AnEmptyAngleIsRefusedWithAMessage) {
  DrawingsHarness h;
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    Dlg(dlg, "dlg type 1017");
    h.input("all\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all");
  });
  ASSERT_EQ(h.ui().boxes().size(), 1u);
  EXPECT_EQ(h.ui().boxes()[0].text, L"出口角度不能为空!");
  EXPECT_FALSE(testsupport::readBytes(h.viewDrawing(kView)).size());
}

TEST(AddDrawing, AModelWithoutViewDrawingGetsANewValidOne) {
  DrawingsHarness h;
  apptest::addLine(h.drawing(), {0, 0, 0}, {20, 0, 0});
  h.run([&h](CFanDlg& dlg) {
    ChooseSideRight45(dlg);
    h.input("^C\n");  // the selection is cancelled: the new drawing stays empty
    Dlg(dlg, "dlg click 204");
    EXPECT_TRUE(Readable(h.viewDrawing(kView)));
    EXPECT_TRUE(BlocksOf(h.viewDrawing(kView)).empty());
    EXPECT_EQ(dlg.m_cbAngle.GetCount(), 0) << "refilled from the new, empty drawing";
    h.input("all\n\n0,0\n");
    Dlg(dlg, "dlg click 204");
    EXPECT_EQ(h.pendingInput(), "all") << "the refilled list took the typed angle";
    Dlg(dlg, "dlg type 1017 45");
    Dlg(dlg, "dlg click 204");
  });
  ASSERT_EQ(h.ui().boxes().size(), 1u);
  EXPECT_EQ(h.ui().boxes()[0].text, L"出口角度不能为空!");
  EXPECT_NE(h.output().find("\n未选中任何实体!\n"), std::string::npos);
  EXPECT_EQ(BlocksOf(h.viewDrawing(kView)), std::vector<std::wstring>{L"S_R45"});
  EXPECT_EQ(ModelSpaceCount(h.drawing()), 1) << "the selected line stays in the drawing";
  const testsupport::CommandResult check =
      testsupport::checkDrawing(FANCAD_DXF_CHECKER, h.viewDrawing(kView));
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(AddDrawing, AViewDrawingThatCannotBeReadIsNeverWritten) {
  for (const std::string& bytes :
       {std::string(), std::string("AC1018\0\0\x11 binary drawing", 23), std::string("garbage")}) {
    DrawingsHarness h;
    testsupport::writeBytes(h.viewDrawing(kView), bytes);
    apptest::addLine(h.drawing(), {0, 0, 0}, {20, 0, 0});
    h.run([&h](CFanDlg& dlg) {
      ChooseSideRight45(dlg);
      h.input("all\n\n0,0\n");
      Dlg(dlg, "dlg click 204");
      EXPECT_EQ(h.pendingInput(), "all") << "nothing was asked";
      Dlg(dlg, "dlg click 206");
    });
    ASSERT_EQ(h.ui().boxes().size(), 1u);
    EXPECT_EQ(h.ui().boxes()[0].text.rfind(L"图形文件", 0), 0u);
    EXPECT_NE(h.ui().boxes()[0].text.find(L"无法读取,未作任何修改!"), std::wstring::npos);
    EXPECT_EQ(testsupport::readBytes(h.viewDrawing(kView)), bytes);
  }
}

TEST(AddDrawing, SelectionsHoldingViewBlocksOrPlacedFansAreRefusedAtAnyDepth) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), {{L"F_L0", 6}}));
  AcDbDatabase* db = h.drawing();
  apptest::addBlock(db, L"B_L90");
  apptest::addBlock(db, L"4-72No4.5AF_L0");
  const AcDbObjectId holder = apptest::addBlock(db, L"HOLDER");
  AddReference(db, holder, L"4-72No4.5AF_L0");
  const AcDbObjectId loop = apptest::addBlock(db, L"LOOP");
  AddReference(db, loop, L"LOOP");
  apptest::addBlock(db, L"F_L1234");
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
    const AcDbObjectId ref = AddReference(db, db->modelSpaceId(), c.block);
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
    std::vector<std::wstring> texts;
    for (const auto& box : h.ui().boxes()) texts.push_back(box.text);
    const std::wstring expected =
        L"选择实体中存在块名为" + c.refused + L"的块或块引用\n,请先炸碎后,再执行添加操作!";
    if (c.refused.empty()) {
      EXPECT_TRUE(texts.empty());
    } else {
      EXPECT_EQ(texts, std::vector<std::wstring>{expected});
    }
    const std::vector<std::wstring> expectedBlocks =
        c.stored ? std::vector<std::wstring>{L"F_L0", L"S_R45", L"F_L1234"}
                 : std::vector<std::wstring>{L"F_L0"};
    EXPECT_EQ(BlocksOf(h.viewDrawing(kView)), expectedBlocks);
  }
}

TEST(DeleteDrawing, DeletingTheOnlyBlockOfAnAngleTakesTheAngleOffTheList) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView),
                                            {{L"F_L0", 6}, {L"F_L90", 4}, {L"S_L90", 4}}));
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    Dlg(dlg, "dlg select 1017 90");
    h.ui().answer(IDNO);
    Dlg(dlg, "dlg click 206");
    EXPECT_EQ(ComboItems(dlg.m_cbAngle), (std::vector<std::wstring>{L"0", L"90"}));
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
  EXPECT_EQ(BlocksOf(h.viewDrawing(kView)), std::vector<std::wstring>{L"F_L0"});
}
