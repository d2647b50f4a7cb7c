// What the drawing scene makes of a database: colours, visibility, nested
// references, curves and texts, and how it is painted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "gui/aci_colors.h"
#include "gui/drawing_canvas.h"
#include "gui/drawing_scene.h"
#include "gui/pixel_lines.h"
#include "gui/scene_builder.h"
#include "gui/scene_painter.h"
#include "gui_test_support.h"
#include "test_drawing.h"

namespace {

using guitest::TestDrawing;
using zrgui::Scene;

const QRgb kDark = qRgb(0, 0, 0);
const QRgb kLight = qRgb(255, 255, 255);

// The colour of the batch holding a segment from a to b (either way), or 0.
QRgb colorOfSegment(const Scene& scene, QPointF a, QPointF b) {
  auto same = [](QPointF p, QPointF q) { return std::hypot(p.x() - q.x(), p.y() - q.y()) < 1e-6; };
  for (const auto& batch : scene.batches) {
    for (const QLineF& s : batch.segments) {
      if ((same(s.p1(), a) && same(s.p2(), b)) || (same(s.p1(), b) && same(s.p2(), a))) {
        return batch.color;
      }
    }
  }
  return 0;
}

TEST(AciColors, NamedIndicesHuesAndGreysAndTheForegroundFollowsTheBackground) {
  const struct {
    int index;
    QRgb background, color;
    const char* why;
  } cases[] = {
      {1, kDark, qRgb(255, 0, 0), "red"},
      {11, kDark, qRgb(255, 127, 127), "odd shades are half saturated"},
      {20, kDark, qRgb(255, 63, 0), "each ten indices turn the hue 15 degrees"},
      {250, kDark, qRgb(51, 51, 51), "the greys"},
      {7, kDark, kLight, "the foreground on a dark background"},
      {7, kLight, kDark, "and on a light one"},
      {256, qRgb(240, 240, 240), kDark, "BYLAYER unresolved: the foreground"},
  };
  for (const auto& c : cases) EXPECT_EQ(zrgui::aciColor(c.index, c.background), c.color) << c.why;
}

TEST(DrawingScene, EachSegmentTakesItsColourAndVisibilityThroughLayersAndReferences) {
  TestDrawing d;
  d.layer(L"GREEN", 3);
  d.layer(L"MAGENTA", 6);
  d.layer(L"OFF", 1, true);
  d.layer(L"FROZEN", 2, false, true);
  d.line({0, 0, 0}, {10, 0, 0}, 1);
  d.line({0, 10, 0}, {10, 10, 0}, 256, L"GREEN");
  d.line({0, 20, 0}, {10, 20, 0}, 256, L"OFF");
  d.line({0, 30, 0}, {10, 30, 0}, 256, L"FROZEN");
  const AcDbObjectId blk = d.block(L"B");
  d.line({0, 0, 0}, {0, 5, 0}, 0, nullptr, blk);     // BYBLOCK
  d.line({1, 0, 0}, {1, 5, 0}, 256, L"0", blk);      // layer 0, BYLAYER
  d.line({2, 0, 0}, {2, 5, 0}, 256, L"GREEN", blk);  // its own layer
  d.reference(blk, {100, 0, 0}, 1, 0, 5, L"MAGENTA");
  d.reference(blk, {200, 0, 0}, 1, 0, 256, L"OFF");
  d.reference(blk, {300, 0, 0}, 1, 0, 256, L"FROZEN");
  const AcDbObjectId inner = d.block(L"INNER", {1, 0, 0});
  d.line({1, 0, 0}, {11, 0, 0}, 1, nullptr, inner);  // 10 long from the origin (1,0)
  const AcDbObjectId outer = d.block(L"OUTER");
  d.reference(inner, {5, 5, 0}, 1, std::numbers::pi / 2, 256, nullptr, outer);
  d.reference(outer, {1000, 0, 0}, 2, 0);
  // A block that holds a reference to itself draws once and stops.
  const AcDbObjectId loop = d.block(L"LOOP");
  d.line({0, 0, 0}, {1, 0, 0}, 2, nullptr, loop);
  d.reference(loop, {0, 0, 0}, 1, 0, 256, nullptr, loop);
  d.reference(loop, {2000, 0, 0});
  const Scene scene = zrgui::buildScene(d.db(), kDark);
  const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), hidden = 0;
  const struct {
    QPointF a, b;
    QRgb color;
    const char* why;
  } cases[] = {
      {{0, 0}, {10, 0}, red, "its own index"},
      {{0, 10}, {10, 10}, green, "BYLAYER"},
      {{0, 20}, {10, 20}, hidden, "on a layer that is off"},
      {{0, 30}, {10, 30}, hidden, "on a frozen layer"},
      {{100, 0}, {100, 5}, qRgb(0, 0, 255), "BYBLOCK takes the reference's colour"},
      {{101, 0}, {101, 5}, qRgb(255, 0, 255), "BYLAYER on layer 0 takes the reference's layer"},
      {{102, 0}, {102, 5}, green, "its own layer in a reference"},
      {{201, 0}, {201, 5}, hidden, "layer 0 in a reference on a layer that is off"},
      {{202, 0}, {202, 5}, green, "its own layer in a reference on a layer that is off"},
      {{302, 0}, {302, 5}, hidden, "a frozen reference shows nothing"},
      {{1010, 10}, {1010, 30}, red, "nested references through every transform"},
  };
  for (const auto& c : cases) EXPECT_EQ(colorOfSegment(scene, c.a, c.b), c.color) << c.why;
  int loopPoints = 0;
  for (const auto& batch : scene.batches) {
    for (const QLineF& s : batch.segments)
      loopPoints += (s.p1().x() >= 2000) + (s.p2().x() >= 2000);
  }
  EXPECT_EQ(loopPoints, 2) << "the self-referencing block drew its line once";
  EXPECT_EQ(scene.entityCount, 9) << "model-space entities, a reference once";
}

