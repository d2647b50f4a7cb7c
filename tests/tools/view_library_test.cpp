// The sample drawing library as the fan dialog finds it: a view drawing for every model of
// the sample catalogue, its blocks named and angled as the dialog's lists expect, both hands
// mirror images, everything drawn to the scale of the fan number; and the generator's
// behaviour on bad output folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "catalogue_builder.h"
#include "drawing_reader.h"
#include "view_drawing.h"
#include "view_library.h"

namespace {

using testsupport::TempDir;
using toolstest::Entity;
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

  struct Model {
    double fanNo;
    std::string driveMode;
  };
  // Every view drawing the catalogue's models name, the fan number as the dialog shows it
  // (SQLite gives 4.0 for 4).
  static std::map<std::string, Model> models() {
    std::map<std::string, Model> out;
    for (auto& row :
         testsupport::readRows(s_catalogue, "select BigModel, FanNo, DriveMode from Model")) {
      std::string fanNo = row[1];
      if (fanNo.size() > 2 && fanNo.ends_with(".0")) fanNo.resize(fanNo.size() - 2);
      out[row[0] + "No" + fanNo + row[2]] = {std::stod(fanNo), row[2]};
    }
    return out;
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

AcDbExtents extentsOf(const std::vector<Entity>& entities, const std::string& layer = "") {
  AcDbExtents total;
  for (const Entity& e : entities) {
    if (e.bounded && (layer.empty() || e.layer == layer)) total.addExt(e.extents);
  }
  return total;
}

bool hasCircle(const ReadDrawing& d, const std::string& block, double radius) {
  for (const Entity& e : d.entities(block)) {
    if (e.layer == "FAN-IMPELLER" && std::abs(e.circle - radius) < 1e-9) return true;
  }
  return false;
}

// One pass over every drawing: it reads back, holds the blocks of its drive's angles in
// every view and hand and nothing in model space; left-hand blocks mirror the right hand
// entity by entity (so that an arc or a bulge that keeps its turn through the mirror shows
// even where the outline hides it); entities lie on coloured FAN- layers; front and top
// views carry the model in an attribute definition.
TEST_F(SampleLibrary, EveryModelHasAViewDrawingWithTheBlocksTheDialogExpects) {
  const auto all = models();
  ASSERT_GT(all.size(), 40u);
  std::set<int> colours;
  for (const auto& [name, model] : all) {
    SCOPED_TRACE(name);
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << d.error();
    EXPECT_TRUE(d.entities("*Model_Space").empty());
    std::set<std::string> expected;
    for (int angle : anglesOffered(model.driveMode, model.fanNo)) {
      for (const char* v : {"F_L", "F_R", "S_L", "S_R", "B_L", "B_R"})
        expected.insert(v + std::to_string(angle));
    }
    const std::vector<std::string> blocks = d.viewBlockNames();
    EXPECT_EQ(std::set<std::string>(blocks.begin(), blocks.end()), expected);
    const std::map<std::string, int> layers = d.layerColours();
    for (const std::string& block : blocks) {
      const std::vector<Entity> entities = d.entities(block);
      std::vector<std::string> attributes;
      for (const Entity& e : entities) {
        EXPECT_TRUE(e.layer.starts_with("FAN-") && layers.count(e.layer)) << block << e.layer;
        colours.insert(layers.at(e.layer));
        if (!e.tag.empty()) attributes.push_back(e.tag + "=" + e.text);
      }
      EXPECT_EQ(attributes, block[0] == 'S' ? std::vector<std::string>{}
                                            : std::vector<std::string>{"MODEL=" + name})
          << block;
      if (block[2] != 'L') continue;
      const std::vector<Entity> right = d.entities(block.substr(0, 2) + "R" + block.substr(3));
      ASSERT_EQ(entities.size(), right.size()) << block;
      for (std::size_t i = 0; i < entities.size(); ++i) {
        const AcDbExtents &l = entities[i].extents, &r = right[i].extents;
        ASSERT_EQ(entities[i].bounded, right[i].bounded) << block << " entity " << i;
        EXPECT_NEAR(l.minPoint().x, -r.maxPoint().x, 1e-6) << block << " entity " << i;
        EXPECT_NEAR(l.maxPoint().x, -r.minPoint().x, 1e-6) << block << " entity " << i;
        EXPECT_NEAR(l.minPoint().y, r.minPoint().y, 1e-6) << block << " entity " << i;
        EXPECT_NEAR(l.maxPoint().y, r.maxPoint().y, 1e-6) << block << " entity " << i;
      }
    }
  }
  EXPECT_GE(colours.size(), 5u);
  // Nothing but the catalogue's drawings: a name built differently would never be found.
  std::set<std::string> files, names;
  for (const auto& e : std::filesystem::directory_iterator(folder())) {
    files.insert(e.path().stem().string());
  }
  for (const auto& m : all) names.insert(m.first);
  EXPECT_EQ(files, names);
}

// Seen from the motor end a right-hand impeller turns clockwise, so at 0 degrees its air
// leaves the top of the casing to the right; turning the outlet to 90 sends it straight up
// from the left side, to 180 out of the bottom to the left. The flange (the smallest outline
// on the casing layer of a front view) stands across the air's path: upright for a level
// outlet, flat for a vertical one.
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
    AcDbExtents f;
    double area = 1e300;
    for (const Entity& c : d.entities(e.block)) {
      const AcGeVector3d size = c.extents.maxPoint() - c.extents.minPoint();
      if (c.layer == "FAN-CASING" && c.bounded && size.x * size.y < area) {
        area = size.x * size.y;
        f = c.extents;
      }
    }
    const AcGeVector3d size = f.maxPoint() - f.minPoint();
    EXPECT_GT((f.minPoint().x + f.maxPoint().x) / 2 * e.sideX, 100) << e.block;
    EXPECT_GT((f.minPoint().y + f.maxPoint().y) / 2 * e.sideY, 100) << e.block;
    EXPECT_EQ(size.y > size.x, e.upright) << e.block;
  }
}

