// Extents of entities and of nested block references; transforms of entities. (Handles typed
// as text are read by selection_set_test and LIST in tests/app.)
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;
constexpr double kPi = std::numbers::pi;
constexpr double kTol = 1e-9;

void expectBox(const AcDbExtents& e, double x0, double y0, double x1, double y1) {
  for (auto [got, want] : {std::pair{e.minPoint().x, x0},
                           {e.minPoint().y, y0},
                           {e.maxPoint().x, x1},
                           {e.maxPoint().y, y1}})
    EXPECT_NEAR(got, want, kTol);
}

AcDbExtents extentsOf(const AcDbEntity& ent) {
  AcDbExtents e;
  EXPECT_EQ(ent.getGeomExtents(e), Acad::eOk);
  return e;
}

AcDbExtents extentsOf(AcDbObjectId id) {
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
  return ent ? extentsOf(*ent.object()) : AcDbExtents();
}

// Matrices and extents boxes are checked through what they measure and move: the extents of
// entities and of nested references below, and the transforms at the end.

TEST(Extents, OfEachKindOfEntity) {
  expectBox(extentsOf(AcDbLine(AcGePoint3d(5, -1, 0), AcGePoint3d(-2, 3, 0))), -2, -1, 5, 3);
  expectBox(extentsOf(AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2)), -1, -1, 3, 3);
  // Arcs cover only their sweep: the first quadrant; 45 to 135 degrees passes the top but not
  // the sides; 270 to 90 degrees crosses zero and takes the right-hand point.
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 2, 0, kPi / 2)), 0, 0, 2, 2);
  const double c = 2 * std::cos(kPi / 4);
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 2, kPi / 4, 3 * kPi / 4)), -c, c, c, 2);
  expectBox(extentsOf(AcDbArc(AcGePoint3d(), 1, 3 * kPi / 2, kPi / 2)), 0, -1, 1, 1);
  AcDbEllipse quarter(AcGePoint3d(), AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 0.5, 0, kPi / 2);
  expectBox(extentsOf(quarter), 0, 0, 2, 1);
  // Text by height, width factor and length, rotated.
  AcDbText text(AcGePoint3d(10, 0, 0), L"ABCD", AcDbObjectId(), 2.0);
  text.setWidthFactor(0.5);
  expectBox(extentsOf(text), 10, 0, 14, 2);
  text.setRotation(kPi / 2);
  expectBox(extentsOf(text), 8, 0, 10, 4);
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // a half circle below the chord to (2,0)
  pl.addVertexAt(1, AcGePoint2d(2, 0));
  expectBox(extentsOf(pl), 0, -1, 2, 0);
  AcDbExtents e;
  EXPECT_EQ(AcDbPolyline().getGeomExtents(e), Acad::eInvalidExtents);
}

TEST(Extents, NestedReferencesFollowPositionScaleAndRotationAndCountAttributes) {
  AcDbDatabase db;
  const AcDbObjectId inner = addBlock(&db, L"INNER", AcGePoint3d(1, 0, 0));
  addToBlock(inner, new AcDbCircle(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, 1));
  const AcDbObjectId outer = addBlock(&db, L"OUTER");
  addToBlock(outer, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)));
  auto* innerRef = new AcDbBlockReference(AcGePoint3d(4, 0, 0), inner);
  innerRef->setScaleFactors(AcGeScale3d(2));
  addToBlock(outer, innerRef);
  // Outer: line 0..4 on X, circle of radius 2 around (4,0). Rotated 90 degrees, moved.
  auto* ref = new AcDbBlockReference(AcGePoint3d(100, 100, 0), outer);
  ref->setRotation(kPi / 2);
  expectBox(extentsOf(addToModelSpace(&db, ref)), 98, 100, 102, 106);
  // Attributes count for their reference.
  const AcDbObjectId blk = addBlock(&db, L"B");
  addToBlock(blk, new AcDbPoint(AcGePoint3d(0, 0, 0)));
  const AcDbObjectId refId = addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), blk));
  {
    AcDbObjectPointer<AcDbBlockReference> opened(refId, AcDb::kForWrite);
    auto* attr = new AcDbAttribute(AcGePoint3d(5, 5, 0), L"XY", L"T");
    attr->setHeight(1);
    ASSERT_EQ(opened->appendAttribute(attr), Acad::eOk);
    attr->close();
  }
  expectBox(extentsOf(refId), 0, 0, 7, 6);
  // An empty block has no extents. (Circular blocks: dxf_records_test.)
  AcDbObjectPointer<AcDbEntity> empty(
      addToModelSpace(&db, new AcDbBlockReference(AcGePoint3d(), addBlock(&db, L"EMPTY"))),
      AcDb::kForRead);
  AcDbExtents e;
  EXPECT_EQ(empty->getGeomExtents(e), Acad::eInvalidExtents);
}

TEST(Transforms, ArcsAndReferencesFollowRotationAndMirror) {
  AcDbArc arc(AcGePoint3d(1, 0, 0), 1, 0, kPi / 2);
  ASSERT_EQ(arc.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis)), Acad::eOk);
  EXPECT_NEAR(arc.center().y, 1, kTol);
  EXPECT_NEAR(arc.startAngle(), kPi / 2, kTol);
  EXPECT_NEAR(arc.endAngle(), kPi, kTol);
  AcDbArc mirrored(AcGePoint3d(), 1, 0, kPi / 2);
  mirrored.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(-1, 1, 1)));
  expectBox(extentsOf(mirrored), -1, 0, 0, 1);
  AcDbCircle circle(AcGePoint3d(), AcGeVector3d::kZAxis, 1);
  ASSERT_EQ(circle.transformBy(AcGeMatrix3d::translation(AcGeVector3d(10, 0, 5))), Acad::eOk);
  EXPECT_TRUE(circle.center().isEqualTo(AcGePoint3d(10, 0, 5)));
  EXPECT_EQ(circle.normal(), AcGeVector3d::kZAxis) << "vectors are not moved";
  EXPECT_EQ(circle.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))), Acad::eInvalidInput);
  AcDbBlockReference ref(AcGePoint3d(1, 0, 0), AcDbObjectId());
  ASSERT_EQ(ref.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 2, 2))), Acad::eOk);
  EXPECT_TRUE(ref.position().isEqualTo(AcGePoint3d(2, 0, 0)));
  EXPECT_EQ(ref.scaleFactors().sx, 2) << "a reference grows with the scale";
}

}  // namespace
