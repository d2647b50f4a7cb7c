// The data sheet read back as a reader gets it: pdftotext finds the model,
// FEI, grade and LwA the listing gives, and pdftoppm draws the page. The
// figures are the listing test's (duty_listing_test.cpp): a 4-72 No.4.5 at
// 1000 m³/h, 500 Pa, with a 0.55 kW motor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include "drawing_builder.h"
#include "duty/duty_sheet.h"
#include "duty_test_models.h"

namespace {

using duty::RowKind;
using dutytest::Catalogue;

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// Appends e to the block record block.
void append(AcDbObjectId block, AcDbEntity* e) {
  AcDbBlockTableRecord* record = nullptr;
  ASSERT_EQ(acdbOpenObject(record, block, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(record->appendAcDbEntity(e), Acad::eOk);
  e->close();
  record->close();
}

// A block without entities (addBlock's rectangle erased).
AcDbObjectId emptyBlock(AcDbDatabase* db, const wchar_t* name) {
  const AcDbObjectId id = apptest::addBlock(db, name);
  AcDbBlockTableRecord* record = nullptr;
  EXPECT_EQ(acdbOpenObject(record, id, AcDb::kForWrite), Acad::eOk);
  for (AcDbObjectId e : record->entityIds()) {
    AcDbObjectPointer<AcDbEntity>(e, AcDb::kForWrite)->erase();
  }
  record->close();
  return id;
}

// The page drawn at 72 dpi (a pixel a point): a grey level per pixel, 596 × 842.
struct Page {
  int width = 0, height = 0;
  std::string pixels;
  // Pixels darker than the paper in the rectangle (x, y, w, h), in points.
  int inked(int x, int y, int w, int h) const {
    int n = 0;
    for (int row = y; row < y + h && row < height; ++row) {
      for (int col = x; col < x + w && col < width; ++col) {
        n += static_cast<unsigned char>(pixels[row * width + col]) < 200;
      }
    }
    return n;
  }
};

Page render(const std::string& pdf) {
  const std::string stem = testing::TempDir() + "duty_sheet_page";
  EXPECT_EQ(run("pdftoppm -r 72 -singlefile -gray '" + pdf + "' '" + stem + "' 2>&1"), "");
  std::ifstream in(stem + ".pgm", std::ios::binary);
  std::string magic;
  int depth = 0;
  Page page;
  in >> magic >> page.width >> page.height >> depth;
  in.get();
  page.pixels.assign(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(page.pixels.size(), static_cast<std::size_t>(page.width) * page.height);
  return page;
}

}  // namespace

TEST(DutySheet, ThePageGivesTheModelItsComplianceAndSoundAndRenders) {
  struct Case {
    const char* name;
    std::optional<double> motorEfficiency;
    std::vector<std::string> texts;  // each on the page
  };
  const Case cases[] = {
      {"stated motor",
       0.8,
       {"4-72", "FEI: 1.68", "64.3/64 合格", "SFP级: 3", "LwA dB(A): 83 估算"}},
      {"below the IE3 table", {}, {"4-72", "FEI: -", "starts at 0.75 kW", "LwA dB(A): 83 估算"}},
  };
  for (const Case& k : cases) {
    Catalogue c;
    c.series("4-72", RowKind::Points)
        .curve("4.5", "直联", "2900", {{800, 785, 85, 0.3, 0.55}, {1600, 305, 85, 0.3, 0.55}});
    duty::DutyConditions d{1000, 500, 20, 101325};
    d.motorEfficiency = k.motorEfficiency;
    const duty::DutySelection s = duty::selectForDuty(c.get(), d);
    ASSERT_EQ(s.candidates.size(), 1u) << k.name;
    const std::string pdf = testing::TempDir() + "duty_sheet_test.pdf";
    ASSERT_EQ(duty::writeDutySheet(c.get(), s, 0, CString::FromUtf8(pdf)), CString()) << k.name;

    const std::string text = run("pdftotext -layout '" + pdf + "' - 2>&1");
    for (const std::string& t : k.texts) {
      EXPECT_NE(text.find(t), std::string::npos) << k.name << ": no " << t << " in\n" << text;
    }
    EXPECT_TRUE(std::regex_search(run("pdfinfo '" + pdf + "'"), std::regex("Pages: +1\n")));
    // Drawn at 40 dpi: an A4 page of 331 × 468 pixels, and not blank.
    const std::string png = testing::TempDir() + "duty_sheet_test";
    ASSERT_EQ(run("pdftoppm -r 40 -singlefile -gray '" + pdf + "' '" + png + "' 2>&1"), "");
    std::ifstream in(png + ".pgm", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string image = bytes.str();
    EXPECT_EQ(image.rfind("P5\n331 468\n255\n", 0), 0u) << k.name;
    const std::size_t dark = std::count_if(image.begin() + 15, image.end(), [](char p) {
      return static_cast<unsigned char>(p) < 128;
    });
    EXPECT_GT(dark, image.size() / 100) << k.name << ": ink on the page";
  }
}

// A view block flattened: its extents are the curves' (a circle's top, an arc
// across angle 0, a polyline's bulge below its chord, a nested reference
// turned and doubled, an attribute definition left out), and the strokes pass
// through a point the curve must pass through. A block of text alone has
// nothing to draw and says so. Worked by hand from the geometry each builds.
TEST(DutySheetOutline, TheBlocksCurvesGiveTheStrokesAndTheOverallSize) {
  struct Case {
    const char* name;
    std::function<void(AcDbDatabase*, AcDbObjectId)> build;
    duty::OutlinePoint low, high, through;
  };
  const Case cases[] = {
      {"line and circle",
       [](AcDbDatabase*, AcDbObjectId b) {
         append(b, new AcDbLine({0, 0, 0}, {400, 0, 0}));
         append(b, new AcDbCircle({100, 50, 0}, AcGeVector3d::kZAxis, 100));
       },
       {0, -50},
       {400, 150},
       {100, 150}},
      {"arc from 270 degrees through 0 to 90",
       [](AcDbDatabase*, AcDbObjectId b) {
         append(b, new AcDbArc({0, 0, 0}, 100, 1.5 * M_PI, 0.5 * M_PI));
       },
       {0, -100},
       {100, 100},
       {100, 0}},
      {"polyline with a half-circle bulge",
       [](AcDbDatabase*, AcDbObjectId b) {
         auto* p = new AcDbPolyline;
         p->addVertexAt(0, AcGePoint2d(0, 0), 1);
         p->addVertexAt(1, AcGePoint2d(200, 0));
         append(b, p);
       },
       {0, -100},
       {200, 0},
       {100, -100}},
      {"nested reference turned a quarter and doubled, with a tag",
       [](AcDbDatabase* db, AcDbObjectId b) {
         const AcDbObjectId inner = apptest::addBlock(db, L"INNER", L"TAG");  // 10 x 5
         auto* ref = new AcDbBlockReference({50, 50, 0}, inner);
         ref->setRotation(M_PI / 2);
         ref->setScaleFactors(AcGeScale3d(2, 2, 2));
         append(b, ref);
       },
       {40, 50},
       {50, 70},
       {40, 70}},
  };
  for (const Case& k : cases) {
    AcDbDatabase db;
    const AcDbObjectId block = emptyBlock(&db, L"F_L0");
    k.build(&db, block);
    const duty::ViewOutline o = duty::blockOutline(block);
    EXPECT_EQ(o.problem, CString()) << k.name;
    EXPECT_EQ(o.block, CString(L"F_L0")) << k.name;
    EXPECT_NEAR(o.low.x, k.low.x, 1e-6) << k.name;
    EXPECT_NEAR(o.low.y, k.low.y, 1e-6) << k.name;
    EXPECT_NEAR(o.high.x, k.high.x, 1e-6) << k.name;
    EXPECT_NEAR(o.high.y, k.high.y, 1e-6) << k.name;
    double nearest = 1e300;
    for (const auto& stroke : o.strokes) {
      for (const duty::OutlinePoint& p : stroke) {
        nearest = std::min(nearest, std::hypot(p.x - k.through.x, p.y - k.through.y));
        EXPECT_GE(p.y, k.low.y - 1e-6) << k.name;
        EXPECT_LE(p.y, k.high.y + 1e-6) << k.name;
      }
    }
    EXPECT_LT(nearest, 1e-6) << k.name << ": no stroke through the point";
  }
  AcDbDatabase db;
  const AcDbObjectId id = emptyBlock(&db, L"TEXT_ONLY");
  append(id, new AcDbText({0, 0, 0}, L"4-72"));
  const duty::ViewOutline none = duty::blockOutline(id);
  EXPECT_TRUE(none.strokes.empty());
  EXPECT_NE(none.problem, CString());
}

// The outline's box beside the chart and the accessories below: the box
// draws the block with its overall width and height, or says why there is no
// drawing; the accessories are a table, or a line saying there are none or
// why they could not be read. The box's ink: the drawn outline's strokes
// against a one-line reason.
TEST(DutySheet, TheOutlineBoxAndTheAccessoriesAreOnThePage) {
  Catalogue c;
  c.series("4-72", RowKind::Points)
      .curve("4.5", "直联", "2900", {{800, 785, 85, 0.3, 0.55}, {1600, 305, 85, 0.3, 0.55}});
  const duty::DutySelection s = duty::selectForDuty(c.get(), {1000, 500, 20, 101325});
  ASSERT_EQ(s.candidates.size(), 1u);

  AcDbDatabase db;
  const AcDbObjectId block = apptest::addBlock(&db, L"F_L0");            // a 10 x 5 rectangle
  append(block, new AcDbCircle({5, 2.5, 0}, AcGeVector3d::kZAxis, 20));  // -17.5 to 22.5 high
  append(block, new AcDbLine({0, 0, 0}, {-35, 0, 0}));                   // -35 to 25 wide
  duty::AccessoryList two{{{L"减振器", L"JG1-3", L"4", L"橡胶"}, {L"电机", L"Y90L-2", L"1", L""}},
                          {}};

  duty::AccessoryList many;  // more than the page's bottom leaves room for
  for (int i = 1; i <= 60; ++i) {
    CString name;
    name.Format(L"A-%02d", i);
    many.items.push_back({name, L"", L"1", L""});
  }

  struct Case {
    const char* name;
    duty::SheetExtras extras;
    std::vector<std::string> texts;
    bool drawn;  // the box holds the outline
    std::string absent = {};
  };
  const Case cases[] = {
      {"outline and accessories",
       {L"F-7", {L"工况: 额定点"}, two, duty::blockOutline(block)},
       {"F-7", "工况: 额定点", "外形尺寸 宽 60 × 高 40 mm", "减振器", "JG1-3", "Y90L-2", "橡胶"},
       true},
      {"no view drawing, no accessories",
       {{}, {}, duty::AccessoryList{}, duty::ViewOutline{L"", {}, {}, {}, L"没有视图图纸"}},
       {"没有视图图纸", "样本中没有此型号的附件"},
       false},
      {"an accessory table that cannot be read",
       {{}, {}, duty::AccessoryList{{}, L"样本中没有附件表 4-72_直联_Accessory"}, {}},
       {"样本中没有附件表 4-72_直联_Accessory", "未读取视图图纸"},
       false},
      {"more accessories than the page holds",
       {{}, {}, many, {}},
       {"A-01", "项, 见样本的附件表"},
       false,
       "A-60"},
  };
  for (const Case& k : cases) {
    const std::string pdf = testing::TempDir() + "duty_sheet_extras.pdf";
    ASSERT_EQ(duty::writeDutySheet(c.get(), s, 0, CString::FromUtf8(pdf), k.extras), CString())
        << k.name;
    const std::string text = run("pdftotext -layout '" + pdf + "' - 2>&1");
    for (const std::string& t : k.texts) {
      EXPECT_NE(text.find(t), std::string::npos) << k.name << ": no " << t << " in\n" << text;
    }
    if (!k.absent.empty()) {
      EXPECT_EQ(text.find(k.absent), std::string::npos) << k.name << ": past the page's end";
    }
    EXPECT_TRUE(std::regex_search(run("pdfinfo '" + pdf + "'"), std::regex("Pages: +1\n")));
    // The box lies right of the chart (64 % of the text width from the 42.5 pt
    // margin), from some 95 to 310 pt down; the outline fills its middle, and a
    // reason is one line a little above the middle: this strip below it holds
    // the lower part of the circle.
    const Page page = render(pdf);
    ASSERT_EQ(page.width, 596) << k.name;
    const int ink = page.inked(390, 215, 155, 35);
    if (k.drawn) {
      EXPECT_GT(ink, 50) << k.name;
    } else {
      EXPECT_LT(ink, 5) << k.name;
    }
  }
}

// LeakSanitizer: fontconfig's caches, which cairo fills when the sheet's text is
// drawn and keeps for the life of the process, are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