TEST_F(SampleLibrary, OutlinesAreDrawnToTheScaleOfTheFanNumber) {
  // Impeller diameter = fan number x 100 mm, centred on the block's base point.
  for (const auto& [name, radius] : std::map<std::string, double>{
           {"4-72No4.5A", 225}, {"T4-72No3.15直联", 157.5}, {"Y5-47No6C", 300}}) {
    ReadDrawing d(drawingOf(name));
    ASSERT_TRUE(d.ok()) << d.error();
    EXPECT_TRUE(hasCircle(d, "F_R0", radius)) << name;
    EXPECT_TRUE(hasCircle(d, "F_L0", radius)) << name;
  }
  // Two sizes of a series and drive: every block the same, 5/4 times as large.
  ReadDrawing small(drawingOf("4-72No4A")), large(drawingOf("4-72No5A"));
  ASSERT_TRUE(small.ok() && large.ok());
  for (const std::string& block : small.viewBlockNames()) {
    const AcDbExtents a = extentsOf(small.entities(block)), b = extentsOf(large.entities(block));
    for (int i = 0; i < 2; ++i) {
      EXPECT_NEAR(b.minPoint()[i], 1.25 * a.minPoint()[i], 1e-6) << block;
      EXPECT_NEAR(b.maxPoint()[i], 1.25 * a.maxPoint()[i], 1e-6) << block;
    }
  }
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
  EXPECT_TRUE(hasCircle(d, "F_L180", 500));
}

// A drawing that cannot be saved stops the run with its name; the drawings written before it
// are whole, the one in the way is untouched. (A folder that cannot be made:
// sample_library_test.py, through fandwg.)
TEST(ViewLibrary, WhatCannotBeWrittenStopsTheRunByNameAndLeavesTheFilesWhole) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("Fan/4-72No3.2A.dwg"));
  std::ofstream(dir.file("Fan/4-72No3.2A.dwg/keep")) << "x";
  try {
    fangen::writeViewLibrary(dir.path(), fangen::sampleCatalogue());
    ADD_FAILURE() << "no error";
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
