// A click on the drawing canvas picks the one entity drawn nearest to it
// within the pick box: a fan inside a room is picked without the room's
// walls, whose inside is empty floor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>

#include "cad/acdb.h"
#include "gui/drawing_canvas.h"
#include "gui/drawing_scene.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// The working drawing for the life of the object, and entities added to it.
struct Working {
  std::unique_ptr<AcDbDatabase> db = std::make_unique<AcDbDatabase>(true, false);
  Working() { acdbHostApplicationServices()->setWorkingDatabase(db.get()); }
  ~Working() { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

  AcDbObjectId add(AcDbEntity* e, AcDbObjectId into = AcDbObjectId()) {
    AcDbBlockTableRecord* rec = nullptr;
    EXPECT_EQ(acdbOpenObject(rec, into.isNull() ? db->modelSpaceId() : into, AcDb::kForWrite),
              Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(rec->appendAcDbEntity(id, e), Acad::eOk);
    rec->close();
    e->close();
    return id;
  }
  AcDbObjectId block() {
    AcDbBlockTable* table = nullptr;
    EXPECT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(L"FAN");
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    return id;
  }
};

TEST(CanvasPick, AClickPicksTheFanInsideARoomAloneTheWallByItsLineAndNothingOnTheFloor) {
  Working w;
  // A 100 x 60 room, a fan (a 20 x 10 casing with its impeller) at (40,25)
  // and a label at (10,10).
  auto* room = new AcDbPolyline;
  const AcGePoint2d corners[] = {{0, 0}, {100, 0}, {100, 60}, {0, 60}};
  for (unsigned i = 0; i < 4; ++i) room->addVertexAt(i, corners[i]);
  room->setClosed(true);
  const AcDbObjectId walls = w.add(room);
  const AcDbObjectId blk = w.block();
  const AcGePoint3d c[] = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
  for (int i = 0; i < 4; ++i) w.add(new AcDbLine(c[i], c[(i + 1) % 4]), blk);
  w.add(new AcDbCircle({10, 5, 0}, AcGeVector3d::kZAxis, 4), blk);
  const AcDbObjectId fan = w.add(new AcDbBlockReference({40, 25, 0}, blk));
  const AcDbObjectId label = w.add(new AcDbText({10, 10, 0}, L"FAN-1", AcDbObjectId(), 2, 0));

  zrgui::DrawingCanvas canvas;
  canvas.resize(400, 300);
  canvas.show();
  canvas.refresh();
  QString answered;
  canvas.setOnAnswer([&](const QString& text) { answered = text; });
  cadrt::InputRequest selectObjects;
  selectObjects.kind = cadrt::InputKind::Selection;
  const struct {
    const char* where;
    QPointF at;
    AcDbObjectId picks;
  } cases[] = {
      {"on the fan's casing", {60.3, 30}, fan},
      {"on the impeller", {46.2, 30}, fan},
      {"on the floor", {20, 45}, AcDbObjectId()},
      {"inside the casing, off its lines", {44, 34}, AcDbObjectId()},
      {"beside a wall", {50, 0.4}, walls},
      {"in the label's box", {13, 11}, label},
  };
  for (const auto& k : cases) {
    const QPoint at = canvas.toScreen(k.at);
    // At the command prompt the click makes the selection for the next command.
    canvas.clearSelection();
    canvas.setRequest(cadrt::InputRequest(), true, false);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, at);
    EXPECT_EQ(canvas.selected(),
              k.picks.isNull() ? std::vector<AcDbObjectId>() : std::vector<AcDbObjectId>{k.picks})
        << k.where;
    // At "Select objects:" it answers the picked entity's handle.
    canvas.setRequest(selectObjects, true, true);
    answered = QStringLiteral("(none)");
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, at);
    ACHAR handle[20] = {};
    k.picks.handle().getIntoAsciiBuffer(handle, 20);
    EXPECT_EQ(answered.toStdWString(),
              k.picks.isNull() ? std::wstring(L"(none)") : L"h " + std::wstring(handle))
        << k.where;
  }
}

