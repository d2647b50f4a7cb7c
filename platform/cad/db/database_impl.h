// Inside of AcDbDatabase: the handle table, the parts of the file kept as read, and the
// access the DXF layer needs to the objects' private state.
#pragma once

#include <cassert>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/db/db_block_reference.h"
#include "cad/db/db_block_table.h"
#include "cad/db/db_database.h"
#include "cad/db/dxf/dxf_tags.h"
#include "cad/db/handle_table.h"
#include "cad/db/undo_record.h"

namespace zrcad {

// A header variable ($NAME) and its value pairs.
struct HeaderVar {
  std::string name;
  dxf::StoredTags tags;
};

// Header variables the writer makes from the drawing as it is now (the current layer, the
// handle seed, ...): what was read for them is stale and refers to nothing.
inline bool headerWrittenFromModel(std::string_view n) {
  return n == "$ACADVER" || n == "$DWGCODEPAGE" || n == "$HANDSEED" || n == "$CLAYER" ||
         n == "$INSBASE" || n == "$TDUPDATE" || n == "$TDUUPDATE" || n == "$LASTSAVEDBY";
}

// A section the runtime does not look into (THUMBNAILIMAGE, ACDSDATA, ...), kept whole.
struct RawSection {
  std::string name;
  dxf::StoredTags tags;
};

// Invariants: every object in the database has exactly one stub, and byHandle maps every
// stub's handle to it; nextHandle is above every handle in use (it becomes $HANDSEED). Once a
// drawing is read its handles are at most dxf::kMaxHandle (the reader renumbers the ones
// above, noted meanwhile in handlesBeyondRange), so handing out new ones never wraps to 0.
struct DatabaseImpl {
  explicit DatabaseImpl(AcDbDatabase* db) : self(db) {}
  ~DatabaseImpl();

  AcDbDatabase* self;
  std::deque<AcDbStub, PoolAllocator<AcDbStub>> stubs;
  HandleTable<AcDbStub*> byHandle;
  std::uint64_t nextHandle = 1;
  bool handlesBeyondRange = false;

  std::vector<HeaderVar> header;
  dxf::StoredTags classes;
  std::vector<AcDbObjectId> tables;   // in the order they are written
  std::vector<AcDbObjectId> objects;  // the OBJECTS section, in order
  std::vector<RawSection> otherSections;
  AcDbObjectId blockTable, layerTable, regAppTable;
  AcDbObjectId clayer;
  AcGePoint3d insbase;
  std::wstring fileName;
  std::wstring lastError;
  bool hasContent = false;
  std::unique_ptr<UndoRecord> undo;  // null while changes are not recorded
  // Changes (see AcDbDatabase::changeStamp): the stamp of the last change, and the stamp
  // the drawing had when it was last built, read or saved.
  std::uint64_t changeStamp = 0;
  std::uint64_t savedStamp = 0;

