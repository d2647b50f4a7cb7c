// Lines, circles, arcs, ellipses and splines: fields, extents and transforms.
#include "cad/db/db_curves.h"

#include <cmath>

#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/geom_util.h"

using zrcad::dxf::ClassTable;
using zrcad::dxf::entitySections;
using zrcad::dxf::SectionDef;

ZRCAD_DEFINE_MEMBERS(AcDbCurve, AcDbEntity, "")
ZRCAD_DEFINE_MEMBERS(AcDbLine, AcDbCurve, "LINE")
ZRCAD_DEFINE_MEMBERS(AcDbCircle, AcDbCurve, "CIRCLE")
ZRCAD_DEFINE_MEMBERS(AcDbArc, AcDbCircle, "ARC")
ZRCAD_DEFINE_MEMBERS(AcDbEllipse, AcDbCurve, "ELLIPSE")
ZRCAD_DEFINE_MEMBERS(AcDbSpline, AcDbCurve, "SPLINE")

namespace {

std::vector<SectionDef> withEntity(std::vector<SectionDef> own) {
  std::vector<SectionDef> all = entitySections();
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

bool finitePoint(const AcGePoint3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

// ---- AcDbLine

// The size of the pool's blocks the lines of a large drawing fill.
static_assert(sizeof(AcDbLine) <= 112, "a line with its extrusion held apart");

AcDbLine::AcDbLine(const AcDbLine& other)
    : AcDbCurve(other),
      m_start(other.m_start),
      m_end(other.m_end),
      m_extrusion(other.m_extrusion ? std::make_unique<Extrusion>(*other.m_extrusion) : nullptr) {}

const AcDbLine::Extrusion& AcDbLine::extrusion() const {
  static const Extrusion kNone;
  return m_extrusion ? *m_extrusion : kNone;
}

AcDbLine::Extrusion& AcDbLine::extrusionToSet() {
  if (!m_extrusion) m_extrusion = std::make_unique<Extrusion>();
  return *m_extrusion;
}

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) {
  if (!finitePoint(p)) return Acad::eInvalidInput;
  m_start = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) {
  if (!finitePoint(p)) return Acad::eInvalidInput;
  m_end = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  extents.addPoint(m_start);
  extents.addPoint(m_end);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& xform) {
  m_start.transformBy(xform);
  m_end.transformBy(xform);
  return Acad::eOk;
}

const ClassTable& AcDbLine::dxfTable() const {
  static const ClassTable table(
      withEntity({{"AcDbLine",
                   {ZR_FIELD_APART(AcDbLine, 39, kReal, o->extrusionToSet().thickness,
                                   o->extrusion().thickness, ZR_OPTIONAL(0)),
                    ZR_FIELD(AcDbLine, 10, kPoint, m_start, ZR_REQUIRED),
                    ZR_FIELD(AcDbLine, 11, kPoint, m_end, ZR_REQUIRED),
                    ZR_FIELD_APART(AcDbLine, 210, kVector, o->extrusionToSet().normal,
                                   o->extrusion().normal, ZR_OPTIONAL(1))}}}));
  return table;
}

// ---- AcDbCircle

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& p) {
  if (!finitePoint(p)) return Acad::eInvalidInput;
  m_center = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::setRadius(double r) {
  if (!(r > 0) || !std::isfinite(r)) return Acad::eInvalidInput;
  m_radius = r;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getGeomExtents(AcDbExtents& extents) const {
  AcGeVector3d ax, ay;
  zrcad::ocsAxes(m_normal, ax, ay);
  extents = AcDbExtents();
  zrcad::addEllipticArc(extents, zrcad::ocsToWcs(m_center, m_normal), ax * m_radius, ay * m_radius,
                        0, zrcad::kTwoPi);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& xform) {
  if (!xform.isUniScaledOrtho()) return Acad::eInvalidInput;
  m_center.transformBy(xform);
  m_radius *= xform.scale();
  if (xform.det() < 0 && m_normal.isEqualTo(AcGeVector3d::kZAxis)) return Acad::eOk;
  m_normal = (xform * m_normal).normal();
  return Acad::eOk;
}

const ClassTable& AcDbCircle::dxfTable() const {
  static const ClassTable table(
      withEntity({{"AcDbCircle",
                   {ZR_FIELD(AcDbCircle, 39, kReal, m_thickness, ZR_OPTIONAL(0)),
                    ZR_FIELD(AcDbCircle, 10, kPoint, m_center, ZR_REQUIRED),
                    ZR_FIELD(AcDbCircle, 40, kReal, m_radius, ZR_REQUIRED),
                    ZR_FIELD(AcDbCircle, 210, kVector, m_normal, ZR_OPTIONAL(1))}}}));
  return table;
}

// ---- AcDbArc

Acad::ErrorStatus AcDbArc::setStartAngle(double a) {
  if (!std::isfinite(a)) return Acad::eInvalidInput;
  m_startAngle = a;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setEndAngle(double a) {
  if (!std::isfinite(a)) return Acad::eInvalidInput;
  m_endAngle = a;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getGeomExtents(AcDbExtents& extents) const {
  AcGeVector3d ax, ay;
  zrcad::ocsAxes(m_normal, ax, ay);
  extents = AcDbExtents();
  double end = m_endAngle;
  if (zrcad::normalizeAngle(end - m_startAngle) == 0) end = m_startAngle + zrcad::kTwoPi;
  zrcad::addEllipticArc(extents, zrcad::ocsToWcs(m_center, m_normal), ax * m_radius, ay * m_radius,
                        m_startAngle, end);
  return Acad::eOk;
}

// Angles follow the transformed end points, so rotations and mirrors both come out right.
Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& xform) {
  if (!xform.isUniScaledOrtho()) return Acad::eInvalidInput;
  AcGePoint3d s = m_center + AcGeVector3d(std::cos(m_startAngle), std::sin(m_startAngle), 0);
  AcGePoint3d e = m_center + AcGeVector3d(std::cos(m_endAngle), std::sin(m_endAngle), 0);
  m_center.transformBy(xform);
  s.transformBy(xform);
  e.transformBy(xform);
  m_radius *= xform.scale();
  double a1 = std::atan2(s.y - m_center.y, s.x - m_center.x);
  double a2 = std::atan2(e.y - m_center.y, e.x - m_center.x);
  if (xform.det() < 0) std::swap(a1, a2);
  m_startAngle = zrcad::normalizeAngle(a1);
  m_endAngle = zrcad::normalizeAngle(a2);
  return Acad::eOk;
}

const ClassTable& AcDbArc::dxfTable() const {
  static const ClassTable table(
      withEntity({{"AcDbCircle",
                   {ZR_FIELD(AcDbArc, 39, kReal, m_thickness, ZR_OPTIONAL(0)),
                    ZR_FIELD(AcDbArc, 10, kPoint, m_center, ZR_REQUIRED),
                    ZR_FIELD(AcDbArc, 40, kReal, m_radius, ZR_REQUIRED),
                    ZR_FIELD(AcDbArc, 210, kVector, m_normal, ZR_OPTIONAL(1))}},
                  {"AcDbArc",
                   {ZR_FIELD(AcDbArc, 50, kAngle, m_startAngle, ZR_REQUIRED),
                    ZR_FIELD(AcDbArc, 51, kAngle, m_endAngle, ZR_REQUIRED)}}}));
  return table;
}

// ---- AcDbEllipse

AcDbEllipse::AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                         const AcGeVector3d& majorAxis, double radiusRatio, double startAngle,
                         double endAngle)
    : m_center(center),
      m_majorAxis(majorAxis),
      m_normal(unitNormal),
      m_ratio(radiusRatio),
      m_startParam(startAngle),
      m_endParam(endAngle) {}

Acad::ErrorStatus AcDbEllipse::getGeomExtents(AcDbExtents& extents) const {
  AcGeVector3d minor = m_normal.normal().crossProduct(m_majorAxis) * m_ratio;
  extents = AcDbExtents();
  double end = m_endParam;
  if (zrcad::normalizeAngle(end - m_startParam) == 0) end = m_startParam + zrcad::kTwoPi;
  zrcad::addEllipticArc(extents, m_center, m_majorAxis, minor, m_startParam, end);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::transformBy(const AcGeMatrix3d& xform) {
  if (!xform.isUniScaledOrtho()) return Acad::eInvalidInput;
  m_center.transformBy(xform);
  m_majorAxis.transformBy(xform);
  m_normal = (xform * m_normal).normal();
  return Acad::eOk;
}

const ClassTable& AcDbEllipse::dxfTable() const {
  static const ClassTable table(
      withEntity({{"AcDbEllipse",
                   {ZR_FIELD(AcDbEllipse, 10, kPoint, m_center, ZR_REQUIRED),
                    ZR_FIELD(AcDbEllipse, 11, kVector, m_majorAxis, ZR_REQUIRED),
                    ZR_FIELD(AcDbEllipse, 210, kVector, m_normal, ZR_REQUIRED),
                    ZR_FIELD(AcDbEllipse, 40, kReal, m_ratio, ZR_REQUIRED),
                    ZR_FIELD(AcDbEllipse, 41, kReal, m_startParam, ZR_REQUIRED),
                    ZR_FIELD(AcDbEllipse, 42, kReal, m_endParam, ZR_REQUIRED)}}}));
  return table;
}

// ---- AcDbSpline

AcDbSpline::AcDbSpline(const AcGePoint3dArray& fitPoints, int order, double) {
  m_degree = static_cast<short>(order > 1 ? order - 1 : 3);
  for (const AcGePoint3d& p : fitPoints) m_fit.push_back(p);
}

Acad::ErrorStatus AcDbSpline::getControlPointAt(int index, AcGePoint3d& point) const {
  if (index < 0 || index >= numControlPoints()) return Acad::eInvalidIndex;
  point = m_control[static_cast<size_t>(index)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getFitPointAt(int index, AcGePoint3d& point) const {
  if (index < 0 || index >= numFitPoints()) return Acad::eInvalidIndex;
  point = m_fit[static_cast<size_t>(index)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getGeomExtents(AcDbExtents& extents) const {
  const auto& pts = m_control.empty() ? m_fit : m_control;
  if (pts.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  for (const AcGePoint3d& p : pts) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::transformBy(const AcGeMatrix3d& xform) {
  for (AcGePoint3d& p : m_control) p.transformBy(xform);
  for (AcGePoint3d& p : m_fit) p.transformBy(xform);
  m_normal = (xform * m_normal).normal();
  return Acad::eOk;
}

const ClassTable& AcDbSpline::dxfTable() const {
  static const ClassTable table(
      withEntity({{"AcDbSpline",
                   {ZR_FIELD(AcDbSpline, 210, kVector, m_normal, ZR_OPTIONAL(1)),
                    ZR_FIELD(AcDbSpline, 70, kShort, m_flags, ZR_REQUIRED),
                    ZR_FIELD(AcDbSpline, 71, kShort, m_degree, ZR_REQUIRED)}}}));
  return table;
}

// Knots (40), weights (41), control points (10) and fit points (11) repeat; the counts
// (72, 73, 74) are taken from the lists when writing.
bool AcDbSpline::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                               int section) {
  switch (tag.code) {
    case 72:
    case 73:
    case 74:
      ctx.integer(tag);
      return true;
    case 40:
      m_knots.push_back(ctx.real(tag));
      return true;
    case 41:
      m_weights.push_back(ctx.real(tag));
      return true;
    case 10:
    case 11:
      (tag.code == 10 ? m_control : m_fit).push_back(AcGePoint3d(ctx.real(tag), 0, 0));
      return true;
    case 20:
    case 30:
    case 21:
    case 31: {
      auto& pts = (tag.code % 10 == 0) ? m_control : m_fit;
      if (pts.empty()) return false;
      (tag.code < 30 ? pts.back().y : pts.back().z) = ctx.real(tag);
      return true;
    }
    default:
      return AcDbCurve::readDxfCustom(ctx, tag, section);
  }
}

void AcDbSpline::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbCurve::writeDxfCustom(ctx, section);
  if (section != kEntitySection + 1) return;
  auto& w = ctx.out;
  w.integer(72, static_cast<long long>(m_knots.size()));
  w.integer(73, static_cast<long long>(m_control.size()));
  w.integer(74, static_cast<long long>(m_fit.size()));
  for (double k : m_knots) w.real(40, k);
  for (double wt : m_weights) w.real(41, wt);
  for (const AcGePoint3d& p : m_control) w.point(10, p);
  for (const AcGePoint3d& p : m_fit) w.point(11, p);
}
