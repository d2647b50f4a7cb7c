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

AcDbObjectId add(AcDbDatabase* db, AcDbEntity* e, AcDbObjectId into = AcDbObjectId()) {
  AcDbBlockTableRecord* rec = nullptr;
  EXPECT_EQ(acdbOpenObject(rec, into.isNull() ? db->modelSpaceId() : into, AcDb::kForWrite),
            Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(rec->appendAcDbEntity(id, e), Acad::eOk);
  rec->close();
  e->close();
  return id;
}

AcDbObjectId newBlock(AcDbDatabase* db, const wchar_t* name) {
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbBlockTableRecord;
  rec->setName(name);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, rec), Acad::eOk);
  rec->close();
  table->close();
  return id;
}

AcDbObjectId polyline(AcDbDatabase* db, const std::vector<AcGePoint2d>& pts,
                      const std::vector<double>& bulges, bool closed) {
  auto* pl = new AcDbPolyline;
  for (unsigned i = 0; i < pts.size(); ++i) pl->addVertexAt(i, pts[i], bulges[i]);
  pl->setClosed(closed);
  return add(db, pl);
}

std::wstring handleOf(AcDbObjectId id) {
  ACHAR buf[20] = {};
  id.handle().getIntoAsciiBuffer(buf, 20);
  return buf;
}

// The working drawing for the life of the object.
struct Working {
  std::unique_ptr<AcDbDatabase> db = std::make_unique<AcDbDatabase>(true, false);
  Working() { acdbHostApplicationServices()->setWorkingDatabase(db.get()); }
  ~Working() { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }
};

TEST(CanvasPick, AClickPicksTheFanInsideARoomAloneTheWallByItsLineAndNothingOnTheFloor) {
  Working w;
  // A 100 x 60 room, a fan (a 20 x 10 casing with its impeller) at (40,25)
  // and a label at (10,10).
  const AcDbObjectId walls =
      polyline(w.db.get(), {{0, 0}, {100, 0}, {100, 60}, {0, 60}}, {0, 0, 0, 0}, true);
  const AcDbObjectId blk = newBlock(w.db.get(), L"FAN");
  const AcGePoint3d c[] = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
  for (int i = 0; i < 4; ++i) add(w.db.get(), new AcDbLine(c[i], c[(i + 1) % 4]), blk);
  add(w.db.get(), new AcDbCircle({10, 5, 0}, AcGeVector3d::kZAxis, 4), blk);
  const AcDbObjectId fan = add(w.db.get(), new AcDbBlockReference({40, 25, 0}, blk));
  const AcDbObjectId label =
      add(w.db.get(), new AcDbText({10, 10, 0}, L"FAN-1", AcDbObjectId(), 2, 0));

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
    EXPECT_EQ(answered.toStdWString(), k.picks.isNull() ? L"(none)" : L"h " + handleOf(k.picks))
        << k.where;
  }
}

// Random drawings of lines, polylines (open and closed, with arcs), circles,
// arcs, a block reference and a filled solid; random clicks. What is picked is
// checked against distances worked out here from the entities' own geometry,
// each curve followed in fine steps.
class RandomDrawing {
 public:
  RandomDrawing(unsigned seed, const QTransform& toBox) : m_rng(seed), m_t(toBox) {
    for (int i = 0; i < 4; ++i) {
      const AcGePoint3d a = point(), b = point();
      shape(add(db(), new AcDbLine(a, b)), {{flat(a), flat(b)}});
    }
    for (int i = 0; i < 3; ++i) randomPolyline(i < 2);
    for (int i = 0; i < 4; ++i) {
      const AcGePoint3d c = point();
      const double r = uniform(2, 12);
      const double start = uniform(0, 2 * kPi);
      const double sweep = i < 2 ? 2 * kPi : uniform(0.3, 2 * kPi - 0.3);
      shape(add(db(), i < 2 ? new AcDbCircle(c, AcGeVector3d::kZAxis, r)
                            : new AcDbArc(c, r, start, start + sweep)),
            {arcPoints(flat(c), r, start, sweep)});
    }
    randomReference();
    randomSolid();
  }

