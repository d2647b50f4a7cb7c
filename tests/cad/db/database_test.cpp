// Databases, tables, records and entities: what a new drawing has, opening and closing,
// names, erasure, ownership.
#include <gtest/gtest.h>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using cadtest::addBlock;
using cadtest::addToModelSpace;

TEST(Database, DefaultDrawingHasLayoutsLayerZeroAndAcadApp) {
  AcDbDatabase db;
  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(db.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(bt->has(L"*MODEL_SPACE"));
  EXPECT_TRUE(bt->has(ACDB_PAPER_SPACE));
  bt->close();
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db.getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(lt->has(L"0"));
  lt->close();
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db.getRegAppTable(apps), Acad::eOk);
  EXPECT_TRUE(apps->has(L"acad"));
  apps->close();
  EXPECT_EQ(db.clayer(), [&] {
    AcDbObjectId id;
    db.getLayerTable(lt);
    lt->getAt(L"0", id);
    lt->close();
    return id;
  }());
}

TEST(Database, EmptyDatabaseHasNoTablesUntilRead) {
  AcDbDatabase db(false);
  AcDbBlockTable* bt = nullptr;
  EXPECT_EQ(db.getBlockTable(bt), Acad::eMissingSymbolTable);
  EXPECT_EQ(bt, nullptr);
  std::string out;
  EXPECT_NE(db.writeDxfText(out), Acad::eOk);
}

TEST(OpenClose, ReadersShareWriterExcludes) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  AcDbObject* r1 = nullptr;
  AcDbObject* r2 = nullptr;
  AcDbObject* w = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  EXPECT_EQ(r1->upgradeOpen(), Acad::eHadMultipleReaders);
  r2->close();
  ASSERT_EQ(r1->upgradeOpen(), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(r1->close(), Acad::eOk);
  EXPECT_EQ(r1->close(), Acad::eNotOpen);
  AcDbLine* line = nullptr;
  EXPECT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  line->close();
  AcDbCircle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);  // the failed cast closed it
  w->close();
  EXPECT_EQ(acdbOpenObject(w, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
}

TEST(OpenClose, ObjectsOutsideADatabaseAreTheCallersToDelete) {
  auto* line = new AcDbLine();
  EXPECT_EQ(line->close(), Acad::eNotInDatabase);
  EXPECT_TRUE(line->isNewObject());
  delete line;  // LeakSanitizer and ASan check that this is the one and only free
}

TEST(OpenClose, ErasedObjectsOpenOnlyWhenAskedAndIteratorsSkipThem) {
  AcDbDatabase db;
  AcDbObjectId a = addToModelSpace(&db, new AcDbPoint(AcGePoint3d(1, 0, 0)));
  AcDbObjectId b = addToModelSpace(&db, new AcDbPoint(AcGePoint3d(2, 0, 0)));
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, a, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(obj->erase(), Acad::eNotOpenForWrite);
  obj->upgradeOpen();
  EXPECT_EQ(obj->erase(), Acad::eOk);
  EXPECT_EQ(obj->erase(), Acad::eWasErased);
  obj->close();
  EXPECT_EQ(acdbOpenObject(obj, a, AcDb::kForRead), Acad::eWasErased);
  EXPECT_EQ(acdbOpenObject(obj, a, AcDb::kForRead, true), Acad::eOk);
  obj->close();
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  ms->newIterator(it);
  std::vector<AcDbObjectId> seen;
  for (; !it->done(); it->step()) {
    AcDbObjectId id;
    it->getEntityId(id);
    seen.push_back(id);
  }
  delete it;
  ms->newIterator(it, true, false);
  int all = 0;
  for (; !it->done(); it->step(true, false)) ++all;
  delete it;
  ms->close();
  EXPECT_EQ(seen, std::vector<AcDbObjectId>{b});
  EXPECT_EQ(all, 2);
}

TEST(SymbolTables, NamesMatchWithoutCaseAndStayUnique) {
  AcDbDatabase db;
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord();
  ASSERT_EQ(rec->setName(L"AC_EQUIPMENT"), Acad::eOk);
  AcDbObjectId id;
  ASSERT_EQ(lt->add(id, rec), Acad::eOk);
  rec->close();
  auto* dup = new AcDbLayerTableRecord();
  dup->setName(L"ac_equipment");
  EXPECT_EQ(lt->add(dup), Acad::eDuplicateRecordName);
  delete dup;
  AcDbObjectId found;
  EXPECT_EQ(lt->getAt(L"Ac_Equipment", found), Acad::eOk);
  EXPECT_EQ(found, id);
  AcDbLayerTableRecord* opened = nullptr;
  ASSERT_EQ(lt->getAt(L"AC_EQUIPMENT", opened, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(opened->setName(L"0"), Acad::eDuplicateRecordName);
  EXPECT_EQ(opened->setName(L"a<b"), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(opened->setName(L"风机层"), Acad::eOk);
  opened->close();
  EXPECT_FALSE(lt->has(L"AC_EQUIPMENT"));
  EXPECT_TRUE(lt->has(L"风机层"));
  lt->close();
}

TEST(SymbolTables, GetNameGivesTheNameOrAnAllocatedCopy) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"F_L0");
  AcDbBlockTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, blk, AcDb::kForRead), Acad::eOk);
  const ACHAR* kept = nullptr;
  rec->getName(kept);
  ACHAR* copy = nullptr;
  rec->getName(copy);
  EXPECT_STREQ(kept, L"F_L0");
  EXPECT_STREQ(copy, L"F_L0");
  EXPECT_NE(static_cast<const ACHAR*>(copy), kept);
  acutDelString(copy);
  EXPECT_EQ(copy, nullptr);
  EXPECT_FALSE(rec->isLayout());
  EXPECT_FALSE(rec->isAnonymous());
  rec->close();
}