  // The stub of a handle, made (without object) when it is not known yet.
  AcDbStub* stubFor(std::uint64_t handle);
  // Puts obj into the database under handle (a new handle when 0 or taken); the object is
  // owned by the database from then on.
  AcDbObjectId addObject(AcDbObject* obj, AcDbObjectId owner, std::uint64_t handle = 0);
  // The same for an object nobody holds open: one read from a file, or made on the way.
  AcDbObjectId addClosedObject(AcDbObject* obj, AcDbObjectId owner, std::uint64_t handle = 0);
  std::uint64_t allocateHandle() {
    assert(nextHandle != 0);
    return nextHandle++;
  }
  // A handle in use. One above dxf::kMaxHandle does not move nextHandle: its object will be
  // given a new handle (renumberBeyondRange).
  void noteHandle(std::uint64_t h) {
    if (h > dxf::kMaxHandle)
      handlesBeyondRange = true;
    else if (h >= nextHandle)
      nextHandle = h + 1;
  }
  AcDbSymbolTable* table(AcDbObjectId id) const;
  AcDbSymbolTable* tableOfType(std::string_view recordType) const;
  HeaderVar* headerVar(std::string_view name);
  void setHeaderVar(std::string_view name, dxf::StoredTags tags);
  void fail(const std::wstring& message) { lastError = message; }
  // Records obj's state before it changes, when changes are recorded.
  void noteChange(AcDbObject* obj) {
    if (undo) undo->noteChange(obj);
  }
  // Gives every object whose handle is above dxf::kMaxHandle a new handle, and rewrites the
  // references to it that are kept as text (pointer groups, xdata handles).
  void renumberBeyondRange();
  // A new change stamp: the drawing differs from what it was (the desktop repaints).
  void stampChange();
  void noteSaved() { savedStamp = changeStamp; }
};

// The one door to the private state of objects for the database and the DXF layer.
class DbAccess {
 public:
  static void bind(AcDbObject* obj, AcDbStub* stub) { obj->m_stub = stub; }
  static AcDbStub* stub(const AcDbObject* obj) { return obj->m_stub; }
  static void setOwner(AcDbObject* obj, AcDbObjectId owner) { obj->m_owner = owner; }
  static void setOpenState(AcDbObject* obj, short readers, bool write) {
    obj->m_readers = readers;
    obj->m_write = write;
  }
  static short readers(const AcDbObject* obj) { return obj->m_readers; }
  static bool writeOpen(const AcDbObject* obj) { return obj->m_write; }
  static void setErased(AcDbObject* obj, bool erased) { obj->m_erased = erased; }
  static dxf::ObjectData& data(AcDbObject* obj) { return obj->dxfData(); }
  static const dxf::ObjectData* dataIfAny(const AcDbObject* obj) { return obj->m_dxf.get(); }
  static std::unique_ptr<dxf::ObjectData>& dataPtr(AcDbObject* obj) { return obj->m_dxf; }
  static const dxf::ClassTable& table(const AcDbObject* obj) { return obj->dxfTable(); }
  static bool readCustom(AcDbObject* obj, dxf::ReadContext& ctx, const dxf::Tag& tag, int s) {
    return obj->readDxfCustom(ctx, tag, s);
  }
  static void writeCustom(const AcDbObject* obj, dxf::WriteContext& ctx, int s) {
    obj->writeDxfCustom(ctx, s);
  }
  static const char* marker(const AcDbObject* obj, int s) { return obj->dxfSubclassMarker(s); }
  static std::uint64_t handleOf(const AcDbObject* obj) { return obj->dxfHandleValue(); }
  static void resolve(AcDbObject* obj, dxf::ReadContext& ctx) { obj->resolveDxfReferences(ctx); }
  static void added(AcDbObject* obj, AcDbDatabase* db) { obj->onAddedToDatabase(db); }
  static AcDbObject* cloneObject(const AcDbObject* obj) { return obj->cloneRaw(); }

  // Entity internals used by copying between databases.
  static const std::wstring& pendingLayer(const AcDbEntity* e) { return e->m_pendingLayer; }
  static void setLayerId(AcDbEntity* e, AcDbObjectId id) {
    e->m_layerId = id;
    e->m_pendingLayer.clear();
  }
  static void setBlockId(AcDbBlockReference* r, AcDbObjectId id) { r->m_block = id; }
  static std::vector<AcDbObjectId>& attributes(AcDbBlockReference* r) { return r->m_attributes; }
  static void setName(AcDbSymbolTableRecord* r, std::wstring name) { r->m_name = std::move(name); }
  static EntityIdList& entities(AcDbBlockTableRecord* b) { return b->m_entities; }
  static short& blockFlags(AcDbBlockTableRecord* b) { return b->m_flags; }
  static AcGePoint3d& blockOrigin(AcDbBlockTableRecord* b) { return b->m_origin; }
};

// Upper-case form of a name for matching without regard to case.
std::wstring foldName(std::wstring_view name);
AcDbObjectId newLayer(AcDbDatabase* db, const std::wstring& name);
// Refuses to erase what a drawing cannot lose (layer 0, the current layer, the layout
// blocks) and keeps table name indexes up to date.
Acad::ErrorStatus checkErase(AcDbObject* obj, bool erasing);
// The name of a symbol table record, or null.
const std::wstring* recordName(AcDbObjectId id);
// Why a text cannot name a symbol table record (empty, too long, a character names may not
// hold); "" when it can.
std::wstring symbolNameProblem(std::wstring_view name);

}  // namespace zrcad

// The BLOCK and ENDBLK records of a block definition: their handles and kept tags.
struct AcDbBlockTableRecord::BlockRecords {
  AcDbHandle beginHandle;
  AcDbHandle endHandle;
  zrcad::dxf::ObjectData begin;
  zrcad::dxf::ObjectData end;
  AcDbObjectId layer;  // of the BLOCK record; layer 0 when null
  std::wstring description;
};
