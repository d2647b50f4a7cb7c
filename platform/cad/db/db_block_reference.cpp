// Block references, their attributes and extents through nested blocks.
#include "cad/db/db_block_reference.h"

#include <algorithm>
#include <cmath>

#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/geom_util.h"

using zrcad::dxf::ClassTable;

ZRCAD_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity, "INSERT")

namespace {

// Nesting deeper than this is treated as a cycle; real drawings stay far below it.
constexpr int kMaxNesting = 64;

const AcDbBlockTableRecord* blockOf(AcDbObjectId id) {
  if (id.isNull() || id.stub()->object == nullptr) return nullptr;
  return AcDbBlockTableRecord::cast(id.stub()->object);
}

const AcDbEntity* entityOf(AcDbObjectId id) {
  if (id.isNull() || id.stub()->object == nullptr || id.stub()->object->isErased()) return nullptr;
  return AcDbEntity::cast(id.stub()->object);
}

void extentsUnder(const AcDbEntity* ent, const AcGeMatrix3d& m, AcDbExtents& out,
                  std::vector<const AcDbBlockTableRecord*>& stack);

// The extents of a reference seen through m: its block's entities and its attributes.
void referenceExtents(const AcDbBlockReference* ref, const AcGeMatrix3d& m, AcDbExtents& out,
                      std::vector<const AcDbBlockTableRecord*>& stack) {
  const AcDbBlockTableRecord* block = blockOf(ref->blockTableRecord());
  if (block != nullptr && static_cast<int>(stack.size()) < kMaxNesting &&
      std::find(stack.begin(), stack.end(), block) == stack.end()) {
    stack.push_back(block);
    AcGeMatrix3d inner = m * ref->blockTransform();
    for (AcDbObjectId id : block->allEntityIds())
      if (const AcDbEntity* e = entityOf(id)) extentsUnder(e, inner, out, stack);
    stack.pop_back();
  }
  for (AcDbObjectId id : ref->attributeIds())
    if (const AcDbEntity* a = entityOf(id)) extentsUnder(a, m, out, stack);
}

// A copy of the entity is transformed so curves keep their true extents; where an entity
// cannot take the transform (a circle under non-uniform scale), its box is transformed.
void extentsUnder(const AcDbEntity* ent, const AcGeMatrix3d& m, AcDbExtents& out,
                  std::vector<const AcDbBlockTableRecord*>& stack) {
  if (const auto* ref = AcDbBlockReference::cast(ent)) {
    referenceExtents(ref, m, out, stack);
    return;
  }
  AcDbExtents e;
  if (m.isEqualTo(AcGeMatrix3d::kIdentity, 0)) {
    if (ent->getGeomExtents(e) == Acad::eOk) out.addExt(e);
    return;
  }
  std::unique_ptr<AcDbEntity> copy(static_cast<AcDbEntity*>(ent->clone()));
  if (copy && copy->transformBy(m) == Acad::eOk && copy->getGeomExtents(e) == Acad::eOk) {
    out.addExt(e);
  } else if (ent->getGeomExtents(e) == Acad::eOk) {
    e.transformBy(m);
    out.addExt(e);
  }
}

}  // namespace

AcDbObjectIterator::AcDbObjectIterator(std::vector<AcDbObjectId> ids) : m_ids(std::move(ids)) {
  start();
}

void AcDbObjectIterator::start(bool atEnd) {
  m_pos = atEnd ? static_cast<int>(m_ids.size()) - 1 : 0;
  if (!atEnd) skipErasedForward();
}

bool AcDbObjectIterator::done() const {
  return m_pos < 0 || m_pos >= static_cast<int>(m_ids.size());
}

bool AcDbObjectIterator::step(bool backwards, bool skipErased) {
  m_pos += backwards ? -1 : 1;
  if (skipErased && !backwards) skipErasedForward();
  while (skipErased && backwards && !done() && m_ids[static_cast<size_t>(m_pos)].isErased())
    --m_pos;
  return !done();
}

