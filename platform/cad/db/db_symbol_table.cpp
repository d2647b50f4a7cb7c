// Symbol tables, their records and iterators; layers and registered applications.
#include "cad/db/db_symbol_table.h"

#include <algorithm>

#include "base/text_case.h"
#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/resbuf_util.h"

using zrcad::dxf::ClassTable;

ZRCAD_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject, "")
ZRCAD_DEFINE_MEMBERS(AcDbRawSymbolTableRecord, AcDbSymbolTableRecord, "")
ZRCAD_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject, "TABLE")
ZRCAD_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, "LAYER")
ZRCAD_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable, "TABLE")
ZRCAD_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord, "APPID")
ZRCAD_DEFINE_MEMBERS(AcDbRegAppTable, AcDbSymbolTable, "TABLE")

namespace zrcad {

std::wstring foldName(std::wstring_view name) { return zrbase::toUpper(name); }

std::wstring symbolNameProblem(std::wstring_view name) {
  if (name.empty()) return L"a name cannot be empty";
  if (name.size() > 255) return L"a name has at most 255 characters";
  const size_t bad = name.find_first_of(L"<>/\\\":;?|,=`");
  const size_t star = name.find(L'*', 1);
  if (bad == std::wstring_view::npos && star == std::wstring_view::npos) return {};
  const wchar_t c = name[std::min(bad, star)];
  return L"'" + std::wstring(name) + L"' is not a valid name: names cannot hold '" +
         std::wstring(1, c) + L"'";
}

const std::wstring* recordName(AcDbObjectId id) {
  if (id.isNull() || id.stub()->object == nullptr) return nullptr;
  const auto* rec = AcDbSymbolTableRecord::cast(id.stub()->object);
  return rec ? &rec->name() : nullptr;
}

}  // namespace zrcad

namespace {

constexpr int kRecordSection = 2;  // the record's own subclass, after AcDbSymbolTableRecord

std::vector<zrcad::dxf::SectionDef> recordSections(const char* marker) {
  return {{nullptr, {}}, {"AcDbSymbolTableRecord", {}}, {marker, {}}};
}

AcDbSymbolTable* ownerTable(const AcDbObject* rec) {
  AcDbObjectId owner = rec->ownerId();
  if (owner.isNull() || owner.stub()->object == nullptr) return nullptr;
  return AcDbSymbolTable::cast(owner.stub()->object);
}

}  // namespace

// ---- records

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
  name = m_name.c_str();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
  name = acutNewString(m_name.c_str());
  return name ? Acad::eOk : Acad::eOutOfMemory;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
  if (name == nullptr || !zrcad::symbolNameProblem(name).empty())
    return Acad::eInvalidSymbolTableName;
  if (AcDbSymbolTable* table = ownerTable(this)) {
    AcDbObjectId other;
    if (table->getAt(name, other) == Acad::eOk && other != objectId())
      return Acad::eDuplicateRecordName;
    table->invalidateIndex();
  }
  m_name = name;
  return Acad::eOk;
}

const ClassTable& AcDbSymbolTableRecord::dxfTable() const {
  static const ClassTable table(recordSections("AcDbSymbolTableRecord"));
  return table;
}

bool AcDbSymbolTableRecord::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                                          int section) {
  if (tag.code == 2) {
    m_name = ctx.wide(tag);
    return true;
  }
  return AcDbObject::readDxfCustom(ctx, tag, section);
}

void AcDbSymbolTableRecord::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  if (section == kRecordSection) ctx.out.wstr(2, m_name);
}

void AcDbSymbolTableRecord::onAddedToDatabase(AcDbDatabase*) {}

const ClassTable& AcDbRawSymbolTableRecord::dxfTable() const {
  static const ClassTable table({{nullptr, {}}});
  return table;
}

// The name is noted but kept among the tags, which are written back as they were.
bool AcDbRawSymbolTableRecord::readDxfCustom(zrcad::dxf::ReadContext& ctx,
                                             const zrcad::dxf::Tag& tag, int) {
  if (tag.code == 2 && name().empty()) zrcad::DbAccess::setName(this, ctx.wide(tag));
  return false;
}

