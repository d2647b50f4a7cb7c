// Reading DXF text into a database: sections, tables, blocks, entities and objects.
//
// R13 and later files are read as they are, handles and all. Older files (no subclass
// markers, no block records, no objects) are read on top of the default drawing, with new
// handles, so that what is written back is a complete drawing of the written release.
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/db/block_graph.h"
#include "cad/db/database_impl.h"
#include "cad/db/db_curves.h"
#include "cad/db/db_misc_entities.h"
#include "cad/db/db_text.h"
#include "cad/db/drawing_files.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_file.h"
#include "cad/db/dxf/entity_kinds.h"
#include "cad/db/dxf/entity_prefetch.h"
#include "cad/db/dxf/sub_records.h"
#include "cad/db/dxf/tag_reader.h"

namespace zrcad::dxf {
namespace {

// Below this size a drawing is read on one thread: starting a second one costs more than
// it saves (see bench/cad).
std::atomic<size_t> g_parallelBytes{size_t{4} << 20};

bool is(const Tag& t, int code, std::string_view value) {
  return t.code == code && trim(t.value) == value;
}

// A tag kept as read, once its value is checked against its group code.
StoredTag stored(ReadContext& ctx, const Tag& t) {
  ctx.check(t);
  return {static_cast<std::int16_t>(t.code), 0, ctx.text(t)};
}

// Version number and code page from the header, read ahead of everything else.
void scanHeader(std::string_view text, int& version, std::string& codePage) {
  TagReader r(text);
  Tag t;
  version = 1009;
  std::string_view wanted;
  while (r.next(t)) {
    if (is(t, 0, "ENDSEC") || is(t, 0, "EOF")) return;
    if (t.code == 9) {
      wanted = trim(t.value);
    } else if (wanted == "$ACADVER" && t.code == 1) {
      std::string_view v = trim(t.value);
      if (v.size() == 6 && v.substr(0, 2) == "AC")
        version = std::atoi(std::string(v.substr(2)).c_str());
      wanted = {};
    } else if (wanted == "$DWGCODEPAGE" && t.code == 3) {
      codePage = std::string(trim(t.value));
      wanted = {};
    }
  }
}

AcDbEntity* newEntity(std::string_view type, const std::vector<Tag>& tags, ReadContext& ctx) {
  if (EntityFactory make = entityFactory(type)) return make(tags, ctx);
  return new AcDbRawEntity(std::string(type));
}

// The subclass markers that R12 records lack, for the kinds kept as read.
const char* legacyMarker(std::string_view type) {
  if (type == "LTYPE") return "AcDbLinetypeTableRecord";
  if (type == "STYLE") return "AcDbTextStyleTableRecord";
  if (type == "3DFACE") return "AcDbFace";
  if (type == "TRACE") return "AcDbTrace";
  if (type == "SHAPE") return "AcDbShape";
  return nullptr;
}

// Thrown by a read of one block when the drawing must be read whole to copy that block.
struct ReadWhole {};

class DxfReader {
 public:
  DxfReader(AcDbDatabase* db, std::string_view text, const TextPassed& passed = {})
      : m_db(db),
        m_impl(db->impl()),
        m_ctx(db, m_impl),
        m_text(text),
        m_tags(text),
        m_passed(passed) {
    m_ctx.subHandles = &m_subHandles;
  }
  void read();
  // Reads of the entities only those of the block of this name (folded), as readBlockOnly
  // tells; throws ReadWhole where that is not enough.
  void readOnlyBlock(const std::wstring& folded) { m_onlyBlock = &folded; }
  // Bytes of the text read: what follows the EOF record is not.
  size_t bytesRead() const { return m_tags.position(); }

 private:
  void readSection(std::string_view name);
  void readHeader();
  void readClasses();
  void readTables();
  void readTable(const std::vector<Tag>& head);
  AcDbSymbolTableRecord* newRecord(std::string_view type);
  void readLegacyRecord(AcDbSymbolTable* table, std::string_view type);
  void readBlocks();
  void readBlock(const std::vector<Tag>& head);
  void readEntities(AcDbObjectId owner, std::string_view endName);
  void readEntity(AcDbObjectId defaultOwner, bool useFileOwner);
  void readAttributes(AcDbBlockReference* ref);
  void readVertices(AcDbHeavyPolyline* pline);
  void readObjects();
  void readRawSection(std::string_view name);
  void finish();
  void startPrefetch();
  // Whether value, the value of a record's 0 group, is where a prefetch's records start:
  // then that prefetch's (the next one, after the first has stopped there).
  bool reachSplit(const char* value);
  void shareThePrefetch();
  bool nextRecord(std::vector<Tag>& out, const char* where);
  void takePrefetched(std::vector<Tag>& out);
  void linkPrefetched(PrefetchedRecord& r);
  // Why the other thread stopped, at the line of the whole text.
  DxfError prefetchError() const {
    DxfError e = m_prefetch->lastError().error;
    if (e.line != 0) e.line += m_prefetchLines;
    return e;
  }
  bool peekIs(std::string_view type);
  AcDbBlockTableRecord* blockById(AcDbObjectId id);
  AcDbObjectId spaceFor(const std::vector<Tag>& tags);
  // The handle a record keeps, or 0 (it gets a new one) when another has it: objects keep
  // theirs unless a sub-record (BLOCK, ENDBLK, VERTEX, SEQEND) took it first, sub-records
  // unless anything did, so no handle is written twice.
  std::uint64_t objectHandle(std::uint64_t h) const { return m_subHandles.contains(h) ? 0 : h; }
  std::uint64_t subHandle(std::uint64_t h);

