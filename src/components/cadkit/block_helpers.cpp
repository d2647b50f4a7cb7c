// The block helpers. Copies go through the drawing runtime's wblock (entities
// out into a new drawing, nested blocks and layers with them) and insert (that
// drawing in again as one block definition), the way the host copies blocks.
#include "cadkit/block_helpers.h"

#include <memory>

#include "cadkit/block_graph.h"

using zrcadkit::BlockReach;
using zrcadkit::CanDefineWithout;
using zrcadkit::ReachFromBlock;
using zrcadkit::ReachFromEntities;

namespace {

bool IsEmptyName(const ACHAR* name) { return name == nullptr || *name == 0; }

// The id of block name in db; null when there is none (or no block table).
AcDbObjectId FindBlock(AcDbDatabase* db, const ACHAR* name) {
  AcDbObjectId id;
  AcDbBlockTable* table = nullptr;
  if (db == nullptr || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
  if (table->getAt(name, id) != Acad::eOk) id.setNull();
  table->close();
  return id;
}

bool IsLayout(AcDbObjectId blockId) {
  AcDbObjectPointer<AcDbBlockTableRecord> rec(blockId, AcDb::kForRead);
  return rec && rec->isLayout();
}

// Defines name in target from the model space of source; the source drawing
// is the caller's and is left as it is.
int DefineFrom(AcDbDatabase* target, const ACHAR* name, AcDbDatabase* source,
               AcDbObjectId& blockId) {
  return target->insert(blockId, name, source) == Acad::eOk ? 1 : 0;
}

// Live block references to blockId in every block of db, split by whether
// they stand in a layout.
void FindReferences(AcDbDatabase* db, AcDbObjectId blockId, std::vector<AcDbObjectId>& inLayouts,
                    bool& inDefinitions) {
  inDefinitions = false;
  AcDbBlockTable* table = nullptr;
  if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return;
  AcDbBlockTableIterator* it = nullptr;
  if (table->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbBlockTableRecord* rec = nullptr;
      if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk) continue;
      for (AcDbObjectId id : rec->entityIds()) {
        AcDbObjectPointer<AcDbBlockReference> ref(id, AcDb::kForRead);
        if (!ref || ref->blockTableRecord() != blockId) continue;
        if (rec->isLayout()) {
          inLayouts.push_back(id);
        } else {
          inDefinitions = true;
        }
      }
      rec->close();
    }
    delete it;
  }
  table->close();
}

bool EraseObject(AcDbObjectId id) {
  AcDbObject* obj = nullptr;
  if (acdbOpenObject(obj, id, AcDb::kForWrite) != Acad::eOk) return false;
  const bool erased = obj->erase() == Acad::eOk;
  obj->close();
  return erased;
}

}  // namespace

int CopyBlockTableRecord(AcDbDatabase* pSourceDb, ACHAR* sourceName, AcDbDatabase* pTargetDb,
                         ACHAR* targetName) {
  if (pSourceDb == nullptr || pTargetDb == nullptr || IsEmptyName(sourceName) ||
      IsEmptyName(targetName)) {
    return 0;
  }
  const AcDbObjectId sourceId = FindBlock(pSourceDb, sourceName);
  if (sourceId.isNull()) return 0;
  const AcDbObjectId existing = FindBlock(pTargetDb, targetName);
  if (!existing.isNull() && IsLayout(existing)) return 0;
  const BlockReach reach = ReachFromBlock(sourceId);
  if (!CanDefineWithout(reach, pTargetDb, targetName, sourceId)) return 0;

  AcDbDatabase* out = nullptr;
  if (pSourceDb->wblock(out, sourceId) != Acad::eOk) return 0;
  const std::unique_ptr<AcDbDatabase> copy(out);
  AcDbObjectId blockId;
  return DefineFrom(pTargetDb, targetName, copy.get(), blockId);
}

int ArxWriteBlock(const AcDbObjectIdArray& ids, const AcGePoint3d& basePoint, ACHAR* blockName,
                  const ACHAR* /*description*/, int flags) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr || IsEmptyName(blockName) || ids.isEmpty()) return 0;
  const AcDbObjectId existing = FindBlock(db, blockName);
  if (!existing.isNull() && (IsLayout(existing) || (flags & kWriteBlockRedefine) == 0)) return 0;
  const std::vector<AcDbObjectId> selected(ids.begin(), ids.end());
  const BlockReach reach = ReachFromEntities(selected);
  if (!CanDefineWithout(reach, db, blockName)) return 0;

  AcDbDatabase* out = nullptr;
  if (db->wblock(out, ids, basePoint) != Acad::eOk) return 0;
  const std::unique_ptr<AcDbDatabase> copy(out);
  AcDbObjectId blockId;
  if (DefineFrom(db, blockName, copy.get(), blockId) != 1) return 0;
  if ((flags & kWriteBlockKeepEntities) == 0) {
    for (AcDbObjectId id : selected) EraseObject(id);
  }
  return 1;
}

int DeleteBlockRec(AcDbDatabase*& pDb, const ACHAR* blockName) {
  if (pDb == nullptr || IsEmptyName(blockName)) return 0;
  const AcDbObjectId blockId = FindBlock(pDb, blockName);
  if (blockId.isNull() || IsLayout(blockId)) return 0;
  std::vector<AcDbObjectId> references;
  bool nested = false;
  FindReferences(pDb, blockId, references, nested);
  if (nested) return 0;

  AcDbBlockTableRecord* rec = nullptr;
  if (acdbOpenObject(rec, blockId, AcDb::kForWrite) != Acad::eOk) return 0;
  for (AcDbObjectId id : references) EraseObject(id);
  rec->eraseAllEntities();
  const bool erased = rec->erase() == Acad::eOk;
  rec->close();
  return erased ? 1 : 0;
}

AcDbObjectId PutEntityToDatabase(AcDbEntity* pEntity) {
  AcDbObjectId id;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (pEntity == nullptr || db == nullptr) return id;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return id;
  if (space->appendAcDbEntity(id, pEntity) != Acad::eOk) id.setNull();
  space->close();
  return id;
}

int InsertDwgToCurrDwgBlockTableRecord(ACHAR* blockName, ACHAR* fileName, AcDbObjectId& blockId) {
  blockId.setNull();
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr || IsEmptyName(blockName) || IsEmptyName(fileName)) return 0;
  const AcDbObjectId existing = FindBlock(db, blockName);
  if (!existing.isNull() && IsLayout(existing)) return 0;

  AcDbDatabase source(false, true);
  if (source.readDwgFile(fileName, _SH_DENYWR) != Acad::eOk) return 0;
  AcDbObjectPointer<AcDbBlockTableRecord> model(source.modelSpaceId(), AcDb::kForRead);
  if (!model) return 0;
  const BlockReach reach = ReachFromEntities(model->entityIds());
  if (!CanDefineWithout(reach, db, blockName)) return 0;
  return DefineFrom(db, blockName, &source, blockId);
}