TEST(DrawingScene, ABlocksCurvesChordedOnceArePlacedByEachReferenceInItsOwnColourAndPlace) {
  // CIRC holds a BYBLOCK circle about (3,4) of radius 2; OUTER holds a BYBLOCK
  // reference to CIRC at (10,0), scaled 2 and turned a quarter. Each model
  // reference must show 72 chords on the circle it places, in its own colour
  // and in no other, although every reference shares CIRC's chords. Centres
  // worked by hand: (3,4)*3 turned a quarter is (-12,9); (3,4)*2 turned is
  // (-8,6), plus (10,0) is (2,6), turned again (-6,2).
  TestDrawing d;
  const AcDbObjectId circ = d.block(L"CIRC");
  d.add(new AcDbCircle({3, 4, 0}, AcGeVector3d::kZAxis, 2), 0, nullptr, circ);
  const AcDbObjectId outer = d.block(L"OUTER");
  d.reference(circ, {10, 0, 0}, 2, std::numbers::pi / 2, 0, nullptr, outer);
  const double quarter = std::numbers::pi / 2;
  const struct {
    AcDbObjectId block;
    AcGePoint3d at;
    double scale, rotation;
    int color;
    QPointF centre;
    double radius;
    const char* why;
  } cases[] = {
      {circ, {100, 0, 0}, 1, 0, 1, {103, 4}, 2, "the first reference"},
      {circ, {200, 0, 0}, 3, quarter, 3, {188, 9}, 6, "a second colour, scaled and turned"},
      {outer, {300, 0, 0}, 1, quarter, 5, {294, 2}, 4, "through a nested turned reference"},
      {circ, {400, 0, 0}, 1, 0, 1, {403, 4}, 2, "the first colour again"},
  };
  for (const auto& c : cases) d.reference(c.block, c.at, c.scale, c.rotation, c.color);
  const Scene scene = zrgui::buildScene(d.db(), kDark);
  for (const auto& c : cases) {
    auto on = [&](QPointF p) {
      return std::abs(std::hypot(p.x() - c.centre.x(), p.y() - c.centre.y()) - c.radius) < 1e-9;
    };
    int inColour = 0, elsewhere = 0;
    for (const auto& batch : scene.batches) {
      for (const QLineF& s : batch.segments) {
        if (!on(s.p1()) || !on(s.p2())) continue;
        (batch.color == zrgui::aciColor(c.color, kDark) ? inColour : elsewhere) += 1;
      }
    }
    EXPECT_EQ(inColour, zrgui::detail::kChordsPerTurn) << c.why;
    EXPECT_EQ(elsewhere, 0) << c.why;
  }
  EXPECT_EQ(scene.segmentCount(), std::size(cases) * zrgui::detail::kChordsPerTurn)
      << "each reference's chords once";
}

