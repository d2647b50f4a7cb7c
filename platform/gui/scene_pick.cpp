// Picking an entity by what is drawn of it: each model-space entity is built
// into a scene of its own, as the canvas paints it, and measured against the
// pick box.
#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/scene_builder.h"

namespace zrgui::detail {

namespace {

constexpr double kOutside = std::numeric_limits<double>::infinity();

// The nearest distance from a point to what of a scene meets the square of
// half-side half around it; kOutside when nothing does. Everything is mapped
// by toBox first.
class Probe {
 public:
  Probe(QPointF at, double half, const QTransform& toBox) : m_at(at), m_half(half), m_t(toBox) {}

  double distance(const Scene& scene) {
    m_best = kOutside;
    for (const SceneBatch& b : scene.batches) {
      for (const QLineF& s : b.segments) segment(m_t.map(s.p1()), m_t.map(s.p2()));
      for (const QPointF& p : b.points) point(m_t.map(p));
      for (const QPolygonF& f : b.fills) area(m_t.map(f));
      for (const SceneText& t : b.texts) area(m_t.map(textBox(t)));
    }
    return m_best;
  }

 private:
  // Whether the segment ab meets the box (Liang-Barsky clipping).
  bool meetsBox(QPointF a, QPointF b) const {
    double t0 = 0, t1 = 1;
    const QPointF d = b - a;
    // Keeps the part of the segment where q * t <= r.
    auto clip = [&](double q, double r) {
      if (q == 0) return r >= 0;
      const double t = r / q;
      if (q < 0) {
        if (t > t1) return false;
        t0 = std::max(t0, t);
      } else {
        if (t < t0) return false;
        t1 = std::min(t1, t);
      }
      return true;
    };
    return clip(-d.x(), a.x() - (m_at.x() - m_half)) && clip(d.x(), m_at.x() + m_half - a.x()) &&
           clip(-d.y(), a.y() - (m_at.y() - m_half)) && clip(d.y(), m_at.y() + m_half - a.y());
  }

  void segment(QPointF a, QPointF b) {
    if (!meetsBox(a, b)) return;
    const QPointF d = b - a;
    const double len2 = QPointF::dotProduct(d, d);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(m_at - a, d) / len2, 0.0, 1.0) : 0.0;
    const QPointF near = a + d * t - m_at;
    m_best = std::min(m_best, std::hypot(near.x(), near.y()));
  }

  void point(QPointF p) { segment(p, p); }

  void area(const QPolygonF& poly) {
    if (poly.containsPoint(m_at, Qt::OddEvenFill)) {
      m_best = 0;
      return;
    }
    for (qsizetype i = 0; i < poly.size(); ++i) segment(poly[i], poly[(i + 1) % poly.size()]);
  }

  // A text's box in world coordinates, a character taken as about a height
  // wide as the scene's bounds take it.
  static QPolygonF textBox(const SceneText& t) {
    QPointF d(std::cos(t.rotation), std::sin(t.rotation));
    double len = t.height * t.widthFactor * static_cast<double>(t.text.size());
    if (t.fitted) {
      const QPointF run = t.fitEnd - t.anchor;
      len = std::hypot(run.x(), run.y());
      if (len > 0) d = run / len;
    }
    const QPointF u(-d.y(), d.x());
    const double left =
        t.hAlign == SceneText::Left ? 0 : (t.hAlign == SceneText::Center ? -len / 2 : -len);
    double bottom = 0;
    if (t.vAlign == SceneText::Middle) bottom = -t.height / 2;
    if (t.vAlign == SceneText::Top) bottom = -t.height;
    const QPointF base = t.anchor + d * left + u * bottom;
    return QPolygonF({base, base + d * len, base + d * len + u * t.height, base + u * t.height});
  }

  QPointF m_at;
  double m_half;
  const QTransform& m_t;
  double m_best = kOutside;
};

}  // namespace

AcDbObjectId SceneBuilder::pick(QPointF at, double half, const QTransform& toBox) {
  if (!m_db) return {};
  readLayers();
  const auto* space = AcDbBlockTableRecord::cast(objectOf(m_db->modelSpaceId()));
  if (!space) return {};
  Probe probe(at, half, toBox);
  const Context top;
  AcDbObjectId best;
  double bestDistance = kOutside;
  for (AcDbObjectId id : space->allEntityIds()) {
    const auto* e = AcDbEntity::cast(objectOf(id));
    if (!e) continue;
    m_scene = Scene();
    m_batch = 0;
    m_batchOfAci = filledWith(-1);
    addEntity(e, top);
    const double d = probe.distance(m_scene);
    if (std::isfinite(d) && d <= bestDistance) {
      best = id;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace zrgui::detail

namespace zrgui {

AcDbObjectId pickEntity(const AcDbDatabase* db, QPointF at, double half, const QTransform& toBox) {
  return detail::SceneBuilder(db, 0).pick(at, half, toBox);
}

}  // namespace zrgui