void AcDbRawSymbolTableRecord::writeDxfCustom(zrcad::dxf::WriteContext&, int) const {}

// ---- tables

AcDbObjectId AcDbSymbolTable::lookup(const ACHAR* name, bool includeErased) const {
  if (name == nullptr) return {};
  std::wstring key = zrcad::foldName(name);
  if (includeErased) {
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
      const std::wstring* n = zrcad::recordName(*it);
      if (n && zrcad::foldName(*n) == key) return *it;
    }
    return {};
  }
  if (!m_indexValid) {
    m_index.clear();
    for (AcDbObjectId id : m_records) {
      const std::wstring* n = zrcad::recordName(id);
      if (n && !id.isErased()) m_index[zrcad::foldName(*n)] = id;
    }
    m_indexValid = true;
  }
  auto it = m_index.find(key);
  return it == m_index.end() ? AcDbObjectId() : it->second;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbSymbolTableRecord*& rec,
                                         AcDb::OpenMode mode, bool openErasedRec) const {
  rec = nullptr;
  AcDbObjectId id = lookup(name, openErasedRec);
  if (id.isNull()) return Acad::eKeyNotFound;
  return acdbOpenObject(rec, id, mode, openErasedRec);
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id,
                                         bool getErasedRecord) const {
  id = lookup(name, getErasedRecord);
  return id.isNull() ? Acad::eKeyNotFound : Acad::eOk;
}

bool AcDbSymbolTable::has(const ACHAR* name) const { return !lookup(name, false).isNull(); }

bool AcDbSymbolTable::has(AcDbObjectId id) const {
  return !id.isErased() && std::find(m_records.begin(), m_records.end(), id) != m_records.end();
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* rec) {
  AcDbObjectId id;
  return add(id, rec);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* rec) {
  id.setNull();
  if (rec == nullptr) return Acad::eNullObjectPointer;
  if (database() == nullptr) return Acad::eNoDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (rec->database() != nullptr) return Acad::eAlreadyInDb;
  if (rec->name().empty()) return Acad::eInvalidSymbolTableName;
  if (has(rec->name().c_str())) return Acad::eDuplicateRecordName;
  id = database()->impl().addObject(rec, objectId());
  attachRecord(rec, id);
  zrcad::DbAccess::added(rec, database());
  return Acad::eOk;
}

void AcDbSymbolTable::attachRecord(AcDbSymbolTableRecord* rec, AcDbObjectId id) {
  m_records.push_back(id);
  // Kept up to date rather than rebuilt: inserting a drawing looks each of its blocks up
  // before adding it, and a rebuild per record made that quadratic (20,000 blocks: 47 s).
  // As the rebuild does, the last live record of a name is the one found.
  if (m_indexValid && rec != nullptr && !id.isErased()) m_index[zrcad::foldName(rec->name())] = id;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& it, bool atBeginning,
                                               bool skipDeleted) const {
  it = new AcDbSymbolTableIterator(&m_records, atBeginning, skipDeleted);
  return Acad::eOk;
}

// ---- iterators

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const std::vector<AcDbObjectId>* records,
                                                 bool atBeginning, bool skipDeleted)
    : m_records(records) {
  start(atBeginning, skipDeleted);
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
  m_skipDeleted = skipDeleted;
  m_pos = atBeginning ? 0 : static_cast<int>(m_records->size()) - 1;
  skip(atBeginning);
}

bool AcDbSymbolTableIterator::done() const {
  return m_pos < 0 || m_pos >= static_cast<int>(m_records->size());
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
  m_skipDeleted = skipDeleted;
  m_pos += forward ? 1 : -1;
  skip(forward);
}

