// Curves flattened into chords (cad/db/curve_points.h), for the kinds whose
// points are not simply their own vertices: entities read from DXF text, so
// that the records hold what a real drawing holds (a spline's control and fit
// points, a polyline's vertex flags, an arc's normal).
#include "cad/db/curve_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

// Each curve worked by hand from its record.
TEST(CurvePoints, SplinesFollowTheirControlPolygonAndHeavyPolylinesTheirVerticesOnTheCurve) {
  auto vertex = [](int x, int y, int flags) {
    return dxf({0, "VERTEX", 8, "0", 10, x, 20, y, 30, 0, 70, flags});
  };
  struct Case {
    const char* name;
    std::string record;
    bool curve;
    std::function<void(const std::vector<AcGePoint3d>&)> check;
  };
  const Case cases[] = {
      {"a quadratic spline with fit points: the B-spline of its control points, whose middle "
       "is a quarter of each end and half the middle control point",
       dxf({0,  "SPLINE", 8,  "0", 70, 8,  71, 2,  72, 6,  73, 3,  74, 2,   40,  0,  40,  0,  40,
            0,  40,       1,  40,  1,  40, 1,  10, 0,  20, 0,  30, 0,  10,  100, 20, 200, 30, 0,
            10, 200,      20, 0,   30, 0,  11, 0,  21, 0,  31, 0,  11, 200, 21,  0,  31,  0}),
       true,
       [](const std::vector<AcGePoint3d>& p) {
         ASSERT_EQ(p.size() % 2, 1u);
         EXPECT_EQ(p.front(), AcGePoint3d(0, 0, 0));
         EXPECT_NEAR(p.back().x, 200, 1e-9);
         EXPECT_NEAR(p[p.size() / 2].x, 100, 1e-9);
         EXPECT_NEAR(p[p.size() / 2].y, 100, 1e-9);
       }},
      {"a spline-fit polyline: the frame vertex (flag 16) off the curve is left out",
       dxf({0, "POLYLINE", 8, "0", 66, 1, 10, 0, 20, 0, 30, 0, 70, 4}) + vertex(0, 0, 8) +
           vertex(100, 500, 16) + vertex(200, 0, 8) + dxf({0, "SEQEND", 8, "0"}),
       true,
       [](const std::vector<AcGePoint3d>& p) {
         ASSERT_EQ(p.size(), 2u);
         EXPECT_EQ(p[0], AcGePoint3d(0, 0, 0));
         EXPECT_EQ(p[1], AcGePoint3d(200, 0, 0));
       }},
      {"a polyface mesh is no outline",
       dxf({0, "POLYLINE", 8, "0", 66, 1, 10, 0, 20, 0, 30, 0, 70, 64, 71, 3, 72, 1}) +
           vertex(0, 0, 192) + vertex(100, 0, 192) + vertex(0, 100, 192) +
           dxf({0, "SEQEND", 8, "0"}),
       true, [](const std::vector<AcGePoint3d>& p) { EXPECT_TRUE(p.empty()); }},
      {"an arc seen from below: its centre (10, 0) is in its own coordinates, (-10, 0) in the "
       "world, and it runs from (-15, 0) to (-10, 5)",
       dxf({0, "ARC", 8, "0", 10, 10, 20, 0, 30, 0, 40, 5, 50, 0, 51, 90, 210, 0, 220, 0, 230, -1}),
       true,
       [](const std::vector<AcGePoint3d>& p) {
         ASSERT_GE(p.size(), 3u);
         for (const AcGePoint3d& q : p) EXPECT_NEAR(std::hypot(q.x + 10, q.y), 5, 1e-9);
         EXPECT_NEAR(p.front().x, -15, 1e-9);
         EXPECT_NEAR(p.back().y, 5, 1e-9);
       }},
      {"a text is no curve", dxf({0, "TEXT", 8, "0", 10, 0, 20, 0, 30, 0, 40, 2, 1, "F-1"}), false,
       [](const std::vector<AcGePoint3d>& p) { EXPECT_TRUE(p.empty()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto db = readBack(r12Drawing(c.record));
    ASSERT_NE(db, nullptr);
    AcDbEntity* e = firstInModelSpace(db.get());
    ASSERT_NE(e, nullptr);
    std::vector<AcGePoint3d> points;
    EXPECT_EQ(zrcad::curvePoints(e, points), c.curve);
    c.check(points);
    e->close();
  }
}

}  // namespace
