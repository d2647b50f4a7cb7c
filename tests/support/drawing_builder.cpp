// Test drawings.
#include "drawing_builder.h"

#include <gtest/gtest.h>

#include <memory>

#include "cad/aced.h"

namespace apptest {

namespace {

AcDbObjectId append(AcDbObjectId owner, AcDbEntity* ent) {
  AcDbBlockTableRecord* block = nullptr;
  EXPECT_EQ(acdbOpenObject(block, owner, AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(block->appendAcDbEntity(id, ent), Acad::eOk);
  ent->close();
  block->close();
  return id;
}

}  // namespace

AcDbDatabase* newCurrentDrawing() {
  acDocManagerPtr()->replaceDocument(
      std::make_unique<AcApDocument>(new AcDbDatabase(true, false), L""));
  return acdbHostApplicationServices()->workingDatabase();
}

AcDbObjectId addLine(AcDbDatabase* db, AcGePoint3d from, AcGePoint3d to) {
  return append(db->modelSpaceId(), new AcDbLine(from, to));
}

AcDbObjectId addCircle(AcDbDatabase* db, AcGePoint3d center, double radius) {
  return append(db->modelSpaceId(), new AcDbCircle(center, AcGeVector3d::kZAxis, radius));
}

AcDbObjectId addBlock(AcDbDatabase* db, const wchar_t* name, const wchar_t* tag) {
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
  auto* block = new AcDbBlockTableRecord;
  block->setName(name);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, block), Acad::eOk);
  table->close();
  block->close();
  const AcGePoint3d corners[] = {{0, 0, 0}, {10, 0, 0}, {10, 5, 0}, {0, 5, 0}};
  for (int i = 0; i < 4; ++i) append(id, new AcDbLine(corners[i], corners[(i + 1) % 4]));
  if (tag) {
    const std::wstring prompt = std::wstring(L"Prompt of ") + tag;
    auto* def = new AcDbAttributeDefinition(AcGePoint3d(2, 1, 0), L"default", tag, prompt.c_str());
    def->setHeight(2.5);
    append(id, def);
  }
  return id;
}

AcDbObjectId addLayer(AcDbDatabase* db, const wchar_t* name) {
  AcDbLayerTable* table = nullptr;
  EXPECT_EQ(db->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  auto* layer = new AcDbLayerTableRecord;
  layer->setName(name);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, layer), Acad::eOk);
  layer->close();
  table->close();
  return id;
}

std::vector<AcDbObjectId> references(AcDbDatabase* db) {
  std::vector<AcDbObjectId> refs;
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db->modelSpaceId(), AcDb::kForRead);
  for (AcDbObjectId id : ms->entityIds()) {
    if (AcDbObjectPointer<AcDbBlockReference>(id, AcDb::kForRead)) refs.push_back(id);
  }
  return refs;
}

AcDbObjectId addReference(AcDbObjectId owner, AcDbObjectId block) {
  return append(owner, new AcDbBlockReference(AcGePoint3d::kOrigin, block));
}

AcDbObjectId blockId(AcDbDatabase* db, const wchar_t* name) {
  AcDbObjectId id;
  AcDbObjectPointer<AcDbBlockTable> table(db->blockTableId(), AcDb::kForRead);
  if (!table || table->getAt(name, id) != Acad::eOk) id.setNull();
  return id;
}

std::vector<std::wstring> blockNames(AcDbDatabase* db) {
  std::vector<std::wstring> names;
  AcDbObjectPointer<AcDbBlockTable> table(db->blockTableId(), AcDb::kForRead);
  AcDbBlockTableIterator* it = nullptr;
  if (!table || table->newIterator(it) != Acad::eOk) return names;
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* rec = nullptr;
    if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk) continue;
    if (!rec->isLayout()) names.push_back(rec->name());
    rec->close();
  }
  delete it;
  return names;
}

int entityCount(AcDbObjectId block) {
  AcDbObjectPointer<AcDbBlockTableRecord> rec(block, AcDb::kForRead);
  return rec ? static_cast<int>(rec->entityIds().size()) : -1;
}

std::vector<std::wstring> xdataStrings(AcDbObjectId id, const wchar_t* app) {
  std::vector<std::wstring> out;
  AcDbObjectPointer<AcDbObject> obj(id, AcDb::kForRead);
  resbuf* chain = obj ? obj->xData(app) : nullptr;
  for (resbuf* rb = chain; rb; rb = rb->rbnext) {
    if (rb->restype == 1000) out.push_back(rb->resval.rstring);
  }
  acutRelRb(chain);
  return out;
}

std::wstring handleOf(AcDbObjectId id) {
  ACHAR buf[20] = {};
  id.handle().getIntoAsciiBuffer(buf, 20);
  return buf;
}

}  // namespace apptest