// Random drawings of lines, polylines (open and closed, with arcs), circles,
// arcs, a turned and scaled block reference and a filled solid; random
// clicks. What is picked is checked against distances worked out here from
// the entities' own geometry, each curve followed in fine steps.
struct RandomDrawing {
  // An entity as points of its lines every kStep, in box coordinates, and
  // the area it fills.
  struct Shape {
    AcDbObjectId id;
    std::vector<QPointF> points;
    QPolygonF fill;
  };
  static constexpr double kStep = 0.02;
  std::mt19937 rng;
  QTransform toBox;
  Working w;
  std::vector<Shape> shapes;

  double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng); }
  QPointF point(double lo = 0, double hi = 100) { return {uniform(lo, hi), uniform(lo, hi)}; }
  static AcGePoint3d at3(QPointF p) { return {p.x(), p.y(), 0}; }
  // Points of the arc about c from start by sweep (clockwise when negative), 360 to the turn.
  static std::vector<QPointF> arc(QPointF c, double r, double start, double sweep) {
    const int n = std::max(2, static_cast<int>(std::abs(sweep) / (2 * kPi) * 360));
    std::vector<QPointF> out;
    for (int i = 0; i <= n; ++i) {
      const double t = start + sweep * i / n;
      out.push_back(c + r * QPointF(std::cos(t), std::sin(t)));
    }
    return out;
  }
  // An entity drawn as these lines (world points, mapped by place first).
  void shape(AcDbObjectId id, const std::vector<std::vector<QPointF>>& lines, bool filled = false,
             const QTransform& place = QTransform()) {
    const QTransform t = place * toBox;
    Shape s{id, {}, {}};
    if (filled) s.fill = t.map(QPolygonF(QList<QPointF>(lines[0].begin(), lines[0].end())));
    for (const auto& line : lines) {
      for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = t.map(line[i]), b = t.map(line[i + 1]);
        const int n = 1 + static_cast<int>(QLineF(a, b).length() / kStep);
        for (int k = 0; k <= n; ++k) s.points.push_back(a + (b - a) * k / n);
      }
    }
    shapes.push_back(std::move(s));
  }

  RandomDrawing(unsigned seed, const QTransform& t) : rng(seed), toBox(t) {
    for (int i = 0; i < 3; ++i) {
      const QPointF a = point(), b = point();
      shape(w.add(new AcDbLine(at3(a), at3(b))), {{a, b}});
    }
    for (int k = 0; k < 3; ++k) {
      // Straight sides, or arcs of a third of a turn up to half one either way;
      // a positive bulge turns counter-clockwise from a vertex to the next.
      const bool closed = k < 2;
      const QPointF origin = point(0, 70);
      const int n = 3 + static_cast<int>(rng() % 3);
      auto* pl = new AcDbPolyline;
      std::vector<QPointF> pts;
      std::vector<double> bulges;
      for (int i = 0; i < n; ++i) {
        pts.push_back(origin + point(0, 30));
        bulges.push_back(rng() % 2 ? 0 : uniform(0.3, 1) * (rng() % 2 ? 1 : -1));
        pl->addVertexAt(i, AcGePoint2d(pts[i].x(), pts[i].y()), bulges[i]);
      }
      pl->setClosed(closed);
      std::vector<QPointF> line{pts[0]};
      for (int i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
        const QPointF a = pts[i], b = pts[(i + 1) % n], d = b - a;
        if (bulges[i] == 0) {
          line.push_back(b);
          continue;
        }
        const double bl = bulges[i];
        const QPointF c = (a + b) / 2 + QPointF(-d.y(), d.x()) * (1 - bl * bl) / (4 * bl);
        const QPointF from = a - c;
        const std::vector<QPointF> part = arc(c, std::hypot(from.x(), from.y()),
                                              std::atan2(from.y(), from.x()), 4 * std::atan(bl));
        line.insert(line.end(), part.begin() + 1, part.end());
      }
      shape(w.add(pl), {line});
    }
    for (int i = 0; i < 4; ++i) {
      const QPointF c = point();
      const double r = uniform(2, 12), start = uniform(0, 2 * kPi);
      const double sweep = i < 2 ? 2 * kPi : uniform(0.3, 2 * kPi - 0.3);
      shape(w.add(i < 2 ? new AcDbCircle(at3(c), AcGeVector3d::kZAxis, r)
                        : new AcDbArc(at3(c), r, start, start + sweep)),
            {arc(c, r, start, sweep)});
    }
    // A fan-like block (a casing's two sides and an impeller) turned and scaled.
    const AcDbObjectId blk = w.block();
    w.add(new AcDbLine({-5, -3, 0}, {5, -3, 0}), blk);
    w.add(new AcDbLine({5, -3, 0}, {5, 3, 0}), blk);
    w.add(new AcDbCircle({0, 0, 0}, AcGeVector3d::kZAxis, 2.5), blk);
    const QPointF at = point(20, 80);
    const double turn = uniform(0, 2 * kPi), scale = uniform(0.5, 2);
    auto* ref = new AcDbBlockReference(at3(at), blk);
    ref->setRotation(turn);
    ref->setScaleFactors(AcGeScale3d(scale));
    QTransform place;
    place.translate(at.x(), at.y()).rotateRadians(turn).scale(scale, scale);
    shape(w.add(ref), {{{-5, -3}, {5, -3}, {5, 3}}, arc({0, 0}, 2.5, 0, 2 * kPi)}, false, place);
    // A filled rectangle, turned; a solid's corners go across, the third and
    // fourth swapped against the outline.
    const double spin = uniform(0, kPi);
    const QPointF c = point(10, 90), u(std::cos(spin), std::sin(spin)), v(-u.y(), u.x());
    const QPointF du = u * uniform(2, 15), dv = v * uniform(2, 15);
    const QPointF q[] = {c - du - dv, c + du - dv, c + du + dv, c - du + dv};
    shape(w.add(new AcDbSolid(at3(q[0]), at3(q[1]), at3(q[3]), at3(q[2]))),
          {{q[0], q[1], q[2], q[3], q[0]}}, true);
  }

  // A click near a random point of a random entity, or anywhere.
  QPointF click() {
    if (uniform(0, 1) < 0.4) return toBox.map(point());
    const std::vector<QPointF>& points = shapes[rng() % shapes.size()].points;
    return points[rng() % points.size()] + QPointF(uniform(-6, 6), uniform(-6, 6));
  }

  // The entity drawn nearest to at among those that meet the square of
  // half-side half, null when none does; false when the answer is too close
  // to call (an entity at the box's edge, or two about as near).
  bool expected(QPointF at, double half, double margin, AcDbObjectId& nearest) const {
    double best = kInf, second = kInf;
    for (const Shape& s : shapes) {
      // across: the least box about at that meets the entity.
      double across = s.fill.containsPoint(at, Qt::OddEvenFill) ? 0 : kInf, straight = across;
      for (const QPointF& p : s.points) {
        const double box = std::max(std::abs(p.x() - at.x()), std::abs(p.y() - at.y()));
        across = std::min(across, box);
        if (box <= half + margin) straight = std::min(straight, QLineF(at, p).length());
      }
      if (std::abs(across - half) < margin) return false;
      if (across > half) continue;
      if (straight < best) {
        second = best;
        best = straight;
        nearest = s.id;
      } else {
        second = std::min(second, straight);
      }
    }
    if (second - best < margin) return false;
    if (!std::isfinite(best)) nearest = AcDbObjectId();
    return true;
  }
};

