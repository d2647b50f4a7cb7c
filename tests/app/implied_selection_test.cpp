// The editing commands with a selection made before them (the desktop's
// picks at the command prompt), and ZOOM without a desktop view.
#include <string>
#include <vector>

#include "cad/runtime/implied_selection.h"
#include "cad/runtime/selection_set.h"
#include "drawing_builder.h"
#include "edit_commands.h"
#include "editor_fixture.h"
#include "zoom_command.h"

namespace {

int run(const std::string& line) {
  return cadrt::CommandProcessor::instance().runLine(line, 1, true);
}

class ImpliedSelection : public EditorTest {
 protected:
  void SetUp() override {
    fancad::registerEditCommands();
    db = apptest::newCurrentDrawing();
    db->enableUndoRecording(true);
  }
  void TearDown() override {
    cadrt::setImpliedSelection({});
    acDocManagerPtr()->closeDocument();
    EditorTest::TearDown();
  }
  AcDbDatabase* db = nullptr;
};

TEST_F(ImpliedSelection, EraseTakesItWithoutAskingSkipsWhatIsGoneAndThenAsksAgain) {
  const AcDbObjectId a = apptest::addLine(db, {0, 0, 0}, {10, 0, 0});
  const AcDbObjectId b = apptest::addLine(db, {0, 5, 0}, {10, 5, 0});
  const AcDbObjectId c = apptest::addCircle(db, {30, 0, 0}, 2);
  ASSERT_EQ(db->eraseObjects({c}), 1);
  cadrt::setImpliedSelection({c, a});
  input("h " + zrbase::wideToUtf8(apptest::handleOf(b)) + "\n\n");
  ASSERT_EQ(run("ERASE"), RTNORM);
  EXPECT_TRUE(a.isErased());
  EXPECT_FALSE(b.isErased()) << "the typed answers were not read";
  EXPECT_EQ(output().find("Select objects:"), std::string::npos) << output();
  EXPECT_NE(output().find("1 erased"), std::string::npos) << output();
  EXPECT_TRUE(cadrt::impliedSelection().empty()) << "a command uses the selection up";

  ASSERT_EQ(run("ERASE"), RTNORM);
  EXPECT_TRUE(b.isErased()) << "without a selection ERASE asks for one";
  EXPECT_NE(output().find("Select objects:"), std::string::npos) << output();
  ASSERT_EQ(db->undo(1).size(), 1u);
  EXPECT_FALSE(b.isErased());
  EXPECT_TRUE(a.isErased()) << "each ERASE was a step of its own";
}

TEST_F(ImpliedSelection, MoveTakesItAndPreviousSelectsItAgain) {
  const AcDbObjectId a = apptest::addLine(db, {0, 0, 0}, {10, 0, 0});
  apptest::addLine(db, {0, 5, 0}, {10, 5, 0});
  cadrt::setImpliedSelection({a});
  input("1,1\n4,5\n");
  ASSERT_EQ(run("MOVE"), RTNORM);
  {
    AcDbObjectPointer<AcDbLine> line(a, AcDb::kForRead);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->startPoint().isEqualTo({3, 4, 0}));
    EXPECT_TRUE(line->endPoint().isEqualTo({13, 4, 0}));
  }
  ads_name ss;
  ASSERT_EQ(acedSSGet(L"P", nullptr, nullptr, nullptr, ss), RTNORM);
  std::vector<AcDbObjectId> previous;
  cadrt::selectionIds(ss, previous);
  acedSSFree(ss);
  EXPECT_EQ(previous, std::vector<AcDbObjectId>{a});
}

class RecordingView : public fancad::ZoomView {
 public:
  void zoomExtents() override { calls.push_back("extents"); }
  void zoomWindow(double x1, double y1, double x2, double y2) override {
    calls.push_back("window " + std::to_string(x1) + "," + std::to_string(y1) + " " +
                    std::to_string(x2) + "," + std::to_string(y2));
  }
  void zoomBy(double factor) override { calls.push_back("by " + std::to_string(factor)); }
  std::vector<std::string> calls;
};

TEST_F(ImpliedSelection, ZoomAsksTheSameWithOrWithoutAViewAndChangesNoDrawing) {
  fancad::registerZoomCommand();
  apptest::addLine(db, {0, 0, 0}, {10, 0, 0});
  db->closeUndoStep(L"setup");
  const int steps = db->undoStepCount();
  const bool modified = db->isModified();
  input("W\n1,2\n30,40\n\nE\n");
  ASSERT_EQ(run("ZOOM"), RTNORM);
  ASSERT_EQ(run("ZOOM"), RTNORM);
  ASSERT_EQ(run("ZOOM"), RTNORM);
  const std::string headless = output();
  EXPECT_NE(headless.find("Specify first corner: "), std::string::npos) << headless;
  EXPECT_NE(headless.find("Specify opposite corner: "), std::string::npos) << headless;
  EXPECT_EQ(db->undoStepCount(), steps) << "a view is no change of the drawing";
  EXPECT_EQ(db->isModified(), modified);

  RecordingView view;
  fancad::setZoomView(&view);
  input("W\n1,2\n30,40\n\nE\nI\n");
  const size_t mark = output().size();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(run("ZOOM"), RTNORM);
  fancad::setZoomView(nullptr);
  EXPECT_EQ(output().substr(mark, headless.size()), headless) << "the same prompts in both modes";
  EXPECT_EQ(view.calls, (std::vector<std::string>{"window 1.000000,2.000000 30.000000,40.000000",
                                                  "extents", "extents", "by 2.000000"}));
  cadrt::CommandProcessor::instance().removeHostCommand(L"ZOOM");
}

}  // namespace