TEST(DrawingScene, CurvesAreChordedAlongTheirTrueShape) {
  TestDrawing d;
  d.add(new AcDbCircle({50, 50, 0}, AcGeVector3d::kZAxis, 10), 1);
  d.add(new AcDbArc({0, 0, 0}, 5, 0, std::numbers::pi / 2), 2);
  auto* pl = new AcDbPolyline;
  pl->addVertexAt(0, AcGePoint2d(200, 0), 1.0);  // a half circle below the chord
  pl->addVertexAt(1, AcGePoint2d(202, 0));
  d.add(pl, 3);
  // A referenced arc from 180 to 200 degrees: its first point is the leftmost.
  const AcDbObjectId arc = d.block(L"ARC");
  d.add(new AcDbArc({0, 0, 0}, 5, std::numbers::pi, std::numbers::pi * 10 / 9), 4, nullptr, arc);
  d.reference(arc, {-100, 10, 0});
  const Scene scene = zrgui::buildScene(d.db(), kDark);
  double lowest = 0;
  for (const auto& batch : scene.batches) {
    for (const QLineF& s : batch.segments) {
      for (QPointF p : {s.p1(), s.p2()}) {
        if (batch.color == qRgb(255, 0, 0)) {
          EXPECT_NEAR(std::hypot(p.x() - 50, p.y() - 50), 10, 1e-9);
        }
        if (batch.color == qRgb(255, 255, 0)) {
          EXPECT_NEAR(std::hypot(p.x(), p.y()), 5, 1e-9);
          EXPECT_GE(p.x(), -1e-9);
          EXPECT_GE(p.y(), -1e-9) << "the arc runs counter-clockwise from 0 to 90 degrees";
        }
        if (batch.color == qRgb(0, 255, 0)) {
          EXPECT_NEAR(std::hypot(p.x() - 201, p.y()), 1, 1e-9);
          lowest = std::min(lowest, p.y());
        }
      }
    }
  }
  EXPECT_NEAR(lowest, -1, 1e-3) << "a positive bulge from left to right bows below";
  EXPECT_TRUE(scene.hasBounds);
  EXPECT_NEAR(scene.bounds.right(), 202, 1e-9);
  EXPECT_NEAR(scene.bounds.top(), -1, 1e-3) << "the bulge's lowest point, not its ends";
  EXPECT_NEAR(scene.bounds.left(), -105, 1e-9) << "a placed curve's first point";
}

TEST(DrawingScene, TextsKeepAnchorHeightTurnAndAlignmentAndAttributesShowUnlessInvisible) {
  TestDrawing d;
  auto* left = new AcDbText({10, 20, 0}, L"风机 %%c100", AcDbObjectId(), 5, 0);
  d.add(left, 7);
  auto* centered = new AcDbText({0, 0, 0}, L"中", AcDbObjectId(), 2, std::numbers::pi / 2);
  centered->setHorizontalMode(kTextCenter);
  centered->setAlignmentPoint({30, 40, 0});
  d.add(centered, 7);
  const AcDbObjectId blk = d.block(L"T");
  d.add(new AcDbText({0, 0, 0}, L"in block", AcDbObjectId(), 1, 0), 7, nullptr, blk);
  d.reference(blk, {100, 100, 0}, 3, std::numbers::pi);
  // A definition shows only alone, an attribute unless it is invisible.
  const AcDbObjectId tagged = d.block(L"TAGGED");
  auto* def = new AcDbAttributeDefinition({0, 0, 0}, L"default", L"TAG", L"prompt");
  def->setHeight(2.5);
  d.add(def, 7, nullptr, tagged);
  const AcDbObjectId ref = d.reference(tagged, {50, 0, 0});
  d.attribute(ref, {50, 0, 0}, L"TAG", L"4-72No4.5A", 2.5);
  d.attribute(ref, {50, 5, 0}, L"HIDDEN", L"secret", 2.5, true);
  auto* lone = new AcDbAttributeDefinition({0, 50, 0}, L"v", L"LONE", L"p");
  lone->setHeight(2.5);
  d.add(lone, 7);
  const Scene scene = zrgui::buildScene(d.db(), kDark);
  std::vector<zrgui::SceneText> texts;
  for (const auto& b : scene.batches) texts.insert(texts.end(), b.texts.begin(), b.texts.end());
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].text, QString::fromUtf8("风机 ⌀100")) << "%%c is the diameter sign";
  EXPECT_EQ(texts[0].anchor, QPointF(10, 20));
  EXPECT_EQ(texts[0].height, 5);
  EXPECT_EQ(texts[1].anchor, QPointF(30, 40)) << "aligned text hangs on its alignment point";
  EXPECT_EQ(texts[1].hAlign, zrgui::SceneText::Center);
  EXPECT_NEAR(texts[1].rotation, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(texts[2].anchor.x(), 100, 1e-9);
  EXPECT_NEAR(texts[2].height, 3, 1e-9) << "a reference scales its texts";
  EXPECT_NEAR(std::abs(texts[2].rotation), std::numbers::pi, 1e-9);
  EXPECT_EQ(texts[3].text, QStringLiteral("4-72No4.5A"));
  EXPECT_EQ(texts[4].text, QStringLiteral("LONE"));
}

