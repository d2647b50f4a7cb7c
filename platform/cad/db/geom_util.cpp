// Object coordinate systems and extents of arcs.
#include "cad/db/geom_util.h"

#include <cmath>
#include <initializer_list>

namespace zrcad {

void ocsAxes(const AcGeVector3d& normal, AcGeVector3d& ax, AcGeVector3d& ay) {
  AcGeVector3d n = normal.normal();
  if (n.isZeroLength()) n = AcGeVector3d::kZAxis;
  constexpr double kLimit = 1.0 / 64.0;
  if (std::fabs(n.x) < kLimit && std::fabs(n.y) < kLimit)
    ax = AcGeVector3d::kYAxis.crossProduct(n).normal();
  else
    ax = AcGeVector3d::kZAxis.crossProduct(n).normal();
  ay = n.crossProduct(ax).normal();
}

AcGePoint3d ocsToWcs(const AcGePoint3d& p, const AcGeVector3d& normal) {
  if (normal.x == 0 && normal.y == 0 && normal.z > 0) return p;
  AcGeVector3d ax, ay;
  ocsAxes(normal, ax, ay);
  AcGeVector3d n = normal.normal();
  AcGeVector3d w = ax * p.x + ay * p.y + n * p.z;
  return {w.x, w.y, w.z};
}

double normalizeAngle(double a) {
  if (!std::isfinite(a)) return 0;
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

void addEllipticArc(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& u,
                    const AcGeVector3d& v, double t0, double t1) {
  auto at = [&](double t) { return c + u * std::cos(t) + v * std::sin(t); };
  double start = normalizeAngle(t0);
  double sweep = normalizeAngle(t1 - t0);
  if (sweep == 0 && t1 != t0) sweep = kTwoPi;  // a full turn given as 0..2pi
  ext.addPoint(at(start));
  ext.addPoint(at(start + sweep));
  const double uc[3] = {u.x, u.y, u.z}, vc[3] = {v.x, v.y, v.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (uc[axis] == 0 && vc[axis] == 0) continue;
    double base = std::atan2(vc[axis], uc[axis]);
    for (double t : {base, base + kTwoPi / 2}) {
      if (normalizeAngle(t - start) <= sweep) ext.addPoint(at(t));
    }
  }
}

void addBulgeSegment(AcDbExtents& ext, const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge,
                     const AcGeVector3d& normal) {
  ext.addPoint(ocsToWcs(p1, normal));
  ext.addPoint(ocsToWcs(p2, normal));
  double chord = std::hypot(p2.x - p1.x, p2.y - p1.y);
  if (bulge == 0 || chord == 0 || !std::isfinite(bulge)) return;
  double theta = 4 * std::atan(bulge);  // included angle, negative clockwise
  double r = chord / (2 * std::sin(std::fabs(theta) / 2));
  double mx = (p1.x + p2.x) / 2, my = (p1.y + p2.y) / 2;
  double d = r * std::cos(std::fabs(theta) / 2);  // centre distance from the chord middle
  double nx = -(p2.y - p1.y) / chord, ny = (p2.x - p1.x) / chord;  // left normal of chord
  double side = bulge > 0 ? 1 : -1;
  AcGePoint3d c(mx + side * nx * d, my + side * ny * d, p1.z);
  double a1 = std::atan2(p1.y - c.y, p1.x - c.x), a2 = std::atan2(p2.y - c.y, p2.x - c.x);
  if (bulge < 0) std::swap(a1, a2);
  AcDbExtents local;
  addEllipticArc(local, c, AcGeVector3d(r, 0, 0), AcGeVector3d(0, r, 0), a1, a2);
  AcGePoint3d lo = local.minPoint(), hi = local.maxPoint();
  for (int i = 0; i < 4; ++i)
    ext.addPoint(ocsToWcs(AcGePoint3d((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, p1.z), normal));
}

double rotationOf(const AcGeMatrix3d& xform) {
  AcGeVector3d x = xform * AcGeVector3d::kXAxis;
  return std::atan2(x.y, x.x);
}

}  // namespace zrcad