void AcDbObjectIterator::skipErasedForward() {
  while (!done() && m_ids[static_cast<size_t>(m_pos)].isErased()) ++m_pos;
}

AcDbObjectId AcDbObjectIterator::objectId() const {
  return done() ? AcDbObjectId() : m_ids[static_cast<size_t>(m_pos)];
}

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec)
    : m_block(blockTableRec), m_position(position) {}

AcDbBlockReference::~AcDbBlockReference() {
  for (AcDbAttribute* a : m_pendingAttributes) delete a;
}

AcDbBlockReference::AcDbBlockReference(const AcDbBlockReference& other)
    : AcDbEntity(other),
      m_block(other.m_block),
      m_pendingBlockName(other.m_pendingBlockName),
      m_position(other.m_position),
      m_scale(other.m_scale),
      m_rotation(other.m_rotation),
      m_normal(other.m_normal),
      m_seqend(other.m_seqend) {
  if (zrcad::exactCopying()) {
    m_attributes = other.m_attributes;
    m_seqendHandle = other.m_seqendHandle;
    return;
  }
  for (AcDbObjectId id : other.m_attributes)
    if (const AcDbEntity* a = entityOf(id))
      m_pendingAttributes.push_back(static_cast<AcDbAttribute*>(a->clone()));
  for (const AcDbAttribute* a : other.m_pendingAttributes)
    m_pendingAttributes.push_back(static_cast<AcDbAttribute*>(a->clone()));
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
  m_block = id;
  m_pendingBlockName.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return Acad::eInvalidInput;
  m_position = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& s) {
  if (s.sx == 0 || s.sy == 0 || s.sz == 0 || !std::isfinite(s.sx) || !std::isfinite(s.sy) ||
      !std::isfinite(s.sz))
    return Acad::eInvalidInput;
  m_scale = s;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double r) {
  if (!std::isfinite(r)) return Acad::eInvalidInput;
  m_rotation = r;
  return Acad::eOk;
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
  const AcDbBlockTableRecord* block = blockOf(m_block);
  AcGePoint3d origin = block ? block->origin() : AcGePoint3d::kOrigin;
  return AcGeMatrix3d::translation(m_position.asVector()) *
         AcGeMatrix3d::rotation(m_rotation, m_normal) * AcGeMatrix3d::scaling(m_scale) *
         AcGeMatrix3d::translation(-origin.asVector());
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attr) {
  AcDbObjectId id;
  return appendAttribute(id, attr);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attr) {
  if (attr == nullptr) return Acad::eNullObjectPointer;
  if (attr->database() != nullptr) return Acad::eAlreadyInDb;
  AcDbDatabase* db = database();
  if (db == nullptr) {
    m_pendingAttributes.push_back(attr);
    id.setNull();
    return Acad::eOk;
  }
  id = db->impl().addObject(attr, objectId());
  zrcad::DbAccess::added(attr, db);
  m_attributes.push_back(id);
  if (m_seqendHandle.isNull()) m_seqendHandle = db->impl().allocateHandle();
  return Acad::eOk;
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
  return new AcDbObjectIterator(m_attributes);
}

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  std::vector<const AcDbBlockTableRecord*> stack;
  if (const AcDbBlockTableRecord* own = blockOf(ownerId())) stack.push_back(own);
  referenceExtents(this, AcGeMatrix3d::kIdentity, extents, stack);
  return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
  if (!xform.isUniScaledOrtho()) return Acad::eInvalidInput;
  m_position.transformBy(xform);
  m_rotation = zrcad::normalizeAngle(m_rotation + zrcad::rotationOf(xform));
  double s = xform.scale();
  m_scale = AcGeScale3d(m_scale.sx * s, m_scale.sy * s, m_scale.sz * s);
  // The attributes move with the reference without being opened: the undo record is told.
  for (AcDbObjectId id : m_attributes) {
    AcDbObject* attr = id.stub()->object;
    if (!attr) continue;
    if (AcDbDatabase* db = database()) db->impl().noteChange(attr);
    static_cast<AcDbEntity*>(attr)->transformBy(xform);
  }
  for (AcDbAttribute* a : m_pendingAttributes) a->transformBy(xform);
  return Acad::eOk;
}

