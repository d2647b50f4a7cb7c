// Points, matrices and extents.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/acdb.h"

namespace {

constexpr double kTol = 1e-9;

void expectPoint(const AcGePoint3d& p, double x, double y, double z) {
  EXPECT_NEAR(p.x, x, kTol);
  EXPECT_NEAR(p.y, y, kTol);
  EXPECT_NEAR(p.z, z, kTol);
}

TEST(GeMatrix, RotationAboutCenterMovesPointsAroundIt) {
  AcGeMatrix3d m =
      AcGeMatrix3d::rotation(std::numbers::pi / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
  expectPoint(m * AcGePoint3d(2, 1, 0), 1, 2, 0);
  expectPoint(m * AcGePoint3d(1, 1, 5), 1, 1, 5);
}

TEST(GeMatrix, ProductAppliesRightFactorFirst) {
  AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0));
  AcGeMatrix3d s = AcGeMatrix3d::scaling(2.0);
  expectPoint((t * s) * AcGePoint3d(1, 1, 0), 12, 2, 0);
  expectPoint((s * t) * AcGePoint3d(1, 1, 0), 22, 2, 0);
}

TEST(GeMatrix, ScaleAndUniformityOfTheLinearPart) {
  AcGeMatrix3d m = AcGeMatrix3d::rotation(0.3, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(3.0);
  EXPECT_NEAR(m.scale(), 3.0, kTol);
  EXPECT_TRUE(m.isUniScaledOrtho());
  EXPECT_FALSE(AcGeMatrix3d::scaling(AcGeScale3d(1, 2, 1)).isUniScaledOrtho());
  EXPECT_LT(AcGeMatrix3d::scaling(AcGeScale3d(-1, 1, 1)).det(), 0);
}

TEST(GeMatrix, VectorsIgnoreTranslation) {
  AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(5, 5, 5));
  AcGeVector3d v = t * AcGeVector3d(1, 0, 0);
  EXPECT_TRUE(v.isEqualTo(AcGeVector3d(1, 0, 0)));
}

TEST(DbExtents, GrowsFromEmptyAndMerges) {
  AcDbExtents e;
  EXPECT_TRUE(e.isEmpty());
  e.addPoint(AcGePoint3d(1, 2, 3));
  e.addPoint(AcGePoint3d(-1, 5, 0));
  expectPoint(e.minPoint(), -1, 2, 0);
  expectPoint(e.maxPoint(), 1, 5, 3);
  AcDbExtents other(AcGePoint3d(10, 10, 10), AcGePoint3d(11, 11, 11));
  e.addExt(other);
  expectPoint(e.maxPoint(), 11, 11, 11);
  e.addExt(AcDbExtents());
  expectPoint(e.minPoint(), -1, 2, 0);
  EXPECT_EQ(e.set(AcGePoint3d(1, 0, 0), AcGePoint3d(0, 0, 0)), Acad::eInvalidExtents);
}

TEST(DbExtents, TransformTakesAllEightCorners) {
  AcDbExtents e(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 2, 0));
  e.transformBy(AcGeMatrix3d::rotation(std::numbers::pi / 4, AcGeVector3d::kZAxis));
  double r = std::sqrt(2.0);
  expectPoint(e.minPoint(), -r, 0, 0);
  expectPoint(e.maxPoint(), r, 2 * r, 0);
}

TEST(DbHandle, HexTextBothWays) {
  AcDbHandle h(L"1fA");
  EXPECT_EQ(h.value(), 0x1FAu);
  ACHAR buf[17];
  ASSERT_TRUE(h.getIntoAsciiBuffer(buf));
  EXPECT_STREQ(buf, L"1FA");
  EXPECT_TRUE(AcDbHandle(L"xyz").isNull());
  EXPECT_TRUE(AcDbHandle(L"12345678901234567").isNull());
}

}  // namespace
