// Entities of the second part of a large drawing, made on a second thread while the reader
// makes the first part.
//
// Most of a read is splitting records into tags and making entities of them, and neither
// needs the database: a second thread does that for the records from a split point near the
// middle of the text to the end of their section, and the reader, when it reaches the split
// point as the start of a record of the BLOCKS or ENTITIES section, takes those records in
// order instead of reading them. What does need the database (handles, owners, layers, the
// order of new objects) stays with the reader, which links each entity taken exactly where it
// would have read it, so the database is the one a read on one thread makes, errors included.
//
// The thread touches only the text and what it makes: its context notes owners and layers
// (DeferredLinks) instead of looking them up. Everything it made is the reader's once
// finish() returns (the thread has ended); what the reader does not take is deleted with the
// prefetch.
#pragma once

#include <atomic>
#include <deque>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/tag_reader.h"

class AcDbEntity;

namespace zrcad::dxf {

// One record read on the other thread: an entity made of it, or its tags.
struct PrefetchedRecord {
  Tag first;                    // the record's 0 group
  std::uint32_t tagsBegin = 0;  // the whole record in tagStore(), when no entity was made
  std::uint32_t tagsCount = 0;
  AcDbEntity* entity = nullptr;  // made and read, its links noted in links; the prefetch's
                                 // until taken
  std::uint64_t handle = 0;      // from the record's 5 group
  DeferredLinks links;
  bool resolve = false;     // the entity has names to resolve (ReadContext::toResolve)
  bool paperSpace = false;  // a 67 group of 1
};

// Why the last record stops the read, where the read on one thread would have stopped.
struct PrefetchError {
  enum class Where {
    kNone,
    kTags,
    kEntity
  } where = Where::kNone;  // reading its tags, or
                           // making its entity
  DxfError error;
};

class EntityPrefetch {
 public:
  // Starts the thread on the records from split (the start of a 0 group's line) to the end of
  // their section. The text must outlive the prefetch; the code page and version are those
  // of the drawing's header.
  // passed is told of the text the thread is done with (what the reader takes from the
  // records is read from the file again).
  EntityPrefetch(AcDbDatabase* db, DatabaseImpl& impl, std::string_view text, size_t split,
                 int version, const std::string& codePage, const TextPassed& passed);
  ~EntityPrefetch();
  EntityPrefetch(const EntityPrefetch&) = delete;
  EntityPrefetch& operator=(const EntityPrefetch&) = delete;

  // The value of the first record's 0 group: where the reader takes over.
  const char* firstValue() const { return m_text.data() + m_firstValue; }
  // Waits for the thread. False when it could not finish its work (out of memory): the
  // reader then reads the records itself.
  bool finish();
  std::deque<PrefetchedRecord>& records() { return m_records; }
  const std::vector<Tag>& tagStore() const { return m_tagStore; }
  const PrefetchError& lastError() const { return m_error; }
  // The tag reader just after the last record, to go on from.
  const TagReader& endState() const { return m_end; }

  // A record start at or after from for a split; npos when there is none.
  static size_t findSplit(std::string_view text, size_t from);

 private:
  void run();
  void readRecords(TagReader& tags, ReadContext& ctx);

  AcDbDatabase* m_db;
  DatabaseImpl& m_impl;
  std::string_view m_text;
  size_t m_split;
  size_t m_firstValue = 0;
  int m_version;
  std::string m_codePage;
  TextPassed m_passed;
  // A deque: the records of half a large drawing, added one by one, are never copied.
  std::deque<PrefetchedRecord> m_records;
  std::vector<Tag> m_tagStore;
  PrefetchError m_error;
  TagReader m_end;
  bool m_failed = false;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;  // last: started once the rest is set
};

}  // namespace zrcad::dxf
