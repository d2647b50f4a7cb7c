// Databases, tables, records and entities: what a new drawing has, opening and closing,
// names, erasure, ownership, iterators, copies and extended data.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad_test_support.h"
#include "drawing_builder.h"

namespace {

using namespace cadtest;
using Ids = std::vector<AcDbObjectId>;

// The entities an iterator over the block visits, forwards or backwards, erased ones too.
Ids walk(AcDbObjectId block, bool forward = true, bool skipErased = true) {
  AcDbObjectPointer<AcDbBlockTableRecord> btr(block, AcDb::kForRead);
  AcDbBlockTableRecordIterator* it = nullptr;
  btr->newIterator(it, forward, skipErased);
  Ids ids;
  for (AcDbObjectId id; !it->done(); it->step(forward, skipErased)) {
    it->getEntityId(id);
    ids.push_back(id);
  }
  delete it;
  return ids;
}

// What a new drawing holds is used by every test here, and checked by the drawing checker.
TEST(Database, AnEmptyDatabaseHasNoTablesAndCannotBeWritten) {
  AcDbDatabase empty(false);
  AcDbBlockTable* bt = nullptr;
  EXPECT_EQ(empty.getBlockTable(bt), Acad::eMissingSymbolTable);
  EXPECT_EQ(bt, nullptr);
  std::string out;
  EXPECT_NE(empty.writeDxfText(out), Acad::eOk);
  // Nothing stands for a number that is not finite: the drawing is not written.
  AcDbDatabase db;
  apptest::addLine(&db, {0, 0, 0}, {HUGE_VAL, 0, 0});
  EXPECT_EQ(db.writeDxfText(out), Acad::eInvalidInput);
  EXPECT_NE(std::wstring(db.lastErrorText()).find(L"not finite"), std::wstring::npos);
  EXPECT_EQ(out, "");
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
  EXPECT_EQ(walk(db.modelSpaceId()), Ids{b});
  EXPECT_EQ(walk(db.modelSpaceId(), true, false), (Ids{a, b}));
  EXPECT_EQ(walk(db.modelSpaceId(), false, false), (Ids{b, a}));
  // Each step takes its own rule: one that keeps erased entities reaches c.
  const AcDbObjectId c = addToModelSpace(&db, new AcDbPoint(AcGePoint3d(3, 0, 0)));
  AcDbObjectPointer<AcDbEntity>(c, AcDb::kForWrite)->erase();
  AcDbBlockTableRecordIterator* it = nullptr;
  AcDbObjectPointer<AcDbBlockTableRecord>(db.modelSpaceId(), AcDb::kForRead)->newIterator(it);
  AcDbObjectId at;
  it->step(true, false);
  ASSERT_FALSE(it->done());
  it->getEntityId(at);
  EXPECT_EQ(at, c);
  delete it;
}

TEST(SymbolTables, NamesMatchWithoutCaseStayUniqueAndAreFreedWhenErased) {
  AcDbDatabase db;
  const AcDbObjectId id = addLayer(&db, L"AC_EQUIPMENT");
  EXPECT_TRUE(addLayer(&db, L"ac_equipment").isNull()) << "a duplicate name";
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
  AcDbObjectId found;
  EXPECT_EQ(lt->getAt(L"Ac_Equipment", found), Acad::eOk);
  EXPECT_EQ(found, id);
  lt->close();
  AcDbObjectPointer<AcDbLayerTableRecord> opened(id, AcDb::kForWrite);
  EXPECT_EQ(opened->setName(L"0"), Acad::eDuplicateRecordName);
  EXPECT_EQ(opened->setName(L"a<b"), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(opened->setName(L"风机层"), Acad::eOk);
  opened->close();
  EXPECT_FALSE(hasLayer(db, L"AC_EQUIPMENT"));
  EXPECT_TRUE(hasLayer(db, L"风机层"));
  // Erased records go with their entities and free their name; layouts and layer 0 stay.
  const AcDbObjectId blk = addBlock(&db, L"TEMP");
  addToBlock(blk, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 3));
  const AcDbObjectId anonymous = addBlock(&db, L"*U1");
  for (auto [block, expected] :
       {std::pair{blk, false}, {anonymous, true}, {db.modelSpaceId(), false}})
    EXPECT_EQ(AcDbObjectPointer<AcDbBlockTableRecord>(block, AcDb::kForRead)->isAnonymous(),
              expected);
  ASSERT_EQ(AcDbObjectPointer<AcDbBlockTableRecord>(blk, AcDb::kForWrite)->erase(), Acad::eOk);
  EXPECT_TRUE(blockNamed(db, L"TEMP").isNull());
  AcDbDatabase* out = nullptr;
  EXPECT_EQ(db.wblock(out, blk), Acad::eInvalidInput) << "an erased block is written out no more";
  AcDbDatabase other;
  EXPECT_EQ(db.wblock(out, addBlock(&other, L"ELSEWHERE")), Acad::eInvalidInput)
      << "nor one of another drawing";
  const std::string text = written(db);  // nor written, nor its entities
  EXPECT_EQ(text.find("TEMP"), std::string::npos);
  EXPECT_EQ(text.find("\nCIRCLE\n"), std::string::npos);
  EXPECT_FALSE(addBlock(&db, L"temp").isNull());
  for (AcDbObjectId kept : {db.modelSpaceId(), db.clayer()})
    EXPECT_EQ(AcDbObjectPointer<AcDbObject>(kept, AcDb::kForWrite)->erase(),
              Acad::eCannotBeErasedByCaller);
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
  ACHAR* name = ent->layer();
  EXPECT_STREQ(name, L"AC_EQUIPMENT");
  acutDelString(name);
  EXPECT_EQ(ent->setLayer(L"NO_SUCH_LAYER"), Acad::eKeyNotFound);
  EXPECT_EQ(ent->setLayer(L"0"), Acad::eOk);
  EXPECT_EQ(ent->setColorIndex(257), Acad::eInvalidInput);
  EXPECT_EQ(ent->setColorIndex(3), Acad::eOk);
  AcDbLine src, copy;
  src.setDatabaseDefaults(&db);
  src.setColorIndex(3);
  EXPECT_EQ(copy.setPropertiesFrom(&src), Acad::eOk);
  EXPECT_EQ(copy.colorIndex(), 3);
  EXPECT_EQ(copy.layerId(), db.clayer());
  // Handles are unique and find their objects.
  EXPECT_NE(id.handle(), other.handle());
  AcDbObjectId found;
  ASSERT_EQ(db.getAcDbObjectId(found, false, other.handle()), Acad::eOk);
  EXPECT_EQ(found, other);
  EXPECT_EQ(db.getAcDbObjectId(found, false, AcDbHandle(0xFFFFFFu)), Acad::eUnknownHandle);
  // Handle texts are hexadecimal, either case, 'A' and 'F' included.
  EXPECT_EQ(AcDbHandle(L"1A").value(), 26u);
  EXPECT_EQ(AcDbHandle(L"af").value(), 175u);
}

TEST(Entities, AttributesJoinTheDatabaseWithTheirReferenceAndTextIsAligned) {
  AcDbDatabase db;
  auto* ref = new AcDbBlockReference(AcGePoint3d(1, 2, 0), addBlock(&db, L"B"));
  ASSERT_EQ(ref->appendAttribute(new AcDbAttribute(AcGePoint3d(), L"v", L"TAG")), Acad::eOk);
  const AcDbObjectId refId = addToModelSpace(&db, ref);
  AcDbObjectPointer<AcDbBlockReference> opened(refId, AcDb::kForRead);
  ASSERT_EQ(opened->attributeIds().size(), 1u);
  std::unique_ptr<AcDbObjectIterator> it(opened->attributeIterator());
  ASSERT_FALSE(it->done()) << "the first attribute is there to visit";
  EXPECT_EQ(it->objectId(), opened->attributeIds()[0]);
  it->step();
  EXPECT_TRUE(it->done());
  AcDbObjectPointer<AcDbAttribute> a(opened->attributeIds()[0], AcDb::kForWrite);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->ownerId(), refId);
  EXPECT_STREQ(a->tagConst(), L"TAG");
  // An attribute definition keeps tag, prompt and default apart; a tag cannot be empty.
  AcDbAttributeDefinition def(AcGePoint3d(10, 5, 0), L"默认", L"TAG", L"型号");
  EXPECT_STREQ(def.promptConst(), L"型号");
  EXPECT_EQ(def.setTag(L""), Acad::eInvalidInput);
  // Aligned text is moved to its alignment point; text of the default alignment stays.
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
  EXPECT_EQ(left.position(), AcGePoint3d(3, 3, 0));
}

