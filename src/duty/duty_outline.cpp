// View blocks flattened into polylines for the data sheet.
#include "duty/duty_outline.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "cad/db/geom_util.h"
#include "drawings/fan_placement.h"
#include "drawings/view_drawing_cache.h"

namespace duty {

namespace {

// Chords per full turn: a circle drawn 150 points across strays by 0.1 point.
constexpr int kChordsPerTurn = 72;
// References nested deeper than this are not followed (a drawing whose blocks
// contain themselves is refused on reading; this is the guard for the rest).
constexpr int kMaxDepth = 16;
using zrcad::kTwoPi;
using zrcad::ocsAxes;

// The sweep from start to end counter-clockwise; equal ends are a full turn.
double sweepOf(double start, double end) {
  const double sweep = zrcad::normalizeAngle(end - start);
  return sweep <= 0 ? kTwoPi : sweep;
}

class Flattener {
 public:
  explicit Flattener(ViewOutline& out) : m_out(out) {}

  void block(AcDbObjectId id, const AcGeMatrix3d& xform, int depth) {
    if (depth > kMaxDepth) return;
    AcDbObjectPointer<AcDbBlockTableRecord> record(id, AcDb::kForRead);
    if (!record) return;
    for (AcDbObjectId entityId : record->entityIds()) {
      AcDbObjectPointer<AcDbEntity> e(entityId, AcDb::kForRead);
      if (e) entity(e.object(), xform, depth);
    }
  }

 private:
  void entity(const AcDbEntity* e, const AcGeMatrix3d& xform, int depth) {
    const std::size_t before = m_out.strokes.size();
    if (const auto* ref = AcDbBlockReference::cast(e)) {
      block(ref->blockTableRecord(), xform * ref->blockTransform(), depth + 1);
      return;
    }
    if (const auto* line = AcDbLine::cast(e)) {
      m_stroke = {};
      add(line->startPoint());
      add(line->endPoint());
      finish();
    } else if (const auto* arc = AcDbArc::cast(e)) {
      circular(arc->center(), arc->radius(), arc->normal(), arc->startAngle(),
               sweepOf(arc->startAngle(), arc->endAngle()));
    } else if (const auto* circle = AcDbCircle::cast(e)) {
      circular(circle->center(), circle->radius(), circle->normal(), 0, kTwoPi);
    } else if (const auto* ellipse = AcDbEllipse::cast(e)) {
      const AcGeVector3d major = ellipse->majorAxis();
      const AcGeVector3d minor =
          ellipse->normal().normal().crossProduct(major) * ellipse->radiusRatio();
      curve(ellipse->center(), major, minor, ellipse->startAngle(),
            sweepOf(ellipse->startAngle(), ellipse->endAngle()));
    } else if (const auto* pline = AcDbPolyline::cast(e)) {
      std::vector<AcGePoint3d> points;
      std::vector<double> bulges;
      for (unsigned i = 0; i < pline->numVerts(); ++i) {
        AcGePoint2d p;
        double b = 0;
        pline->getPointAt(i, p);
        pline->getBulgeAt(i, b);
        points.emplace_back(p.x, p.y, pline->elevation());
        bulges.push_back(b);
      }
      polyline(points, bulges, pline->isClosed(), AcGeVector3d(0, 0, 1));
    } else if (const auto* heavy = AcDbHeavyPolyline::cast(e)) {
      std::vector<AcGePoint3d> points;
      std::vector<double> bulges;
      for (int i = 0; i < heavy->numVerts(); ++i) {
        AcGePoint3d p;
        heavy->getVertexAt(i, p);
        points.push_back(p);
        bulges.push_back(heavy->bulgeAt(i));
      }
      polyline(points, bulges, heavy->isClosed(), AcGeVector3d(0, 0, 1));
    } else if (const auto* spline = AcDbSpline::cast(e)) {
      const bool fit = spline->numFitPoints() > 1;
      m_stroke = {};
      for (int i = 0; i < (fit ? spline->numFitPoints() : spline->numControlPoints()); ++i) {
        AcGePoint3d p;
        (fit ? spline->getFitPointAt(i, p) : spline->getControlPointAt(i, p));
        add(p);
      }
      finish();
    } else {
      return;  // texts, attribute definitions, hatches, ...
    }
    for (std::size_t i = before; i < m_out.strokes.size(); ++i) {
      for (OutlinePoint& p : m_out.strokes[i]) {
        AcGePoint3d w(p.x, p.y, 0);
        w.transformBy(xform);
        p = {w.x, w.y};
      }
    }
    // The extents: the curve's own where it is drawn as it is (exact for
    // arcs whose extremes fall between chords), else the chords'.
    AcDbExtents box;
    if (depth == 0 && e->getGeomExtents(box) == Acad::eOk && !box.isEmpty()) {
      include({box.minPoint().x, box.minPoint().y});
      include({box.maxPoint().x, box.maxPoint().y});
    } else {
      for (std::size_t i = before; i < m_out.strokes.size(); ++i) {
        for (const OutlinePoint& p : m_out.strokes[i]) include(p);
      }
    }
  }

