// Writing a database as DXF R2010 (AC1024, UTF-8).
#include <algorithm>
#include <set>

#include "base/cstring.h"
#include "cad/db/database_impl.h"
#include "cad/db/db_curves.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad/db/dxf/dxf_file.h"
#include "cad/db/dxf/sub_records.h"

namespace zrcad::dxf {
namespace {

// R2010: the oldest release that AutoCAD, LibreCAD and ezdxf all read without a complaint
// while keeping text in UTF-8.
constexpr const char* kWrittenVersion = "AC1024";
// The writer as readers show it ($LASTSAVEDBY) and as the comment atop each file names it.
constexpr const char* kWriterName = "fancad";
#ifndef FANCAD_VERSION
#error "the build gives FANCAD_VERSION, the version the comment atop each file names"
#endif

AcDbObject* objectOf(AcDbObjectId id) { return id.isNull() ? nullptr : id.stub()->object; }

bool isLive(AcDbObjectId id) { return id.isValid(); }

// Header variables that name a table entry, and the entry every drawing has.
struct NamedHeaderVar {
  const char* name;
  const char* table;
  const wchar_t* standard;
};
constexpr NamedHeaderVar kNamedHeaderVars[] = {{"$TEXTSTYLE", "STYLE", L"Standard"},
                                               {"$CELTYPE", "LTYPE", L"ByLayer"},
                                               {"$DIMSTYLE", "DIMSTYLE", L"Standard"}};

class DxfWriter {
 public:
  DxfWriter(AcDbDatabase* db, std::string& out, const TextSink* sink)
      : m_db(db), m_impl(db->impl()), m_tags(out, sink), m_ctx(m_tags, db) {}
  void write();

 private:
  void prepare();
  void writeHeader();
  void writeDates();
  StoredTags headerValue(const HeaderVar& var) const;
  void writeTables();
  void writeTable(const AcDbSymbolTable* table);
  void writeBlocks();
  void writeBlock(AcDbBlockTableRecord* btr, bool withEntities);
  void writeEntities();
  void writeEntity(const AcDbEntity* ent);
  void writeObjects();
  void section(const char* name) {
    m_tags.str(0, "SECTION");
    m_tags.str(2, name);
  }
  void endSection() { m_tags.str(0, "ENDSEC"); }
  bool isEntitiesSectionBlock(const AcDbBlockTableRecord* btr) const {
    return btr->objectId() == m_model || btr->objectId() == m_paper;
  }

