// Placing a fan: cancelled at either prompt, then placed, the current layer
// kept throughout; the ways a placement fails. (The reference's layer, point,
// rotation, attributes and extended data, several placements and views, and a
// catalogue without the model's row: e2e/drawings_test.py.)
#include "drawings_harness.h"

using drawingstest::ChooseModel;
using drawingstest::Dlg;
using drawingstest::DrawingsHarness;

namespace {

const std::string kView = "4-72No4.5A";

bool HasLayer(AcDbDatabase* db, const wchar_t* name) {
  AcDbLayerTable* table = nullptr;
  db->getLayerTable(table, AcDb::kForRead);
  const bool has = table->has(name);
  table->close();
  return has;
}

}  // namespace

// Cancelled at the point, then at the angle: the failure is printed, nothing placed, the
// layer and definition made stay, the current layer is restored. Then placed: the view block
// under the model's name, the current layer the same before and after.
TEST(PlaceFan, CancelledNothingIsPlacedThenTheViewBlockIsAndTheCurrentLayerStays) {
  DrawingsHarness h;
  ASSERT_TRUE(testsupport::writeViewDrawing(h.viewDrawing(kView), {{L"F_L0", 6}}));
  const AcDbObjectId mine = apptest::addLayer(h.drawing(), L"MINE");
  h.drawing()->setClayer(mine);
  h.run([&h, mine](CFanDlg& dlg) {
    ChooseModel(dlg);
    h.input("45\n^C\n^C\n30\n100,50\n");
    Dlg(dlg, "dlg click 1008");
    EXPECT_EQ(h.drawing()->clayer(), mine);
    Dlg(dlg, "dlg click 1008");
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_TRUE(apptest::references(h.drawing()).empty());
    EXPECT_TRUE(HasLayer(h.drawing(), L"AC_EQUIPMENT")) << "the layer made stays";
    EXPECT_FALSE(apptest::blockId(h.drawing(), L"4-72No4.5AF_L0").isNull())
        << "so does the copied definition";
    Dlg(dlg, "dlg click 1008");
    EXPECT_FALSE(h.pendingInput()) << "every prompt was answered";
  });
  const std::string out = h.output();
  const size_t first = out.find("布置失败!\n");
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find("布置失败!\n", first + 1), std::string::npos) << "the angle cancelled too";
  const size_t angle = out.find("\n请输入风机插入角度:", first);
  EXPECT_GT(out.find("\n请点取插入点:", angle), out.find("\n请输入风机插入角度:", angle + 1))
      << "a cancelled angle asks for no point";
  EXPECT_EQ(h.drawing()->clayer(), mine);

  const std::vector<AcDbObjectId> refs = apptest::references(h.drawing());
  ASSERT_EQ(refs.size(), 1u);
  AcDbObjectPointer<AcDbBlockReference> ref(refs[0], AcDb::kForRead);
  EXPECT_EQ(ref->blockTableRecord(), apptest::blockId(h.drawing(), L"4-72No4.5AF_L0"));
  EXPECT_EQ(ref->scaleFactors(), AcGeScale3d(1));
  EXPECT_TRUE(h.ui().boxes().empty());
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
