// Copying entities between databases: wblock of a block and insert of a drawing as a block.
//
// Copies take their layers (with their properties) and the block definitions they refer to
// along; definitions already in the target by name are used as they are. A target block is
// made before its entities are copied, so references that lead back to it (circular
// drawings) find it instead of copying forever.
#include <algorithm>
#include <map>
#include <memory>

#include "base/cstring.h"
#include "cad/db/database_impl.h"
#include "cad/db/db_text.h"
#include "cad/db/dxf/dxf_tags.h"

namespace zrcad {
namespace {

AcDbObject* objectOf(AcDbObjectId id) { return id.isNull() ? nullptr : id.stub()->object; }

class Copier {
 public:
  Copier(AcDbDatabase* target) : m_target(target), m_impl(target->impl()) {}

  // Appends copies of the live entities of src to dst.
  void copyEntities(const AcDbBlockTableRecord* src, AcDbBlockTableRecord* dst);
  // Appends copies of the given entities to dst, in order.
  void copyEntities(const std::vector<AcDbObjectId>& ids, AcDbBlockTableRecord* dst);
  // The target block of a source block, copied when the target has no block of its name.
  AcDbObjectId copyBlock(const AcDbBlockTableRecord* src);
  void map(const AcDbBlockTableRecord* src, AcDbObjectId dst) { m_blocks[src] = dst; }

 private:
  AcDbEntity* copyEntity(const AcDbEntity* src);
  AcDbObjectId copyLayer(AcDbObjectId srcLayer);
  void dropForeignReferences(AcDbEntity* copy);
  bool targetHas(const char* tableType, const std::wstring& name) const;

  AcDbDatabase* m_target;
  DatabaseImpl& m_impl;
  std::map<const AcDbBlockTableRecord*, AcDbObjectId> m_blocks;
};

bool Copier::targetHas(const char* tableType, const std::wstring& name) const {
  AcDbSymbolTable* t = m_impl.tableOfType(tableType);
  return t && t->has(name.c_str());
}

AcDbObjectId Copier::copyLayer(AcDbObjectId srcLayer) {
  const std::wstring* name = recordName(srcLayer);
  std::wstring n = name ? *name : L"0";
  AcDbObjectId id;
  AcDbSymbolTable* layers = m_impl.table(m_impl.layerTable);
  if (layers->getAt(n.c_str(), id) == Acad::eOk) return id;
  id = newLayer(m_target, n);
  auto* src = AcDbLayerTableRecord::cast(objectOf(srcLayer));
  auto* dst = AcDbLayerTableRecord::cast(objectOf(id));
  if (src && dst) {
    dst->setIsFrozen(src->isFrozen());
    dst->setIsOff(src->isOff());
    dst->setIsLocked(src->isLocked());
    dst->setVPDFLT(src->VPDFLT());
    dst->setColor(src->color());
    std::wstring lt = src->linetypeName();
    dst->setLinetypeName(targetHas("LTYPE", lt) ? lt.c_str() : L"Continuous");
  }
  return id;
}

// Handles of the source mean nothing in the target: pointers become null, reactors and
// extension dictionaries go, and names of line types and text styles the target lacks go.
void Copier::dropForeignReferences(AcDbEntity* copy) {
  if (auto& data = DbAccess::dataPtr(copy)) {
    data->appData.clear();
    for (auto& t : data->extras)
      if (dxf::isPointerCode(t.code)) t.value = "0";
    std::erase_if(data->extras, [this](const dxf::StoredTag& t) {
      return t.code == 6 && !targetHas("LTYPE", zrbase::utf8ToWide(t.value));
    });
  }
  if (auto* text = AcDbText::cast(copy))
    if (!targetHas("STYLE", text->textStyleName())) text->setTextStyleName(L"");
}

AcDbEntity* Copier::copyEntity(const AcDbEntity* src) {
  std::unique_ptr<AcDbEntity> copy(static_cast<AcDbEntity*>(src->clone()));
  if (!copy) return nullptr;
  dropForeignReferences(copy.get());
  DbAccess::setLayerId(copy.get(), copyLayer(src->layerId()));
  if (auto* ref = AcDbBlockReference::cast(copy.get())) {
    const auto* srcRef = AcDbBlockReference::cast(src);
    for (AcDbObjectId a : srcRef->attributeIds())
      if (auto* attr = AcDbEntity::cast(objectOf(a))) copyLayer(attr->layerId());
    const auto* block = AcDbBlockTableRecord::cast(objectOf(srcRef->blockTableRecord()));
    DbAccess::setBlockId(ref, block ? copyBlock(block) : AcDbObjectId());
  }
  return copy.release();
}

void Copier::copyEntities(const AcDbBlockTableRecord* src, AcDbBlockTableRecord* dst) {
  copyEntities(src->allEntityIds(), dst);
}

void Copier::copyEntities(const std::vector<AcDbObjectId>& ids, AcDbBlockTableRecord* dst) {
  for (AcDbObjectId id : ids) {
    const auto* ent = AcDbEntity::cast(objectOf(id));
    if (ent == nullptr || ent->isErased()) continue;
    AcDbEntity* copy = copyEntity(ent);
    if (copy == nullptr) continue;
    if (dst->appendAcDbEntity(copy) != Acad::eOk) {
      delete copy;
      continue;
    }
    DbAccess::setOpenState(copy, 0, false);
  }
}

AcDbObjectId Copier::copyBlock(const AcDbBlockTableRecord* src) {
  auto it = m_blocks.find(src);
  if (it != m_blocks.end()) return it->second;
  AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  AcDbObjectId id;
  if (blocks->getAt(src->name().c_str(), id) == Acad::eOk) {
    m_blocks[src] = id;
    return id;
  }
  auto* btr = static_cast<AcDbBlockTableRecord*>(src->clone());
  id = m_impl.addObject(btr, blocks->objectId());
  blocks->attachRecord(btr, id);
  DbAccess::added(btr, m_target);
  DbAccess::setOpenState(btr, 0, false);
  m_blocks[src] = id;
  copyEntities(src, btr);
  return id;
}

}  // namespace
}  // namespace zrcad

using zrcad::DbAccess;

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb, AcDbObjectId blockId) {
  pOutputDb = nullptr;
  if (blockId.isNull()) return Acad::eNullObjectId;
  const auto* src = AcDbBlockTableRecord::cast(blockId.stub()->object);
  if (blockId.database() != this || src == nullptr || src->isErased()) {
    m_impl->lastError = L"wblock: the id does not name a block of this drawing";
    return Acad::eInvalidInput;
  }
  auto out = std::make_unique<AcDbDatabase>(true);
  out->setInsbase(src->origin());
  auto* model = AcDbBlockTableRecord::cast(out->modelSpaceId().stub()->object);
  zrcad::Copier copier(out.get());
  copier.copyEntities(src, model);
  pOutputDb = out.release();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb, const AcDbObjectIdArray& outObjIds,
                                       const AcGePoint3d& basePoint) {
  pOutputDb = nullptr;
  std::vector<AcDbObjectId> ids;
  for (AcDbObjectId id : outObjIds) {
    const auto* ent = id.isNull() ? nullptr : AcDbEntity::cast(id.stub()->object);
    // Attributes belong to their reference and come with it, never on their own.
    const bool inBlock = ent && !ent->ownerId().isNull() &&
                         AcDbBlockTableRecord::cast(ent->ownerId().stub()->object) != nullptr;
    if (id.database() != this || !inBlock || ent->isErased() ||
        std::find(ids.begin(), ids.end(), id) != ids.end()) {
      m_impl->lastError = L"wblock: the ids must name distinct entities of this drawing's blocks";
      return Acad::eInvalidInput;
    }
    ids.push_back(id);
  }
  auto out = std::make_unique<AcDbDatabase>(true);
  out->setInsbase(basePoint);
  auto* model = AcDbBlockTableRecord::cast(out->modelSpaceId().stub()->object);
  zrcad::Copier copier(out.get());
  copier.copyEntities(ids, model);
  pOutputDb = out.release();
  m_impl->lastError.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const ACHAR* blockName,
                                       AcDbDatabase* source, bool) {
  blockId.setNull();
  if (source == nullptr || source == this || blockName == nullptr || *blockName == 0)
    return Acad::eInvalidInput;
  const auto* srcModel = AcDbBlockTableRecord::cast(
      source->modelSpaceId().isNull() ? nullptr : source->modelSpaceId().stub()->object);
  AcDbSymbolTable* blocks = m_impl->table(m_impl->blockTable);
  if (srcModel == nullptr || blocks == nullptr) return Acad::eNoDatabase;
  AcDbObjectId id;
  AcDbBlockTableRecord* dst = nullptr;
  if (blocks->getAt(blockName, id) == Acad::eOk) {
    dst = AcDbBlockTableRecord::cast(id.stub()->object);
    if (dst == nullptr || dst->isLayout()) return Acad::eIllegalReplacement;
    dst->eraseAllEntities();
  } else {
    dst = new AcDbBlockTableRecord();
    if (dst->setName(blockName) != Acad::eOk) {
      delete dst;
      return Acad::eInvalidSymbolTableName;
    }
    id = m_impl->addObject(dst, blocks->objectId());
    blocks->attachRecord(dst, id);
    DbAccess::added(dst, this);
    DbAccess::setOpenState(dst, 0, false);
  }
  dst->setOrigin(source->insbase());
  zrcad::Copier copier(this);
  copier.map(srcModel, id);
  copier.copyEntities(srcModel, dst);
  blockId = id;
  return Acad::eOk;
}
