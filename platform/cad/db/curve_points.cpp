// Flattening curves into chords.
#include "cad/db/curve_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "cad/db/geom_util.h"

namespace zrcad {

namespace {

// The chords of an arc of this sweep (radians, either sense).
int chords(double sweep) {
  return std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / kTwoPi * kChordsPerTurn)), 2,
                    kChordsPerTurn);
}

// The counter-clockwise sweep from start to end; equal ends are a full turn.
double positiveSweep(double start, double end) {
  double sweep = std::fmod(end - start, kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;
  return sweep;
}

// Points of the arc from a to b whose bulge (tangent of a quarter of the
// included angle; positive counter-clockwise) is given; a itself excluded.
void bulgePoints(const AcGePoint3d& a, const AcGePoint3d& b, double bulge,
                 std::vector<AcGePoint3d>& out) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double chord = std::hypot(dx, dy);
  if (std::abs(bulge) < 1e-9 || chord < 1e-12) {
    out.push_back(b);
    return;
  }
  const double angle = 4 * std::atan(bulge);
  // Signed distance from the chord's midpoint to the centre, to the left.
  const double offset = chord / 2 / std::tan(angle / 2);
  const double cx = (a.x + b.x) / 2 - dy / chord * offset;
  const double cy = (a.y + b.y) / 2 + dx / chord * offset;
  const double radius = std::hypot(a.x - cx, a.y - cy);
  const double start = std::atan2(a.y - cy, a.x - cx);
  const int n = chords(angle);
  for (int i = 1; i < n; ++i) {
    const double t = start + angle * i / n;
    out.emplace_back(cx + radius * std::cos(t), cy + radius * std::sin(t), a.z);
  }
  out.push_back(b);
}

// A clamped uniform B-spline of the given degree over the control points,
// evaluated by de Boor's algorithm at evenly spaced parameters.
void bspline(const std::vector<AcGePoint3d>& ctrl, int degree, std::vector<AcGePoint3d>& out) {
  const int n = static_cast<int>(ctrl.size());
  const int p = std::clamp(degree, 1, n - 1);
  std::vector<double> knots(static_cast<std::size_t>(n + p + 1));
  for (int i = 0; i < n + p + 1; ++i) {
    knots[static_cast<std::size_t>(i)] =
        i <= p ? 0.0 : (i >= n ? 1.0 : static_cast<double>(i - p) / (n - p));
  }
  const int samples = std::max(16, 8 * n);
  std::vector<AcGePoint3d> d;
  for (int s = 0; s <= samples; ++s) {
    const double u = std::min(static_cast<double>(s) / samples, 1.0 - 1e-12);
    int k = p;
    while (k < n - 1 && u >= knots[static_cast<std::size_t>(k + 1)]) ++k;
    d.assign(ctrl.begin() + (k - p), ctrl.begin() + (k + 1));
    for (int r = 1; r <= p; ++r) {
      for (int j = p; j >= r; --j) {
        const double lo = knots[static_cast<std::size_t>(j + k - p)];
        const double hi = knots[static_cast<std::size_t>(j + 1 + k - r)];
        const double a = hi > lo ? (u - lo) / (hi - lo) : 0;
        const auto& q = d[static_cast<std::size_t>(j - 1)];
        auto& t = d[static_cast<std::size_t>(j)];
        t = AcGePoint3d((1 - a) * q.x + a * t.x, (1 - a) * q.y + a * t.y, (1 - a) * q.z + a * t.z);
      }
    }
    out.push_back(d[static_cast<std::size_t>(p)]);
  }
}

void circlePoints(const AcDbCircle* circle, std::vector<AcGePoint3d>& out) {
  AcGeVector3d ax, ay;
  ocsAxes(circle->normal(), ax, ay);
  const AcGePoint3d centre = ocsToWcs(circle->center(), circle->normal());
  double start = 0, sweep = kTwoPi;
  if (const auto* arc = AcDbArc::cast(circle)) {
    start = arc->startAngle();
    sweep = positiveSweep(arc->startAngle(), arc->endAngle());
  }
  const double r = circle->radius();
  if (start == 0 && sweep == kTwoPi) {
    // Whole circles (most of a drawing's curves) take their angles' cosines
    // and sines from a table, computed as below.
    static const auto turn = [] {
      std::array<std::pair<double, double>, kChordsPerTurn + 1> table{};
      for (int i = 0; i <= kChordsPerTurn; ++i) {
        const double t = 0 + kTwoPi * i / kChordsPerTurn;
        table[static_cast<std::size_t>(i)] = {std::cos(t), std::sin(t)};
      }
      return table;
    }();
    for (const auto& [c, s] : turn) out.push_back(centre + ax * (r * c) + ay * (r * s));
    return;
  }
  const int n = chords(sweep);
  for (int i = 0; i <= n; ++i) {
    const double t = start + sweep * i / n;
    out.push_back(centre + ax * (r * std::cos(t)) + ay * (r * std::sin(t)));
  }
}

