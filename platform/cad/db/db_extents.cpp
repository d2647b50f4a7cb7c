// Axis-aligned extents.
#include "cad/db/db_extents.h"

#include <algorithm>

AcDbExtents::AcDbExtents() : m_min(1e20, 1e20, 1e20), m_max(-1e20, -1e20, -1e20) {}

AcDbExtents::AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : AcDbExtents() {
  set(min, max);
}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
  if (min.x > max.x || min.y > max.y || min.z > max.z) return Acad::eInvalidExtents;
  m_min = min;
  m_max = max;
  return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  for (int i = 0; i < 3; ++i) {
    m_min[i] = std::min(m_min[i], p[i]);
    m_max[i] = std::max(m_max[i], p[i]);
  }
}

void AcDbExtents::addExt(const AcDbExtents& e) {
  if (e.isEmpty()) return;
  addPoint(e.m_min);
  addPoint(e.m_max);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
  if (isEmpty()) return;
  AcDbExtents out;
  for (int i = 0; i < 8; ++i) {
    AcGePoint3d corner((i & 1) ? m_max.x : m_min.x, (i & 2) ? m_max.y : m_min.y,
                       (i & 4) ? m_max.z : m_min.z);
    out.addPoint(m * corner);
  }
  *this = out;
}
