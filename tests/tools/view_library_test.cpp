// The sample drawing library as the fan dialog finds it: a view drawing for every model of
// the sample catalogue, its blocks named and angled as the dialog's lists expect, both hands
// mirror images, everything drawn to the scale of the fan number; and the generator's
// behaviour on bad output folders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/utf8.h"
#include "cad/acdb.h"
#include "cad/runtime/wc_match.h"
#include "catalogue_builder.h"
#include "drawing_reader.h"
#include "view_drawing.h"
#include "view_library.h"

namespace {

using testsupport::TempDir;
using toolstest::ReadDrawing;

// The library and the catalogue are written once and shared by the tests that only read.
class SampleLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    fangen::writeViewLibrary(s_dir->path(), fangen::sampleCatalogue());
    s_catalogue = testsupport::writeSampleCatalogue(s_dir->path());
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
  }
  static std::string folder() { return s_dir->path() + "/Fan"; }
  static std::string drawingOf(const std::string& model) { return folder() + "/" + model + ".dwg"; }

  struct CatalogueModel {
    std::string series, fanNo, driveMode;
    std::string viewDrawing() const { return series + "No" + fanNo + driveMode; }
  };
  // Every model row, the fan number as the dialog shows it (SQLite gives 4.0 for 4).
  static std::vector<CatalogueModel> models() {
    std::vector<CatalogueModel> out;
    for (auto& row :
         testsupport::readRows(s_catalogue, "select BigModel, FanNo, DriveMode from Model")) {
      std::string fanNo = row[1];
      if (fanNo.size() > 2 && fanNo.ends_with(".0")) fanNo.resize(fanNo.size() - 2);
      out.push_back({row[0], fanNo, row[2]});
    }
    return out;
  }
  static std::set<std::string> viewDrawingNames() {
    std::set<std::string> names;
    for (const CatalogueModel& m : models()) names.insert(m.viewDrawing());
    return names;
  }

  static TempDir* s_dir;
  static std::string s_catalogue;
};

TempDir* SampleLibrary::s_dir = nullptr;
std::string SampleLibrary::s_catalogue;

std::set<int> anglesOffered(const std::string& driveMode, double fanNo) {
  // The belt drives of the sample catalogue; A, D and 直联 are direct.
  const bool belt = driveMode == "C" || driveMode == "皮带";
  if (belt || fanNo >= 8) return {0, 90, 180};
  return {0, 45, 90, 135, 180, 225, 270, 315};
}

void expectMirrored(const AcDbExtents& left, const AcDbExtents& right, const std::string& what) {
  const double tol = 1e-6;
  EXPECT_NEAR(left.minPoint().x, -right.maxPoint().x, tol) << what;
  EXPECT_NEAR(left.maxPoint().x, -right.minPoint().x, tol) << what;
  EXPECT_NEAR(left.minPoint().y, right.minPoint().y, tol) << what;
  EXPECT_NEAR(left.maxPoint().y, right.maxPoint().y, tol) << what;
}

TEST_F(SampleLibrary, EveryModelOfTheCatalogueHasAViewDrawingThatReadsBack) {
  const auto all = models();
  ASSERT_GT(all.size(), 80u);
  for (const std::string& name : viewDrawingNames()) {
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << name << ": " << d.error();
    EXPECT_TRUE(d.has("F_L0") && d.has("S_R0") && d.has("B_L0")) << name;
    EXPECT_EQ(d.modelSpaceCount(), 0) << name;
  }
  // Nothing but the catalogue's drawings: a name built differently would never be found.
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder())) {
    files.insert(e.path().stem().string());
  }
  EXPECT_EQ(files, viewDrawingNames());
}

TEST_F(SampleLibrary, BlockNamesMatchTheViewBlockPatternAndOfferTheDriveAngles) {
  const wchar_t* pattern = L"[FfBbSs]_[LlRr]#,[FfBbSs]_[LlRr]##,[FfBbSs]_[LlRr]###";
  std::map<std::string, double> fanNoOf;
  std::map<std::string, std::string> modeOf;
  for (const CatalogueModel& m : models()) {
    fanNoOf[m.viewDrawing()] = std::stod(m.fanNo);
    modeOf[m.viewDrawing()] = m.driveMode;
  }
  for (const auto& [name, fanNo] : fanNoOf) {
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << d.error();
    std::set<std::string> expected;
    for (int angle : anglesOffered(modeOf[name], fanNo)) {
      for (const char* v : {"F_", "S_", "B_"}) {
        for (const char* h : {"L", "R"})
          expected.insert(v + std::string(h) + std::to_string(angle));
      }
    }
    const std::vector<std::string> blocks = d.viewBlockNames();
    EXPECT_EQ(std::set<std::string>(blocks.begin(), blocks.end()), expected) << name;
    for (const std::string& b : blocks) {
      EXPECT_TRUE(cadrt::wcMatch(zrbase::utf8ToWide(b), pattern)) << name << " " << b;
    }
  }
}

