// AcDbDatabase::purge: which blocks and layers nothing refers to.
//
// A reference is anything that would break if the record went: an entity on a layer, a
// block reference to a block, the BLOCK record's layer, the current layer, and, for what
// the runtime keeps unmodeled (dimension blocks, styles, objects from other programs), any
// handle or name in their kept tags or in the header. Counting those names and handles
// keeps a record that perhaps could go; it never removes one that is used.
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "base/cstring.h"
#include "cad/db/database_impl.h"

namespace zrcad {
namespace {

struct References {
  std::unordered_set<std::uint64_t> handles;
  std::unordered_set<std::wstring> names;  // folded

  void noteTag(int code, const std::string& value) {
    const bool handleCode = (code >= 320 && code <= 369) || (code >= 390 && code <= 399) ||
                            (code >= 480 && code <= 481) || code == 1005;
    if (handleCode) {
      handles.insert(std::strtoull(value.c_str(), nullptr, 16));
    } else if (code == 1 || code == 2 || code == 3 || code == 8 || code == 1003) {
      names.insert(foldName(zrbase::utf8ToWide(value)));
    }
  }
  void noteTags(const dxf::StoredTags& tags) {
    for (const dxf::StoredTag& t : tags) noteTag(t.code, t.value);
  }
  void noteId(AcDbObjectId id) {
    if (!id.isNull()) handles.insert(id.handle().value());
  }
};

// Whether obj is live: not erased, and not inside an erased block or reference.
bool live(const AcDbObject* obj) {
  for (int depth = 0; obj && depth < 4; ++depth) {
    if (obj->isErased()) return false;
    const AcDbObjectId owner = obj->ownerId();
    obj = owner.isNull() ? nullptr : owner.stub()->object;
  }
  return true;
}

void noteObject(const AcDbObject* obj, References& refs) {
  if (const auto* data = DbAccess::dataIfAny(obj)) {
    refs.noteTags(data->appData);
    refs.noteTags(data->extras);
    refs.noteTags(data->xdata);
  }
  if (const auto* ent = AcDbEntity::cast(obj)) refs.noteId(ent->layerId());
  if (const auto* ref = AcDbBlockReference::cast(obj)) refs.noteId(ref->blockTableRecord());
  if (const auto* btr = AcDbBlockTableRecord::cast(obj)) refs.noteId(btr->blockRecords().layer);
}

References collect(DatabaseImpl& impl, AcDbDatabase* db) {
  References refs;
  for (const AcDbStub& s : impl.stubs)
    if (s.object && live(s.object)) noteObject(s.object, refs);
  for (const HeaderVar& v : impl.header)
    if (!headerWrittenFromModel(v.name)) refs.noteTags(v.tags);
  refs.noteId(db->clayer());
  return refs;
}

// Records a drawing keeps whatever refers to them.
bool alwaysKept(const AcDbObject* obj) {
  const auto* rec = AcDbSymbolTableRecord::cast(obj);
  if (rec == nullptr) return true;
  const std::wstring name = foldName(rec->name());
  if (name.find(L'|') != std::wstring::npos) return true;  // from an external reference
  if (AcDbLayerTableRecord::cast(obj)) return name == L"0" || name == L"DEFPOINTS";
  if (const auto* btr = AcDbBlockTableRecord::cast(obj))
    return btr->isLayout() || btr->isFromExternalReference();
  return true;
}

}  // namespace
}  // namespace zrcad

Acad::ErrorStatus AcDbDatabase::purge(AcDbObjectIdArray& ids) {
  const zrcad::References refs = zrcad::collect(*m_impl, this);
  AcDbObjectIdArray kept;
  for (AcDbObjectId id : ids) {
    if (id.isNull() || id.database() != this || !id.stub()->object) continue;
    const AcDbObject* obj = id.stub()->object;
    if (obj->isErased() || zrcad::alwaysKept(obj)) continue;
    if (refs.handles.count(id.handle().value())) continue;
    if (refs.names.count(zrcad::foldName(AcDbSymbolTableRecord::cast(obj)->name()))) continue;
    kept.append(id);
  }
  ids = kept;
  return Acad::eOk;
}