// Exactly: a QLineF's == forgives what rounding a different way would leave.
auto exact(const QLineF& s) { return std::make_tuple(s.x1(), s.y1(), s.x2(), s.y2()); }
auto exact(QPointF p) { return std::make_pair(p.x(), p.y()); }
auto exact(const zrgui::SceneText& t) {
  return std::make_tuple(t.text, exact(t.anchor), t.height, t.rotation, t.widthFactor, t.hAlign,
                         t.vAlign, t.fitted, exact(t.fitEnd));
}
template <class List>
auto exact(const List& list) {
  std::vector<decltype(exact(*list.begin()))> out;
  for (const auto& item : list) out.push_back(exact(item));
  return out;
}

TEST(DrawingScene, AModelSpaceBuiltInPartsOnTwoThreadsIsTheSceneOfOneWalk) {
  // Colours first met in late parts (one only in the last entity), BYLAYER
  // and BYBLOCK through nested references, curves, texts, attributes,
  // points, solids, and layers that hide.
  TestDrawing d;
  d.layer(L"L1", 1);
  d.layer(L"L2", 3);
  d.layer(L"OFF", 5, true);
  d.layer(L"FROZEN", 6, false, true);
  const AcDbObjectId inner = d.block(L"INNER", {1, 2, 0});
  d.add(new AcDbCircle({3, 4, 0}, AcGeVector3d::kZAxis, 2), 0, nullptr, inner);
  d.add(new AcDbArc({0, 0, 0}, 5, 0, 1), 256, L"0", inner);
  d.add(new AcDbText({1, 1, 0}, L"in", AcDbObjectId(), 1, 0.5), 4, nullptr, inner);
  const AcDbObjectId outer = d.block(L"OUTER");
  d.reference(inner, {10, 0, 0}, 2, 1, 0, L"L2", outer);
  d.add(new AcDbPoint({-3, 7, 0}), 0, nullptr, outer);
  const wchar_t* layers[] = {L"L1", L"L2", L"OFF", L"FROZEN", L"0"};
  for (int i = 0; i < 150; ++i) {
    const double x = i * 3.5 - 200, y = (i % 11) * -2.25;
    const int color = i % 9 == 0 ? 256 : 1 + i / 25;
    const wchar_t* layer = layers[i % 5];
    switch (i % 6) {
      case 0:
        d.line({x, y, 0}, {x + 1, y - 4, 0}, color, layer);
        break;
      case 1:
        d.add(new AcDbCircle({x, y, 0}, AcGeVector3d::kZAxis, 1 + i % 3), color, layer);
        break;
      case 2:
        d.add(new AcDbText({x, y, 0}, L"T", AcDbObjectId(), 2, i * 0.1), color, layer);
        break;
      case 3:
        d.attribute(d.reference(i % 4 ? outer : inner, {x, y, 0}, 0.5 + i % 2, i, color, layer),
                    {x, y + 1, 0}, L"TAG", L"A", 1);
        break;
      case 4:
        d.add(new AcDbPoint({x, -y, 0}), color, layer);
        break;
      default:
        d.add(new AcDbSolid({x, y, 0}, {x + 1, y, 0}, {x, y + 1, 0}, {x + 1, y + 1, 0}), color,
              layer);
    }
  }
  d.line({500, 0, 0}, {501, 1, 0}, 200);
  const Scene one = zrgui::detail::buildScene(d.db(), kDark, {1, 0});
  ASSERT_GE(one.batches.size(), 8u);
  for (std::size_t partIds : {1, 7, 40}) {
    const Scene two = zrgui::detail::buildScene(d.db(), kDark, {2, partIds});
    ASSERT_EQ(two.batches.size(), one.batches.size()) << partIds;
    for (std::size_t b = 0; b < one.batches.size(); ++b) {
      const zrgui::SceneBatch &x = one.batches[b], &y = two.batches[b];
      EXPECT_EQ(y.color, x.color) << partIds << " batch " << b;
      EXPECT_EQ(exact(y.segments), exact(x.segments)) << partIds << " batch " << b;
      EXPECT_EQ(exact(y.points), exact(x.points)) << partIds << " batch " << b;
      EXPECT_EQ(exact(y.texts), exact(x.texts)) << partIds << " batch " << b;
      ASSERT_EQ(y.fills.size(), x.fills.size()) << partIds << " batch " << b;
      for (std::size_t f = 0; f < x.fills.size(); ++f)
        EXPECT_EQ(exact(y.fills[f]), exact(x.fills[f]));
    }
    EXPECT_EQ(two.hasBounds, one.hasBounds);
    EXPECT_EQ(exact(two.bounds.topLeft()), exact(one.bounds.topLeft())) << partIds;
    EXPECT_EQ(exact(two.bounds.bottomRight()), exact(one.bounds.bottomRight())) << partIds;
    EXPECT_EQ(two.entityCount, one.entityCount) << partIds;
  }
}

