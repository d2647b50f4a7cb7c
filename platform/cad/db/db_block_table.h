// The block table and block definitions (model space and paper space included).
#pragma once

#include <memory>
#include <vector>

#include "cad/db/db_entity.h"
#include "cad/db/db_symbol_table.h"
#include "cad/db/object_pool.h"

namespace zrcad {
// The ids of a block's entities, in order. Model space's list of a large drawing is megabytes,
// made at once while it is read: from 2 MB on it is held in huge pages.
using EntityIdList = std::vector<AcDbObjectId, LargeAllocator<AcDbObjectId>>;
}  // namespace zrcad

class AcDbBlockTableRecord;

// Walks the entities of a block definition in order, over the block's live list: entities
// appended while it walks are reached too.
class AcDbBlockTableRecordIterator {
 public:
  AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* owner, bool atBeginning,
                               bool skipDeleted);
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
  Acad::ErrorStatus getEntity(AcDbEntity*& ent, AcDb::OpenMode mode,
                              bool openErasedEntity = false) const;
  const AcDbBlockTableRecord* blockTableRecord() const { return m_owner; }

 private:
  void skip(bool forward);
  const AcDbBlockTableRecord* m_owner;
  int m_pos = 0;
  bool m_skipDeleted = true;
};

// A block definition. Its entities are database objects owned by it. Flags (DXF group 70
// of BLOCK): anonymous 1, has attribute definitions 2, external reference 4.
class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
  ZRCAD_DECLARE_MEMBERS(AcDbBlockTableRecord)
 public:
  AcDbBlockTableRecord();
  ~AcDbBlockTableRecord() override;

  AcGePoint3d origin() const { return m_origin; }
  Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);

  // The record must be in a database (eNoDatabase otherwise); the entity gets an id, is
  // owned by the database, gets the database's current layer when it has none, and stays
  // open for write. eAlreadyInDb for an entity that is in a database already.
  Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
  Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
  Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;

  bool hasAttributeDefinitions() const;
  bool isLayout() const;  // *Model_Space and *Paper_Space...
  bool isAnonymous() const;
  bool isFromExternalReference() const { return (m_flags & 4) != 0; }
  // Not erased entities, in order.
  std::vector<AcDbObjectId> entityIds() const;
  const zrcad::EntityIdList& allEntityIds() const { return m_entities; }
  void attachEntity(AcDbEntity* ent, AcDbObjectId id);  // reading and copying
  // Removes every entity (they are erased) so the block can be defined anew.
  Acad::ErrorStatus eraseAllEntities();

  // The BLOCK and ENDBLK records written around the entities.
  struct BlockRecords;
  BlockRecords& blockRecords() const { return *m_records; }
  void assignSubHandles(AcDbDatabase* db);

 protected:
  AcDbBlockTableRecord(const AcDbBlockTableRecord& other);
  AcDbObject* cloneRaw() const override { return new AcDbBlockTableRecord(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  void onAddedToDatabase(AcDbDatabase* db) override;

 private:
  friend class zrcad::DbAccess;
  AcGePoint3d m_origin;
  short m_flags = 0;
  zrcad::EntityIdList m_entities;
  std::unique_ptr<BlockRecords> m_records;
};

class AcDbBlockTableIterator : public AcDbSymbolTableIterator {
 public:
  using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
  using AcDbSymbolTableIterator::getRecord;
  Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& rec, AcDb::OpenMode mode,
                              bool openErased = false) const {
    return getTyped(rec, mode, openErased);
  }
};

class AcDbBlockTable : public AcDbSymbolTable {
  ZRCAD_DECLARE_MEMBERS(AcDbBlockTable)
 public:
  AcDbBlockTable() : AcDbSymbolTable("BLOCK_RECORD") {}
  using AcDbSymbolTable::add;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbBlockTableRecord*& rec, AcDb::OpenMode mode,
                          bool openErasedRec = false) const;
  Acad::ErrorStatus add(AcDbBlockTableRecord* rec) { return AcDbSymbolTable::add(rec); }
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbBlockTableRecord* rec) {
    return AcDbSymbolTable::add(id, rec);
  }
  Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;

 protected:
  AcDbBlockTable(const AcDbBlockTable&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbBlockTable(*this); }
};

// The names of the two layout blocks every drawing has.
inline constexpr const ACHAR* ACDB_MODEL_SPACE = L"*Model_Space";
inline constexpr const ACHAR* ACDB_PAPER_SPACE = L"*Paper_Space";