// Entity by entity, so that an arc or a bulge that keeps its turn through the mirror shows
// even where the block's outline hides it.
TEST_F(SampleLibrary, LeftHandBlocksAreMirrorImagesOfTheRightHand) {
  for (const std::string& name : viewDrawingNames()) {
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << d.error();
    for (const std::string& left : d.viewBlockNames()) {
      if (left[2] != 'L') continue;
      std::string right = left;
      right[2] = 'R';
      const auto l = d.entityExtents(left), r = d.entityExtents(right);
      ASSERT_EQ(l.size(), r.size()) << name << " " << left;
      for (std::size_t i = 0; i < l.size(); ++i) {
        expectMirrored(l[i], r[i], name + " " + left + " entity " + std::to_string(i));
      }
    }
  }
}

// The outlet's flange in a front view: the smallest outline on the casing layer.
AcDbExtents outletFlange(const ReadDrawing& d, const std::string& block) {
  AcDbExtents smallest;
  double area = 1e300;
  for (const AcDbExtents& e : d.entityExtents(block, "FAN-CASING")) {
    const AcGeVector3d size = e.maxPoint() - e.minPoint();
    if (size.x * size.y < area) {
      area = size.x * size.y;
      smallest = e;
    }
  }
  return smallest;
}

// Seen from the motor end a right-hand impeller turns clockwise, so at 0 degrees its air
// leaves the top of the casing to the right; turning the outlet to 90 sends it straight up
// from the left side, to 180 out of the bottom to the left. The flange stands across the
// air's path: upright for a level outlet, flat for a vertical one.
TEST_F(SampleLibrary, OutletsPointWhereTheHandAndAngleSay) {
  ReadDrawing d(drawingOf("4-72No4.5A"));
  ASSERT_TRUE(d.ok()) << d.error();
  struct Expect {
    const char* block;
    int sideX, sideY;  // the quadrant of the flange's centre
    bool upright;
  };
  for (const Expect& e : {Expect{"F_R0", 1, 1, true}, Expect{"F_R90", -1, 1, false},
                          Expect{"F_R180", -1, -1, true}, Expect{"F_R270", 1, -1, false},
                          Expect{"F_L0", -1, 1, true}, Expect{"F_L90", 1, 1, false}}) {
    const AcDbExtents f = outletFlange(d, e.block);
    const AcGeVector3d size = f.maxPoint() - f.minPoint();
    const double x = (f.minPoint().x + f.maxPoint().x) / 2;
    const double y = (f.minPoint().y + f.maxPoint().y) / 2;
    EXPECT_GT(x * e.sideX, 100) << e.block;
    EXPECT_GT(y * e.sideY, 100) << e.block;
    EXPECT_EQ(size.y > size.x, e.upright) << e.block;
  }
}

TEST_F(SampleLibrary, OutlinesAreDrawnToTheScaleOfTheFanNumber) {
  // Impeller diameter = fan number x 100 mm, centred on the block's base point.
  for (const auto& [name, radius] : std::map<std::string, double>{
           {"4-72No4.5A", 225}, {"T4-72No3.15直联", 157.5}, {"Y5-47No6C", 300}}) {
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << d.error();
    EXPECT_TRUE(d.hasCircle("F_R0", "FAN-IMPELLER", radius)) << name;
    EXPECT_TRUE(d.hasCircle("F_L0", "FAN-IMPELLER", radius)) << name;
  }
  // Two sizes of a series and drive: every block the same, 5/4 times as large.
  ReadDrawing small(drawingOf("4-72No4A")), large(drawingOf("4-72No5A"));
  ASSERT_TRUE(small.ok() && large.ok());
  for (const std::string& block : small.viewBlockNames()) {
    const AcDbExtents a = small.extents(block), b = large.extents(block);
    for (int i = 0; i < 2; ++i) {
      EXPECT_NEAR(b.minPoint()[i], 1.25 * a.minPoint()[i], 1e-6) << block;
      EXPECT_NEAR(b.maxPoint()[i], 1.25 * a.maxPoint()[i], 1e-6) << block;
    }
  }
}

