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
// The thread hands its records over in batches as it makes them: the reader links the first
// ones while the thread makes the rest, rather than wait for them all, and gives the batches it
// is done with back to be filled again.
//
// Its tags and errors count lines from the split point: the reader, which counts the lines
// before it, adds those.
//
// The thread touches only the text and what it makes: its context notes owners and layers
// (DeferredLinks) instead of looking them up. A batch, once handed over, is the reader's; what
// the reader does not take is deleted with the prefetch.
//
// The thread gives back the text it has passed (TextPassed) while the reader may still be a
// third of the text behind: what the reader needs of a record of which an entity was made (its
// type and layer) is copied into the batch, so that the reader does not fault the text back in
// to link it. A record kept as tags is read from the text again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/tag_reader.h"

class AcDbEntity;

namespace zrcad::dxf {

// One record read on the other thread: an entity made of it, or its tags. Kept to 56 bytes:
// the thread writes one for every record of its part of the text, into memory it faults in.
struct PrefetchedRecord {
  AcDbEntity* entity = nullptr;  // made and read, its links noted below; the prefetch's until
                                 // taken
  std::uint64_t handle = 0;      // from the record's 5 group
  std::uint64_t owner = 0;       // its 330 group when non-zero (DeferredLinks::owner)
  // The value of its 0 group, typeSize bytes: a copy in the batch's memory when an entity was
  // made, with the layer's name after it; else in the text.
  const char* type = nullptr;
  std::uint32_t line = 0;       // of its 0 group, counted from the split
  std::uint32_t tagsBegin = 0;  // the whole record in tagsOf(), when no entity was made
  std::uint32_t tagsCount = 0;
  std::uint32_t layerAt = 0;  // its 8 group's value when hasLayer: layerSize bytes from type
  std::uint16_t typeSize = 0;
  std::uint16_t layerSize = 0;
  bool hasLayer : 1 = false;
  bool layerFirst : 1 = false;  // the 8 group came before the 330 group
  bool resolve : 1 = false;     // the entity has names to resolve (ReadContext::toResolve)
  bool paperSpace : 1 = false;  // a 67 group of 1

  // The record's 0 group, for a record of which an entity was made (else tagsOf()[0]).
  Tag first() const { return {0, std::string_view(type, typeSize), line}; }
  std::string_view layer() const { return {type + layerAt, layerSize}; }
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
  // passed is told of the text the thread is done with: the reader reads none of it again but
  // the tags of records kept as tags (from the file again, when the text is a mapped file's).
  EntityPrefetch(AcDbDatabase* db, DatabaseImpl& impl, std::string_view text, size_t split,
                 int version, const std::string& codePage, const TextPassed& passed);
  ~EntityPrefetch();
  EntityPrefetch(const EntityPrefetch&) = delete;
  EntityPrefetch& operator=(const EntityPrefetch&) = delete;

  // The value of the first record's 0 group: where the reader takes over.
  const char* firstValue() const { return m_text.data() + m_firstValue; }
  // Record i, i = 0, 1, ... in turn (or the one after the last taken, to look ahead), waiting
  // for the thread to make it; null past the last. When the thread could not go on (out of
  // memory) the last is the last it handed over, and the reader reads on from endState().
  PrefetchedRecord* at(size_t i);
  // Record i when it is handed over already, without waiting; else null.
  const PrefetchedRecord* ready(size_t i) const {
    return i / kBatch < m_taken.size() && i % kBatch < m_taken[i / kBatch]->records.size()
               ? &m_taken[i / kBatch]->records[i % kBatch]
               : nullptr;
  }
  // The whole of record i (as at() gave it), for a record of which no entity was made.
  std::span<const Tag> tagsOf(size_t i) const;
  // Once at() has given null: why the last record stops the read, and the tag reader just
  // after the last record, to go on from.
  const PrefetchError& lastError() const { return m_error; }
  const TagReader& endState() const { return m_end; }

  // A record start at or after from for a split; npos when there is none.
  static size_t findSplit(std::string_view text, size_t from);
  // As findSplit, for a record that is an entity; npos when the first record found is not.
  static size_t findEntitySplit(std::string_view text, size_t from);

  // Where the thread is: the value of the 0 group of the record it reads (an offset in the
  // text), for the reader to judge what is left.
  size_t progress() const { return m_at.load(std::memory_order_relaxed); }
  // Asks the thread to stop ahead of the record whose 0 group has this value, a record start
  // further on in its part: another prefetch takes the records from there. A thread that has
  // passed it by then goes on to the end of the section; the reader tells which by the
  // reading position after the last record (endState()).
  void stopAt(const char* value) {
    m_limit.store(static_cast<size_t>(value - m_text.data()), std::memory_order_relaxed);
  }
  // Once at() has given null: whether the thread stopped at the point given to stopAt().
  bool stoppedAtLimit() const { return m_stoppedAtLimit; }
  // For tests: the thread starts only once the reader reaches the split point (arrived()),
  // so that the reader finds the whole of the thread's part still to be read.
  static void holdForReader(bool hold);
  void arrived();