  AcDbDatabase* m_db;
  DatabaseImpl& m_impl;
  TagWriter m_tags;
  WriteContext m_ctx;
  AcDbObjectId m_model, m_paper;
  TimePoint m_now;  // of this save
};

void DxfWriter::write() {
  m_now = drawingTime();
  prepare();
  m_tags.str(999, std::string(kWriterName) + " " + FANCAD_VERSION);
  writeHeader();
  section("CLASSES");
  writeStored(m_tags, m_impl.classes);
  endSection();
  writeTables();
  writeBlocks();
  writeEntities();
  writeObjects();
  for (const RawSection& s : m_impl.otherSections) {
    section(s.name.c_str());
    writeStored(m_tags, s.tags);
    endSection();
  }
  m_tags.str(0, "EOF");
  m_tags.flush();
}

// Every record gets its handle before $HANDSEED is written, and every application that
// xdata names is registered.
void DxfWriter::prepare() {
  m_model = m_db->modelSpaceId();
  m_paper = m_db->paperSpaceId();
  std::set<std::wstring> apps;
  for (size_t i = 0; i < m_impl.stubs.size(); ++i) {
    AcDbObject* obj = m_impl.stubs[i].object;
    if (obj == nullptr || obj->isErased()) continue;
    if (auto* btr = AcDbBlockTableRecord::cast(obj)) btr->assignSubHandles(m_db);
    if (auto* ref = AcDbBlockReference::cast(obj)) ref->assignSubHandles(m_db);
    if (auto* pl = AcDbHeavyPolyline::cast(obj)) pl->assignSubHandles(m_db);
    if (const ObjectData* data = DbAccess::dataIfAny(obj))
      for (const StoredTag& t : data->xdata)
        if (t.code == 1001) apps.insert(zrbase::utf8ToWide(t.value));
  }
  for (const std::wstring& app : apps) m_db->registerApplication(app.c_str());
}

void DxfWriter::writeHeader() {
  section("HEADER");
  m_tags.str(9, "$ACADVER");
  m_tags.str(1, kWrittenVersion);
  // A drawing read without its date of creation was, as far as anyone can tell, made now;
  // kept in the header, the date stays the same in later saves.
  if (!m_impl.headerVar("$TDCREATE") && !m_impl.headerVar("$TDUCREATE")) {
    m_impl.setHeaderVar("$TDCREATE", {{40, 0, julianDateText(m_now, true)}});
    m_impl.setHeaderVar("$TDUCREATE", {{40, 0, julianDateText(m_now, false)}});
  }
  for (const HeaderVar& v : m_impl.header) {
    // A variable read without a value has nothing to say, and readers refuse the bare name.
    if (headerWrittenFromModel(v.name) || v.tags.empty()) continue;
    m_tags.str(9, v.name);
    writeStored(m_tags, headerValue(v));
  }
  m_tags.str(9, "$DWGCODEPAGE");
  m_tags.str(3, "ANSI_1252");
  m_tags.str(9, "$INSBASE");
  m_tags.point(10, m_impl.insbase);
  m_tags.str(9, "$CLAYER");
  const std::wstring* clayer = recordName(m_db->clayer());
  m_tags.wstr(8, clayer ? *clayer : std::wstring(L"0"));
  writeDates();
  m_tags.str(9, "$HANDSEED");
  m_tags.handle(5, m_impl.nextHandle);
  endSection();
}

// Every save dates the drawing and names its writer, whatever the file read said.
void DxfWriter::writeDates() {
  m_tags.str(9, "$TDUPDATE");
  m_tags.str(40, julianDateText(m_now, true));
  m_tags.str(9, "$TDUUPDATE");
  m_tags.str(40, julianDateText(m_now, false));
  m_tags.str(9, "$LASTSAVEDBY");
  m_tags.str(1, kWriterName);
}

// The value of a header variable as written. A variable naming an entry its table lacks
// would leave readers guessing which one is current (ezdxf's new drawings say $DIMSTYLE
// ISO-25 and define only Standard, and that was kept through a read and a save), so it
// names the standard entry instead, or the table's first when even that is missing.
StoredTags DxfWriter::headerValue(const HeaderVar& var) const {
  const NamedHeaderVar* named = nullptr;
  for (const NamedHeaderVar& n : kNamedHeaderVars)
    if (var.name == n.name) named = &n;
  const AcDbSymbolTable* table = named ? m_impl.tableOfType(named->table) : nullptr;
  if (table == nullptr || var.tags.size() != 1 ||
      table->has(zrbase::utf8ToWide(var.tags[0].value).c_str()))
    return var.tags;
  StoredTags tags = var.tags;
  if (table->has(named->standard)) {
    tags[0].value = zrbase::wideToUtf8(named->standard);
    return tags;
  }
  for (AcDbObjectId id : table->recordIds()) {
    const std::wstring* name = isLive(id) ? recordName(id) : nullptr;
    if (name != nullptr) {
      tags[0].value = zrbase::wideToUtf8(*name);
      break;
    }
  }
  return tags;
}

void DxfWriter::writeTables() {
  section("TABLES");
  for (AcDbObjectId id : m_impl.tables)
    if (const AcDbSymbolTable* table = m_impl.table(id)) writeTable(table);
  endSection();
}

void DxfWriter::writeTable(const AcDbSymbolTable* table) {
  long long count = std::count_if(table->recordIds().begin(), table->recordIds().end(), isLive);
  m_tags.str(0, "TABLE");
  m_tags.str(2, table->recordType());
  m_tags.handle(5, table->objectId().handle().value());
  const ObjectData* data = DbAccess::dataIfAny(table);
  if (data) writeStored(m_tags, data->appData);
  m_tags.str(330, "0");
  m_tags.str(100, "AcDbSymbolTable");
  m_tags.integer(70, count);
  if (data) writeStored(m_tags, data->extras);
  if (data) writeStored(m_tags, data->xdata);
  for (AcDbObjectId id : table->recordIds())
    if (isLive(id)) writeObject(m_ctx, objectOf(id));
  m_tags.str(0, "ENDTAB");
}

void DxfWriter::writeBlocks() {
  section("BLOCKS");
  const AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  for (AcDbObjectId id : blocks->recordIds()) {
    if (!isLive(id)) continue;
    auto* btr = AcDbBlockTableRecord::cast(objectOf(id));
    if (btr) writeBlock(btr, !isEntitiesSectionBlock(btr));
  }
  endSection();
}

void DxfWriter::writeBlock(AcDbBlockTableRecord* btr, bool withEntities) {
  auto& records = btr->blockRecords();
  AcDbObjectId layer = records.layer.isValid() ? records.layer : m_db->layerTableId();
  if (!records.layer.isValid()) {
    AcDbSymbolTable* layers = m_impl.table(m_impl.layerTable);
    layers->getAt(L"0", layer);
  }
  BlockBeginRecord begin;
  begin.name = btr->name();
  begin.origin = btr->origin();
  begin.description = records.description;
  short flags = DbAccess::blockFlags(btr);
  begin.flags = static_cast<short>(btr->hasAttributeDefinitions() ? (flags | 2) : (flags & ~2));
  writeSubRecord(m_ctx, begin, records.beginHandle.value(), btr->objectId(), layer, &records.begin);
  if (withEntities)
    for (AcDbObjectId id : btr->allEntityIds())
      if (isLive(id)) writeEntity(static_cast<const AcDbEntity*>(objectOf(id)));
  BlockEndRecord end;
  writeSubRecord(m_ctx, end, records.endHandle.value(), btr->objectId(), layer, &records.end);
}

void DxfWriter::writeEntities() {
  section("ENTITIES");
  for (AcDbObjectId space : {m_model, m_paper}) {
    auto* btr = AcDbBlockTableRecord::cast(objectOf(space));
    if (btr == nullptr) continue;
    m_ctx.inPaperSpace = space == m_paper;
    for (AcDbObjectId id : btr->allEntityIds())
      if (isLive(id)) writeEntity(static_cast<const AcDbEntity*>(objectOf(id)));
  }
  m_ctx.inPaperSpace = false;
  endSection();
}

// An entity with the records that follow it: attributes or vertices, then SEQEND.
void DxfWriter::writeEntity(const AcDbEntity* ent) {
  writeObject(m_ctx, ent);
  if (const auto* ref = AcDbBlockReference::cast(ent)) {
    bool any = false;
    for (AcDbObjectId id : ref->attributeIds())
      if (isLive(id)) {
        writeObject(m_ctx, objectOf(id));
        any = true;
      }
    if (any) {
      SeqendRecord seqend;
      writeSubRecord(m_ctx, seqend, ref->seqendHandle().value(), ref->objectId(), ref->layerId(),
                     ref->seqendData());
    }
  } else if (const auto* pl = AcDbHeavyPolyline::cast(ent)) {
    short plFlags = pl->polylineFlags();
    for (const PolylineVertex& v : pl->vertices()) {
      VertexRecord rec;
      rec.vertex = v;
      rec.marker = (plFlags & 8)    ? "AcDb3dPolylineVertex"
                   : (plFlags & 16) ? "AcDbPolygonMeshVertex"
                   : (plFlags & 64) ? ((v.flags & 64) ? "AcDbPolyFaceMeshVertex" : "AcDbFaceRecord")
                                    : "AcDb2dVertex";
      writeSubRecord(m_ctx, rec, v.handle.value(), pl->objectId(), pl->layerId(), v.dxf.get());
    }
    SeqendRecord seqend;
    writeSubRecord(m_ctx, seqend, pl->seqendHandle().value(), pl->objectId(), pl->layerId(),
                   pl->seqendData());
  }
}

// Objects owned by something erased go with it.
void DxfWriter::writeObjects() {
  section("OBJECTS");
  for (AcDbObjectId id : m_impl.objects) {
    if (!isLive(id)) continue;
    const AcDbObject* obj = objectOf(id);
    AcDbObjectId owner = obj->ownerId();
    if (!owner.isNull() && owner.stub()->object && owner.stub()->object->isErased()) continue;
    writeObject(m_ctx, obj);
  }
  endSection();
}

}  // namespace

const std::string& WriteContext::nameOf(AcDbObjectId id) {
  static const std::string kZero = "0";
  if (id.isNull()) return kZero;
  auto it = m_names.find(id.stub());
  if (it != m_names.end()) return it->second;
  const std::wstring* name = recordName(id);
  return m_names.emplace(id.stub(), name ? zrbase::wideToUtf8(*name) : kZero).first->second;
}

void writeDxf(AcDbDatabase* db, std::string& out) {
  // About 160 bytes a record; growing the text in steps costs more than the estimate.
  out.reserve(static_cast<size_t>(db->approxNumObjects()) * 160);
  DxfWriter writer(db, out, nullptr);
  writer.write();
}

void writeDxf(AcDbDatabase* db, std::string& out, const TextSink& sink) {
  out.reserve(TagWriter::kChunk + 4096);
  DxfWriter writer(db, out, &sink);
  writer.write();
}

}  // namespace zrcad::dxf
