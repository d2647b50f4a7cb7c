// Lightweight polylines and POLYLINE records with their vertices.
#include <cmath>

#include "cad/db/database_impl.h"
#include "cad/db/db_curves.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/geom_util.h"

using zrcad::dxf::ClassTable;

ZRCAD_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve, "LWPOLYLINE")
ZRCAD_DEFINE_MEMBERS(AcDbHeavyPolyline, AcDbCurve, "POLYLINE")
ZRCAD_DEFINE_MEMBERS(AcDb2dPolyline, AcDbHeavyPolyline, "POLYLINE")
ZRCAD_DEFINE_MEMBERS(AcDb3dPolyline, AcDbHeavyPolyline, "POLYLINE")

// ---- AcDbPolyline

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                            double startWidth, double endWidth) {
  if (index > m_verts.size()) return Acad::eInvalidIndex;
  if (!std::isfinite(pt.x) || !std::isfinite(pt.y) || !std::isfinite(bulge))
    return Acad::eInvalidInput;
  Vertex v;
  v.point = pt;
  v.bulge = bulge;
  v.startWidth = startWidth < 0 ? 0 : startWidth;
  v.endWidth = endWidth < 0 ? 0 : endWidth;
  m_verts.insert(m_verts.begin() + index, v);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  m_verts.erase(m_verts.begin() + index);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& pt) const {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  pt = m_verts[index].point;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& pt) const {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  pt = zrcad::ocsToWcs(AcGePoint3d(m_verts[index].point.x, m_verts[index].point.y, m_elevation),
                       m_normal);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  bulge = m_verts[index].bulge;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& pt) {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  m_verts[index].point = pt;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
  if (index >= m_verts.size()) return Acad::eInvalidIndex;
  m_verts[index].bulge = bulge;
  return Acad::eOk;
}

void AcDbPolyline::setClosed(bool closed) {
  m_flags = static_cast<short>(closed ? (m_flags | 1) : (m_flags & ~1));
}

Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& extents) const {
  if (m_verts.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  size_t n = m_verts.size();
  for (size_t i = 0; i < n; ++i) {
    bool last = i + 1 == n;
    if (last && !isClosed()) {
      extents.addPoint(zrcad::ocsToWcs(
          AcGePoint3d(m_verts[i].point.x, m_verts[i].point.y, m_elevation), m_normal));
      break;
    }
    const Vertex& a = m_verts[i];
    const Vertex& b = m_verts[last ? 0 : i + 1];
    zrcad::addBulgeSegment(extents, AcGePoint3d(a.point.x, a.point.y, m_elevation),
                           AcGePoint3d(b.point.x, b.point.y, m_elevation), a.bulge, m_normal);
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& xform) {
  for (Vertex& v : m_verts) {
    AcGePoint3d p = xform * AcGePoint3d(v.point.x, v.point.y, m_elevation);
    v.point = AcGePoint2d(p.x, p.y);
    if (xform.det() < 0) v.bulge = -v.bulge;
    v.startWidth *= xform.scale();
    v.endWidth *= xform.scale();
  }
  m_elevation = (xform * AcGePoint3d(0, 0, m_elevation)).z;
  m_constWidth *= xform.scale();
  return Acad::eOk;
}

const ClassTable& AcDbPolyline::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"AcDbPolyline", {}});
    return s;
  }());
  return table;
}