TEST(DrawingScene, MultilineTextLosesItsFormatCodes) {
  EXPECT_EQ(zrgui::detail::mtextLines(L"{\\fSimSun|b0|i0;风机}\\P第二行\\~x\\\\y"),
            (std::vector<QString>{QStringLiteral("风机"), QStringLiteral("第二行 x\\y")}));
  EXPECT_EQ(zrgui::detail::mtextLines(L"\\H2.5;\\C1;1\\S1^2;"),
            (std::vector<QString>{QStringLiteral("11/2")}));
}

TEST(ScenePainter, ChineseTextIsDrawnWithRealGlyphs) {
  // Two different characters drawn as glyphs differ; drawn as the empty boxes
  // of a missing font they would be alike.
  auto picture = [](const wchar_t* text) {
    TestDrawing d;
    d.add(new AcDbText({0, 0, 0}, text, AcDbObjectId(), 10, 0), 7);
    d.line({0, -2, 0}, {12, 12, 0}, 1);
    zrgui::ViewTransform view;
    view.setViewport(QSize(120, 120));
    view.fit(QRectF(-1, -3, 14, 16), 0);
    QImage image(QSize(120, 120), QImage::Format_RGB32);
    QPainter p(&image);
    zrgui::ScenePainter().paint(p, zrgui::buildScene(d.db(), kDark), view, Qt::black);
    return image;
  };
  const QImage wind = picture(L"风");
  const QImage machine = picture(L"机");
  EXPECT_GT(guitest::countColor(wind, wind.rect(), Qt::white), 50);
  EXPECT_GT(guitest::countColor(machine, machine.rect(), Qt::white), 50);
  int differ = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 120; ++x) differ += wind.pixel(x, y) != machine.pixel(x, y);
  EXPECT_GT(differ, 100);
}

TEST(PixelLines, LinesAreClippedToTheImageWhereverTheirEndsLie) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::black);
  zrgui::PixelLines lines(image);
  const QRgb red = qRgb(255, 0, 0);
  lines.draw(-1e12, 5, 1e12, 5, red);       // across, ends far outside
  lines.draw(10, -1e9, 10, 1e9, red);       // down
  lines.draw(-5, -5, -1, 100, red);         // wholly left of the image
  lines.draw(0, 0, std::nan(""), 3, red);   // an end that is no number
  lines.draw(39.4, 29.4, 39.4, 29.4, red);  // one pixel in the last corner
  lines.draw(0, 29, 39, 0, red);            // a diagonal corner to corner
  int row = 0, column = 0;
  for (int x = 0; x < 40; ++x) row += image.pixel(x, 5) == red;
  for (int y = 0; y < 30; ++y) column += image.pixel(10, y) == red;
  EXPECT_EQ(row, 40);
  EXPECT_EQ(column, 30);
  EXPECT_EQ(image.pixel(39, 29), red);
  EXPECT_EQ(image.pixel(0, 29), red);
  EXPECT_EQ(image.pixel(39, 0), red);
  EXPECT_GT(guitest::countColor(image, QRect(0, 7, 8, 22), Qt::red), 0) << "the diagonal";
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0)) << "the line that is no number drew nothing";
}

