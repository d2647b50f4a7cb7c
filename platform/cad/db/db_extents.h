// Axis-aligned extents of entities: the box that every point added lies in.
#pragma once

#include "cad/adsdef.h"
#include "cad/db/ge_geometry.h"

class AcDbExtents {
 public:
  // Empty extents: minPoint above maxPoint until a point is added.
  AcDbExtents();
  AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max);

  AcGePoint3d minPoint() const { return m_min; }
  AcGePoint3d maxPoint() const { return m_max; }
  Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
  void addPoint(const AcGePoint3d& p);
  void addExt(const AcDbExtents& e);
  // The extents of the eight corners of this box transformed by m.
  void transformBy(const AcGeMatrix3d& m);
  bool isEmpty() const { return m_min.x > m_max.x; }

 private:
  AcGePoint3d m_min;
  AcGePoint3d m_max;
};
