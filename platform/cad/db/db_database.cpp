// AcDbDatabase: objects by handle, tables, files; the host's working database.
#include "cad/db/db_database.h"

#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/db/database_impl.h"
#include "cad/db/drawing_files.h"
#include "cad/db/dxf/dxf_file.h"

namespace zrcad {

DatabaseImpl::~DatabaseImpl() {
  for (AcDbStub& s : stubs) {
    delete s.object;
    s.object = nullptr;
  }
}

AcDbStub* DatabaseImpl::stubFor(std::uint64_t handle) {
  return byHandle.findOrInsert(handle, [&] {
    AcDbStub& s = stubs.emplace_back();
    s.database = self;
    s.handle = handle;
    noteHandle(handle);
    return &s;
  });
}

void DatabaseImpl::stampChange() {
  static std::uint64_t lastStamp = 0;
  changeStamp = ++lastStamp;
}

AcDbObjectId DatabaseImpl::addObject(AcDbObject* obj, AcDbObjectId owner, std::uint64_t handle) {
  AcDbStub* stub = nullptr;
  if (handle != 0) {
    stub = stubFor(handle);
    if (stub->object != nullptr) stub = nullptr;  // taken: the newcomer gets a new handle
  }
  if (undo && !owner.isNull() && owner.stub()->object) undo->noteChange(owner.stub()->object);
  if (stub == nullptr) stub = stubFor(allocateHandle());
  stub->object = obj;
  if (undo) undo->noteCreated(stub);
  DbAccess::bind(obj, stub);
  DbAccess::setOwner(obj, owner);
  hasContent = true;
  stampChange();
  return AcDbObjectId(stub);
}

AcDbObjectId DatabaseImpl::addClosedObject(AcDbObject* obj, AcDbObjectId owner,
                                           std::uint64_t handle) {
  const AcDbObjectId id = addObject(obj, owner, handle);
  DbAccess::setOpenState(obj, 0, false);
  return id;
}

AcDbSymbolTable* DatabaseImpl::table(AcDbObjectId id) const {
  if (id.isNull() || id.stub()->object == nullptr) return nullptr;
  return AcDbSymbolTable::cast(id.stub()->object);
}

AcDbSymbolTable* DatabaseImpl::tableOfType(std::string_view recordType) const {
  for (AcDbObjectId id : tables)
    if (AcDbSymbolTable* t = table(id); t && t->recordType() == recordType) return t;
  return nullptr;
}

HeaderVar* DatabaseImpl::headerVar(std::string_view name) {
  for (HeaderVar& v : header)
    if (v.name == name) return &v;
  return nullptr;
}

void DatabaseImpl::setHeaderVar(std::string_view name, dxf::StoredTags tags) {
  if (HeaderVar* v = headerVar(name)) {
    v->tags = std::move(tags);
    return;
  }
  header.push_back({std::string(name), std::move(tags)});
}

AcDbObjectId newLayer(AcDbDatabase* db, const std::wstring& name) {
  DatabaseImpl& impl = db->impl();
  AcDbSymbolTable* layers = impl.table(impl.layerTable);
  if (layers == nullptr) return {};
  auto* rec = new AcDbLayerTableRecord();
  DbAccess::setName(rec, name);
  // New layers take the plot style of layer 0, as the host gives them.
  AcDbObjectId zero;
  if (layers->getAt(L"0", zero) == Acad::eOk)
    if (const auto* data = DbAccess::dataIfAny(zero.stub()->object))
      for (const auto& t : data->extras)
        if (t.code == 390) DbAccess::data(rec).extras.push_back(t);
  AcDbObjectId id = impl.addClosedObject(rec, layers->objectId());
  layers->attachRecord(rec, id);
  return id;
}

Acad::ErrorStatus checkErase(AcDbObject* obj, bool erasing) {
  auto* rec = AcDbSymbolTableRecord::cast(obj);
  if (rec == nullptr) return Acad::eOk;
  if (erasing) {
    if (AcDbLayerTableRecord::cast(obj) &&
        (rec->name() == L"0" || (obj->database() && obj->database()->clayer() == obj->objectId())))
      return Acad::eCannotBeErasedByCaller;
    if (auto* btr = AcDbBlockTableRecord::cast(obj); btr && btr->isLayout())
      return Acad::eCannotBeErasedByCaller;
  }
  AcDbObjectId owner = obj->ownerId();
  if (!owner.isNull() && owner.stub()->object)
    if (auto* table = AcDbSymbolTable::cast(owner.stub()->object)) table->invalidateIndex();
  return Acad::eOk;
}

}  // namespace zrcad

