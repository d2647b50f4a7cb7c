// Points, solids, and entities of other kinds that are kept as read.
#pragma once

#include <string>

#include "cad/db/db_entity.h"

class AcDbPoint : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbPoint)
 public:
  AcDbPoint() = default;
  explicit AcDbPoint(const AcGePoint3d& position) : m_position(position) {}
  AcGePoint3d position() const { return m_position; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbPoint(const AcDbPoint&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbPoint(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  AcGePoint3d m_position;
  double m_thickness = 0;
  AcGeVector3d m_normal{0, 0, 1};
};

// A filled triangle or quadrilateral; corners in the DXF order (third and fourth swapped
// against the outline order).
class AcDbSolid : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbSolid)
 public:
  AcDbSolid() = default;
  AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2,
            const AcGePoint3d& p3);
  Acad::ErrorStatus getPointAt(int index, AcGePoint3d& p) const;
  Acad::ErrorStatus setPointAt(int index, const AcGePoint3d& p);
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbSolid(const AcDbSolid&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbSolid(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  AcGePoint3d m_points[4];
  double m_thickness = 0;
  AcGeVector3d m_normal{0, 0, 1};
};

// An entity of a kind the runtime does not model (DIMENSION, HATCH, 3DFACE, ...): its layer
// and colour are known, everything else is kept as the tags read and written back unchanged.
// It has no extents and ignores transforms.
class AcDbRawEntity : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbRawEntity)
 public:
  explicit AcDbRawEntity(std::string dxfName) : m_dxfName(std::move(dxfName)) {}
  const char* dxfName() const override { return m_dxfName.c_str(); }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbRawEntity(const AcDbRawEntity&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbRawEntity(*this); }

 private:
  std::string m_dxfName;
};

// A non-graphical object of a kind the runtime does not model (dictionaries, layouts, table
// records of the tables not modeled): kept as read.
class AcDbRawObject : public AcDbObject {
  ZRCAD_DECLARE_MEMBERS(AcDbRawObject)
 public:
  explicit AcDbRawObject(std::string dxfName) : m_dxfName(std::move(dxfName)) {}
  const char* dxfName() const override { return m_dxfName.c_str(); }

 protected:
  AcDbRawObject(const AcDbRawObject&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbRawObject(*this); }

 private:
  std::string m_dxfName;
};
