// AcDbEntity: layer, colour and the general properties of entities.
#include "cad/db/db_entity.h"

#include <algorithm>

#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/resbuf_util.h"

ZRCAD_DEFINE_MEMBERS(AcDbEntity, AcDbObject, "")

namespace {

// General properties kept as tags that setPropertiesFrom copies: line type, line type
// scale, visibility, line weight, true colour, colour name, transparency.
bool isGeneralPropertyCode(int code) {
  return code == 6 || code == 48 || code == 60 || code == 370 || code == 420 || code == 430 ||
         code == 440;
}

AcDbDatabase* targetDatabase(const AcDbEntity* e) {
  return e->database() ? e->database() : acdbHostApplicationServices()->workingDatabase();
}

AcDbObjectId findLayer(AcDbDatabase* db, const std::wstring& name) {
  AcDbObjectId id;
  if (db == nullptr) return id;
  AcDbSymbolTable* layers = db->impl().table(db->layerTableId());
  if (layers) layers->getAt(name.c_str(), id);
  return id;
}

}  // namespace

ACHAR* AcDbEntity::layer() const {
  if (const std::wstring* name = zrcad::recordName(m_layerId)) return acutNewString(name->c_str());
  return acutNewString(m_pendingLayer.empty() ? L"0" : m_pendingLayer.c_str());
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* newVal, bool, bool) {
  if (newVal == nullptr || *newVal == 0) return Acad::eInvalidInput;
  AcDbDatabase* db = targetDatabase(this);
  if (db == nullptr) {
    m_pendingLayer = newVal;
    m_layerId.setNull();
    return Acad::eOk;
  }
  AcDbObjectId id = findLayer(db, newVal);
  if (id.isNull()) return Acad::eKeyNotFound;
  m_layerId = id;
  m_pendingLayer.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal, bool, bool) {
  if (newVal.isNull()) return Acad::eNullObjectId;
  if (zrcad::recordName(newVal) == nullptr) return Acad::eWrongObjectType;
  m_layerId = newVal;
  m_pendingLayer.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color, bool) {
  if (color > 256) return Acad::eInvalidInput;
  m_color = static_cast<short>(color);
  // A true colour kept from the file would override the index in every reader.
  if (zrcad::DbAccess::dataIfAny(this)) {
    auto& extras = zrcad::DbAccess::data(this).extras;
    std::erase_if(extras, [](const auto& t) { return t.code == 420 || t.code == 430; });
  }
  return Acad::eOk;
}

AcCmColor AcDbEntity::color() const {
  AcCmColor c;
  c.setColorIndex(m_color);
  return c;
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, bool doSubents) {
  return setColorIndex(static_cast<Adesk::UInt16>(color.colorIndex()), doSubents);
}

Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool) {
  if (other == nullptr) return Acad::eNullEntityPointer;
  if (other->database() == database() || database() == nullptr) {
    m_layerId = other->m_layerId;
    m_pendingLayer = other->m_pendingLayer;
    if (database() == nullptr && other->database() != nullptr) {
      const std::wstring* name = zrcad::recordName(other->m_layerId);
      m_pendingLayer = name ? *name : L"0";
      m_layerId.setNull();
    }
  } else {
    ACHAR* name = other->layer();
    AcDbObjectId id = findLayer(database(), name);
    if (!id.isNull()) m_layerId = id;
    acutDelString(name);
  }
  m_color = other->m_color;
  auto& mine = zrcad::DbAccess::data(this).extras;
  std::erase_if(mine, [](const auto& t) { return isGeneralPropertyCode(t.code); });
  if (const auto* theirs = zrcad::DbAccess::dataIfAny(other))
    for (const auto& t : theirs->extras)
      if (t.section == kEntitySection && isGeneralPropertyCode(t.code)) mine.push_back(t);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
  if (db == nullptr) db = targetDatabase(this);
  if (db == nullptr) return Acad::eNoDatabase;
  m_layerId = db->clayer();
  m_pendingLayer.clear();
  m_color = 256;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }

const zrcad::dxf::ClassTable& AcDbEntity::dxfTable() const {
  static const zrcad::dxf::ClassTable table(zrcad::dxf::entitySections());
  return table;
}

bool AcDbEntity::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                               int section) {
  if (tag.code == 8) {
    m_layerId = ctx.layerOfTag(tag);
    return true;
  }
  if (tag.code == 62) {
    long long v = ctx.integer(tag);
    // Negative and out-of-palette values are kept as read rather than lost.
    if (v < 0 || v > 256) return false;
    m_color = static_cast<short>(v);
    return true;
  }
  return AcDbObject::readDxfCustom(ctx, tag, section);
}

void AcDbEntity::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  if (section != kEntitySection) return;
  if (ctx.inPaperSpace) {
    const auto* data = zrcad::DbAccess::dataIfAny(this);
    bool has67 = data && std::any_of(data->extras.begin(), data->extras.end(),
                                     [](const auto& t) { return t.code == 67; });
    if (!has67) ctx.out.integer(67, 1);
  }
  ctx.out.str(8, ctx.nameOf(m_layerId));
  if (m_color != 256) ctx.out.integer(62, m_color);
}

void AcDbEntity::onAddedToDatabase(AcDbDatabase* db) {
  bool foreign = !m_layerId.isNull() && m_layerId.database() != db;
  if (foreign) {
    const std::wstring* name = zrcad::recordName(m_layerId);
    m_pendingLayer = name ? *name : L"0";
  }
  if (!m_pendingLayer.empty()) {
    AcDbObjectId id = findLayer(db, m_pendingLayer);
    m_layerId = id.isNull() ? zrcad::newLayer(db, m_pendingLayer) : id;
    m_pendingLayer.clear();
  } else if (m_layerId.isNull()) {
    m_layerId = db->clayer();
  }
}