TEST(SymbolTables, IteratorsSkipErasedRecordsAndErasedNamesFreeUp) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"TEMP");
  AcDbBlockTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, blk, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(rec->erase(), Acad::eOk);
  rec->close();
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt, AcDb::kForRead);
  EXPECT_FALSE(bt->has(L"TEMP"));
  AcDbBlockTableIterator* it = nullptr;
  bt->newIterator(it);
  int live = 0;
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* r = nullptr;
    ASSERT_EQ(it->getRecord(r, AcDb::kForRead), Acad::eOk);
    const ACHAR* name = nullptr;
    r->getName(name);
    EXPECT_STRNE(name, L"TEMP");
    r->close();
    ++live;
  }
  delete it;
  bt->close();
  EXPECT_EQ(live, 2);
  EXPECT_FALSE(addBlock(&db, L"temp").isNull());
}

TEST(SymbolTables, WhatADrawingCannotLoseCannotBeErased) {
  AcDbDatabase db;
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ms->erase(), Acad::eCannotBeErasedByCaller);
  ms->close();
  AcDbLayerTableRecord* zero = nullptr;
  ASSERT_EQ(acdbOpenObject(zero, db.clayer(), AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(zero->erase(), Acad::eCannotBeErasedByCaller);
  zero->close();
}

TEST(Entities, NewEntitiesTakeTheCurrentLayerAndNamedLayersMustExist) {
  AcDbDatabase db;
  AcDbLayerTable* lt = nullptr;
  db.getLayerTable(lt, AcDb::kForWrite);
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(L"AC_EQUIPMENT");
  AcDbObjectId layer;
  lt->add(layer, rec);
  rec->close();
  lt->close();
  ASSERT_EQ(db.setClayer(layer), Acad::eOk);
  AcDbObjectId id = addToModelSpace(&db, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ent->layerId(), layer);
  ACHAR* name = ent->layer();
  EXPECT_STREQ(name, L"AC_EQUIPMENT");
  acutDelString(name);
  EXPECT_EQ(ent->setLayer(L"NO_SUCH_LAYER"), Acad::eKeyNotFound);
  EXPECT_EQ(ent->setLayer(L"0"), Acad::eOk);
  EXPECT_EQ(ent->setColorIndex(257), Acad::eInvalidInput);
  EXPECT_EQ(ent->setColorIndex(1), Acad::eOk);
  EXPECT_EQ(ent->colorIndex(), 1);
  EXPECT_EQ(ent->blockId(), db.modelSpaceId());
  ent->close();
}

TEST(Entities, PropertiesFromAnotherEntity) {
  AcDbDatabase db;
  auto* src = new AcDbLine();
  src->setDatabaseDefaults(&db);
  src->setColorIndex(3);
  AcDbLine copy;
  EXPECT_EQ(copy.setPropertiesFrom(src), Acad::eOk);
  EXPECT_EQ(copy.colorIndex(), 3);
  EXPECT_EQ(copy.layerId(), db.clayer());
  EXPECT_TRUE(copy.isKindOf(AcDbCurve::desc()));
  EXPECT_FALSE(copy.isKindOf(AcDbText::desc()));
  EXPECT_EQ(AcDbCircle::cast(&copy), nullptr);
  delete src;
}

TEST(Entities, AttributesAppendedBeforeTheReferenceJoinTheDatabaseWithIt) {
  AcDbDatabase db;
  AcDbObjectId blk = addBlock(&db, L"B");
  auto* ref = new AcDbBlockReference(AcGePoint3d(1, 2, 0), blk);
  auto* attr = new AcDbAttribute(AcGePoint3d(), L"v", L"TAG");
  ASSERT_EQ(ref->appendAttribute(attr), Acad::eOk);
  AcDbObjectId refId = addToModelSpace(&db, ref);
  AcDbBlockReference* opened = nullptr;
  ASSERT_EQ(acdbOpenObject(opened, refId, AcDb::kForRead), Acad::eOk);
  AcDbObjectIterator* it = opened->attributeIterator();
  ASSERT_FALSE(it->done());
  AcDbAttribute* a = nullptr;
  ASSERT_EQ(acdbOpenObject(a, it->objectId(), AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(a->ownerId(), refId);
  EXPECT_STREQ(a->tagConst(), L"TAG");
  a->close();
  it->step();
  EXPECT_TRUE(it->done());
  delete it;
  opened->close();
}

TEST(Entities, HandlesAreUniqueAndFindTheirObjects) {
  AcDbDatabase db;
  AcDbObjectId a = addToModelSpace(&db, new AcDbPoint());
  AcDbObjectId b = addToModelSpace(&db, new AcDbPoint());
  EXPECT_NE(a.handle(), b.handle());
  EXPECT_EQ(a.database(), &db);
  AcDbObjectId found;
  ASSERT_EQ(db.getAcDbObjectId(found, false, b.handle()), Acad::eOk);
  EXPECT_EQ(found, b);
  EXPECT_EQ(db.getAcDbObjectId(found, false, AcDbHandle(0xFFFFFFu)), Acad::eUnknownHandle);
  AcDbObjectId old;
  old.setFromOldId(a.asOldId());
  EXPECT_EQ(old, a);
}

TEST(HostServices, LayerNamedOutsideAnyDatabaseIsMadeWhereTheEntityJoins) {
  AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  auto* line = new AcDbLine();
  ACHAR* name = line->layer();
  EXPECT_STREQ(name, L"0");
  acutDelString(name);
  EXPECT_EQ(line->setLayer(L"DUCTS"), Acad::eOk);
  auto* copy = AcDbLine::cast(line->clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(line->setLayer(L"OTHER"), Acad::eOk);  // the copy keeps its own name
  name = copy->layer();
  EXPECT_STREQ(name, L"DUCTS");
  acutDelString(name);
  AcDbDatabase db;
  addToModelSpace(&db, copy);
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  AcDbObjectId ducts;
  EXPECT_EQ(layers->getAt(L"DUCTS", ducts), Acad::eOk);
  EXPECT_FALSE(layers->has(L"OTHER"));
  layers->close();
  AcDbObjectPointer<AcDbLine> added(copy->objectId(), AcDb::kForRead);
  ASSERT_TRUE(added);
  EXPECT_EQ(added->layerId(), ducts);
  delete line;
  acdbHostApplicationServices()->setWorkingDatabase(working);
}

TEST(HostServices, WorkingDatabaseIsForgottenWhenDeleted) {
  auto* db = new AcDbDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(db);
  EXPECT_EQ(acdbCurDwg(), db);
  auto* line = new AcDbLine();
  EXPECT_EQ(line->setLayer(L"0"), Acad::eOk);  // resolved in the working database
  EXPECT_EQ(line->setLayer(L"missing"), Acad::eKeyNotFound);
  delete line;
  delete db;
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
}

}  // namespace