void AcDbBlockReference::dxfSetSeqend(AcDbHandle handle,
                                      std::shared_ptr<const zrcad::dxf::ObjectData> data) {
  m_seqendHandle = handle;
  m_seqend = std::move(data);
}

void AcDbBlockReference::assignSubHandles(AcDbDatabase* db) {
  if (!m_attributes.empty() && m_seqendHandle.isNull())
    m_seqendHandle = db->impl().allocateHandle();
}

void AcDbBlockReference::onAddedToDatabase(AcDbDatabase* db) {
  AcDbEntity::onAddedToDatabase(db);
  for (AcDbAttribute* a : m_pendingAttributes) {
    m_attributes.push_back(db->impl().addObject(a, objectId()));
    zrcad::DbAccess::added(a, db);
    zrcad::DbAccess::setOpenState(a, 0, false);
  }
  m_pendingAttributes.clear();
  assignSubHandles(db);
}

// The name (2) and the attributes-follow flag (66) come first, in a section of their own;
// the geometry follows in a section without a marker of its own.
const ClassTable& AcDbBlockReference::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"AcDbBlockReference", {}});
    s.push_back({nullptr,
                 {ZR_FIELD(AcDbBlockReference, 10, kPoint, m_position, ZR_REQUIRED),
                  ZR_FIELD(AcDbBlockReference, 41, kReal, m_scale.sx, ZR_OPTIONAL(1)),
                  ZR_FIELD(AcDbBlockReference, 42, kReal, m_scale.sy, ZR_OPTIONAL(1)),
                  ZR_FIELD(AcDbBlockReference, 43, kReal, m_scale.sz, ZR_OPTIONAL(1)),
                  ZR_FIELD(AcDbBlockReference, 50, kAngle, m_rotation, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbBlockReference, 210, kVector, m_normal, ZR_OPTIONAL(1))}});
    return s;
  }());
  return table;
}

bool AcDbBlockReference::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                                       int section) {
  if (tag.code == 66) {
    ctx.integer(tag);
    return true;
  }
  if (tag.code == 2) {
    m_pendingBlockName = ctx.wide(tag);
    ctx.toResolve.push_back(this);
    return true;
  }
  return AcDbEntity::readDxfCustom(ctx, tag, section);
}

void AcDbBlockReference::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbEntity::writeDxfCustom(ctx, section);
  if (section != kEntitySection + 1) return;
  bool hasAttributes = std::any_of(m_attributes.begin(), m_attributes.end(),
                                   [](AcDbObjectId id) { return entityOf(id) != nullptr; });
  if (hasAttributes) ctx.out.integer(66, 1);
  const std::wstring* name = zrcad::recordName(m_block);
  ctx.out.wstr(2, name ? *name : m_pendingBlockName);
}

// A reference to a block the file does not define gets an empty definition, so that the
// drawing written back is complete.
void AcDbBlockReference::resolveDxfReferences(zrcad::dxf::ReadContext& ctx) {
  if (m_pendingBlockName.empty()) return;
  AcDbSymbolTable* blocks = ctx.impl().table(ctx.impl().blockTable);
  AcDbObjectId id;
  if (blocks && blocks->getAt(m_pendingBlockName.c_str(), id) != Acad::eOk) {
    auto* rec = new AcDbBlockTableRecord();
    // As the name of a BLOCK read from a file, kept as it is: found by fuzzing, setName
    // refused "A\B" and left a nameless block that no reader takes back.
    zrcad::DbAccess::setName(rec, m_pendingBlockName);
    id = ctx.impl().addClosedObject(rec, blocks->objectId());
    blocks->attachRecord(rec, id);
  }
  m_block = id;
  m_pendingBlockName.clear();
}
