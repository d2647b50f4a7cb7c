// Databases, tables, records and entities: what a new drawing has, opening and closing,
// names, erasure, ownership, iterators, copies and extended data.
#include <gtest/gtest.h>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;

// The layer name of an entity, freed.
std::wstring layerOf(const AcDbEntity& ent) {
  ACHAR* name = ent.layer();
  std::wstring out = name ? name : L"";
  acutDelString(name);
  return out;
}

TEST(Database, ANewDrawingHasLayoutsLayerZeroAndAcadAndAnEmptyOneNoTables) {
  AcDbDatabase db;
  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(db.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(bt->has(L"*MODEL_SPACE"));
  EXPECT_TRUE(bt->has(ACDB_PAPER_SPACE));
  bt->close();
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db.getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  AcDbObjectId zero;
  EXPECT_EQ(lt->getAt(L"0", zero), Acad::eOk);
  lt->close();
  EXPECT_EQ(db.clayer(), zero);
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db.getRegAppTable(apps), Acad::eOk);
  EXPECT_TRUE(apps->has(L"acad"));
  apps->close();
  AcDbDatabase empty(false);
  bt = nullptr;
  EXPECT_EQ(empty.getBlockTable(bt), Acad::eMissingSymbolTable);
  EXPECT_EQ(bt, nullptr);
  std::string out;
  EXPECT_NE(empty.writeDxfText(out), Acad::eOk);
}

TEST(OpenClose, ReadersShareWriterExcludes) {
  AcDbDatabase db;
  AcDbObjectId id = addToModelSpace(&db, new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)));
  AcDbObject *r1 = nullptr, *r2 = nullptr, *w = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  EXPECT_EQ(r1->upgradeOpen(), Acad::eHadMultipleReaders);
  r2->close();
  ASSERT_EQ(r1->upgradeOpen(), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(r1->close(), Acad::eOk);
  EXPECT_EQ(r1->close(), Acad::eNotOpen);
  AcDbCircle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);  // the failed cast closed it
  w->close();
  EXPECT_EQ(acdbOpenObject(w, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
  // An object outside a database is the caller's to delete.
  auto* line = new AcDbLine();
  EXPECT_EQ(line->close(), Acad::eNotInDatabase);
  EXPECT_TRUE(line->isNewObject());
  delete line;  // LeakSanitizer and ASan check that this is the one and only free
}

TEST(OpenClose, ErasedObjectsOpenOnlyWhenAskedAndIteratorsSkipThem) {
  AcDbDatabase db;
  const AcDbObjectId a = addToModelSpace(&db, new AcDbPoint(AcGePoint3d(1, 0, 0)));
  const AcDbObjectId b = addToModelSpace(&db, new AcDbPoint(AcGePoint3d(2, 0, 0)));
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
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForRead);
  AcDbBlockTableRecordIterator* it = nullptr;
  ms->newIterator(it);
  std::vector<AcDbObjectId> seen;
  for (AcDbObjectId id; !it->done(); it->step()) {
    it->getEntityId(id);
    seen.push_back(id);
  }
  delete it;
  ms->newIterator(it, true, false);
  int all = 0;
  for (; !it->done(); it->step(true, false)) ++all;
  delete it;
  EXPECT_EQ(seen, std::vector<AcDbObjectId>{b});
  EXPECT_EQ(all, 2);
}

TEST(Iterators, BlockEntitiesBackwardsAppendedWhileWalkingAndTableSeek) {
  AcDbDatabase db;
  const AcDbObjectId blk = addBlock(&db, L"B");
  const AcDbObjectId first = addToBlock(blk, new AcDbPoint(AcGePoint3d(1, 0, 0)));
  const AcDbObjectId second = addToBlock(blk, new AcDbPoint(AcGePoint3d(2, 0, 0)));
  AcDbBlockTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, blk, AcDb::kForWrite), Acad::eOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  rec->newIterator(it, false);
  AcDbObjectId id;
  it->getEntityId(id);
  EXPECT_EQ(id, second);
  it->step(false);
  it->getEntityId(id);
  EXPECT_EQ(id, first);
  it->step(false);
  EXPECT_TRUE(it->done());
  int seen = 0;
  for (it->start(); !it->done(); it->step()) {
    if (seen++ == 0) {
      auto* late = new AcDbPoint(AcGePoint3d(3, 0, 0));
      rec->appendAcDbEntity(late);
      late->close();
    }
  }
  EXPECT_EQ(seen, 3);
  delete it;
  rec->close();
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt);
  AcDbBlockTableIterator* tableIt = nullptr;
  bt->newIterator(tableIt);
  ASSERT_EQ(tableIt->seek(blk), Acad::eOk);
  tableIt->getRecordId(id);
  EXPECT_EQ(id, blk);
  EXPECT_EQ(tableIt->seek(AcDbObjectId()), Acad::eKeyNotFound);
  delete tableIt;
  bt->close();
}