  AcDbDatabase* m_db;
  DatabaseImpl& m_impl;
  ReadContext m_ctx;
  std::string_view m_text;
  TagReader m_tags;
  std::vector<Tag> m_rec;
  std::vector<Tag> m_sub;
  std::wstring m_clayerName;
  int m_sections = 0;
  AcDbObjectId m_modelSpace, m_paperSpace;  // known once the blocks are read
  HandleTable<std::uint64_t> m_subHandles;
  TextPassed m_passed;       // a copy: the default argument is a temporary
  AcDbObjectId m_lastOwner;  // readEntity's last owner and its block
  AcDbBlockTableRecord* m_lastBlock = nullptr;
  size_t m_passedAt = 0;            // the length last told to m_passed
  bool m_inEntitySections = false;  // reading BLOCKS or ENTITIES, where prefetched records go
  // Records of the text's second part read on another thread (null for a small drawing);
  // from the first one taken on, records come from it until m_prefetchNext passes the last.
  std::unique_ptr<EntityPrefetch> m_prefetch;
  // The records from a point in the first prefetch's part on, on a third thread: the reader
  // gives it half of what the first has left when it reaches the first's split point.
  std::unique_ptr<EntityPrefetch> m_nextPrefetch;
  std::string m_codePage;  // the header's, for the prefetches
  bool m_prefetchTaking = false;
  size_t m_prefetchNext = 0;
  size_t m_prefetchLines = 0;  // lines before the split, which the other thread did not count
  PrefetchedRecord* m_current = nullptr;      // the record nextRecord gave last, when prefetched
  bool m_currentFails = false;                // its entity could not be made
  const std::wstring* m_onlyBlock = nullptr;  // the one block whose entities are read
  // The block references read, for the search for blocks that contain themselves.
  std::vector<const AcDbBlockReference*> m_references;
};

std::uint64_t DxfReader::subHandle(std::uint64_t h) {
  // Nothing refers to these records: one beyond the range simply gets a new handle.
  if (h == 0 || h > kMaxHandle || m_impl.byHandle.contains(h) || !m_subHandles.insert(h)) return 0;
  m_impl.noteHandle(h);
  return h;
}

bool DxfReader::nextRecord(std::vector<Tag>& out, const char* where) {
  m_current = nullptr;
  m_currentFails = false;
  if (m_prefetchTaking) {
    takePrefetched(out);
  } else {
    Tag t;
    if (!m_tags.next(t))
      m_ctx.fail(m_tags.line(), std::string("unexpected end of file in ") + where);
    if (t.code != 0)
      m_ctx.fail(t.line, "expected a 0 group in " + std::string(where) + ", found group code " +
                             std::to_string(t.code));
    const bool atSplit = m_prefetch && m_inEntitySections && reachSplit(t.value.data());
    if (atSplit && m_prefetch->at(0) != nullptr) {
      m_prefetchLines = t.line - m_prefetch->at(0)->line;
      m_prefetchTaking = true;
      takePrefetched(out);
    } else {
      m_tags.readRecord(t, out);
    }
  }
  // Every record is made into objects before the next is read: the text before this one is
  // done with. Told in steps of 256 KB, a call is rare against the records read. The threads
  // tell of the text of the records they read (an entity's names are not in it).
  constexpr size_t kPassedStep = 256 << 10;
  if (m_current != nullptr) return true;
  const size_t start = static_cast<size_t>(out[0].value.data() - m_text.data());
  if (m_passed && start >= m_passedAt + kPassedStep) {
    m_passed(m_passedAt, start);
    m_passedAt = start;
  }
  return true;
}

// The next prefetched record, as readRecord would give it; after the last one the tags are
// read from where the other thread stopped.
void DxfReader::takePrefetched(std::vector<Tag>& out) {
  const size_t i = m_prefetchNext++;
  PrefetchedRecord& r = *m_prefetch->at(i);
  // The entities were made by the other thread and are in its cache, not this one's: the one
  // linked a few records on is fetched while this one is linked.
  // So are the records: the one two steps on is fetched first, and its entity one step later.
  constexpr size_t kAhead = 8;
  if (const PrefetchedRecord* far = m_prefetch->ready(i + 2 * kAhead)) {
    __builtin_prefetch(far);
    __builtin_prefetch(reinterpret_cast<const char*>(far + 1) - 1);
  }
  if (const PrefetchedRecord* ahead = m_prefetch->ready(i + kAhead); ahead && ahead->entity) {
    // What linking writes (stub, owner, open state, layer) lies in its first 48 bytes.
    __builtin_prefetch(ahead->entity, 1);
    __builtin_prefetch(reinterpret_cast<const char*>(ahead->entity) + 47, 1);
    m_ctx.prefetchHandle(ahead->handle);
  }
  // The other thread may still be at work: why it stopped is known after the last record.
  const bool last = m_prefetch->at(m_prefetchNext) == nullptr;
  const PrefetchError::Where stop =
      last ? m_prefetch->lastError().where : PrefetchError::Where::kNone;
  if (last) {
    m_prefetchTaking = false;
    m_tags = m_prefetch->endState();
    m_tags.shiftLines(m_prefetchLines);
    // The reader reads on from the end of the section: the next prefetch's records are not.
    if (!m_prefetch->stoppedAtLimit()) m_nextPrefetch.reset();
  }
  if (stop == PrefetchError::Where::kTags) throw prefetchError();
  if (r.tagsCount == 0) {
    out.assign(1, r.first());
  } else {
    const std::span<const Tag> tags = m_prefetch->tagsOf(i);
    out.assign(tags.begin(), tags.end());
  }
  for (Tag& t : out) t.line += m_prefetchLines;
  m_current = &r;
  m_currentFails = stop == PrefetchError::Where::kEntity;
}

// What readObject does with the database for a record read on the other thread, in the order
// the record gave it.
void DxfReader::linkPrefetched(PrefetchedRecord& r) {
  AcDbEntity* ent = r.entity;
  auto owner = [&] {
    if (r.owner != 0) DbAccess::setOwner(ent, m_ctx.ownerOf(r.owner));
  };
  auto layer = [&] {
    if (r.hasLayer) DbAccess::setLayerId(ent, m_ctx.layerOfTag(Tag{8, r.layer(), 0}));
  };
  if (r.layerFirst) {
    layer();
    owner();
  } else {
    owner();
    layer();
  }
  if (r.resolve) m_ctx.toResolve.push_back(ent);
}

bool DxfReader::peekIs(std::string_view type) {
  if (m_prefetchTaking) {
    const PrefetchedRecord& next = *m_prefetch->at(m_prefetchNext);
    return is(next.tagsCount ? m_prefetch->tagsOf(m_prefetchNext)[0] : next.first(), 0, type);
  }
  Tag t;
  return m_tags.peek(t) && is(t, 0, type);
}

void DxfReader::read() {
  scanHeader(m_text, m_ctx.version, m_codePage);
  // Files without block records (R12, and the minimal files some programs write under a
  // newer version) are read on top of the default drawing, which has what they lack.
  m_ctx.legacy = m_ctx.version < 1012 || m_text.find("BLOCK_RECORD") == std::string_view::npos;
  // Older files are read over the default drawing, whose blocks would be read whole.
  if (m_ctx.legacy && m_onlyBlock) throw ReadWhole{};
  if (m_ctx.legacy) {
    DxfReader base(m_db, defaultDrawingText());
    base.read();
    m_ctx.legacy = true;
  }
  m_ctx.decoder().setCodePage(m_codePage, m_ctx.version >= 1021);
  if (m_onlyBlock == nullptr) {
    // The other thread first, then the handle table's room (clearing it takes a while).
    if (!m_ctx.legacy) startPrefetch();
    m_impl.byHandle.reserve(m_impl.byHandle.size() +
                            m_text.size() / 96);  // a record per 100 bytes or more
  }
  Tag t;
  bool sawEof = false;
  while (!sawEof && m_tags.next(t)) {
    if (is(t, 0, "EOF")) {
      sawEof = true;
      break;
    }
    if (!is(t, 0, "SECTION"))
      m_ctx.fail(t.line,
                 "expected SECTION, found '" + std::string(trim(t.value).substr(0, 40)) + "'");
    Tag name;
    if (!m_tags.next(name) || name.code != 2) m_ctx.fail(t.line, "section without a name");
    readSection(trim(name.value));
    ++m_sections;
  }
  if (m_sections == 0) m_ctx.fail(m_tags.line(), "not a DXF drawing: no sections");
  if (m_impl.tables.empty() && !m_ctx.legacy) m_ctx.fail(m_tags.line(), "no TABLES section");
  finish();
}

// The other thread takes the records from a third of the text on: this one has the linking of
// every record besides the reading of the first part (on the bench drawing the two threads
// then take about as long: at two fifths this one ended last, by a tenth of the read's
// processor time). It links the other's records as they are handed over, so that only the
// last batch is linked after the other thread has ended.
void DxfReader::startPrefetch() {
  if (m_text.size() < g_parallelBytes.load(std::memory_order_relaxed) ||
      std::thread::hardware_concurrency() < 2)
    return;
  const size_t split = EntityPrefetch::findSplit(m_text, m_text.size() / 3);
  if (split == std::string_view::npos) return;
  try {
    m_prefetch = std::make_unique<EntityPrefetch>(m_db, m_impl, m_text, split, m_ctx.version,
                                                  m_codePage, m_passed);
  } catch (const std::system_error&) {
    // No thread to be had: one reads it all.
  }
}

bool DxfReader::reachSplit(const char* value) {
  if (m_nextPrefetch && value == m_nextPrefetch->firstValue()) {
    m_prefetch = std::move(m_nextPrefetch);  // the first is done with, its thread ended
    m_prefetchNext = 0;
  }
  if (value != m_prefetch->firstValue()) return false;
  shareThePrefetch();
  m_prefetch->arrived();
  return true;
}

// When the reader reaches a split point, what the thread has left of its part is shared
// with another (and the same again at that one's split point): the reader has only linking
// left to do, and on a machine of two cores the two threads then read while it links. Which
// of the reader and the thread got there first depended on the minute as much as on the split
// (runs of the bench drawing left the reader waiting up to 110 ms); shared, what the thread
// has left takes half as long. A part too small to be worth a thread is not shared.
void DxfReader::shareThePrefetch() {
  EntityPrefetch& first = *m_prefetch;
  const size_t at = std::min(first.progress(), m_text.size());
  const size_t left = m_text.size() - at;
  if (m_nextPrefetch || left < g_parallelBytes.load(std::memory_order_relaxed) / 2) return;
  // The text left is mostly the thread's section: what follows it (the objects) is small
  // against the entities of a large drawing, and a point past its end is not an entity.
  const size_t cut = EntityPrefetch::findEntitySplit(m_text, at + left / 2);
  if (cut == std::string_view::npos) return;
  try {
    m_nextPrefetch = std::make_unique<EntityPrefetch>(m_db, m_impl, m_text, cut, m_ctx.version,
                                                      m_codePage, m_passed);
    first.stopAt(m_nextPrefetch->firstValue());
  } catch (const std::system_error&) {
    // No thread to be had: the one reads it all.
  }
}

void DxfReader::readSection(std::string_view name) {
  m_inEntitySections = name == "BLOCKS" || name == "ENTITIES";
  if (name == "HEADER") return readHeader();
  if (name == "CLASSES") return readClasses();
  if (name == "TABLES") return readTables();
  if (name == "BLOCKS") return readBlocks();
  if (name == "ENTITIES") {
    // A read of one block passes over model space.
    if (m_onlyBlock && !m_tags.skipToRecord("ENDSEC")) throw ReadWhole{};
    return readEntities(AcDbObjectId(), "ENDSEC");
  }
  if (name == "OBJECTS") return readObjects();
  readRawSection(name);
}

void DxfReader::readHeader() {
  Tag t;
  HeaderVar* var = nullptr;
  HeaderVar scratch;
  while (true) {
    if (!m_tags.next(t)) m_ctx.fail(m_tags.line(), "unexpected end of file in HEADER");
    if (is(t, 0, "ENDSEC")) break;
    if (t.code == 9) {
      std::string name(trim(t.value));
      // Older files keep what the default drawing has no better value for: their insertion
      // base, current layer and the date they were made.
      bool keep = !m_ctx.legacy || name == "$INSBASE" || name == "$CLAYER" || name == "$TDCREATE" ||
                  name == "$TDUCREATE";
      if (keep && m_impl.headerVar(name) == nullptr) m_impl.header.push_back({name, {}});
      var = keep ? m_impl.headerVar(name) : &scratch;
      var->tags.clear();
      continue;
    }
    if (var == nullptr) m_ctx.fail(t.line, "HEADER value without a variable name");
    var->tags.push_back(stored(m_ctx, t));
  }
  if (HeaderVar* v = m_impl.headerVar("$INSBASE"))
    for (const StoredTag& st : v->tags)
      if (st.code == 10 || st.code == 20 || st.code == 30)
        m_impl.insbase[(st.code - 10) / 10] = std::strtod(st.value.c_str(), nullptr);
  if (HeaderVar* v = m_impl.headerVar("$CLAYER"))
    if (!v->tags.empty()) m_clayerName = zrbase::utf8ToWide(v->tags.front().value);
  // A seed past the range is not taken: the next handle follows from those in use.
  if (HeaderVar* v = m_impl.headerVar("$HANDSEED"))
    if (std::uint64_t h = 0;
        !v->tags.empty() && parseHandle(v->tags.front().value, h) && h > 0 && h - 1 <= kMaxHandle)
      m_impl.noteHandle(h - 1);
}

void DxfReader::readClasses() {
  Tag t;
  while (true) {
    if (!m_tags.next(t)) m_ctx.fail(m_tags.line(), "unexpected end of file in CLASSES");
    if (is(t, 0, "ENDSEC")) return;
    if (!m_ctx.legacy) m_impl.classes.push_back(stored(m_ctx, t));
  }
}

void DxfReader::readTables() {
  while (nextRecord(m_rec, "TABLES")) {
    std::string_view type = trim(m_rec[0].value);
    if (type == "ENDSEC") return;
    if (type != "TABLE")
      m_ctx.fail(m_rec[0].line, "expected TABLE, found '" + std::string(type.substr(0, 40)) + "'");
    readTable(m_rec);
  }
}

AcDbSymbolTableRecord* DxfReader::newRecord(std::string_view type) {
  if (type == "LAYER") return new AcDbLayerTableRecord();
  if (type == "APPID") return new AcDbRegAppTableRecord();
  if (type == "BLOCK_RECORD") {
    auto* rec = new AcDbBlockTableRecord();
    DbAccess::dataPtr(rec).reset();  // the file gives the record's own tags
    return rec;
  }
  return new AcDbRawSymbolTableRecord(std::string(type));
}

void DxfReader::readTable(const std::vector<Tag>& head) {
  std::string name;
  for (const Tag& t : head)
    if (t.code == 2) name = std::string(trim(t.value));
  if (name.empty()) m_ctx.fail(head[0].line, "TABLE without a name");
  AcDbSymbolTable* table = m_impl.tableOfType(name);
  if (m_ctx.legacy) {
    while (nextRecord(m_sub, "TABLE")) {
      std::string_view type = trim(m_sub[0].value);
      if (type == "ENDTAB") return;
      if (type != name)
        m_ctx.fail(m_sub[0].line,
                   "record " + std::string(type.substr(0, 40)) + " in table " + name);
      if (table) readLegacyRecord(table, type);
    }
  }
  if (table != nullptr) m_ctx.fail(head[0].line, "table " + name + " given twice");
  table = name == "BLOCK_RECORD" ? new AcDbBlockTable()
          : name == "LAYER"      ? new AcDbLayerTable()
          : name == "APPID"      ? new AcDbRegAppTable()
                                 : new AcDbSymbolTable(name);
  std::unique_ptr<AcDbSymbolTable> owned(table);  // until the database owns it
  std::uint64_t handle = 0;
  readObject(m_ctx, table, head, &handle);
  // The name, the subclass and the count are written anew; the rest is kept.
  auto& extras = DbAccess::data(table).extras;
  bool seen2 = false, seenMarker = false, seen70 = false;
  std::erase_if(extras, [&](const StoredTag& st) {
    bool& seen = st.code == 2 ? seen2 : st.code == 70 ? seen70 : seenMarker;
    if (st.code == 2 || st.code == 70 || (st.code == 100 && st.value == "AcDbSymbolTable")) {
      bool drop = !seen;
      seen = true;
      return drop;
    }
    return false;
  });
  AcDbObjectId tableId =
      m_impl.addClosedObject(owned.release(), AcDbObjectId(), objectHandle(handle));
  m_impl.tables.push_back(tableId);
  if (name == "BLOCK_RECORD") m_impl.blockTable = tableId;
  if (name == "LAYER") m_impl.layerTable = tableId;
  if (name == "APPID") m_impl.regAppTable = tableId;
  while (nextRecord(m_sub, "TABLE")) {
    std::string_view type = trim(m_sub[0].value);
    if (type == "ENDTAB") return;
    if (type != name)
      m_ctx.fail(m_sub[0].line, "record " + std::string(type.substr(0, 40)) + " in table " + name);
    AcDbSymbolTableRecord* rec = newRecord(type);
    std::unique_ptr<AcDbSymbolTableRecord> guard(rec);
    handle = 0;
    readObject(m_ctx, rec, m_sub, &handle);
    // Found by fuzzing: a nameless block record became a BLOCK no reader takes back.
    if (rec->name().empty()) m_ctx.fail(m_sub[0].line, "record without a name in table " + name);
    AcDbObjectId id = m_impl.addClosedObject(guard.release(), tableId, objectHandle(handle));
    table->attachRecord(rec, id);
  }
}

// R12 records: layers and applications join (or update) those of the default drawing;
// line types and text styles not there yet are kept with the markers they lack; the rest
// (views, viewports, dimension styles of R12) give way to the default drawing's.
void DxfReader::readLegacyRecord(AcDbSymbolTable* table, std::string_view type) {
  std::wstring name;
  for (const Tag& t : m_sub)
    if (t.code == 2) name = m_ctx.wide(t);
  if (name.empty()) return;
  AcDbObjectId existing;
  table->getAt(name.c_str(), existing);
  if (type == "LAYER" || type == "APPID") {
    if (!existing.isNull()) {
      readObject(m_ctx, existing.stub()->object, m_sub, nullptr);
      return;
    }
  } else if (!existing.isNull() || legacyMarker(type) == nullptr) {
    return;
  }
  std::unique_ptr<AcDbSymbolTableRecord> rec(newRecord(type));
  readObject(m_ctx, rec.get(), m_sub, nullptr);
  if (const char* marker = legacyMarker(type)) {
    auto& extras = DbAccess::data(rec.get()).extras;
    extras.insert(extras.begin(), {{100, 0, "AcDbSymbolTableRecord"}, {100, 0, marker}});
  }
  AcDbSymbolTableRecord* raw = rec.get();
  AcDbObjectId id = m_impl.addClosedObject(rec.release(), table->objectId());
  table->attachRecord(raw, id);
}

void DxfReader::readBlocks() {
  while (nextRecord(m_rec, "BLOCKS")) {
    std::string_view type = trim(m_rec[0].value);
    if (type == "ENDSEC") return;
    if (type != "BLOCK")
      m_ctx.fail(m_rec[0].line, "expected BLOCK, found '" + std::string(type.substr(0, 40)) + "'");
    readBlock(m_rec);
  }
}

void DxfReader::readBlock(const std::vector<Tag>& head) {
  BlockBeginRecord begin;
  auto beginData = readSubRecord(m_ctx, begin, head);
  std::wstring name = begin.name;
  std::wstring folded = foldName(name);
  if (folded == L"$MODEL_SPACE") name = ACDB_MODEL_SPACE;
  if (folded == L"$PAPER_SPACE") name = ACDB_PAPER_SPACE;
  if (name.empty()) m_ctx.fail(head[0].line, "BLOCK without a name");
  AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  if (blocks == nullptr) m_ctx.fail(head[0].line, "BLOCK without a block record table");
  AcDbObjectId id;
  if (blocks->getAt(name.c_str(), id) != Acad::eOk) {
    auto* rec = new AcDbBlockTableRecord();
    DbAccess::setName(rec, name);
    id = m_impl.addClosedObject(rec, blocks->objectId());
    blocks->attachRecord(rec, id);
  }
  AcDbBlockTableRecord* btr = blockById(id);
  if (btr == nullptr) m_ctx.fail(head[0].line, "block record of BLOCK is not a block");
  DbAccess::blockOrigin(btr) = begin.origin;
  DbAccess::blockFlags(btr) = begin.flags;
  auto& records = btr->blockRecords();
  if (!m_ctx.legacy) {
    records.beginHandle = subHandle(begin.handleValue);
    if (beginData) records.begin = *beginData;
  }
  records.layer = begin.layerId();
  records.description = begin.description;
  // Another block than the one read: its records are passed over up to its ENDBLK.
  if (m_onlyBlock && folded != *m_onlyBlock && !m_tags.skipToRecord("ENDBLK")) throw ReadWhole{};
  readEntities(id, "ENDBLK");
  BlockEndRecord end;
  auto endData = readSubRecord(m_ctx, end, m_rec);
  if (!m_ctx.legacy) {
    records.endHandle = subHandle(end.handleValue);
    if (endData) records.end = *endData;
  }
}

AcDbBlockTableRecord* DxfReader::blockById(AcDbObjectId id) {
  if (id.isNull() || id.stub()->object == nullptr) return nullptr;
  return AcDbBlockTableRecord::cast(id.stub()->object);
}

// Entities of the ENTITIES section belong to model space, or to paper space with 67 = 1.
AcDbObjectId DxfReader::spaceFor(const std::vector<Tag>& tags) {
  if (m_modelSpace.isNull()) {
    m_modelSpace = m_db->modelSpaceId();
    m_paperSpace = m_db->paperSpaceId();
  }
  if (m_current && m_current->entity) return m_current->paperSpace ? m_paperSpace : m_modelSpace;
  for (const Tag& t : tags)
    if (t.code == 67 && trim(t.value) == "1") return m_paperSpace;
  return m_modelSpace;
}

// Reads entities up to the record named endName, which is left in m_rec.
void DxfReader::readEntities(AcDbObjectId owner, std::string_view endName) {
  if (owner.isNull() && m_onlyBlock == nullptr)
    if (AcDbBlockTableRecord* space = blockById(m_db->modelSpaceId())) {
      // Room for model space's entities at once: grown by doubling, the list of a large
      // drawing is copied a dozen times into fresh memory. A plain entity takes 110 bytes of
      // text or more; the room taken is at most a sixteenth of the text's size, and a list
      // that needs more still grows.
      EntityIdList& ids = DbAccess::entities(space);
      ids.reserve(ids.size() + (m_text.size() - m_tags.position()) / 128);
    }
  while (true) {
    nextRecord(m_rec, endName == "ENDSEC" ? "ENTITIES" : "BLOCK");
    std::string_view type = trim(m_rec[0].value);
    if (type == endName) return;
    if (type == "ENDSEC" || type == "EOF") m_ctx.fail(m_rec[0].line, "block without ENDBLK");
    // Found by fuzzing: structure records must not pass for entities of an unknown kind.
    if (type == "BLOCK" || type == "ENDBLK" || type == "SECTION" || type == "TABLE" ||
        type == "ENDTAB")
      m_ctx.fail(m_rec[0].line, "unexpected " + std::string(type) + " among entities");
    if (type == "ATTRIB" || type == "VERTEX" || type == "SEQEND") continue;  // stray part
    readEntity(owner.isNull() ? spaceFor(m_rec) : owner, owner.isNull());
  }
}

void DxfReader::readEntity(AcDbObjectId defaultOwner, bool useFileOwner) {
  std::string_view type = trim(m_rec[0].value);
  std::unique_ptr<AcDbEntity> ent;
  std::uint64_t handle = 0;
  if (m_currentFails) throw prefetchError();
  // A reference needs the block it names, which may have been passed over.
  if (m_onlyBlock && (type == "INSERT" || type == "DIMENSION")) throw ReadWhole{};
  if (m_current && m_current->entity) {
    linkPrefetched(*m_current);
    ent.reset(std::exchange(m_current->entity, nullptr));
    handle = m_current->handle;
  } else {
    ent.reset(newEntity(type, m_rec, m_ctx));
    if (m_ctx.legacy)
      if (const char* marker = legacyMarker(type))
        DbAccess::data(ent.get()).extras.push_back({100, 1, marker});
    readObject(m_ctx, ent.get(), m_rec, &handle);
  }
  AcDbObjectId owner = defaultOwner;
  if (useFileOwner && !m_ctx.legacy && ent->ownerId() != owner && blockById(ent->ownerId()))
    owner = ent->ownerId();
  // Entities come in runs of one owner: its block is looked up once a run.
  if (owner != m_lastOwner) {
    m_lastBlock = blockById(owner);
    m_lastOwner = owner;
  }
  AcDbBlockTableRecord* btr = m_lastBlock;
  if (btr == nullptr) m_ctx.fail(m_rec[0].line, "drawing without model space");
  AcDbEntity* raw = ent.get();
  AcDbObjectId id = m_impl.addClosedObject(ent.release(), owner, objectHandle(handle));
  btr->attachEntity(raw, id);
  // Only these kinds are followed by records of their own (newEntity makes them).
  if (type == "INSERT")
    if (auto* ref = AcDbBlockReference::cast(raw)) {
      m_references.push_back(ref);
      readAttributes(ref);
    }
  if (type == "POLYLINE")
    if (auto* pline = AcDbHeavyPolyline::cast(raw)) readVertices(pline);
}

void DxfReader::readAttributes(AcDbBlockReference* ref) {
  while (peekIs("ATTRIB")) {
    nextRecord(m_sub, "INSERT");
    auto attr = std::make_unique<AcDbAttribute>();
    std::uint64_t handle = 0;
    readObject(m_ctx, attr.get(), m_sub, &handle);
    DbAccess::attributes(ref).push_back(
        m_impl.addClosedObject(attr.release(), ref->objectId(), objectHandle(handle)));
  }
  if (peekIs("SEQEND")) {
    nextRecord(m_sub, "INSERT");
    SeqendRecord seqend;
    auto data = readSubRecord(m_ctx, seqend, m_sub);
    if (!DbAccess::attributes(ref).empty() && !m_ctx.legacy) {
      ref->dxfSetSeqend(subHandle(seqend.handleValue), data);
    }
  }
}

void DxfReader::readVertices(AcDbHeavyPolyline* pline) {
  while (peekIs("VERTEX")) {
    nextRecord(m_sub, "POLYLINE");
    VertexRecord rec;
    auto data = readSubRecord(m_ctx, rec, m_sub);
    PolylineVertex v = rec.vertex;
    if (!m_ctx.legacy) {
      v.handle = subHandle(rec.handleValue);
    }
    v.dxf = std::move(data);
    pline->dxfAddVertex(std::move(v));
  }
  if (peekIs("SEQEND")) {
    nextRecord(m_sub, "POLYLINE");
    SeqendRecord seqend;
    auto data = readSubRecord(m_ctx, seqend, m_sub);
    if (!m_ctx.legacy) {
      pline->dxfSetSeqend(subHandle(seqend.handleValue), data);
    }
  }
}

void DxfReader::readObjects() {
  while (nextRecord(m_rec, "OBJECTS")) {
    std::string_view type = trim(m_rec[0].value);
    if (type == "ENDSEC") return;
    auto obj = std::make_unique<AcDbRawObject>(std::string(type));
    std::uint64_t handle = 0;
    readObject(m_ctx, obj.get(), m_rec, &handle);
    AcDbObjectId owner = obj->ownerId();
    m_impl.objects.push_back(m_impl.addClosedObject(obj.release(), owner, objectHandle(handle)));
  }
}

void DxfReader::readRawSection(std::string_view name) {
  RawSection section{std::string(name), {}};
  Tag t;
  while (true) {
    if (!m_tags.next(t)) m_ctx.fail(m_tags.line(), "unexpected end of file in " + section.name);
    if (is(t, 0, "ENDSEC")) break;
    section.tags.push_back(stored(m_ctx, t));
  }
  if (!m_ctx.legacy) m_impl.otherSections.push_back(std::move(section));
}

// Names become ids, and what every drawing needs is made when the file lacked it.
void DxfReader::finish() {
  if (m_impl.layerTable.isNull() || m_impl.blockTable.isNull() || m_impl.regAppTable.isNull())
    m_ctx.fail(m_tags.line(), "the drawing lacks its layer, block or application table");
  m_ctx.layerByName(L"0");
  AcDbSymbolTable* blocks = m_impl.table(m_impl.blockTable);
  for (const ACHAR* space : {ACDB_MODEL_SPACE, ACDB_PAPER_SPACE}) {
    if (blocks->has(space)) continue;
    auto* rec = new AcDbBlockTableRecord();
    DbAccess::setName(rec, space);
    blocks->attachRecord(rec, m_impl.addClosedObject(rec, blocks->objectId()));
  }
  if (m_impl.handlesBeyondRange) m_impl.renumberBeyondRange();
  for (AcDbObject* obj : m_ctx.toResolve) DbAccess::resolve(obj, m_ctx);
  // Found by a hostile file: an R12 block A holding INSERT A was read and written back.
  // An older file is read over the default drawing, whose objects this reader did not make.
  const std::vector<std::wstring> loop =
      m_ctx.legacy ? findBlockLoop(m_impl) : findBlockLoop(m_impl, m_references);
  if (!loop.empty())
    m_ctx.fail(0, "a block contains itself: " + zrbase::wideToUtf8(loopText(loop)));
  m_db->registerApplication(L"ACAD");
  if (!m_clayerName.empty()) m_impl.clayer = m_ctx.layerByName(m_clayerName);
  // Every object was added closed; blocks made without a BLOCK record (by a reference to
  // a block the file lacks, or a space the file lacks) get the handles of their own records.
  for (AcDbObjectId id : blocks->recordIds())
    if (AcDbBlockTableRecord* btr = blockById(id)) btr->assignSubHandles(m_db);
}

// The drawing of text with only block folded's entities read; false when it must be read
// whole (the database then holds part of it).
bool readBlockOnly(AcDbDatabase* db, std::string_view text, const std::wstring& folded) {
  try {
    DxfReader reader(db, text);
    reader.readOnlyBlock(folded);
    reader.read();
    return text.find('\0', reader.bytesRead()) == std::string_view::npos;
  } catch (const ReadWhole&) {
  } catch (const DxfError&) {
    // The whole read says what is wrong, with the line.
  } catch (const std::bad_alloc&) {
  }
  return false;
}

}  // namespace

Acad::ErrorStatus readDwgFileForBlock(AcDbDatabase* db, const ACHAR* fileName, int shareMode,
                                      const ACHAR* block, bool& whole) {
  whole = true;
  if (fileName == nullptr || *fileName == 0 || block == nullptr || db->impl().hasContent ||
      db->undoRecording())
    return db->readDwgFile(fileName, shareMode);
  const std::string path = zrbase::nativePath(fileName);
  std::wstring why;
  // As readDwgFile does on opening a drawing: what a killed save left beside it goes.
  if (std::string target; followLinks(path, target, why)) removeStaleTemporaries(target);
  MappedFile file;
  Acad::ErrorStatus es = Acad::eOk;
  const std::string_view text = file.open(path, es, why) ? file.text() : std::string_view();
  if (text.empty() || !readBlockOnly(db, text, foldName(block))) {
    return db->readDwgFile(fileName, shareMode);
  }
  whole = false;
  DatabaseImpl& impl = db->impl();
  impl.fileName = fileName;
  impl.lastError.clear();
  impl.noteSaved();
  return Acad::eOk;
}

void setParallelReadBytes(size_t bytes) { g_parallelBytes.store(bytes, std::memory_order_relaxed); }

Acad::ErrorStatus readDxf(AcDbDatabase* db, std::string_view text, std::string& message,
                          const TextPassed& passed) {
  // A NUL byte anywhere makes the text binary data, whatever else is wrong with it: the
  // reader finds those in what it reads, the rest of the text is looked at here.
  try {
    DxfReader reader(db, text, passed);
    reader.read();
    if (text.find('\0', reader.bytesRead()) != std::string_view::npos)
      throw DxfError{0, kNulBytesText};
  } catch (const DxfError& e) {
    if (text.find('\0') != std::string_view::npos) {
      message = kNulBytesText;
      return Acad::eBadDxfFile;
    }
    message = e.line == 0 ? e.message : e.message + " (line " + std::to_string(e.line) + ")";
    return Acad::eBadDxfFile;
  } catch (const std::bad_alloc&) {
    message = "out of memory";
    return Acad::eOutOfMemory;
  }
  return Acad::eOk;
}

}  // namespace zrcad::dxf
