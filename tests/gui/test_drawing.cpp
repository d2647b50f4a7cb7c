// Test drawings.
#include "test_drawing.h"

#include <gtest/gtest.h>

namespace guitest {

TestDrawing::TestDrawing() : m_db(std::make_unique<AcDbDatabase>(true, false)) {}

AcDbObjectId TestDrawing::layer(const wchar_t* name, int color, bool off, bool frozen) {
  AcDbLayerTable* table = nullptr;
  EXPECT_EQ(m_db->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord;
  rec->setName(name);
  AcCmColor c;
  c.setColorIndex(static_cast<short>(color));
  rec->setColor(c);
  rec->setIsOff(off);
  rec->setIsFrozen(frozen);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, rec), Acad::eOk);
  rec->close();
  table->close();
  return id;
}

AcDbObjectId TestDrawing::block(const wchar_t* name, AcGePoint3d origin) {
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(m_db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbBlockTableRecord;
  rec->setName(name);
  rec->setOrigin(origin);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, rec), Acad::eOk);
  rec->close();
  table->close();
  return id;
}

AcDbObjectId TestDrawing::add(AcDbEntity* e, int color, const wchar_t* layer, AcDbObjectId block) {
  if (block.isNull()) block = m_db->modelSpaceId();
  AcDbBlockTableRecord* rec = nullptr;
  EXPECT_EQ(acdbOpenObject(rec, block, AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(rec->appendAcDbEntity(id, e), Acad::eOk);
  rec->close();
  e->setColorIndex(static_cast<Adesk::UInt16>(color));
  if (layer) {
    EXPECT_EQ(e->setLayer(layer), Acad::eOk);
  }
  e->close();
  return id;
}

AcDbObjectId TestDrawing::line(AcGePoint3d a, AcGePoint3d b, int color, const wchar_t* layer,
                               AcDbObjectId block) {
  return add(new AcDbLine(a, b), color, layer, block);
}

AcDbObjectId TestDrawing::reference(AcDbObjectId block, AcGePoint3d at, double scale,
                                    double rotation, int color, const wchar_t* layer,
                                    AcDbObjectId into) {
  auto* ref = new AcDbBlockReference(at, block);
  ref->setScaleFactors(AcGeScale3d(scale));
  ref->setRotation(rotation);
  return add(ref, color, layer, into);
}

AcDbObjectId TestDrawing::attribute(AcDbObjectId reference, AcGePoint3d at, const wchar_t* tag,
                                    const wchar_t* value, double height, bool invisible) {
  AcDbBlockReference* ref = nullptr;
  EXPECT_EQ(acdbOpenObject(ref, reference, AcDb::kForWrite), Acad::eOk);
  auto* attr = new AcDbAttribute(at, value, tag);
  attr->setHeight(height);
  attr->setInvisible(invisible);
  AcDbObjectId id;
  EXPECT_EQ(ref->appendAttribute(id, attr), Acad::eOk);
  attr->close();
  ref->close();
  return id;
}

}  // namespace guitest