// Every group of LWPOLYLINE is handled here: the vertex groups repeat, and the header groups
// must come before them when written.
bool AcDbPolyline::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                                 int section) {
  switch (tag.code) {
    case 90:
      ctx.integer(tag);
      return true;
    case 70:
      m_flags = static_cast<short>(ctx.integer(tag));
      return true;
    case 43:
      m_constWidth = ctx.real(tag);
      return true;
    case 38:
      m_elevation = ctx.real(tag);
      return true;
    case 39:
      m_thickness = ctx.real(tag);
      return true;
    case 10:
      m_verts.push_back(Vertex{AcGePoint2d(ctx.real(tag), 0)});
      return true;
    case 210:
      m_normal.x = ctx.real(tag);
      return true;
    case 220:
      m_normal.y = ctx.real(tag);
      return true;
    case 230:
      m_normal.z = ctx.real(tag);
      return true;
    default:
      break;
  }
  if (!m_verts.empty()) {
    Vertex& v = m_verts.back();
    switch (tag.code) {
      case 20:
        v.point.y = ctx.real(tag);
        return true;
      case 40:
        v.startWidth = ctx.real(tag);
        return true;
      case 41:
        v.endWidth = ctx.real(tag);
        return true;
      case 42:
        v.bulge = ctx.real(tag);
        return true;
      case 91:
        v.id = static_cast<int>(ctx.integer(tag));
        return true;
      default:
        break;
    }
  }
  return AcDbCurve::readDxfCustom(ctx, tag, section);
}

void AcDbPolyline::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbCurve::writeDxfCustom(ctx, section);
  if (section != kEntitySection + 1) return;
  auto& w = ctx.out;
  w.integer(90, static_cast<long long>(m_verts.size()));
  w.integer(70, m_flags);
  if (m_constWidth != 0) w.real(43, m_constWidth);
  if (m_elevation != 0) w.real(38, m_elevation);
  if (m_thickness != 0) w.real(39, m_thickness);
  for (const Vertex& v : m_verts) {
    w.real(10, v.point.x);
    w.real(20, v.point.y);
    if (v.startWidth != 0 || v.endWidth != 0) {
      w.real(40, v.startWidth);
      w.real(41, v.endWidth);
    }
    if (v.bulge != 0) w.real(42, v.bulge);
    if (v.id != 0) w.integer(91, v.id);
  }
  if (!m_normal.isEqualTo(AcGeVector3d::kZAxis, 0)) w.point(210, m_normal);
}

// ---- AcDbHeavyPolyline

AcDbHeavyPolyline::AcDbHeavyPolyline(const AcDbHeavyPolyline& other)
    : AcDbCurve(other),
      m_verts(other.m_verts),
      m_flags(other.m_flags),
      m_elevation(other.m_elevation),
      m_startWidth(other.m_startWidth),
      m_endWidth(other.m_endWidth),
      m_normal(other.m_normal),
      m_seqend(other.m_seqend) {
  if (zrcad::exactCopying()) {
    m_seqendHandle = other.m_seqendHandle;
    return;
  }
  for (auto& v : m_verts) v.handle = AcDbHandle();  // a copy is a new object with new records
}

Acad::ErrorStatus AcDbHeavyPolyline::getVertexAt(int index, AcGePoint3d& point) const {
  if (index < 0 || index >= numVerts()) return Acad::eInvalidIndex;
  const AcGePoint3d& p = m_verts[static_cast<size_t>(index)].point;
  point = (m_flags & 8) ? p : zrcad::ocsToWcs(AcGePoint3d(p.x, p.y, m_elevation.z), m_normal);
  return Acad::eOk;
}

double AcDbHeavyPolyline::bulgeAt(int index) const {
  return index >= 0 && index < numVerts() ? m_verts[static_cast<size_t>(index)].bulge : 0.0;
}

void AcDbHeavyPolyline::dxfSetSeqend(AcDbHandle handle,
                                     std::shared_ptr<const zrcad::dxf::ObjectData> data) {
  m_seqendHandle = handle;
  m_seqend = std::move(data);
}

void AcDbHeavyPolyline::assignSubHandles(AcDbDatabase* db) {
  for (auto& v : m_verts)
    if (v.handle.isNull()) v.handle = db->impl().allocateHandle();
  if (m_seqendHandle.isNull()) m_seqendHandle = db->impl().allocateHandle();
}

void AcDbHeavyPolyline::onAddedToDatabase(AcDbDatabase* db) {
  AcDbCurve::onAddedToDatabase(db);
  assignSubHandles(db);
}