using zrcad::DatabaseImpl;

namespace {

std::wstring quoted(const ACHAR* fileName) { return L"'" + std::wstring(fileName) + L"'"; }

// Binary DWG starts with its version ("AC1015"); binary DXF with its own sentinel.
bool refuseBinary(std::string_view text, Acad::ErrorStatus& es, std::wstring& why) {
  if (text.size() >= 6 && text.compare(0, 4, "AC10") == 0 &&
      std::isdigit(static_cast<unsigned char>(text[4]))) {
    es = Acad::eDwgNotRecoverable;
    why = L"binary DWG is not supported";
    return true;
  }
  if (text.compare(0, 18, "AutoCAD Binary DXF") == 0) {
    es = Acad::eBadDxfFile;
    why = L"binary DXF is not supported";
    return true;
  }
  return false;
}

}  // namespace

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool)
    : m_impl(std::make_unique<DatabaseImpl>(this)) {
  if (!buildDefaultDrawing) return;
  std::string message;
  [[maybe_unused]] Acad::ErrorStatus es = zrcad::dxf::newDrawing(this, message);
  assert(es == Acad::eOk);
  m_impl->noteSaved();
}

AcDbDatabase::~AcDbDatabase() {
  if (acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName, int, bool, const wchar_t*) {
  if (fileName == nullptr || *fileName == 0) return Acad::eInvalidInput;
  zrcad::MappedFile file;
  Acad::ErrorStatus es = Acad::eOk;
  std::wstring why;
  const std::string path = zrbase::nativePath(fileName);
  // What a killed save of this drawing left beside it goes when the drawing is opened.
  if (std::string target; zrcad::followLinks(path, target, why))
    zrcad::removeStaleTemporaries(target);
  if (!file.open(path, es, why)) {
    m_impl->lastError = L"cannot read drawing " + quoted(fileName) + L": " + why;
    return es;
  }
  es = readText(file.text(), fileName,
                [&file](size_t begin, size_t end) { file.release(begin, end); });
  if (es == Acad::eOk) m_impl->fileName = fileName;
  m_impl->noteSaved();
  return es;
}

Acad::ErrorStatus AcDbDatabase::readDxfText(std::string_view text, const ACHAR* name) {
  return readText(text, name, {});
}

Acad::ErrorStatus AcDbDatabase::readText(std::string_view text, const ACHAR* name,
                                         const std::function<void(size_t, size_t)>& passed) {
  // What is read is where the history starts, not a change.
  const bool recording = m_impl->undo != nullptr;
  m_impl->undo.reset();
  if (m_impl->hasContent) m_impl = std::make_unique<DatabaseImpl>(this);
  struct Restart {
    AcDbDatabase* db;
    bool on;
    ~Restart() { db->enableUndoRecording(on); }
  } restart{this, recording};
  Acad::ErrorStatus es = Acad::eOk;
  std::wstring why;
  // Text with NUL bytes (binary data of another kind) is refused by the reader, which
  // finds them as it splits the lines.
  if (refuseBinary(text, es, why)) {
    m_impl->lastError = L"cannot read drawing " + quoted(name) + L": " + why;
    return es;
  }
  std::string message;
  es = zrcad::dxf::readDxf(this, text, message, passed);
  if (es != Acad::eOk) {
    m_impl = std::make_unique<DatabaseImpl>(this);
    m_impl->lastError =
        L"cannot read drawing " + quoted(name) + L": " + zrbase::utf8ToWide(message);
    return es;
  }
  m_impl->lastError.clear();
  m_impl->noteSaved();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::writeDxfText(std::string& out) {
  if (m_impl->blockTable.isNull() || m_impl->layerTable.isNull()) {
    m_impl->lastError = L"the database holds no drawing";
    return Acad::eNoDatabase;
  }
  out.clear();
  try {
    zrcad::dxf::writeDxf(this, out);
  } catch (const zrbase::SaveAborted& aborted) {
    out.clear();
    m_impl->lastError = aborted.why;
    return Acad::eInvalidInput;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName) {
  if (fileName == nullptr || *fileName == 0) return Acad::eInvalidInput;
  if (m_impl->blockTable.isNull() || m_impl->layerTable.isNull()) {
    m_impl->lastError = L"the database holds no drawing";
    return Acad::eNoDatabase;
  }
  std::wstring why;
  Acad::ErrorStatus es = zrcad::saveFileSafely(
      zrbase::nativePath(fileName),
      [this](const std::function<void(std::string_view)>& sink) {
        std::string buffer;
        zrcad::dxf::writeDxf(this, buffer, sink);
      },
      why);
  if (es != Acad::eOk) {
    m_impl->lastError = L"cannot save drawing " + quoted(fileName) + L": " + why;
    return es;
  }
  m_impl->fileName = fileName;
  m_impl->lastError.clear();
  if (m_impl->undo) m_impl->undo->markSaved();
  m_impl->noteSaved();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::save() {
  if (m_impl->fileName.empty()) return Acad::eNoInputFiler;
  std::wstring name = m_impl->fileName;
  return saveAs(name.c_str());
}

Acad::ErrorStatus AcDbDatabase::getFilename(const ACHAR*& fileName) const {
  fileName = m_impl->fileName.c_str();
  return Acad::eOk;
}

namespace {

template <class T>
Acad::ErrorStatus openTable(AcDbObjectId id, T*& table, AcDb::OpenMode mode) {
  table = nullptr;
  if (id.isNull()) return Acad::eMissingSymbolTable;
  return acdbOpenObject(table, id, mode);
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
  return openTable(m_impl->blockTable, table, mode);
}

Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
  return openTable(m_impl->layerTable, table, mode);
}

Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) {
  return openTable(m_impl->regAppTable, table, mode);
}

std::uint64_t AcDbDatabase::changeStamp() const { return m_impl->changeStamp; }

bool AcDbDatabase::isModifiedSinceSave() const { return m_impl->changeStamp != m_impl->savedStamp; }

AcDbObjectId AcDbDatabase::blockTableId() const { return m_impl->blockTable; }
AcDbObjectId AcDbDatabase::layerTableId() const { return m_impl->layerTable; }
AcDbObjectId AcDbDatabase::regAppTableId() const { return m_impl->regAppTable; }

AcDbObjectId AcDbDatabase::modelSpaceId() const {
  AcDbObjectId id;
  if (AcDbSymbolTable* t = m_impl->table(m_impl->blockTable)) t->getAt(ACDB_MODEL_SPACE, id);
  return id;
}

AcDbObjectId AcDbDatabase::paperSpaceId() const {
  AcDbObjectId id;
  if (AcDbSymbolTable* t = m_impl->table(m_impl->blockTable)) t->getAt(ACDB_PAPER_SPACE, id);
  return id;
}

AcDbObjectId AcDbDatabase::clayer() const {
  if (m_impl->clayer.isValid()) return m_impl->clayer;
  AcDbObjectId id;
  if (AcDbSymbolTable* t = m_impl->table(m_impl->layerTable)) t->getAt(L"0", id);
  return id;
}

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layerId) {
  if (layerId.isNull()) return Acad::eNullObjectId;
  if (layerId.database() != this || !layerId.isValid() ||
      !AcDbLayerTableRecord::cast(layerId.stub()->object))
    return Acad::eInvalidInput;
  if (m_impl->undo) m_impl->undo->noteDrawingState();
  m_impl->clayer = layerId;
  m_impl->stampChange();
  return Acad::eOk;
}

AcGePoint3d AcDbDatabase::insbase() const { return m_impl->insbase; }

Acad::ErrorStatus AcDbDatabase::setInsbase(const AcGePoint3d& base) {
  if (m_impl->undo) m_impl->undo->noteDrawingState();
  m_impl->insbase = base;
  m_impl->stampChange();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound,
                                                const AcDbHandle& objHandle, Adesk::UInt32) {
  retId.setNull();
  if (objHandle.isNull()) return Acad::eNullHandle;
  if (AcDbStub* known = m_impl->byHandle.find(objHandle.value())) {
    retId = AcDbObjectId(known);
    return Acad::eOk;
  }
  if (!createIfNotFound) return Acad::eUnknownHandle;
  if (objHandle.value() > zrcad::dxf::kMaxHandle) return Acad::eInvalidInput;
  retId = AcDbObjectId(m_impl->stubFor(objHandle.value()));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
  if (obj == nullptr) return Acad::eNullObjectPointer;
  if (obj->database() != nullptr) return Acad::eAlreadyInDb;
  id = m_impl->addObject(obj, AcDbObjectId());
  m_impl->objects.push_back(id);
  zrcad::DbAccess::added(obj, this);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::registerApplication(const ACHAR* appName, AcDbObjectId* id) {
  if (appName == nullptr || *appName == 0) return Acad::eInvalidInput;
  AcDbSymbolTable* apps = m_impl->table(m_impl->regAppTable);
  if (apps == nullptr) return Acad::eMissingSymbolTable;
  AcDbObjectId found;
  if (apps->getAt(appName, found) != Acad::eOk) {
    auto* rec = new AcDbRegAppTableRecord();
    zrcad::DbAccess::setName(rec, appName);
    found = m_impl->addClosedObject(rec, apps->objectId());
    apps->attachRecord(rec, found);
  }
  if (id) *id = found;
  return Acad::eOk;
}

int AcDbDatabase::eraseObjects(const std::vector<AcDbObjectId>& ids) {
  int erased = 0;
  for (AcDbObjectId id : ids) {
    if (id.isNull() || id.database() != this) continue;
    AcDbObject* obj = id.stub()->object;
    if (obj == nullptr || obj->isErased() || obj->isReadEnabled()) continue;
    if (zrcad::checkErase(obj, true) != Acad::eOk) continue;
    if (m_impl->undo) m_impl->undo->noteErase(obj);
    zrcad::DbAccess::setErased(obj, true);
    ++erased;
  }
  if (erased > 0) m_impl->stampChange();
  return erased;
}

void AcDbDatabase::enableUndoRecording(bool on) {
  if (!on)
    m_impl->undo.reset();
  else if (!m_impl->undo)
    m_impl->undo = std::make_unique<zrcad::UndoRecord>(*m_impl);
}

bool AcDbDatabase::undoRecording() const { return m_impl->undo != nullptr; }

void AcDbDatabase::closeUndoStep(const std::wstring& name) {
  if (m_impl->undo) m_impl->undo->closeStep(name);
}

// Undoing and redoing change the drawing as any edit does: a new change stamp, so that
// views of it (the desktop's canvas) draw it again.
std::vector<std::wstring> AcDbDatabase::undo(int steps) {
  if (!m_impl->undo) return {};
  std::vector<std::wstring> names = m_impl->undo->undo(steps);
  if (!names.empty()) m_impl->stampChange();
  return names;
}

std::vector<std::wstring> AcDbDatabase::redo(int steps) {
  if (!m_impl->undo) return {};
  std::vector<std::wstring> names = m_impl->undo->redo(steps);
  if (!names.empty()) m_impl->stampChange();
  return names;
}

int AcDbDatabase::undoStepCount() const {
  return m_impl->undo ? static_cast<int>(m_impl->undo->undoCount()) : 0;
}

int AcDbDatabase::redoStepCount() const {
  return m_impl->undo ? static_cast<int>(m_impl->undo->redoCount()) : 0;
}

bool AcDbDatabase::isModified() const { return m_impl->undo && m_impl->undo->modified(); }

int AcDbDatabase::approxNumObjects() const { return static_cast<int>(m_impl->byHandle.size()); }

const ACHAR* AcDbDatabase::lastErrorText() const { return m_impl->lastError.c_str(); }

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}