  AcDbDatabase* db() const { return m_w.db.get(); }
  double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(m_rng); }
  // A click near a random point of a random entity, or anywhere.
  QPointF click() {
    if (uniform(0, 1) < 0.4) return m_t.map(QPointF(uniform(0, 100), uniform(0, 100)));
    const std::vector<QPointF>& line = m_shapes[m_rng() % m_shapes.size()].lines[0];
    const QPointF p = line[m_rng() % line.size()];
    return p + QPointF(uniform(-6, 6), uniform(-6, 6));
  }

  // The entity drawn nearest to at within the square of half-side half, null
  // when none is; false when the answer is too close to call (an entity at
  // the box's edge, or two about as near).
  bool expected(QPointF at, double half, double margin, AcDbObjectId& nearest) const {
    double best = std::numeric_limits<double>::infinity(), second = best;
    for (const Shape& s : m_shapes) {
      if (!s.bounds.adjusted(-half - margin, -half - margin, half + margin, half + margin)
               .contains(at))
        continue;
      double across = std::numeric_limits<double>::infinity(), straight = across;
      if (s.filled && inside(s.lines[0], at)) across = straight = 0;
      for (const std::vector<QPointF>& line : s.lines) {
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
          const QPointF a = line[i] - at, b = line[i + 1] - at;
          if (std::min(a.x(), b.x()) > half + margin || std::max(a.x(), b.x()) < -half - margin ||
              std::min(a.y(), b.y()) > half + margin || std::max(a.y(), b.y()) < -half - margin)
            continue;
          across = std::min(across, boxDistance(a, b));
          straight = std::min(straight, distance(a, b));
        }
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

 private:
  struct Shape {
    AcDbObjectId id;
    std::vector<std::vector<QPointF>> lines;  // in box coordinates
    bool filled = false;
    QRectF bounds;
  };

  static QPointF flat(const AcGePoint3d& p) { return {p.x, p.y}; }
  AcGePoint3d point() { return {uniform(0, 100), uniform(0, 100), 0}; }

  // An entity drawn as these lines (world points).
  void shape(AcDbObjectId id, std::vector<std::vector<QPointF>> lines, bool filled = false) {
    QPolygonF all;
    for (auto& line : lines)
      for (QPointF& p : line) all << (p = m_t.map(p));
    m_shapes.push_back({id, std::move(lines), filled, all.boundingRect()});
  }

  // Points of the arc about c, from start counter-clockwise by sweep (clockwise
  // when negative), 360 to the turn.
  static std::vector<QPointF> arcPoints(QPointF c, double r, double start, double sweep) {
    const int n = std::max(2, static_cast<int>(std::abs(sweep) / (2 * kPi) * 360));
    std::vector<QPointF> out;
    for (int i = 0; i <= n; ++i) {
      const double t = start + sweep * i / n;
      out.push_back(c + r * QPointF(std::cos(t), std::sin(t)));
    }
    return out;
  }

  void randomPolyline(bool closed) {
    const QPointF origin(uniform(0, 70), uniform(0, 70));
    const int n = 3 + static_cast<int>(m_rng() % 3);
    std::vector<AcGePoint2d> pts;
    std::vector<double> bulges;
    for (int i = 0; i < n; ++i) {
      pts.emplace_back(origin.x() + uniform(0, 30), origin.y() + uniform(0, 30));
      // Straight, or an arc of a third of a turn up to half one either way.
      const double b = uniform(0.3, 1) * (m_rng() % 2 ? 1 : -1);
      bulges.push_back(m_rng() % 2 ? 0 : b);
    }
    std::vector<QPointF> line{{pts[0].x, pts[0].y}};
    for (int i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
      const QPointF a(pts[i].x, pts[i].y), b(pts[(i + 1) % n].x, pts[(i + 1) % n].y);
      if (bulges[i] == 0) {
        line.push_back(b);
        continue;
      }
      // The arc through a and b whose sagitta is bulge times half the chord,
      // bulging to the right of a to b when the bulge is positive.
      const QPointF chord = b - a;
      const double half = std::hypot(chord.x(), chord.y()) / 2;
      const double sagitta = bulges[i] * half;
      const double r = (half * half + sagitta * sagitta) / (2 * std::abs(sagitta));
      const QPointF left = QPointF(-chord.y(), chord.x()) / (2 * half);
      const QPointF c = (a + b) / 2 + left * (sagitta > 0 ? r - sagitta : -(r + sagitta));
      const QPointF from = a - c;
      const std::vector<QPointF> arc =
          arcPoints(c, r, std::atan2(from.y(), from.x()), 4 * std::atan(bulges[i]));
      line.insert(line.end(), arc.begin() + 1, arc.end());
    }
    shape(polyline(db(), pts, bulges, closed), {line});
  }

  // A fan-like block (a casing's two sides and an impeller) turned and scaled.
  void randomReference() {
    const AcDbObjectId blk = newBlock(db(), L"FAN");
    add(db(), new AcDbLine({-5, -3, 0}, {5, -3, 0}), blk);
    add(db(), new AcDbLine({5, -3, 0}, {5, 3, 0}), blk);
    add(db(), new AcDbCircle({0, 0, 0}, AcGeVector3d::kZAxis, 2.5), blk);
    const QPointF at(uniform(20, 80), uniform(20, 80));
    const double turn = uniform(0, 2 * kPi), scale = uniform(0.5, 2);
    auto* ref = new AcDbBlockReference({at.x(), at.y(), 0}, blk);
    ref->setRotation(turn);
    ref->setScaleFactors(AcGeScale3d(scale));
    const AcDbObjectId id = add(db(), ref);
    QTransform place;
    place.translate(at.x(), at.y());
    place.rotateRadians(turn);
    place.scale(scale, scale);
    std::vector<QPointF> wheel = arcPoints({0, 0}, 2.5, 0, 2 * kPi);
    for (QPointF& p : wheel) p = place.map(p);
    shape(id, {{place.map(QPointF(-5, -3)), place.map(QPointF(5, -3)), place.map(QPointF(5, 3))},
               wheel});
  }

  // A filled rectangle, turned.
  void randomSolid() {
    const QPointF c(uniform(10, 90), uniform(10, 90));
    const double turn = uniform(0, kPi), w = uniform(2, 15), h = uniform(2, 15);
    const QPointF u(std::cos(turn), std::sin(turn)), v(-u.y(), u.x());
    const QPointF q[] = {c - u * w - v * h, c + u * w - v * h, c + u * w + v * h,
                         c - u * w + v * h};
    auto corner = [&](int i) { return AcGePoint3d(q[i].x(), q[i].y(), 0); };
    // A solid's corners go across: the third and fourth swap against the outline.
    const AcDbObjectId id = add(db(), new AcDbSolid(corner(0), corner(1), corner(3), corner(2)));
    shape(id, {{q[0], q[1], q[2], q[3], q[0]}}, true);
  }

  static bool inside(const std::vector<QPointF>& convex, QPointF p) {
    int left = 0, right = 0;
    for (std::size_t i = 0; i + 1 < convex.size(); ++i) {
      const QPointF e = convex[i + 1] - convex[i], f = p - convex[i];
      (e.x() * f.y() - e.y() * f.x() > 0 ? left : right)++;
    }
    return left == 0 || right == 0;
  }
  // Distances from the origin to the segment ab: straight, and across or
  // down whichever is larger (the least pick box that meets it), the latter
  // by ternary search as it is convex along the segment.
  static double distance(QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    const double t = len2 > 0 ? std::clamp(-(a.x() * d.x() + a.y() * d.y()) / len2, 0.0, 1.0) : 0;
    return std::hypot(a.x() + t * d.x(), a.y() + t * d.y());
  }
  static double boxDistance(QPointF a, QPointF b) {
    auto at = [&](double t) {
      const QPointF p = a + (b - a) * t;
      return std::max(std::abs(p.x()), std::abs(p.y()));
    };
    double lo = 0, hi = 1;
    for (int i = 0; i < 60; ++i) {
      const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
      if (at(m1) < at(m2)) {
        hi = m2;
      } else {
        lo = m1;
      }
    }
    return at((lo + hi) / 2);
  }

  std::mt19937 m_rng;
  QTransform m_t;
  Working m_w;
  std::vector<Shape> m_shapes;
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
      ASSERT_EQ(zrgui::pickEntity(d.db(), at, v.half, v.toBox), want)
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