Acad::ErrorStatus AcDbHeavyPolyline::getGeomExtents(AcDbExtents& extents) const {
  if (m_verts.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  bool is3d = (m_flags & (8 | 16 | 64)) != 0;
  size_t n = m_verts.size();
  for (size_t i = 0; i < n; ++i) {
    const auto& a = m_verts[i];
    if (is3d) {
      if (!(a.flags & 128) || (a.flags & 64)) extents.addPoint(a.point);
      continue;
    }
    bool last = i + 1 == n;
    AcGePoint3d pa(a.point.x, a.point.y, m_elevation.z);
    if (last && !isClosed()) {
      extents.addPoint(zrcad::ocsToWcs(pa, m_normal));
      break;
    }
    const auto& b = m_verts[last ? 0 : i + 1];
    zrcad::addBulgeSegment(extents, pa, AcGePoint3d(b.point.x, b.point.y, m_elevation.z), a.bulge,
                           m_normal);
  }
  return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbHeavyPolyline::transformBy(const AcGeMatrix3d& xform) {
  bool is3d = (m_flags & (8 | 16 | 64)) != 0;
  for (auto& v : m_verts) {
    if (is3d) {
      v.point.transformBy(xform);
      continue;
    }
    AcGePoint3d p = xform * AcGePoint3d(v.point.x, v.point.y, m_elevation.z);
    v.point = AcGePoint3d(p.x, p.y, 0);
    if (xform.det() < 0) v.bulge = -v.bulge;
  }
  if (!is3d) m_elevation.z = (xform * AcGePoint3d(0, 0, m_elevation.z)).z;
  return Acad::eOk;
}

const ClassTable& AcDbHeavyPolyline::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"*",
                 {ZR_FIELD(AcDbHeavyPolyline, 10, kPoint, m_elevation, ZR_REQUIRED),
                  ZR_FIELD(AcDbHeavyPolyline, 70, kShort, m_flags, ZR_REQUIRED),
                  ZR_FIELD(AcDbHeavyPolyline, 40, kReal, m_startWidth, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbHeavyPolyline, 41, kReal, m_endWidth, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbHeavyPolyline, 210, kVector, m_normal, ZR_OPTIONAL(1))}});
    return s;
  }());
  return table;
}

const char* AcDbHeavyPolyline::dxfSubclassMarker(int) const {
  if (m_flags & 8) return "AcDb3dPolyline";
  if (m_flags & 16) return "AcDbPolygonMesh";
  if (m_flags & 64) return "AcDbPolyFaceMesh";
  return "AcDb2dPolyline";
}

// The "vertices follow" flag (66) is always set when written; it says nothing else.
bool AcDbHeavyPolyline::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                                      int section) {
  if (tag.code == 66) {
    ctx.integer(tag);
    return true;
  }
  return AcDbCurve::readDxfCustom(ctx, tag, section);
}

void AcDbHeavyPolyline::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbCurve::writeDxfCustom(ctx, section);
  if (section == kEntitySection + 1) ctx.out.integer(66, 1);
}

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices,
                               double elevation, bool closed, double defStartWidth,
                               double defEndWidth, const AcGeDoubleArray* bulges) {
  m_flags = static_cast<short>((closed ? 1 : 0) | (type != AcDb::k2dSimplePoly ? 4 : 0));
  m_elevation.z = elevation;
  m_startWidth = defStartWidth;
  m_endWidth = defEndWidth;
  for (int i = 0; i < vertices.length(); ++i) {
    zrcad::PolylineVertex v;
    v.point = AcGePoint3d(vertices[i].x, vertices[i].y, 0);
    v.bulge = bulges && i < bulges->length() ? (*bulges)[i] : 0.0;
    m_verts.push_back(v);
  }
}

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices,
                               bool closed) {
  m_flags = static_cast<short>(8 | (closed ? 1 : 0) | (type != AcDb::k3dSimplePoly ? 4 : 0));
  for (const AcGePoint3d& p : vertices) {
    zrcad::PolylineVertex v;
    v.point = p;
    v.flags = 32;
    m_verts.push_back(v);
  }
}