TEST(SymbolTables, NamesMatchWithoutCaseAndStayUniqueAndAreGivenOrCopied) {
  AcDbDatabase db;
  const AcDbObjectId id = addLayer(&db, L"AC_EQUIPMENT");
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
  auto* dup = new AcDbLayerTableRecord();
  dup->setName(L"ac_equipment");
  EXPECT_EQ(lt->add(dup), Acad::eDuplicateRecordName);
  delete dup;
  AcDbObjectId found;
  EXPECT_EQ(lt->getAt(L"Ac_Equipment", found), Acad::eOk);
  EXPECT_EQ(found, id);
  AcDbLayerTableRecord* opened = nullptr;
  ASSERT_EQ(lt->getAt(L"AC_EQUIPMENT", opened, AcDb::kForWrite), Acad::eOk);
  const ACHAR* kept = nullptr;
  opened->getName(kept);
  ACHAR* copy = nullptr;
  opened->getName(copy);
  EXPECT_STREQ(kept, L"AC_EQUIPMENT");
  EXPECT_STREQ(copy, L"AC_EQUIPMENT");
  EXPECT_NE(static_cast<const ACHAR*>(copy), kept);
  acutDelString(copy);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(opened->setName(L"0"), Acad::eDuplicateRecordName);
  EXPECT_EQ(opened->setName(L"a<b"), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(opened->setName(L"风机层"), Acad::eOk);
  opened->close();
  EXPECT_FALSE(lt->has(L"AC_EQUIPMENT"));
  EXPECT_TRUE(lt->has(L"风机层"));
  lt->close();
}

TEST(SymbolTables, ErasedRecordsAreSkippedAndFreeTheirNameButLayoutsAndLayerZeroStay) {
  AcDbDatabase db;
  const AcDbObjectId blk = addBlock(&db, L"TEMP");
  {
    AcDbObjectPointer<AcDbBlockTableRecord> rec(blk, AcDb::kForWrite);
    EXPECT_FALSE(rec->isLayout());
    EXPECT_FALSE(rec->isAnonymous());
    ASSERT_EQ(rec->erase(), Acad::eOk);
  }
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt, AcDb::kForRead);
  EXPECT_FALSE(bt->has(L"TEMP"));
  AcDbBlockTableIterator* it = nullptr;
  bt->newIterator(it);
  int live = 0;
  for (; !it->done(); it->step(), ++live) {
    AcDbBlockTableRecord* r = nullptr;
    ASSERT_EQ(it->getRecord(r, AcDb::kForRead), Acad::eOk);
    EXPECT_NE(r->name(), L"TEMP");
    r->close();
  }
  delete it;
  bt->close();
  EXPECT_EQ(live, 2);
  EXPECT_FALSE(addBlock(&db, L"temp").isNull());
  for (AcDbObjectId kept : {db.modelSpaceId(), db.clayer()}) {
    AcDbObjectPointer<AcDbObject> rec(kept, AcDb::kForWrite);
    EXPECT_EQ(rec->erase(), Acad::eCannotBeErasedByCaller);
  }
}

TEST(Entities, LayersColoursKindsAndHandles) {
  AcDbDatabase db;
  const AcDbObjectId layer = addLayer(&db, L"AC_EQUIPMENT");
  ASSERT_EQ(db.setClayer(layer), Acad::eOk);
  const AcDbObjectId id =
      addToModelSpace(&db, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1));
  const AcDbObjectId other = addToModelSpace(&db, new AcDbPoint());
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForWrite);
  EXPECT_EQ(ent->layerId(), layer);
  EXPECT_EQ(layerOf(*ent.object()), L"AC_EQUIPMENT");
  EXPECT_EQ(ent->setLayer(L"NO_SUCH_LAYER"), Acad::eKeyNotFound);
  EXPECT_EQ(ent->setLayer(L"0"), Acad::eOk);
  EXPECT_EQ(ent->setColorIndex(257), Acad::eInvalidInput);
  EXPECT_EQ(ent->setColorIndex(3), Acad::eOk);
  EXPECT_EQ(ent->blockId(), db.modelSpaceId());
  AcDbLine src, copy;
  src.setDatabaseDefaults(&db);
  src.setColorIndex(3);
  EXPECT_EQ(copy.setPropertiesFrom(&src), Acad::eOk);
  EXPECT_EQ(copy.colorIndex(), 3);
  EXPECT_EQ(copy.layerId(), db.clayer());
  EXPECT_TRUE(copy.isKindOf(AcDbCurve::desc()));
  EXPECT_FALSE(copy.isKindOf(AcDbText::desc()));
  EXPECT_EQ(AcDbCircle::cast(&copy), nullptr);
  // Handles are unique and find their objects.
  EXPECT_NE(id.handle(), other.handle());
  EXPECT_EQ(id.database(), &db);
  AcDbObjectId found;
  ASSERT_EQ(db.getAcDbObjectId(found, false, other.handle()), Acad::eOk);
  EXPECT_EQ(found, other);
  EXPECT_EQ(db.getAcDbObjectId(found, false, AcDbHandle(0xFFFFFFu)), Acad::eUnknownHandle);
  AcDbObjectId old;
  old.setFromOldId(id.asOldId());
  EXPECT_EQ(old, id);
}

