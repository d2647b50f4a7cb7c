// Placing a fan: the view block under the model's name, the reference on
// AC_EQUIPMENT at the typed rotation and picked point with the model's
// extended data, the current layer kept; the ways a placement fails. (Several
// placements, views and catalogues without the model's row: e2e/drawings_test.py.)
#include <numbers>

#include "drawings_harness.h"

using drawingstest::ChooseModel;
using drawingstest::Dlg;
using drawingstest::DrawingsHarness;

namespace {

const std::string kView = "4-72No4.5A";

std::vector<std::wstring> Xdata(AcDbObjectId id, const wchar_t* app) {
  std::vector<std::wstring> out;
  AcDbObjectPointer<AcDbObject> obj(id, AcDb::kForRead);
  resbuf* chain = obj->xData(app);
  for (resbuf* rb = chain; rb; rb = rb->rbnext) {
    if (rb->restype == 1000) out.push_back(rb->resval.rstring);
  }
  acutRelRb(chain);
  return out;
}

std::wstring LayerName(AcDbObjectId layer) {
  AcDbObjectPointer<AcDbLayerTableRecord> rec(layer, AcDb::kForRead);
  return rec ? rec->name() : L"";
}

std::wstring BlockName(AcDbObjectId reference) {
  AcDbObjectPointer<AcDbBlockReference> ref(reference, AcDb::kForRead);
  AcDbObjectPointer<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
  return block->name();
}

bool HasLayer(AcDbDatabase* db, const wchar_t* name) {
  AcDbLayerTable* table = nullptr;
  db->getLayerTable(table, AcDb::kForRead);
  const bool has = table->has(name);
  table->close();
  return has;
}

std::vector<testsupport::ViewBlock> ViewBlocks() {
  return {{L"F_L0", 6, 10, {}, true}, {L"S_L0", 5}, {L"B_L0", 3}, {L"F_R90", 4}};
}

}  // namespace

TEST(PlaceFan, TheViewBlockStandsOnItsLayerWithTheModelsData) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), ViewBlocks()));
  const AcDbObjectId layer0 = h.drawing()->clayer();
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    h.input("30\n100,50\n");
    Dlg(dlg, "dlg click 1008");
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_FALSE(h.pendingInput()) << "both prompts were answered";
  });
  EXPECT_NE(h.output().find("\n请输入风机插入角度:"), std::string::npos);
  EXPECT_NE(h.output().find("\n请点取插入点:"), std::string::npos);
  EXPECT_EQ(h.drawing()->clayer(), layer0) << "the current layer is the same before and after";

  const std::vector<AcDbObjectId> refs = apptest::references(h.drawing());
  ASSERT_EQ(refs.size(), 1u);
  AcDbObjectPointer<AcDbBlockReference> ref(refs[0], AcDb::kForRead);
  EXPECT_EQ(BlockName(refs[0]), L"4-72No4.5AF_L0");
  EXPECT_EQ(LayerName(ref->layerId()), L"AC_EQUIPMENT");
  EXPECT_TRUE(ref->position().isEqualTo(AcGePoint3d(100, 50, 0)));
  EXPECT_NEAR(ref->rotation(), 30 * std::numbers::pi / 180, 1e-12);
  EXPECT_EQ(ref->scaleFactors(), AcGeScale3d(1));
  EXPECT_EQ(ref->attributeCount(), 1) << "INSERT adds the block's attribute";

  const auto label = testsupport::readRows(
      h.catalogue(),
      "SELECT LabelModel FROM Model WHERE BigModel='4-72' AND FanNo=4.5 AND DriveMode='A' "
      "AND Speed=2900");
  ASSERT_EQ(label.size(), 1u);
  EXPECT_EQ(Xdata(refs[0], L"Model"), std::vector<std::wstring>{L"4-72No4.5A_2900"});
  EXPECT_EQ(Xdata(refs[0], L"LabelModel"),
            std::vector<std::wstring>{CString::FromUtf8(label[0][0]).str()});
  EXPECT_EQ(Xdata(refs[0], L"PLAN"), std::vector<std::wstring>{L"0"});
  EXPECT_EQ(Xdata(refs[0], L"NAME"), std::vector<std::wstring>{L"离心式风机"});
  EXPECT_EQ(Xdata(refs[0], L"VACType"), std::vector<std::wstring>{L"FAN"});
  EXPECT_TRUE(h.ui().boxes().empty());
}

TEST(PlaceFan, CancellingPrintsTheFailureAndRestoresTheLayer) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), ViewBlocks()));
  const AcDbObjectId mine = apptest::addLayer(h.drawing(), L"MINE");
  h.drawing()->setClayer(mine);
  h.run([&h, mine](CFanDlg& dlg) {
    ChooseModel(dlg);
    h.input("45\n^C\n^C\n");
    Dlg(dlg, "dlg click 1008");
    EXPECT_EQ(h.drawing()->clayer(), mine);
    Dlg(dlg, "dlg click 1008");
    EXPECT_TRUE(dlg.IsWindowVisible());
  });
  const std::string out = h.output();
  const size_t first = out.find("布置失败!\n");
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find("布置失败!\n", first + 1), std::string::npos) << "the angle cancelled too";
  EXPECT_EQ(out.find("\n请点取插入点:", out.find("\n请输入风机插入角度:", first)),
            std::string::npos)
      << "a cancelled angle asks for no point";
  EXPECT_EQ(h.drawing()->clayer(), mine);
  EXPECT_TRUE(apptest::references(h.drawing()).empty());
  EXPECT_TRUE(HasLayer(h.drawing(), L"AC_EQUIPMENT")) << "the layer made stays";
  AcDbBlockTable* table = nullptr;
  h.drawing()->getBlockTable(table, AcDb::kForRead);
  EXPECT_TRUE(table->has(L"4-72No4.5AF_L0")) << "so does the copied definition";
  table->close();
}

TEST(PlaceFan, NothingIsPlacedWithoutTheViewBlock) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView),
                                            {{L"F_L0", 4, 10, {}, false, L"F_L0"}, {L"S_L0", 4}}));
  testsupport::writeBytes(h.viewDrawing("4-72No5A"), "garbage");
  h.run([&h](CFanDlg& dlg) {
    ChooseModel(dlg);
    h.input("0\n0,0\n");
    Dlg(dlg, "dlg click 1008");  // F_L0 contains itself: the drawing is refused
    Dlg(dlg, "dlg type 1017 4x5");
    Dlg(dlg, "dlg click 1008");
    Dlg(dlg, "dlg type 1017");
    Dlg(dlg, "dlg click 1008");
    Dlg(dlg, "dlg click 1027");
    Dlg(dlg, "dlg select 1018 右");
    Dlg(dlg, "dlg click 1008");
    ChooseModel(dlg, "4-72", "5", "A", "2900");  // a damaged view drawing
    Dlg(dlg, "dlg click 1008");
    ChooseModel(dlg, "9-19", "4", "A", "2900");  // none at all
    Dlg(dlg, "dlg click 1008");
    EXPECT_EQ(h.pendingInput(), "0") << "no prompt was shown";
  });
  EXPECT_TRUE(apptest::references(h.drawing()).empty());
  EXPECT_FALSE(HasLayer(h.drawing(), L"AC_EQUIPMENT"));
  EXPECT_EQ(h.output().find("布置失败"), std::string::npos) << "nothing is shown";
  EXPECT_TRUE(h.ui().boxes().empty());
}