TEST(CanvasPick, AClickPicksTheNearestDrawnEntityWithinThePickBoxOrNone) {
  // Picks in world units, and in the pixels of a turned view with y down.
  QTransform turned;
  turned.scale(3, -3);
  turned.rotate(30);
  const struct {
    unsigned seed;
    QTransform toBox;
    double half;
  } views[] = {{1, QTransform(), 1.5}, {2, QTransform(), 1.5}, {3, turned, 4}};
  for (const auto& v : views) {
    RandomDrawing d(v.seed, v.toBox);
    const double scale = std::hypot(v.toBox.m11(), v.toBox.m12());
    int checked = 0, picked = 0;
    for (int i = 0; i < 150; ++i) {
      const QPointF at = d.click();
      AcDbObjectId want;
      if (!d.expected(at, v.half, 0.05 * scale, want)) continue;
      ++checked;
      picked += want.isNull() ? 0 : 1;
      ASSERT_EQ(zrgui::pickEntity(d.w.db.get(), at, v.half, v.toBox), want)
          << "seed " << v.seed << ", click " << i << " at " << at.x() << "," << at.y();
    }
    EXPECT_GT(checked, 120) << "seed " << v.seed;
    EXPECT_GT(picked, 30) << "seed " << v.seed;
    EXPECT_LT(picked, checked - 30) << "seed " << v.seed;
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