 private:
  // Records handed over together (the last batch may hold fewer): tagsBegin counts in tags.
  static constexpr size_t kBatch = 1024;
  // Memory for the batches, taken by the thread 2 MB at a time (largeAllocate's huge pages)
  // and given back with the prefetch: a thread ahead of the reader fills megabytes of
  // records, which in pages of 4 KB took half the read's page faults. A block of more than a
  // quarter of that (the tags of a batch of long records) is taken on its own.
  class RecordArena {
   public:
    RecordArena() = default;
    RecordArena(const RecordArena&) = delete;
    RecordArena& operator=(const RecordArena&) = delete;
    ~RecordArena();
    void* take(size_t bytes);

   private:
    std::vector<char*> m_chunks;
    std::vector<std::pair<char*, size_t>> m_large;
    char* m_next = nullptr;
    size_t m_left = 0;
  };
  template <class T>
  struct ArenaAllocator {
    using value_type = T;
    RecordArena* arena;
    explicit ArenaAllocator(RecordArena* a) : arena(a) {}
    template <class U>
    ArenaAllocator(const ArenaAllocator<U>& other) noexcept : arena(other.arena) {}
    T* allocate(size_t n) { return static_cast<T*>(arena->take(n * sizeof(T))); }
    void deallocate(T*, size_t) noexcept {}  // with the arena
    friend bool operator==(const ArenaAllocator& a, const ArenaAllocator& b) {
      return a.arena == b.arena;
    }
  };
  // Room for the names copied from a batch's records: a type and a layer take a few bytes
  // ("LINE" and "0" five). Names past it take room of their own.
  static constexpr size_t kNamesBytes = 8 << 10;
  // Its memory is the arena's and is kept when the batch is filled again, tags included: a
  // thread ahead of the reader fills fresh batches, whose tags grown from nothing took
  // megabytes of fresh pages from the heap.
  struct Batch {
    explicit Batch(RecordArena& arena)
        : records(ArenaAllocator<PrefetchedRecord>(&arena)),
          tags(ArenaAllocator<Tag>(&arena)),
          names(static_cast<char*>(arena.take(kNamesBytes))) {
      records.reserve(kBatch);
    }
    // Room for a copy of bytes bytes that stays where it is while the batch lives.
    char* nameRoom(RecordArena& arena, size_t bytes) {
      if (bytes > kNamesBytes - namesUsed) return static_cast<char*>(arena.take(bytes));
      char* room = names + namesUsed;
      namesUsed += bytes;
      return room;
    }
    std::vector<PrefetchedRecord, ArenaAllocator<PrefetchedRecord>> records;
    std::vector<Tag, ArenaAllocator<Tag>> tags;
    char* names;
    size_t namesUsed = 0;
  };

  void run();
  // Gives a batch the reader is done with back to the thread, emptied.
  void recycle(std::unique_ptr<Batch> batch);
  void readRecords(TagReader& tags, ReadContext& ctx, std::unique_ptr<Batch>& batch);
  // Hands the batch over with the tag reader just after its last record.
  // With more, batch is then a new one; the last one (more false) leaves it handed over.
  void handOver(std::unique_ptr<Batch>& batch, const TagReader& after, bool more);

  AcDbDatabase* m_db;
  DatabaseImpl& m_impl;
  std::string_view m_text;
  size_t m_split;
  size_t m_firstValue = 0;
  int m_version;
  std::string m_codePage;
  TextPassed m_passed;
  RecordArena m_arena;  // the thread's until it ends; before the batches, which it outlives
  // Handed over by the thread, under m_mutex, with m_done once it has ended, m_error and
  // m_end (the tag reader after the last batch) then set.
  std::mutex m_mutex;
  std::condition_variable m_handedOver;
  std::vector<std::unique_ptr<Batch>> m_queue;
  std::vector<std::unique_ptr<Batch>> m_spare;  // given back by the reader, to be filled again
  bool m_done = false;
  PrefetchError m_error;
  TagReader m_end;
  TagReader m_endOfBatch;  // the thread's: after its last batch handed over
  // The reader's: the batches it has taken from m_queue, record i in m_taken[i / kBatch].
  std::vector<std::unique_ptr<Batch>> m_taken;
  std::atomic<bool> m_stop{false};
  std::atomic<size_t> m_at{0};
  std::atomic<size_t> m_limit{std::string_view::npos};
  bool m_hold = false;            // under m_mutex: waits for arrived()
  bool m_stoppedAtLimit = false;  // the thread's until m_done
  std::thread m_thread;           // last: started once the rest is set
};

}  // namespace zrcad::dxf