// Pixels of b that differ from a inside rect.
int differing(const QImage& a, const QImage& b, QRect rect) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

TEST(PixelLines, ALineDrawnIntoPartOfTheImageLightsThereWhatItLightsDrawnWhole) {
  // Shallow and steep, backwards, far-off ends, shorter than a pixel, diagonal.
  std::vector<QLineF> table{QLineF(-3.2, 4.4, 61.7, 19.3),  QLineF(7.6, -20, 23.3, 70.1),
                            QLineF(58.4, 2.5, 1.5, 37.5),   QLineF(-1e9, -2e9, 1e9, 2.2e9),
                            QLineF(30.3, 10.2, 30.7, 10.4), QLineF(0.5, 0.5, 59.5, 39.5)};
  // Lines wholly inside the image are stepped another way than clipped ones;
  // ends on quarters and thirds of a pixel put many of their pixels' centres
  // exactly halfway between two rows (or columns), where both must choose alike.
  std::mt19937 rng(11);
  for (int i = 0; i < 200; ++i) {
    const int k = 3 + i % 2;
    std::uniform_int_distribution<int> x(k, 58 * k), y(k, 38 * k);
    table.emplace_back(x(rng) / double(k), y(rng) / double(k), x(rng) / double(k),
                       y(rng) / double(k));
  }
  for (const QLineF l : table) {
    auto drawn = [&l](QRect part) {
      QImage image(60, 40, QImage::Format_RGB32);
      image.fill(Qt::black);
      zrgui::PixelLines(image, part).draw(l.x1(), l.y1(), l.x2(), l.y2(), qRgb(255, 0, 0));
      return image;
    };
    const QImage whole = drawn(QRect());
    for (const QRect part : {QRect(0, 0, 7, 40), QRect(53, 0, 7, 40), QRect(0, 0, 60, 5),
                             QRect(0, 34, 60, 6), QRect(21, 13, 9, 11)}) {
      const QImage clipped = drawn(part);
      EXPECT_EQ(differing(whole, clipped, part), 0)
          << l.x1() << "," << l.y1() << " in " << part.x();
      EXPECT_EQ(guitest::countColor(clipped, clipped.rect(), Qt::red, 0),
                guitest::countColor(clipped, part, Qt::red, 0))
          << "nothing outside the part";
    }
  }
}

TEST(ScenePainter, AViewOfALargeDrawingLightsWhatEachLineDrawnInTurnLights) {
  const struct {
    int lines;
    QSize viewport;
    QRectF fit;
    const char* why;
  } cases[] = {
      // Short lines: the grid's cells are small.
      {9000, {90, 131}, {10, 10, 60, 60}, "part of the drawing: lines found through its grid"},
      {150000, {700, 500}, {0, 0, 100, 100}, "the whole drawing: one colour on several threads"},
  };
  for (const auto& c : cases) {
    zrgui::Scene scene;
    scene.batches.push_back({qRgb(255, 0, 0), {}, {}, {}, {}});
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> at(0, 100), len(-0.6, 0.6);
    for (int i = 0; i < c.lines; ++i) {
      const QPointF a(at(rng), at(rng));
      scene.batches[0].segments.emplace_back(a, a + QPointF(len(rng), len(rng)));
    }
    scene.hasBounds = true;
    scene.bounds = QRectF(0, 0, 100, 100);
    zrgui::ViewTransform view;
    view.setViewport(c.viewport);
    view.fit(c.fit, 0);
    QImage painted(view.viewport(), QImage::Format_RGB32), drawn = painted;
    drawn.fill(Qt::black);
    {
      QPainter p(&painted);
      zrgui::ScenePainter().paint(p, scene, view, Qt::black);
    }
    zrgui::PixelLines lines(drawn);
    for (const QLineF& s : scene.batches[0].segments) {
      const QLineF l = view.toScreenTransform().map(s);
      lines.draw(l.x1(), l.y1(), l.x2(), l.y2(), qRgb(255, 0, 0));
    }
    EXPECT_EQ(differing(drawn, painted, drawn.rect()), 0) << c.why;
  }
}

TEST(SegmentGrid, EverySegmentThatMeetsABoxIsInTheRunsFoundForItAndEachIsKeptOnce) {
  // Short segments, and long ones (one in fifty, one across all) whose
  // middles lie in cells far from boxes they cross.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> at(0, 1000), len(-600, 600);
  zrgui::SegmentList segments{QLineF(-5000, 500.5, 5000, 500.5)};
  for (int i = 0; i < 3000; ++i) {
    const QPointF a(at(rng), at(rng));
    segments.emplace_back(a, a + QPointF(len(rng), len(rng)) * (i % 50 ? 0.01 : 1));
  }
  const zrgui::SegmentGrid grid = zrgui::SegmentGrid::of(segments);
  auto key = [](const QLineF& s) { return std::make_tuple(s.x1(), s.y1(), s.x2(), s.y2()); };
  using Keys = std::multiset<std::tuple<double, double, double, double>>;
  Keys kept, given;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    kept.insert(key(grid.segments[i]));
    given.insert(key(segments[i]));
  }
  EXPECT_EQ(kept, given);
  for (const QRectF box : {QRectF(0, 0, 1000, 1000), QRectF(495, 499, 10, 3),
                           QRectF(-3000, 200, 10, 10), QRectF(123.4, 567.8, 0.5, 0.5)}) {
    Keys found;
    grid.forEachRunMeeting(box, [&](const QLineF* s, std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) found.insert(key(s[i]));
    });
    for (const QLineF& s : segments) {
      if (QRectF(s.p1(), s.p2()).normalized().adjusted(0, 0, 1e-9, 1e-9).intersects(box)) {
        EXPECT_EQ(found.count(key(s)), 1u) << "box at " << box.x() << "," << box.y();
      }
    }
  }
}

TEST(DrawingCanvas, APannedPictureIsTheSameAsOneDrawnWholeThere) {
  // A pan moves the picture and draws only the strips it uncovers; it must
  // show what a whole redraw at the new view shows, texts and crossings too.
  TestDrawing d;
  d.layer(L"RED", 1);
  d.layer(L"GREEN", 3);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> at(0, 400), len(-60, 60);
  for (int i = 0; i < 600; ++i) {
    const AcGePoint3d a(at(rng), at(rng) * 0.6, 0);
    d.line(a, a + AcGeVector3d(len(rng), len(rng), 0), 256, i % 2 ? L"RED" : L"GREEN");
  }
  d.add(new AcDbText({100, 100, 0}, L"风机 F-1", AcDbObjectId(), 12, 0.3), 7);
  d.add(new AcDbCircle({200, 120, 0}, AcGeVector3d::kZAxis, 40), 2);
  acdbHostApplicationServices()->setWorkingDatabase(d.db());
  const struct { int dx, dy; } pans[] = {{37, 0}, {0, -23}, {-41, 19}, {5, 60}, {-300, -200}};
  zrgui::DrawingCanvas canvas;
  canvas.resize(320, 200);
  canvas.refresh();
  canvas.zoomBy(2.0);
  (void)canvas.picture();
  for (const auto& pan : pans) {
    const QPointF from(160, 100), to(160 + pan.dx, 100 + pan.dy);
    for (auto [type, where, button] :
         {std::tuple(QEvent::MouseButtonPress, from, Qt::MiddleButton),
          std::tuple(QEvent::MouseMove, to, Qt::NoButton),
          std::tuple(QEvent::MouseButtonRelease, to, Qt::MiddleButton)}) {
      QMouseEvent e(type, where, canvas.mapToGlobal(where), button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MiddleButton, {});
      QCoreApplication::sendEvent(&canvas, &e);
    }
    const QImage panned = canvas.picture();
    QImage whole(canvas.size(), QImage::Format_RGB32);
    {
      QPainter p(&whole);
      zrgui::ScenePainter().paint(p, canvas.scene(), canvas.view(),
                                  zrgui::DrawingCanvas::backgroundColor());
    }
    EXPECT_EQ(differing(whole, panned, whole.rect()), 0) << "pan by " << pan.dx << "," << pan.dy;
  }
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