  void include(const OutlinePoint& p) {
    if (!m_any) {
      m_out.low = m_out.high = p;
      m_any = true;
      return;
    }
    m_out.low = {std::min(m_out.low.x, p.x), std::min(m_out.low.y, p.y)};
    m_out.high = {std::max(m_out.high.x, p.x), std::max(m_out.high.y, p.y)};
  }

  void add(const AcGePoint3d& p) { m_stroke.push_back({p.x, p.y}); }
  void finish() {
    if (m_stroke.size() > 1) m_out.strokes.push_back(std::move(m_stroke));
    m_stroke = {};
  }

  // centre + u cos t + v sin t, t from start through sweep.
  void curve(const AcGePoint3d& centre, const AcGeVector3d& u, const AcGeVector3d& v, double start,
             double sweep) {
    m_stroke = {};
    const int n = std::max(2, static_cast<int>(std::ceil(sweep / kTwoPi * kChordsPerTurn)));
    for (int i = 0; i <= n; ++i) {
      const double t = start + sweep * i / n;
      add(centre + u * std::cos(t) + v * std::sin(t));
    }
    finish();
  }

  void circular(const AcGePoint3d& ocsCentre, double r, const AcGeVector3d& normal, double start,
                double sweep) {
    AcGeVector3d ax, ay;
    ocsAxes(normal, ax, ay);
    const AcGePoint3d centre =
        AcGePoint3d(0, 0, 0) + ax * ocsCentre.x + ay * ocsCentre.y + normal.normal() * ocsCentre.z;
    curve(centre, ax * r, ay * r, start, sweep);
  }

  // Vertices in the OCS of normal; a bulge is tan(sweep / 4) of the arc to the next vertex.
  void polyline(const std::vector<AcGePoint3d>& points, const std::vector<double>& bulges,
                bool closed, const AcGeVector3d& normal) {
    AcGeVector3d ax, ay;
    ocsAxes(normal, ax, ay);
    const AcGeVector3d n = normal.normal();
    const auto world = [&](double x, double y, double z) {
      return AcGePoint3d(0, 0, 0) + ax * x + ay * y + n * z;
    };
    m_stroke = {};
    const std::size_t count = points.size();
    if (count == 0) return;
    add(world(points[0].x, points[0].y, points[0].z));
    for (std::size_t i = 0; i + 1 < count + (closed ? 1 : 0); ++i) {
      const AcGePoint3d& a = points[i];
      const AcGePoint3d& b = points[(i + 1) % count];
      const double bulge = bulges[i];
      if (std::fabs(bulge) > 1e-12) {
        const double sweep = 4 * std::atan(bulge);
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double chord = std::hypot(dx, dy);
        if (chord > 0) {
          // The centre lies off the chord's middle by (chord/2)·cot(sweep/2), to the left
          // for a counter-clockwise (positive) bulge.
          const double off = chord / 2 / std::tan(sweep / 2);
          const double cx = (a.x + b.x) / 2 - dy / chord * off;
          const double cy = (a.y + b.y) / 2 + dx / chord * off;
          const double r = std::hypot(a.x - cx, a.y - cy);
          const double start = std::atan2(a.y - cy, a.x - cx);
          const int steps =
              std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / kTwoPi * kChordsPerTurn)));
          for (int k = 1; k < steps; ++k) {
            const double t = start + sweep * k / steps;
            add(world(cx + r * std::cos(t), cy + r * std::sin(t), a.z));
          }
        }
      }
      add(world(b.x, b.y, b.z));
    }
    finish();
  }

  ViewOutline& m_out;
  std::vector<OutlinePoint> m_stroke;
  bool m_any = false;
};

}  // namespace

ViewOutline blockOutline(AcDbObjectId blockId) {
  ViewOutline out;
  {
    AcDbObjectPointer<AcDbBlockTableRecord> record(blockId, AcDb::kForRead);
    if (!record) {
      out.problem = L"无法打开视图块";
      return out;
    }
    out.block = record->name().c_str();
  }
  Flattener(out).block(blockId, AcGeMatrix3d(), 0);
  if (out.strokes.empty()) out.problem = L"视图块 " + out.block + L" 中没有可画的图线";
  return out;
}

ViewOutline libraryOutline(FanView fan) {
  ViewOutline out;
  CViewDrawingCache drawings;
  AcDbDatabase* db = drawings.Get(fan.DwgPath(), _SH_DENYNO);
  if (db == nullptr) {
    out.problem = L"图库中没有此型号的视图图纸 " + ViewDrawingFileName(fan.BaseName());
    return out;
  }
  if (fan.strAngle.IsEmpty()) {
    const std::vector<CString> angles = OfferedAngles(db, HandLetter(fan.strHand));
    if (!angles.empty()) fan.strAngle = angles.front();
  }
  const CString name = fan.ViewBlock();
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (!name.IsEmpty() && db->getBlockTable(table, AcDb::kForRead) == Acad::eOk) {
    AcDbBlockTableRecord* record = nullptr;
    if (table->getAt(name, record, AcDb::kForRead) == Acad::eOk) {
      id = record->objectId();
      record->close();
    }
    table->close();
  }
  if (id.isNull()) {
    out.problem = L"视图图纸 " + ViewDrawingFileName(fan.BaseName()) + L" 中没有视图块 " +
                  (name.IsEmpty() ? CString(L"(无)") : name);
    return out;
  }
  return blockOutline(id);
}

}  // namespace duty
