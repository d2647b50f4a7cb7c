// Extents of entities, of nested block references, and of drawings with circular blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToBlock;
using cadtest::addToModelSpace;
constexpr double kPi = std::numbers::pi;

void expectBox(const AcDbExtents& e, double x0, double y0, double x1, double y1) {
  EXPECT_NEAR(e.minPoint().x, x0, 1e-9);
  EXPECT_NEAR(e.minPoint().y, y0, 1e-9);
  EXPECT_NEAR(e.maxPoint().x, x1, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, y1, 1e-9);
}

AcDbExtents extentsOf(const AcDbEntity& ent) {
  AcDbExtents e;
  EXPECT_EQ(ent.getGeomExtents(e), Acad::eOk);
  return e;
}

AcDbExtents extentsOf(AcDbObjectId id) {
  AcDbEntity* ent = nullptr;
  AcDbExtents e;
  if (acdbOpenObject(ent, id, AcDb::kForRead) != Acad::eOk) return e;
  EXPECT_EQ(ent->getGeomExtents(e), Acad::eOk);
  ent->close();
  return e;
}

TEST(Extents, LinesAndCircles) {
  expectBox(extentsOf(AcDbLine(AcGePoint3d(5, -1, 0), AcGePoint3d(-2, 3, 0))), -2, -1, 5, 3);
  expectBox(extentsOf(AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2)), -1, -1, 3, 3);
}

TEST(Extents, ArcsCoverOnlyTheirSweep) {
  // First quadrant only: from (2,0) to (0,2).
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 2, 0, kPi / 2)), 0, 0, 2, 2);
  // From 45 to 135 degrees passes the top but not the sides.
  double c = 2 * std::cos(kPi / 4);
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 2, kPi / 4, 3 * kPi / 4)), -c, c, c, 2);
  // Crossing zero: from 270 to 90 degrees takes the right-hand point.
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 1, 3 * kPi / 2, kPi / 2)), 0, -1, 1, 1);
}

TEST(Extents, TextByHeightWidthFactorAndLengthRotated) {
  AcDbText text(AcGePoint3d(10, 0, 0), L"ABCD", AcDbObjectId(), 2.0);
  text.setWidthFactor(0.5);
  expectBox(extentsOf(text), 10, 0, 14, 2);
  text.setRotation(kPi / 2);
  expectBox(extentsOf(text), 8, 0, 10, 4);
}

TEST(Extents, PolylineBulgesBulgeTheBox) {
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // a half circle below the chord to (2,0)
  pl.addVertexAt(1, AcGePoint2d(2, 0));
  expectBox(extentsOf(pl), 0, -1, 2, 0);
  AcDbPolyline empty;
  AcDbExtents e;
  EXPECT_EQ(empty.getGeomExtents(e), Acad::eInvalidExtents);
}

TEST(Extents, NestedReferencesFollowPositionScaleAndRotation) {
  AcDbDatabase db;
  AcDbObjectId inner = addBlock(&db, L"INNER", AcGePoint3d(1, 0, 0));
  addToBlock(inner, new AcDbCircle(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, 1));
  AcDbObjectId outer = addBlock(&db, L"OUTER");
  addToBlock(outer, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)));
  auto* innerRef = new AcDbBlockReference(AcGePoint3d(4, 0, 0), inner);
  innerRef->setScaleFactors(AcGeScale3d(2));
  addToBlock(outer, innerRef);
  // Outer: line 0..4 on X, circle of radius 2 around (4,0). Rotated 90 degrees, moved.
  auto* ref = new AcDbBlockReference(AcGePoint3d(100, 100, 0), outer);
  ref->setRotation(kPi / 2);
  AcDbObjectId refId = addToModelSpace(&db, ref);
  expectBox(extentsOf(refId), 98, 100, 102, 106);
}

TEST(Extents, AttributesCountForTheirReference) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"B");
  addToBlock(blk, new AcDbPoint(AcGePoint3d(0, 0, 0)));
  auto* ref = new AcDbBlockReference(AcGePoint3d(0, 0, 0), blk);
  AcDbObjectId refId = addToModelSpace(&db, ref);
  AcDbBlockReference* opened = nullptr;
  ASSERT_EQ(acdbOpenObject(opened, refId, AcDb::kForWrite), Acad::eOk);
  auto* attr = new AcDbAttribute(AcGePoint3d(5, 5, 0), L"XY", L"T");
  attr->setHeight(1);
  ASSERT_EQ(opened->appendAttribute(attr), Acad::eOk);
  attr->close();
  opened->close();
  expectBox(extentsOf(refId), 0, 0, 7, 6);
}

TEST(Extents, CircularBlocksEndAndEmptyBlocksHaveNone) {
  AcDbDatabase db;
  AcDbObjectId a = addBlock(&db, L"A");
  AcDbObjectId b = addBlock(&db, L"B");
  addToBlock(a, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  addToBlock(a, new AcDbBlockReference(AcGePoint3d(10, 0, 0), b));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(0, 10, 0), a));
  addToBlock(b, new AcDbBlockReference(AcGePoint3d(0, 0, 0), b));
  AcDbObjectId refId = addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), a));
  AcDbExtents e = extentsOf(refId);
  EXPECT_FALSE(e.isEmpty());
  AcDbObjectId empty = addBlock(&db, L"EMPTY");
  AcDbObjectId emptyRef = addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), empty));
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, emptyRef, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(ent->getGeomExtents(e), Acad::eInvalidExtents);
  ent->close();
}

TEST(Transforms, ArcsAndReferencesFollowRotationAndMirror) {
  AcDbArc arc(AcGePoint3d(1, 0, 0), 1, 0, kPi / 2);
  ASSERT_EQ(arc.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis)), Acad::eOk);
  EXPECT_NEAR(arc.center().y, 1, 1e-9);
  EXPECT_NEAR(arc.startAngle(), kPi / 2, 1e-9);
  EXPECT_NEAR(arc.endAngle(), kPi, 1e-9);
  AcDbArc mirrored(AcGePoint3d(), 1, 0, kPi / 2);
  mirrored.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(-1, 1, 1)));
  expectBox(extentsOf(mirrored), -1, 0, 0, 1);
  AcDbCircle circle(AcGePoint3d(), AcGeVector3d::kZAxis, 1);
  EXPECT_EQ(circle.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))), Acad::eInvalidInput);
}

}  // namespace
