// Records of the second part of a drawing split and made into entities on a second thread.
#include "cad/db/dxf/entity_prefetch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "cad/db/database_impl.h"
#include "cad/db/db_entity.h"
#include "cad/db/dxf/entity_kinds.h"
#include "cad/db/object_pool.h"

namespace zrcad::dxf {

static_assert(sizeof(PrefetchedRecord) <= 56, "a record for every record of the text");

namespace {

constexpr size_t kChunk = size_t{2} << 20;  // what the record arena takes at a time

std::string_view lineAt(std::string_view text, size_t pos) {
  const size_t nl = text.find('\n', pos);
  std::string_view line = text.substr(pos, nl == text.npos ? text.npos : nl - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

// A line "0" followed by a line starting with a letter. Were the "0" a value, the next line
// would be a group code, which no letter starts: the text would then fail to read before
// the split, and the reader, never meeting a record there, would take nothing from it.
size_t EntityPrefetch::findSplit(std::string_view text, size_t from) {
  for (size_t pos = text.find('\n', from); pos != text.npos && pos + 1 < text.size();
       pos = text.find('\n', pos + 1)) {
    const size_t start = pos + 1;
    if (trim(lineAt(text, start)) != "0") continue;
    const size_t next = text.find('\n', start);
    if (next == text.npos) return text.npos;
    const std::string_view value = trim(lineAt(text, next + 1));
    if (!value.empty() && value.front() >= 'A' && value.front() <= 'Z') return start;
  }
  return text.npos;
}

size_t EntityPrefetch::findEntitySplit(std::string_view text, size_t from) {
  const size_t split = findSplit(text, from);
  if (split == text.npos) return split;
  return entityFactory(trim(lineAt(text, text.find('\n', split) + 1))) ? split : text.npos;
}

namespace {
std::atomic<bool> g_holdForReader{false};
}  // namespace

void EntityPrefetch::holdForReader(bool hold) {
  g_holdForReader.store(hold, std::memory_order_relaxed);
}

void EntityPrefetch::arrived() {
  {
    std::lock_guard lock(m_mutex);
    m_hold = false;
  }
  m_handedOver.notify_all();
}

EntityPrefetch::RecordArena::~RecordArena() {
  for (char* chunk : m_chunks) largeFree(chunk, kChunk);
  for (const auto& [block, bytes] : m_large) largeFree(block, bytes);
}

void* EntityPrefetch::RecordArena::take(size_t bytes) {
  if (bytes > kChunk / 4) {
    m_large.reserve(m_large.size() + 1);
    m_large.emplace_back(static_cast<char*>(largeAllocate(bytes)), bytes);
    return m_large.back().first;
  }
  bytes = (bytes + 15) & ~size_t{15};
  if (m_left < bytes) {
    m_chunks.reserve(m_chunks.size() + 1);
    m_next = static_cast<char*>(largeAllocate(kChunk));
    m_chunks.push_back(m_next);
    m_left = kChunk;
  }
  void* block = m_next;
  m_next += bytes;
  m_left -= bytes;
  return block;
}

EntityPrefetch::EntityPrefetch(AcDbDatabase* db, DatabaseImpl& impl, std::string_view text,
                               size_t split, int version, const std::string& codePage,
                               const TextPassed& passed)
    : m_db(db),
      m_impl(impl),
      m_text(text),
      m_split(split),
      m_version(version),
      m_codePage(codePage),
      m_passed(passed),
      m_end(text),
      m_endOfBatch(text) {
  m_firstValue = text.find('\n', split) + 1;
  m_at.store(m_firstValue, std::memory_order_relaxed);
  m_hold = g_holdForReader.load(std::memory_order_relaxed);
  m_thread = std::thread([this] { run(); });
}

EntityPrefetch::~EntityPrefetch() {
  m_stop.store(true, std::memory_order_relaxed);
  arrived();
  if (m_thread.joinable()) m_thread.join();
  for (const auto* batches : {&m_queue, &m_taken})
    for (const std::unique_ptr<Batch>& batch : *batches)
      if (batch)
        for (PrefetchedRecord& r : batch->records) delete r.entity;
}

PrefetchedRecord* EntityPrefetch::at(size_t i) {
  // The reader is done with the batch two before this record's (it looks at most one record
  // ahead): the thread fills it again, in memory it has touched already, rather than fault in
  // fresh pages for a new one.
  if (const size_t b = i / kBatch; b >= 2 && b - 2 < m_taken.size() && m_taken[b - 2])
    recycle(std::move(m_taken[b - 2]));
  while (i / kBatch >= m_taken.size()) {
    std::unique_lock lock(m_mutex);
    m_handedOver.wait(lock, [this] { return !m_queue.empty() || m_done; });
    if (m_queue.empty()) return nullptr;
    for (std::unique_ptr<Batch>& batch : m_queue) m_taken.push_back(std::move(batch));
    m_queue.clear();
  }
  Batch& batch = *m_taken[i / kBatch];
  if (i % kBatch < batch.records.size()) return &batch.records[i % kBatch];
  // Past the last record of the last batch: the thread says why it stopped once it is done.
  std::unique_lock lock(m_mutex);
  m_handedOver.wait(lock, [this] { return m_done; });
  return nullptr;
}

std::span<const Tag> EntityPrefetch::tagsOf(size_t i) const {
  const Batch& batch = *m_taken[i / kBatch];
  const PrefetchedRecord& r = batch.records[i % kBatch];
  return {batch.tags.data() + r.tagsBegin, r.tagsCount};
}

void EntityPrefetch::recycle(std::unique_ptr<Batch> batch) {
  for (PrefetchedRecord& r : batch->records) delete r.entity;  // none the reader passed over
  batch->records.clear();
  batch->tags.clear();
  batch->namesUsed = 0;
  std::lock_guard lock(m_mutex);
  m_spare.push_back(std::move(batch));
}

void EntityPrefetch::handOver(std::unique_ptr<Batch>& batch, const TagReader& after, bool more) {
  std::unique_ptr<Batch> next;
  if (more) {
    {
      std::lock_guard lock(m_mutex);
      if (!m_spare.empty()) {
        next = std::move(m_spare.back());
        m_spare.pop_back();
      }
    }
    if (!next) {
      next = std::make_unique<Batch>(m_arena);  // before anything is handed over: it may fail
    }
  }
  if (!batch->records.empty()) {
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(batch));
  }
  m_endOfBatch = after;
  // Nothing after this may fail: the batch is the reader's, and so is why the thread stopped.
  if (more) batch = std::move(next);
  m_handedOver.notify_one();
}

void EntityPrefetch::run() {
  std::unique_ptr<Batch> batch;
  {
    std::unique_lock lock(m_mutex);
    m_handedOver.wait(lock, [this] { return !m_hold; });
  }
  try {
    TagReader tags(m_text);
    // Lines are counted from the split: counting those before it would read the first part
    // of the text here too. The reader adds them (DxfReader::takePrefetched).
    tags.seek(m_split, 0);
    m_endOfBatch = tags;  // nothing handed over: the reader goes on from the split
    batch = std::make_unique<Batch>(m_arena);
    ReadContext ctx(m_db, m_impl);
    ctx.version = m_version;
    ctx.decoder().setCodePage(m_codePage, m_version >= 1021);
    readRecords(tags, ctx, batch);
    handOver(batch, tags, false);
  } catch (...) {
    // Out of memory or the like: the reader takes what was handed over and reads the rest
    // itself.
    if (batch)  // not handed over
      for (PrefetchedRecord& r : batch->records) delete r.entity;
    m_error = {};
  }
  {
    std::lock_guard lock(m_mutex);
    m_end = m_endOfBatch;
    m_done = true;
  }
  m_handedOver.notify_one();
}

// As DxfReader::nextRecord and readEntity do it, up to and with the record ending the section.
void EntityPrefetch::readRecords(TagReader& tags, ReadContext& ctx, std::unique_ptr<Batch>& batch) {
  DeferredLinks links;
  ctx.deferred = &links;
  std::vector<Tag> rec;
  Tag t;
  auto keepTags = [&](PrefetchedRecord& r) {
    r.tagsBegin = static_cast<std::uint32_t>(batch->tags.size());
    r.tagsCount = static_cast<std::uint32_t>(rec.size());
    batch->tags.insert(batch->tags.end(), rec.begin(), rec.end());
  };
  // The text behind is given back as the reader gives back its own, in steps of 256 KB, from
  // past the first record's 0 group, which the reader reads to find that it is at the split.
  constexpr size_t kPassedStep = 256 << 10;
  size_t passedAt = std::min(m_text.find('\n', m_firstValue), m_text.size());
  while (!m_stop.load(std::memory_order_relaxed)) {
    // Another prefetch takes the records from the limit on: the reader goes on there from
    // the reading position handed over, the 0 group of that record peeked. Should this
    // thread be past it already, it goes on as if none were set.
    if (size_t limit = m_limit.load(std::memory_order_relaxed); limit != std::string_view::npos) {
      Tag next;
      if (tags.peek(next)) {
        const size_t at = static_cast<size_t>(next.value.data() - m_text.data());
        if (at == limit) {
          m_stoppedAtLimit = true;
          return;
        }
        if (at > limit) m_limit.compare_exchange_strong(limit, std::string_view::npos);
      }
    }
    if (!tags.next(t) || t.code != 0) break;
    const size_t start = static_cast<size_t>(t.value.data() - m_text.data());
    m_at.store(start, std::memory_order_relaxed);
    if (m_passed && start >= passedAt + kPassedStep) {
      m_passed(passedAt, start);
      passedAt = start;
    }
    // Lines and type names past what a record holds are left to the reader.
    if (t.line > UINT32_MAX) throw std::length_error("too many lines for a prefetched record");
    PrefetchedRecord& r = batch->records.emplace_back();
    r.type = t.value.data();
    r.typeSize = static_cast<std::uint16_t>(std::min<size_t>(t.value.size(), UINT16_MAX));
    r.line = static_cast<std::uint32_t>(t.line);
    try {
      tags.readRecord(t, rec);
    } catch (const DxfError& e) {
      m_error = {PrefetchError::Where::kTags, e};
      return;
    }
    const std::string_view type = trim(t.value);
    const EntityFactory make =
        type == "ENDSEC" || t.value.size() > UINT16_MAX ? nullptr : entityFactory(type);
    if (make == nullptr) {
      keepTags(r);
      if (type == "ENDSEC" || type == "EOF") return;
    } else {
      links = {};
      try {
        std::unique_ptr<AcDbEntity> ent(make(rec, ctx));
        readObject(ctx, ent.get(), rec, &r.handle);
        if (links.unusual || links.layer.size() > UINT16_MAX) {
          keepTags(r);
          r.handle = 0;
        } else {
          // The type and the layer's name, copied: the text may be given back before the
          // reader links the entity.
          const std::string_view layer = links.hasLayer ? links.layer : std::string_view();
          char* names = batch->nameRoom(m_arena, r.typeSize + layer.size());
          std::memcpy(names, r.type, r.typeSize);
          if (!layer.empty()) std::memcpy(names + r.typeSize, layer.data(), layer.size());
          r.type = names;
          r.entity = ent.release();
          r.owner = links.owner;
          r.hasLayer = links.hasLayer;
          r.layerFirst = links.layerFirst;
          r.layerAt = r.typeSize;
          r.layerSize = static_cast<std::uint16_t>(layer.size());
          r.resolve = !ctx.toResolve.empty();
          r.paperSpace = std::ranges::any_of(
              rec, [](const Tag& g) { return g.code == 67 && trim(g.value) == "1"; });
        }
        ctx.toResolve.clear();
      } catch (const DxfError& e) {
        m_error = {PrefetchError::Where::kEntity, e};
        return;
      }
    }
    if (batch->records.size() == kBatch) handOver(batch, tags, true);
  }
}

}  // namespace zrcad::dxf
