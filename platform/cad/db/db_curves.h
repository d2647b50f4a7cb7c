// Curves: lines, circles, arcs, ellipses, splines and the three kinds of polyline.
#pragma once

#include <memory>
#include <vector>

#include "cad/db/db_entity.h"

using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGeDoubleArray = AcArray<double>;

namespace AcDb {
enum Poly2dType {
  k2dSimplePoly = 0,
  k2dFitCurvePoly = 1,
  k2dQuadSplinePoly = 2,
  k2dCubicSplinePoly = 3
};
enum Poly3dType { k3dSimplePoly = 0, k3dQuadSplinePoly = 1, k3dCubicSplinePoly = 2 };
}  // namespace AcDb

class AcDbCurve : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbCurve)
 public:
  AcDbCurve() = default;

 protected:
  AcDbCurve(const AcDbCurve&) = default;
};

class AcDbLine : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbLine)
 public:
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : m_start(start), m_end(end) {}

  AcGePoint3d startPoint() const { return m_start; }
  Acad::ErrorStatus setStartPoint(const AcGePoint3d& p);
  AcGePoint3d endPoint() const { return m_end; }
  Acad::ErrorStatus setEndPoint(const AcGePoint3d& p);
  double thickness() const { return extrusion().thickness; }
  AcGeVector3d normal() const { return extrusion().normal; }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbLine(const AcDbLine& other);
  AcDbObject* cloneRaw() const override { return new AcDbLine(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  // A thickness and an extrusion direction, which lines seldom have, are held apart: a
  // drawing of 200,000 lines is then 6 MB smaller, and reads that much faster.
  struct Extrusion {
    double thickness = 0;
    AcGeVector3d normal{0, 0, 1};
  };
  const Extrusion& extrusion() const;
  Extrusion& extrusionToSet();

  AcGePoint3d m_start, m_end;
  std::unique_ptr<Extrusion> m_extrusion;  // none: the defaults
};

class AcDbCircle : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbCircle)
 public:
  AcDbCircle() = default;
  AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
      : m_center(center), m_radius(radius), m_normal(normal) {}

  AcGePoint3d center() const { return m_center; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& p);
  double radius() const { return m_radius; }
  Acad::ErrorStatus setRadius(double r);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbCircle(const AcDbCircle&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbCircle(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

  AcGePoint3d m_center;
  double m_radius = 0;
  double m_thickness = 0;
  AcGeVector3d m_normal{0, 0, 1};
};

// Angles in radians, counter-clockwise from the X axis of the arc's plane.
class AcDbArc : public AcDbCircle {
  ZRCAD_DECLARE_MEMBERS(AcDbArc)
 public:
  AcDbArc() = default;
  AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
      : AcDbCircle(center, AcGeVector3d::kZAxis, radius),
        m_startAngle(startAngle),
        m_endAngle(endAngle) {}
  AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
          double endAngle)
      : AcDbCircle(center, normal, radius), m_startAngle(startAngle), m_endAngle(endAngle) {}

  double startAngle() const { return m_startAngle; }
  Acad::ErrorStatus setStartAngle(double a);
  double endAngle() const { return m_endAngle; }
  Acad::ErrorStatus setEndAngle(double a);
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbArc(const AcDbArc&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbArc(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  double m_startAngle = 0;
  double m_endAngle = 0;
};

class AcDbEllipse : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbEllipse)
 public:
  AcDbEllipse() = default;
  AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
              const AcGeVector3d& majorAxis, double radiusRatio, double startAngle = 0.0,
              double endAngle = 6.283185307179586);

  AcGePoint3d center() const { return m_center; }
  AcGeVector3d majorAxis() const { return m_majorAxis; }
  AcGeVector3d normal() const { return m_normal; }
  double radiusRatio() const { return m_ratio; }
  double startAngle() const { return m_startParam; }
  double endAngle() const { return m_endParam; }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbEllipse(const AcDbEllipse&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbEllipse(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  AcGePoint3d m_center;
  AcGeVector3d m_majorAxis{1, 0, 0};
  AcGeVector3d m_normal{0, 0, 1};
  double m_ratio = 1;
  double m_startParam = 0;
  double m_endParam = 6.283185307179586;
};

// Extents of a spline are those of its control points (a B-spline lies in their hull) or,
// without control points, of its fit points.
class AcDbSpline : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbSpline)
 public:
  AcDbSpline() = default;
  // A cubic spline through the fit points.
  explicit AcDbSpline(const AcGePoint3dArray& fitPoints, int order = 4, double fitTolerance = 0);

  int degree() const { return m_degree; }
  int numControlPoints() const { return static_cast<int>(m_control.size()); }
  Acad::ErrorStatus getControlPointAt(int index, AcGePoint3d& point) const;
  int numFitPoints() const { return static_cast<int>(m_fit.size()); }
  Acad::ErrorStatus getFitPointAt(int index, AcGePoint3d& point) const;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbSpline(const AcDbSpline&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbSpline(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;

 private:
  short m_flags = 8;  // planar
  short m_degree = 3;
  std::vector<double> m_knots;
  std::vector<double> m_weights;
  std::vector<AcGePoint3d> m_control;
  std::vector<AcGePoint3d> m_fit;
  AcGeVector3d m_normal{0, 0, 1};
};

// The lightweight polyline: 2D vertices with bulges at one elevation.
class AcDbPolyline : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbPolyline)
 public:
  AcDbPolyline() = default;
  explicit AcDbPolyline(unsigned int numVerts) { m_verts.reserve(numVerts); }

  // Inserts before index (index = numVerts() appends). Widths below 0 mean "none".
  Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0.0,
                                double startWidth = -1.0, double endWidth = -1.0);
  Acad::ErrorStatus removeVertexAt(unsigned int index);
  unsigned int numVerts() const { return static_cast<unsigned int>(m_verts.size()); }
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& pt) const;
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;
  Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
  Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& pt);
  Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
  bool isClosed() const { return (m_flags & 1) != 0; }
  void setClosed(bool closed);
  double elevation() const { return m_elevation; }
  void setElevation(double elevation) { m_elevation = elevation; }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbPolyline(const AcDbPolyline&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbPolyline(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;

 private:
  struct Vertex {
    AcGePoint2d point;
    double startWidth = 0, endWidth = 0, bulge = 0;
    int id = 0;
  };
  std::vector<Vertex> m_verts;
  short m_flags = 0;
  double m_elevation = 0;
  double m_constWidth = 0;
  double m_thickness = 0;
  AcGeVector3d m_normal{0, 0, 1};
};

namespace zrcad {
// One VERTEX record of a POLYLINE, with its own handle and the tags kept from the file.
struct PolylineVertex {
  AcGePoint3d point;
  double startWidth = 0, endWidth = 0, bulge = 0;
  short flags = 0;
  AcDbHandle handle;
  std::shared_ptr<const dxf::ObjectData> dxf;
};
}  // namespace zrcad

// The POLYLINE record with its VERTEX records and SEQEND: 2D (with bulges), 3D (flag 8) and
// meshes (flags 16, 64) share it; AcDb2dPolyline and AcDb3dPolyline are the kinds built by code.
class AcDbHeavyPolyline : public AcDbCurve {
  ZRCAD_DECLARE_MEMBERS(AcDbHeavyPolyline)
 public:
  int numVerts() const { return static_cast<int>(m_verts.size()); }
  const std::vector<zrcad::PolylineVertex>& vertices() const { return m_verts; }
  AcDbHandle seqendHandle() const { return m_seqendHandle; }
  const zrcad::dxf::ObjectData* seqendData() const { return m_seqend.get(); }
  Acad::ErrorStatus getVertexAt(int index, AcGePoint3d& point) const;
  double bulgeAt(int index) const;
  bool isClosed() const { return (m_flags & 1) != 0; }
  void makeClosed() { m_flags |= 1; }
  void makeOpen() { m_flags &= ~1; }
  short polylineFlags() const { return m_flags; }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

  // DXF reading hands each VERTEX record and the SEQEND here.
  void dxfAddVertex(zrcad::PolylineVertex vertex) { m_verts.push_back(std::move(vertex)); }
  void dxfSetSeqend(AcDbHandle handle, std::shared_ptr<const zrcad::dxf::ObjectData> data);
  // Gives handles to vertices and SEQEND that have none.
  void assignSubHandles(AcDbDatabase* db);

 protected:
  AcDbHeavyPolyline() = default;
  AcDbHeavyPolyline(const AcDbHeavyPolyline& other);
  AcDbObject* cloneRaw() const override { return new AcDbHeavyPolyline(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;
  const char* dxfSubclassMarker(int section) const override;
  void onAddedToDatabase(AcDbDatabase* db) override;

  std::vector<zrcad::PolylineVertex> m_verts;
  short m_flags = 0;
  AcGePoint3d m_elevation;  // the 10 group: (0, 0, elevation)
  double m_startWidth = 0, m_endWidth = 0;
  AcGeVector3d m_normal{0, 0, 1};
  AcDbHandle m_seqendHandle;
  std::shared_ptr<const zrcad::dxf::ObjectData> m_seqend;
};

class AcDb2dPolyline : public AcDbHeavyPolyline {
  ZRCAD_DECLARE_MEMBERS(AcDb2dPolyline)
 public:
  AcDb2dPolyline() = default;
  AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0.0,
                 bool closed = false, double defStartWidth = 0.0, double defEndWidth = 0.0,
                 const AcGeDoubleArray* bulges = nullptr);
  double elevation() const { return m_elevation.z; }

 protected:
  AcDb2dPolyline(const AcDb2dPolyline&) = default;
  AcDbObject* cloneRaw() const override { return new AcDb2dPolyline(*this); }
};

class AcDb3dPolyline : public AcDbHeavyPolyline {
  ZRCAD_DECLARE_MEMBERS(AcDb3dPolyline)
 public:
  AcDb3dPolyline() { m_flags = 8; }
  AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices, bool closed = false);

 protected:
  AcDb3dPolyline(const AcDb3dPolyline&) = default;
  AcDbObject* cloneRaw() const override { return new AcDb3dPolyline(*this); }
};