void ellipsePoints(const AcDbEllipse* ellipse, std::vector<AcGePoint3d>& out) {
  const AcGeVector3d major = ellipse->majorAxis();
  const AcGeVector3d minor =
      ellipse->normal().normal().crossProduct(major) * ellipse->radiusRatio();
  const double sweep = positiveSweep(ellipse->startAngle(), ellipse->endAngle());
  const int n = chords(sweep);
  for (int i = 0; i <= n; ++i) {
    const double t = ellipse->startAngle() + sweep * i / n;
    out.push_back(ellipse->center() + major * std::cos(t) + minor * std::sin(t));
  }
}

void splinePoints(const AcDbSpline* spline, std::vector<AcGePoint3d>& out) {
  std::vector<AcGePoint3d> ctrl(static_cast<std::size_t>(spline->numControlPoints()));
  for (int i = 0; i < spline->numControlPoints(); ++i) {
    spline->getControlPointAt(i, ctrl[static_cast<std::size_t>(i)]);
  }
  if (ctrl.size() >= 2) return bspline(ctrl, spline->degree(), out);
  for (int i = 0; i < spline->numFitPoints(); ++i) {
    AcGePoint3d p;
    if (spline->getFitPointAt(i, p) == Acad::eOk) out.push_back(p);
  }
}

void polylinePoints(const AcDbPolyline* pl, std::vector<AcGePoint3d>& out) {
  const bool closed = pl->isClosed();
  const unsigned n = pl->numVerts();
  for (unsigned i = 0; i < n; ++i) {
    AcGePoint2d p;
    pl->getPointAt(i, p);
    const AcGePoint3d here(p.x, p.y, pl->elevation());
    if (i == 0) out.push_back(here);
    if (i + 1 < n || closed) {
      AcGePoint2d q;
      pl->getPointAt((i + 1) % n, q);
      double bulge = 0;
      pl->getBulgeAt(i, bulge);
      bulgePoints(here, AcGePoint3d(q.x, q.y, pl->elevation()), bulge, out);
    }
  }
}

void heavyPolylinePoints(const AcDbHeavyPolyline* heavy, std::vector<AcGePoint3d>& out) {
  if (heavy->polylineFlags() & (16 | 64)) return;  // a mesh or a polyface mesh
  std::vector<const PolylineVertex*> verts;
  for (const auto& v : heavy->vertices()) {
    if (!(v.flags & 16)) verts.push_back(&v);
  }
  const bool is3d = (heavy->polylineFlags() & 8) != 0;
  const bool closed = heavy->isClosed();
  const std::size_t n = verts.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i == 0) out.push_back(verts[0]->point);
    if (i + 1 < n || (closed && n > 2)) {
      const AcGePoint3d& next = verts[(i + 1) % n]->point;
      bulgePoints(verts[i]->point, next, is3d ? 0.0 : verts[i]->bulge, out);
    }
  }
}

}  // namespace

bool curvePoints(const AcDbEntity* e, std::vector<AcGePoint3d>& out) {
  if (const auto* line = AcDbLine::cast(e)) {
    out.push_back(line->startPoint());
    out.push_back(line->endPoint());
  } else if (const auto* circle = AcDbCircle::cast(e)) {
    circlePoints(circle, out);
  } else if (const auto* ellipse = AcDbEllipse::cast(e)) {
    ellipsePoints(ellipse, out);
  } else if (const auto* spline = AcDbSpline::cast(e)) {
    splinePoints(spline, out);
  } else if (const auto* pl = AcDbPolyline::cast(e)) {
    polylinePoints(pl, out);
  } else if (const auto* heavy = AcDbHeavyPolyline::cast(e)) {
    heavyPolylinePoints(heavy, out);
  } else {
    return false;
  }
  return true;
}

}  // namespace zrcad