// Layers named on entities outside a database: no caller. The working database, which
// documents set, is forgotten when it is deleted.
TEST(HostServices, AWorkingDatabaseResolvesLayerNamesAndIsForgottenWhenDeleted) {
  AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
  auto* other = new AcDbDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(other);
  AcDbLine loose;
  EXPECT_EQ(loose.setLayer(L"0"), Acad::eOk);
  EXPECT_EQ(loose.setLayer(L"missing"), Acad::eKeyNotFound);
  delete other;
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
  acdbHostApplicationServices()->setWorkingDatabase(working);
}

// The xdata of app on the entity id as "code:value" items.
std::vector<std::string> xdataOf(AcDbObjectId id, const ACHAR* app) {
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
  std::vector<std::string> out;
  resbuf* rb = ent->xData(app);
  for (resbuf* p = rb; p; p = p->rbnext) {
    const auto& v = p->resval;
    const zrcad::RbKind kind = zrcad::rbKindOf(p->restype);
    out.push_back(std::to_string(p->restype) + ":" +
                  (kind == zrcad::RbKind::kString  ? zrbase::wideToUtf8(v.rstring)
                   : kind == zrcad::RbKind::kReal  ? std::to_string(v.rreal)
                   : kind == zrcad::RbKind::kShort ? std::to_string(v.rint)
                   : kind == zrcad::RbKind::kLong  ? std::to_string(v.rlong)
                   : kind == zrcad::RbKind::kPoint
                       ? std::to_string(v.rpoint[0]) + "," + std::to_string(v.rpoint[2])
                       : "?"));
  }
  acutRelRb(rb);
  return out;
}

Acad::ErrorStatus setXdata(AcDbObjectId id, resbuf* rb) {
  const Acad::ErrorStatus es = AcDbObjectPointer<AcDbEntity>(id, AcDb::kForWrite)->setXData(rb);
  acutRelRb(rb);
  return es;
}

TEST(Xdata, ValuesOfEveryKindComeBackAndEachApplicationIsReplacedOnItsOwn) {
  for (int code : {330, 369, 390, 480, 1005})
    EXPECT_EQ(zrcad::rbKindOf(code), zrcad::RbKind::kHandle) << code;
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
  // Each application is replaced on its own (clones keep it: COPY in tests/e2e/edit_test.py);
  // what DXF readers refuse is refused.
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

}  // namespace