TEST(Entities, AttributesAppendedBeforeTheReferenceJoinTheDatabaseWithIt) {
  AcDbDatabase db;
  auto* ref = new AcDbBlockReference(AcGePoint3d(1, 2, 0), addBlock(&db, L"B"));
  ASSERT_EQ(ref->appendAttribute(new AcDbAttribute(AcGePoint3d(), L"v", L"TAG")), Acad::eOk);
  const AcDbObjectId refId = addToModelSpace(&db, ref);
  AcDbObjectPointer<AcDbBlockReference> opened(refId, AcDb::kForRead);
  AcDbObjectIterator* it = opened->attributeIterator();
  ASSERT_FALSE(it->done());
  AcDbObjectPointer<AcDbAttribute> a(it->objectId(), AcDb::kForWrite);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->ownerId(), refId);
  EXPECT_STREQ(a->tagConst(), L"TAG");
  it->step();
  EXPECT_TRUE(it->done());
  delete it;
  // An attribute definition keeps tag, prompt and default apart; a tag cannot be empty.
  AcDbAttributeDefinition def(AcGePoint3d(10, 5, 0), L"默认", L"TAG", L"型号");
  EXPECT_STREQ(def.tagConst(), L"TAG");
  EXPECT_STREQ(def.promptConst(), L"型号");
  EXPECT_STREQ(def.textStringConst(), L"默认");
  EXPECT_EQ(def.setTag(L""), Acad::eInvalidInput);
}

TEST(Entities, TextAlignmentMovesThePositionToTheAlignmentPoint) {
  AcDbAttribute attr(AcGePoint3d(), L"ABCD", L"T");
  attr.setHeight(2);
  attr.setHorizontalMode(kTextRight);
  attr.setAlignmentPoint(AcGePoint3d(10, 0, 0));
  ASSERT_EQ(attr.adjustAlignment(nullptr), Acad::eOk);
  EXPECT_TRUE(attr.position().isEqualTo(AcGePoint3d(2, 0, 0)));
  attr.setHorizontalMode(kTextMid);
  attr.adjustAlignment();
  EXPECT_TRUE(attr.position().isEqualTo(AcGePoint3d(6, -1, 0)));
  AcDbText left(AcGePoint3d(3, 3, 0), L"X");
  left.adjustAlignment();
  EXPECT_EQ(left.position(), AcGePoint3d(3, 3, 0));  // default alignment: nothing to adjust
}

