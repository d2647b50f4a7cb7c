// Points, solids, and entities and objects kept as read.
#include "cad/db/db_misc_entities.h"

#include <cmath>

#include "cad/db/dxf/dxf_fields.h"

using zrcad::dxf::ClassTable;

ZRCAD_DEFINE_MEMBERS(AcDbPoint, AcDbEntity, "POINT")
ZRCAD_DEFINE_MEMBERS(AcDbSolid, AcDbEntity, "SOLID")
ZRCAD_DEFINE_MEMBERS(AcDbRawEntity, AcDbEntity, "")
ZRCAD_DEFINE_MEMBERS(AcDbRawObject, AcDbObject, "")

Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return Acad::eInvalidInput;
  m_position = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  extents.addPoint(m_position);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::transformBy(const AcGeMatrix3d& xform) {
  m_position.transformBy(xform);
  return Acad::eOk;
}

const ClassTable& AcDbPoint::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"AcDbPoint",
                 {ZR_FIELD(AcDbPoint, 10, kPoint, m_position, ZR_REQUIRED),
                  ZR_FIELD(AcDbPoint, 39, kReal, m_thickness, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbPoint, 210, kVector, m_normal, ZR_OPTIONAL(1))}});
    return s;
  }());
  return table;
}

AcDbSolid::AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2,
                     const AcGePoint3d& p3)
    : m_points{p0, p1, p2, p3} {}

Acad::ErrorStatus AcDbSolid::getPointAt(int index, AcGePoint3d& p) const {
  if (index < 0 || index > 3) return Acad::eInvalidIndex;
  p = m_points[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::setPointAt(int index, const AcGePoint3d& p) {
  if (index < 0 || index > 3) return Acad::eInvalidIndex;
  m_points[index] = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  for (const AcGePoint3d& p : m_points) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::transformBy(const AcGeMatrix3d& xform) {
  for (AcGePoint3d& p : m_points) p.transformBy(xform);
  return Acad::eOk;
}

const ClassTable& AcDbSolid::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"AcDbTrace",
                 {ZR_FIELD(AcDbSolid, 39, kReal, m_thickness, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbSolid, 10, kPoint, m_points[0], ZR_REQUIRED),
                  ZR_FIELD(AcDbSolid, 11, kPoint, m_points[1], ZR_REQUIRED),
                  ZR_FIELD(AcDbSolid, 12, kPoint, m_points[2], ZR_REQUIRED),
                  ZR_FIELD(AcDbSolid, 13, kPoint, m_points[3], ZR_REQUIRED),
                  ZR_FIELD(AcDbSolid, 210, kVector, m_normal, ZR_OPTIONAL(1))}});
    return s;
  }());
  return table;
}

Acad::ErrorStatus AcDbRawEntity::getGeomExtents(AcDbExtents&) const {
  return Acad::eInvalidExtents;
}

Acad::ErrorStatus AcDbRawEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }
