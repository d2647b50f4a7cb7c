// Copying entities between databases: wblock of a block and insert of a drawing as a block.
//
// Copies take their layers (with their properties) and the block definitions they refer to
// along; definitions already in the target by name are used as they are. A target block is
// made before its entities are copied, so references that lead back to it find it; the
// blocks still to fill wait in a queue rather than on the call stack, since nesting may run
// tens of thousands deep. Insert refuses a definition that would lead back to itself, and
// a block of the source that has the name of the block being defined is copied under a
// name of its own ("NAME$1"), so neither is lost.
#include <algorithm>
#include <deque>
#include <memory>
#include <span>
#include <unordered_map>

#include "base/cstring.h"
#include "cad/db/block_graph.h"
#include "cad/db/database_impl.h"
#include "cad/db/db_text.h"
#include "cad/db/dxf/dxf_tags.h"

namespace zrcad {
namespace {

AcDbObject* objectOf(AcDbObjectId id) { return id.isNull() ? nullptr : id.stub()->object; }

const AcDbBlockTableRecord* sourceBlockOf(AcDbObjectId id) {
  return AcDbBlockTableRecord::cast(objectOf(id));
}

class Copier {
 public:
  explicit Copier(AcDbDatabase* target) : m_target(target), m_impl(target->impl()) {}

  // Source blocks named `name` are copied under a name free in the target and in
  // sourceBlocks: the block being defined has that name.
  void renameOnCopy(const std::wstring& name, const AcDbSymbolTable* sourceBlocks) {
    m_reserved = foldName(name);
    m_sourceBlocks = sourceBlocks;
  }
  void map(const AcDbBlockTableRecord* src, AcDbObjectId dst) { m_blocks[src] = dst; }
  // The blocks of the target that a copy of src would use as they are (found by name).
  std::vector<AcDbObjectId> targetBlocksUsed(const AcDbBlockTableRecord* src) const;
  // Appends copies of the live entities of src to dst, then fills the blocks they need.
  void copyContents(const AcDbBlockTableRecord* src, AcDbBlockTableRecord* dst);
  // Appends copies of the given entities to dst, in order, then fills the blocks they need.
  void copyContents(std::span<const AcDbObjectId> ids, AcDbBlockTableRecord* dst);

 private:
  void copyEntities(std::span<const AcDbObjectId> ids, AcDbBlockTableRecord* dst);
  void fillQueued();
  AcDbEntity* copyEntity(const AcDbEntity* src);
  AcDbObjectId copyLayer(AcDbObjectId srcLayer);
  // The target block of a source block: the target's of its name, or a new one, queued.
  AcDbObjectId targetBlock(const AcDbBlockTableRecord* src);
  AcDbObjectId existingByName(const AcDbBlockTableRecord* src) const;
  std::wstring freeName(const std::wstring& name) const;
  void dropForeignReferences(AcDbEntity* copy);
  bool targetHas(const char* tableType, const std::wstring& name) const;

  AcDbDatabase* m_target;
  DatabaseImpl& m_impl;
  std::unordered_map<const AcDbBlockTableRecord*, AcDbObjectId> m_blocks;
  std::deque<std::pair<const AcDbBlockTableRecord*, AcDbBlockTableRecord*>> m_toFill;
  std::wstring m_reserved;  // folded
  const AcDbSymbolTable* m_sourceBlocks = nullptr;
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
    const auto* block = sourceBlockOf(srcRef->blockTableRecord());
    DbAccess::setBlockId(ref, block ? targetBlock(block) : AcDbObjectId());
  }
  return copy.release();
}

void Copier::copyEntities(std::span<const AcDbObjectId> ids, AcDbBlockTableRecord* dst) {
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

void Copier::fillQueued() {
  while (!m_toFill.empty()) {
    const auto [from, to] = m_toFill.front();
    m_toFill.pop_front();
    copyEntities(from->allEntityIds(), to);
  }
}

void Copier::copyContents(const AcDbBlockTableRecord* src, AcDbBlockTableRecord* dst) {
  copyContents(src->allEntityIds(), dst);
}

void Copier::copyContents(std::span<const AcDbObjectId> ids, AcDbBlockTableRecord* dst) {
  copyEntities(ids, dst);
  fillQueued();
}

AcDbObjectId Copier::existingByName(const AcDbBlockTableRecord* src) const {
  AcDbObjectId id;
  if (foldName(src->name()) == m_reserved) return id;
  m_impl.table(m_impl.blockTable)->getAt(src->name().c_str(), id);
  return id;
}

std::wstring Copier::freeName(const std::wstring& name) const {
  const AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  for (int n = 1;; ++n) {
    const std::wstring candidate = name + L"$" + std::to_wstring(n);
    if (!blocks->has(candidate.c_str()) &&
        !(m_sourceBlocks && m_sourceBlocks->has(candidate.c_str())))
      return candidate;
  }
}

AcDbObjectId Copier::targetBlock(const AcDbBlockTableRecord* src) {
  auto it = m_blocks.find(src);
  if (it != m_blocks.end()) return it->second;
  AcDbObjectId id = existingByName(src);
  if (!id.isNull()) {
    m_blocks[src] = id;
    return id;
  }
  AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  auto* btr = static_cast<AcDbBlockTableRecord*>(src->clone());
  if (foldName(src->name()) == m_reserved) DbAccess::setName(btr, freeName(src->name()));
  id = m_impl.addObject(btr, blocks->objectId());
  blocks->attachRecord(btr, id);
  DbAccess::added(btr, m_target);
  DbAccess::setOpenState(btr, 0, false);
  m_blocks[src] = id;
  m_toFill.emplace_back(src, btr);
  return id;
}

std::vector<AcDbObjectId> Copier::targetBlocksUsed(const AcDbBlockTableRecord* src) const {
  std::vector<AcDbObjectId> used;
  std::vector<const AcDbBlockTableRecord*> todo{src};
  std::unordered_map<const AcDbBlockTableRecord*, bool> seen{{src, true}};
  while (!todo.empty()) {
    const AcDbBlockTableRecord* block = todo.back();
    todo.pop_back();
    for (AcDbObjectId next : referencedBlocks(block)) {
      const AcDbBlockTableRecord* nested = sourceBlockOf(next);
      if (nested == nullptr || !seen.emplace(nested, true).second) continue;
      const AcDbObjectId existing = existingByName(nested);
      if (existing.isNull())
        todo.push_back(nested);  // copied: what it needs counts too
      else
        used.push_back(existing);
    }
  }
  return used;
}

}  // namespace
}  // namespace zrcad

using zrcad::DbAccess;

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb, AcDbObjectId blockId) {
  pOutputDb = nullptr;
  if (blockId.isNull()) {
    m_impl->lastError = L"wblock: no block given";
    return Acad::eNullObjectId;
  }
  const auto* src = AcDbBlockTableRecord::cast(blockId.stub()->object);
  if (blockId.database() != this || src == nullptr || src->isErased()) {
    m_impl->lastError = L"wblock: the id does not name a block of this drawing";
    return Acad::eInvalidInput;
  }
  auto out = std::make_unique<AcDbDatabase>(true);
  out->setInsbase(src->origin());
  auto* model = AcDbBlockTableRecord::cast(out->modelSpaceId().stub()->object);
  zrcad::Copier copier(out.get());
  copier.copyContents(src, model);
  pOutputDb = out.release();
  m_impl->lastError.clear();
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
  copier.copyContents(ids, model);
  pOutputDb = out.release();
  m_impl->lastError.clear();
  return Acad::eOk;
}

namespace {

// Why blockName cannot name the block that source becomes in db; "" when it can.
std::wstring insertRefusal(AcDbDatabase* db, const std::wstring& blockName, AcDbDatabase* source,
                           Acad::ErrorStatus& es) {
  zrcad::DatabaseImpl& impl = db->impl();
  AcDbSymbolTable* blocks = impl.table(impl.blockTable);
  const auto* srcModel = AcDbBlockTableRecord::cast(
      source->modelSpaceId().isNull() ? nullptr : source->modelSpaceId().stub()->object);
  es = Acad::eNoDatabase;
  if (blocks == nullptr) return L"this drawing has no block table";
  if (srcModel == nullptr) return L"the drawing to insert has no model space";
  es = Acad::eSelfReference;
  const std::vector<std::wstring> loop = zrcad::findBlockLoop(source->impl());
  if (!loop.empty())
    return L"the drawing to insert has a block that contains itself (" + zrcad::loopText(loop) +
           L")";
  AcDbObjectId id;
  if (blocks->getAt(blockName.c_str(), id) != Acad::eOk) {
    std::wstring problem = zrcad::symbolNameProblem(blockName);
    es = problem.empty() ? Acad::eOk : Acad::eInvalidSymbolTableName;
    return problem;
  }
  const auto* dst = AcDbBlockTableRecord::cast(id.stub()->object);
  es = Acad::eIllegalReplacement;
  if (dst == nullptr || dst->isLayout()) return L"a layout cannot be redefined";
  // Blocks of this drawing that the new definition would use as they are must not lead
  // back to the block being defined.
  zrcad::Copier plan(db);
  plan.renameOnCopy(blockName, source->impl().table(source->impl().blockTable));
  es = Acad::eSelfReference;
  for (AcDbObjectId used : plan.targetBlocksUsed(srcModel))
    if (zrcad::blockReaches(used, id))
      return L"its block '" + *zrcad::recordName(used) + L"' would be taken from this drawing, " +
             L"where it references '" + dst->name() + L"': the block would contain itself";
  es = Acad::eOk;
  return {};
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const ACHAR* blockName,
                                       AcDbDatabase* source, bool) {
  blockId.setNull();
  if (source == nullptr || source == this || blockName == nullptr || *blockName == 0) {
    m_impl->lastError = L"insert: no drawing to insert, or no block name";
    return Acad::eInvalidInput;
  }
  Acad::ErrorStatus es = Acad::eOk;
  const std::wstring why = insertRefusal(this, blockName, source, es);
  if (es != Acad::eOk) {
    m_impl->lastError = why;
    return es;
  }
  AcDbSymbolTable* blocks = m_impl->table(m_impl->blockTable);
  const auto* srcModel = AcDbBlockTableRecord::cast(source->modelSpaceId().stub()->object);
  AcDbObjectId id;
  AcDbBlockTableRecord* dst = nullptr;
  if (blocks->getAt(blockName, id) == Acad::eOk) {
    dst = AcDbBlockTableRecord::cast(id.stub()->object);
    if (dst == nullptr || dst->isLayout()) return Acad::eIllegalReplacement;
    m_impl->noteChange(dst);
    dst->eraseAllEntities();
  } else {
    dst = new AcDbBlockTableRecord();
    DbAccess::setName(dst, blockName);
    id = m_impl->addObject(dst, blocks->objectId());
    blocks->attachRecord(dst, id);
    DbAccess::added(dst, this);
    DbAccess::setOpenState(dst, 0, false);
  }
  dst->setOrigin(source->insbase());
  zrcad::Copier copier(this);
  copier.renameOnCopy(blockName, source->impl().table(source->impl().blockTable));
  copier.map(srcModel, id);
  copier.copyContents(srcModel, dst);
  blockId = id;
  m_impl->lastError.clear();
  return Acad::eOk;
}