TEST(HostServices, LayerNamedOutsideAnyDatabaseIsMadeWhereTheEntityJoins) {
  AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  auto* line = new AcDbLine();
  EXPECT_EQ(layerOf(*line), L"0");
  EXPECT_EQ(line->setLayer(L"DUCTS"), Acad::eOk);
  auto* copy = AcDbLine::cast(line->clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(line->setLayer(L"OTHER"), Acad::eOk);  // the copy keeps its own name
  EXPECT_EQ(layerOf(*copy), L"DUCTS");
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

// The xdata of app on the entity id as "code:value" items.
std::vector<std::string> xdataOf(AcDbObjectId id, const ACHAR* app) {
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
  if (!ent) return {"not open"};
  std::vector<std::string> out;
  resbuf* rb = ent->xData(app);
  for (resbuf* p = rb; p; p = p->rbnext) {
    std::string v = "?";
    switch (zrcad::rbKindOf(p->restype)) {
      case zrcad::RbKind::kString:
        v = zrbase::wideToUtf8(p->resval.rstring);
        break;
      case zrcad::RbKind::kReal:
        v = std::to_string(p->resval.rreal);
        break;
      case zrcad::RbKind::kShort:
        v = std::to_string(p->resval.rint);
        break;
      case zrcad::RbKind::kLong:
        v = std::to_string(p->resval.rlong);
        break;
      case zrcad::RbKind::kPoint:
        v = std::to_string(p->resval.rpoint[0]) + "," + std::to_string(p->resval.rpoint[2]);
        break;
      default:
        break;
    }
    out.push_back(std::to_string(p->restype) + ":" + v);
  }
  acutRelRb(rb);
  return out;
}

Acad::ErrorStatus setXdata(AcDbObjectId id, resbuf* rb) {
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForWrite);
  const Acad::ErrorStatus es = ent ? ent->setXData(rb) : ent.openStatus();
  acutRelRb(rb);
  return es;
}

TEST(Xdata, ValuesOfEveryKindComeBackInClonesToo) {
  AcDbDatabase db;
  const AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  ads_point p = {1.5, 2, 3};
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"离心式风机", 1070, 2, 1071,
                                       Adesk::Int32{70000}, 1040, 0.25, 1010, p, 0)),
            Acad::eOk);
  EXPECT_EQ(xdataOf(id, L"MODEL"),
            (std::vector<std::string>{"1001:Model", "1000:离心式风机", "1070:2", "1071:70000",
                                      "1040:0.250000", "1010:1.500000,3.000000"}));
  EXPECT_TRUE(xdataOf(id, L"Other").empty());
  AcDbRegAppTable* apps = nullptr;
  db.getRegAppTable(apps);
  EXPECT_TRUE(apps->has(L"MODEL")) << "applications are registered in the drawing";
  apps->close();
  // A clone belongs to no database and keeps its data.
  AcDbObjectPointer<AcDbLine> line(id, AcDb::kForWrite);
  line->setColorIndex(4);
  std::unique_ptr<AcDbLine> copy(static_cast<AcDbLine*>(line->clone()));
  EXPECT_EQ(copy->database(), nullptr);
  EXPECT_TRUE(copy->objectId().isNull());
  EXPECT_EQ(copy->colorIndex(), 4);
  resbuf* x = copy->xData(L"Model");
  ASSERT_NE(x, nullptr);
  EXPECT_STREQ(x->rbnext->resval.rstring, L"离心式风机");
  acutRelRb(x);
}

TEST(Xdata, EachApplicationIsReplacedOnItsOwnAndWhatDxfReadersRefuseIsRefused) {
  AcDbDatabase db;
  const AcDbObjectId id = addToModelSpace(&db, new AcDbLine());
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"A", 0)), Acad::eOk);
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"PLAN", 1000, L"1", 0)), Acad::eOk);
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"Model", 1000, L"B", 0)), Acad::eOk);
  EXPECT_EQ(xdataOf(id, nullptr),
            (std::vector<std::string>{"1001:PLAN", "1000:1", "1001:Model", "1000:B"}));
  ASSERT_EQ(setXdata(id, acutBuildList(1001, L"PLAN", 0)), Acad::eOk);
  EXPECT_EQ(xdataOf(id, nullptr), (std::vector<std::string>{"1001:Model", "1000:B"}));
  const std::wstring longText(86, L'风');  // 258 bytes of UTF-8
  for (resbuf* bad : {acutBuildList(1001, L"Model", 1000, longText.c_str(), 0),
                      acutBuildList(1000, L"no application first", 0),
                      acutBuildList(1001, L"Model", 1002, L"[", 0)})
    EXPECT_EQ(setXdata(id, bad), Acad::eInvalidResBuf);
  EXPECT_EQ(xdataOf(id, nullptr), (std::vector<std::string>{"1001:Model", "1000:B"}));
}

TEST(ResultBuffers, BuildDuplicateAndRelease) {
  resbuf* rb = acutBuildList(RTSTR, L"text", RTSHORT, 7, RTREAL, 1.5, 0);
  ASSERT_NE(rb, nullptr);
  resbuf* copy = acutDuplicateRb(rb);
  acutRelRb(rb);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->resval.rstring, L"text");
  ASSERT_NE(copy->rbnext, nullptr);
  EXPECT_EQ(copy->rbnext->resval.rint, 7);
  EXPECT_EQ(copy->rbnext->rbnext->resval.rreal, 1.5);
  EXPECT_EQ(copy->rbnext->rbnext->rbnext, nullptr);
  acutRelRb(copy);
  EXPECT_EQ(acutBuildList(4242, 1, 0), nullptr);
}

}  // namespace
