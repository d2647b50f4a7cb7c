// The block table, block definitions and the iterator over a block's entities.
#include "cad/db/db_block_table.h"

#include "cad/db/database_impl.h"
#include "cad/db/db_text.h"
#include "cad/db/dxf/dxf_fields.h"

using zrcad::dxf::ClassTable;

ZRCAD_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, "BLOCK_RECORD")
ZRCAD_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable, "TABLE")

namespace {

// What AutoCAD writes for a new block record: no layout, unitless, explodable, any scale.
void setNewRecordDefaults(zrcad::dxf::ObjectData& data) {
  data.extras = {{340, 2, "0"}, {70, 2, "0"}, {280, 2, "1"}, {281, 2, "0"}};
}

}  // namespace

AcDbBlockTableRecord::AcDbBlockTableRecord() : m_records(std::make_unique<BlockRecords>()) {
  setNewRecordDefaults(dxfData());
}

AcDbBlockTableRecord::~AcDbBlockTableRecord() = default;

AcDbBlockTableRecord::AcDbBlockTableRecord(const AcDbBlockTableRecord& other)
    : AcDbSymbolTableRecord(other),
      m_origin(other.m_origin),
      m_flags(static_cast<short>(other.m_flags & ~4)),
      m_records(std::make_unique<BlockRecords>()) {
  if (zrcad::exactCopying()) {
    m_flags = other.m_flags;
    m_entities = other.m_entities;
    *m_records = *other.m_records;
    return;
  }
  m_records->description = other.m_records->description;
  setNewRecordDefaults(dxfData());
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin) {
  m_origin = origin;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
  AcDbObjectId id;
  return appendAcDbEntity(id, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
  id.setNull();
  if (entity == nullptr) return Acad::eNullEntityPointer;
  AcDbDatabase* db = database();
  if (db == nullptr) return Acad::eNoDatabase;
  if (entity->database() != nullptr) return Acad::eAlreadyInDb;
  id = db->impl().addObject(entity, objectId());
  m_entities.push_back(id);
  zrcad::DbAccess::added(entity, db);
  if (AcDbAttributeDefinition::cast(entity)) m_flags |= 2;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& it,
                                                    bool atBeginning, bool skipDeleted) const {
  it = new AcDbBlockTableRecordIterator(this, atBeginning, skipDeleted);
  return Acad::eOk;
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
  for (AcDbObjectId id : m_entities)
    if (!id.isErased() && id.stub()->object && AcDbAttributeDefinition::cast(id.stub()->object))
      return true;
  return false;
}

bool AcDbBlockTableRecord::isLayout() const {
  std::wstring n = zrcad::foldName(name());
  return n == L"*MODEL_SPACE" || n.rfind(L"*PAPER_SPACE", 0) == 0;
}

bool AcDbBlockTableRecord::isAnonymous() const {
  return !isLayout() && ((m_flags & 1) != 0 || (!name().empty() && name()[0] == L'*'));
}

std::vector<AcDbObjectId> AcDbBlockTableRecord::entityIds() const {
  std::vector<AcDbObjectId> ids;
  ids.reserve(m_entities.size());
  for (AcDbObjectId id : m_entities)
    if (id.isValid()) ids.push_back(id);
  return ids;
}

void AcDbBlockTableRecord::attachEntity(AcDbEntity*, AcDbObjectId id) { m_entities.push_back(id); }

Acad::ErrorStatus AcDbBlockTableRecord::eraseAllEntities() {
  AcDbDatabase* db = database();
  if (db) db->impl().noteChange(this);
  for (AcDbObjectId id : m_entities) {
    if (!id.stub()->object) continue;
    if (db) db->impl().noteChange(id.stub()->object);
    zrcad::DbAccess::setErased(id.stub()->object, true);
  }
  m_entities.clear();
  m_flags &= ~2;
  return Acad::eOk;
}

void AcDbBlockTableRecord::assignSubHandles(AcDbDatabase* db) {
  if (m_records->beginHandle.isNull()) m_records->beginHandle = db->impl().allocateHandle();
  if (m_records->endHandle.isNull()) m_records->endHandle = db->impl().allocateHandle();
}

void AcDbBlockTableRecord::onAddedToDatabase(AcDbDatabase* db) { assignSubHandles(db); }

const ClassTable& AcDbBlockTableRecord::dxfTable() const {
  static const ClassTable table(
      {{nullptr, {}}, {"AcDbSymbolTableRecord", {}}, {"AcDbBlockTableRecord", {}}});
  return table;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* name, AcDbBlockTableRecord*& rec,
                                        AcDb::OpenMode mode, bool openErasedRec) const {
  rec = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErasedRec);
  return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErasedRec) : es;
}

Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& it, bool atBeginning,
                                              bool skipDeleted) const {
  it = new AcDbBlockTableIterator(&recordIds(), atBeginning, skipDeleted);
  return Acad::eOk;
}

// ---- iterator over a block's entities

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* owner,
                                                           bool atBeginning, bool skipDeleted)
    : m_owner(owner) {
  start(atBeginning, skipDeleted);
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
  m_skipDeleted = skipDeleted;
  m_pos = atBeginning ? 0 : static_cast<int>(m_owner->allEntityIds().size()) - 1;
  skip(atBeginning);
}

bool AcDbBlockTableRecordIterator::done() const {
  return m_pos < 0 || m_pos >= static_cast<int>(m_owner->allEntityIds().size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
  m_skipDeleted = skipDeleted;
  m_pos += forward ? 1 : -1;
  skip(forward);
}

void AcDbBlockTableRecordIterator::skip(bool forward) {
  while (m_skipDeleted && !done() && m_owner->allEntityIds()[static_cast<size_t>(m_pos)].isErased())
    m_pos += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = m_owner->allEntityIds()[static_cast<size_t>(m_pos)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& ent, AcDb::OpenMode mode,
                                                          bool openErasedEntity) const {
  ent = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = getEntityId(id);
  return es == Acad::eOk ? acdbOpenObject(ent, id, mode, openErasedEntity) : es;
}