TEST_F(SampleLibrary, EntitiesLieOnColouredFanLayersAndFrontAndTopViewsCarryTheModel) {
  ReadDrawing d(drawingOf("9-19No5.6D"));
  ASSERT_TRUE(d.ok()) << d.error();
  std::map<std::string, int> colours = d.layerColours();
  std::set<int> distinct;
  for (const std::string& block : d.viewBlockNames()) {
    for (const std::string& layer : d.layersUsed(block)) {
      ASSERT_TRUE(colours.count(layer)) << layer;
      EXPECT_TRUE(layer.starts_with("FAN-")) << block << " " << layer;
      distinct.insert(colours[layer]);
    }
    const auto attributes = d.attributeDefinitions(block);
    if (block[0] == 'S') {
      EXPECT_TRUE(attributes.empty()) << block;
    } else {
      ASSERT_EQ(attributes.size(), 1u) << block;
      EXPECT_EQ(attributes.begin()->first, "MODEL");
      EXPECT_EQ(attributes.begin()->second, "9-19No5.6D");
    }
  }
  EXPECT_GE(distinct.size(), 5u);
}

// A second run writes the same drawings, apart from the dates a save stamps into the header.
TEST_F(SampleLibrary, GenerationIsRepeatableApartFromTheSaveDates) {
  TempDir again;
  fangen::writeViewLibrary(again.path(), fangen::sampleCatalogue());
  int compared = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder())) {
    const std::string other = again.path() + "/Fan/" + e.path().filename().string();
    ASSERT_TRUE(std::filesystem::exists(other)) << other;
    EXPECT_EQ(toolstest::withoutDates(toolstest::readText(e.path().string())),
              toolstest::withoutDates(toolstest::readText(other)))
        << e.path();
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(viewDrawingNames().size()));
}

TEST(ViewLibrary, AFanOfNumberEightAndUpHasThreeOutletPositionsOnADirectDrive) {
  TempDir dir;
  const std::string path = dir.file("4-72No10A.dwg");
  const fangen::LibraryCounts n =
      fangen::writeViewDrawing(path, {"4-72", 10, "A", fangen::DriveKind::Direct});
  EXPECT_EQ(n.blocks, 18);
  ReadDrawing d(path);
  ASSERT_TRUE(d.ok()) << d.error();
  EXPECT_TRUE(d.has("F_L180") && d.has("B_R90") && !d.has("F_L45") && !d.has("S_R270"));
  EXPECT_TRUE(d.hasCircle("F_L180", "FAN-IMPELLER", 500));
}

TEST(ViewLibrary, AFolderThatCannotBeMadeIsReportedByName) {
  TempDir dir;
  std::ofstream(dir.file("plain")) << "a file, not a folder";
  try {
    fangen::writeViewLibrary(dir.file("plain"), fangen::sampleCatalogue());
    FAIL() << "no error";
  } catch (const fangen::DrawingError& e) {
    EXPECT_NE(std::string(e.what()).find("plain/Fan"), std::string::npos) << e.what();
  }
}

// A drawing that cannot be saved stops the run with its name; the drawings written before
// it are whole, the one in the way is untouched.
TEST(ViewLibrary, ADrawingThatCannotBeSavedStopsTheRunAndLeavesTheFilesWhole) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("Fan/4-72No3.2A.dwg"));
  std::ofstream(dir.file("Fan/4-72No3.2A.dwg/keep")) << "x";
  try {
    fangen::writeViewLibrary(dir.path(), fangen::sampleCatalogue());
    FAIL() << "no error";
  } catch (const fangen::DrawingError& e) {
    EXPECT_NE(std::string(e.what()).find("4-72No3.2A.dwg"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(std::filesystem::exists(dir.file("Fan/4-72No3.2A.dwg/keep")));
  ReadDrawing first(dir.file("Fan/4-72No2.8A.dwg"));
  EXPECT_TRUE(first.ok()) << first.error();
  for (const auto& e : std::filesystem::directory_iterator(dir.file("Fan"))) {
    EXPECT_EQ(e.path().string().find(".dwg."), std::string::npos) << "left over: " << e.path();
  }
}

}  // namespace