void AcDbSymbolTableIterator::skip(bool forward) {
  while (m_skipDeleted && !done() && (*m_records)[static_cast<size_t>(m_pos)].isErased())
    m_pos += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = (*m_records)[static_cast<size_t>(m_pos)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& rec,
                                                     AcDb::OpenMode mode,
                                                     bool openErasedRec) const {
  return getTyped(rec, mode, openErasedRec);
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(AcDbObjectId id) {
  auto it = std::find(m_records->begin(), m_records->end(), id);
  if (it == m_records->end()) return Acad::eKeyNotFound;
  m_pos = static_cast<int>(it - m_records->begin());
  return Acad::eOk;
}

// ---- layers

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
  m_flags = static_cast<short>(frozen ? (m_flags | 1) : (m_flags & ~1));
  return Acad::eOk;
}

void AcDbLayerTableRecord::setVPDFLT(bool frozen) {
  m_flags = static_cast<short>(frozen ? (m_flags | 2) : (m_flags & ~2));
}

void AcDbLayerTableRecord::setIsLocked(bool locked) {
  m_flags = static_cast<short>(locked ? (m_flags | 4) : (m_flags & ~4));
}

AcCmColor AcDbLayerTableRecord::color() const {
  AcCmColor c;
  c.setColorIndex(m_color);
  return c;
}

void AcDbLayerTableRecord::setColor(const AcCmColor& color) {
  short index = color.colorIndex();
  m_color = index >= 1 && index <= 255 ? index : 7;
  auto& extras = zrcad::DbAccess::data(this).extras;
  std::erase_if(extras, [](const auto& t) { return t.code == 420 || t.code == 430; });
}

const ClassTable& AcDbLayerTableRecord::dxfTable() const {
  static const ClassTable table([] {
    auto s = recordSections("AcDbLayerTableRecord");
    s.push_back({nullptr,
                 {ZR_FIELD(AcDbLayerTableRecord, 70, kShort, m_flags, ZR_REQUIRED),
                  ZR_FIELD(AcDbLayerTableRecord, 6, kString, m_linetype, ZR_REQUIRED)}});
    return s;
  }());
  return table;
}

// Off is written as a negative colour.
bool AcDbLayerTableRecord::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                                         int section) {
  if (tag.code == 62) {
    long long v = ctx.integer(tag);
    m_off = v < 0;
    v = v < 0 ? -v : v;
    m_color = static_cast<short>(v >= 1 && v <= 255 ? v : 7);
    return true;
  }
  return AcDbSymbolTableRecord::readDxfCustom(ctx, tag, section);
}

void AcDbLayerTableRecord::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbSymbolTableRecord::writeDxfCustom(ctx, section);
  if (section == kRecordSection + 1) ctx.out.integer(62, m_off ? -m_color : m_color);
}

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* name, AcDbLayerTableRecord*& rec,
                                        AcDb::OpenMode mode, bool openErasedRec) const {
  rec = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErasedRec);
  return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErasedRec) : es;
}

Acad::ErrorStatus AcDbLayerTable::newIterator(AcDbLayerTableIterator*& it, bool atBeginning,
                                              bool skipDeleted) const {
  it = new AcDbLayerTableIterator(&recordIds(), atBeginning, skipDeleted);
  return Acad::eOk;
}

// ---- registered applications

const ClassTable& AcDbRegAppTableRecord::dxfTable() const {
  static const ClassTable table([] {
    auto s = recordSections("AcDbRegAppTableRecord");
    s.push_back({nullptr, {ZR_FIELD(AcDbRegAppTableRecord, 70, kShort, m_flags, ZR_REQUIRED)}});
    return s;
  }());
  return table;
}

Acad::ErrorStatus AcDbRegAppTable::getAt(const ACHAR* name, AcDbRegAppTableRecord*& rec,
                                         AcDb::OpenMode mode, bool openErasedRec) const {
  rec = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErasedRec);
  return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErasedRec) : es;
}

Acad::ErrorStatus AcDbRegAppTable::newIterator(AcDbRegAppTableIterator*& it, bool atBeginning,
                                               bool skipDeleted) const {
  it = new AcDbRegAppTableIterator(&recordIds(), atBeginning, skipDeleted);
  return Acad::eOk;
}
