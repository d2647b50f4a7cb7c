// Geometry helpers of the entities: object coordinate systems and curve extents.
#pragma once

#include "cad/db/db_extents.h"
#include "cad/db/ge_geometry.h"

namespace zrcad {

inline constexpr double kTwoPi = 6.283185307179586;

// The X and Y axes of the object coordinate system of a normal (the DXF arbitrary axis
// algorithm).
void ocsAxes(const AcGeVector3d& normal, AcGeVector3d& ax, AcGeVector3d& ay);
// An OCS point of that normal in world coordinates.
AcGePoint3d ocsToWcs(const AcGePoint3d& p, const AcGeVector3d& normal);
// Adds the points C + U cos t + V sin t for t from t0 counter-clockwise to t1: the two ends
// and, per axis, the extremes that lie in the sweep.
void addEllipticArc(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& u,
                    const AcGeVector3d& v, double t0, double t1);
// Adds a 2D polyline segment from p1 to p2 with a bulge (tan of a quarter of the arc angle),
// in the OCS of normal.
void addBulgeSegment(AcDbExtents& ext, const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge,
                     const AcGeVector3d& normal);
// The angle of the X axis after xform, in the XY plane.
double rotationOf(const AcGeMatrix3d& xform);
// Angle normalized into [0, 2pi).
double normalizeAngle(double a);

}  // namespace zrcad
