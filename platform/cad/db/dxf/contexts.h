// State shared by the readers and writers of one file.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cad/db/dxf/codepage.h"
#include "cad/db/dxf/dxf_tags.h"
#include "cad/db/dxf/tag_writer.h"
#include "cad/db/object_id.h"

class AcDbDatabase;
class AcDbObject;

namespace zrcad {
struct DatabaseImpl;
template <class Entry>
class HandleTable;
}  // namespace zrcad

namespace zrcad::dxf {

// The links of one record into the database, noted instead of made while the record is read
// on a thread other than the database's (see entity_prefetch.h): its owner (330) and its
// layer (8), each made by the reading thread later, in the order the record gave them.
struct DeferredLinks {
  std::uint64_t owner = 0;  // non-zero when the record names an owner
  std::string_view layer;   // the 8 group's value, when hasLayer
  bool hasLayer = false;
  bool layerFirst = false;  // the 8 group came before the 330 group
  bool unusual = false;     // more than one 8 group: the record is read again where it is used
};

class ReadContext {
 public:
  ReadContext(AcDbDatabase* db, DatabaseImpl& impl) : m_db(db), m_impl(impl) {}

  AcDbDatabase* db() const { return m_db; }
  DatabaseImpl& impl() const { return m_impl; }
  CodePageDecoder& decoder() { return m_decoder; }

  // Version number of $ACADVER: 1009 for AC1009 (R12) ... 1032 for AC1032 (R2018).
  int version = 1015;
  // Pre-R13 content: no subclass markers, no block records, handles are not kept.
  bool legacy = false;

  [[noreturn]] void fail(size_t line, const std::string& message) const;
  std::string text(const Tag& tag) const { return m_decoder.decode(tag.value); }
  std::wstring wide(const Tag& tag) const;
  double real(const Tag& tag) const;  // finite, else fail()
  // fail() unless the value is what its group code holds (groupType): every tag kept as
  // read passes here, so that what is written back reads in any program.
  void check(const Tag& tag) const;
  long long integer(const Tag& tag) const;
  std::uint64_t handle(const Tag& tag) const;  // 0 when the value is not a handle

  // The layer of this name (layer 0 for an empty one), created when the tables lack it (as
  // other readers do).
  AcDbObjectId layerByName(const std::wstring& name);
  // The layer named by a layer group (8).
  AcDbObjectId layerOfTag(const Tag& tag);
  // The object of an owner handle (330), made a stub when not read yet. Entities come in runs
  // of one owner: the last one is kept, which spares a lookup of the handle table for most.
  AcDbObjectId ownerOf(std::uint64_t handle);
  // Objects whose names must become ids once everything is read.
  std::vector<AcDbObject*> toResolve;
  // Set on a context that reads away from the database's thread: owners and layers are noted
  // here, not looked up (layerOfTag then returns a null id).
  DeferredLinks* deferred = nullptr;
  // The handles sub-records have taken (the reader's), looked up for each object's handle.
  const HandleTable<std::uint64_t>* subHandles = nullptr;
  // Fetches what the reader looks up for an object's handle, read ahead of the rest of it:
  // in the tables of a large drawing nearly every first look misses the cache.
  void prefetchHandle(std::uint64_t h) const;

 private:
  AcDbDatabase* m_db;
  DatabaseImpl& m_impl;
  CodePageDecoder m_decoder;
  std::uint64_t m_lastOwnerHandle = 0;
  AcDbObjectId m_lastOwner;  // stubs stay where they are made (a deque)
  AcDbObjectId m_lastLayer;
  std::string m_lastLayerText;
};

class WriteContext {
  std::unordered_map<const AcDbStub*, std::string> m_names;

 public:
  WriteContext(TagWriter& w, const AcDbDatabase* db) : out(w), m_db(db) {}
  TagWriter& out;
  const AcDbDatabase* db() const { return m_db; }
  bool inPaperSpace = false;  // the entities being written belong to *Paper_Space
  // The name of a layer (or any record) as UTF-8, converted once per record.
  const std::string& nameOf(AcDbObjectId id);

 private:
  const AcDbDatabase* m_db;
};

// Reads one record (tags[0] is its 0 group) into obj through obj's field table.
void readObject(ReadContext& ctx, AcDbObject* obj, const std::vector<Tag>& tags,
                std::uint64_t* handleOut);
// Writes obj as one record.
void writeObject(WriteContext& ctx, const AcDbObject* obj);
// Writes kept tags (extras of one section, app data, xdata).
void writeStored(TagWriter& w, const StoredTags& tags, int section = -1);

}  // namespace zrcad::dxf
