// The pool of object memory: size classes of 16 bytes, free lists, 2 MB chunks.
#include "cad/db/object_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ZRCAD_POOL_BYPASSED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZRCAD_POOL_BYPASSED 1
#endif
#endif

namespace zrcad {

#ifdef ZRCAD_POOL_BYPASSED

void* poolAllocate(std::size_t size) { return ::operator new(size); }
void poolFree(void* block, std::size_t) noexcept { ::operator delete(block); }
void* largeAllocate(std::size_t size) { return ::operator new(size); }
void largeFree(void* block, std::size_t) noexcept { ::operator delete(block); }
PoolUsage poolUsage() { return {}; }

#else

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kLargest = 512;
constexpr std::size_t kClasses = kLargest / kGranule;
static_assert(kClasses <= 32, "a bit per free list");
constexpr std::size_t kChunk = std::size_t{2} << 20;
constexpr std::size_t kSlice = std::size_t{64} << 10;  // what a thread takes at a time

struct FreeBlock {
  FreeBlock* next;
};

std::size_t classOf(std::size_t size) { return (size + kGranule - 1) / kGranule - 1; }

class Pool;
Pool& pool();

std::size_t roundedToChunks(std::size_t size) { return (size + kChunk - 1) & ~(kChunk - 1); }

// size bytes (a multiple of kChunk) mapped at an address aligned to kChunk, so that the kernel
// can back them with huge pages, and advised so.
char* mapAligned(std::size_t size) {
  void* area =
      ::mmap(nullptr, size + kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) throw std::bad_alloc();
  auto* start = static_cast<char*>(area);
  auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kChunk - 1) &
                                          ~(std::uintptr_t{kChunk} - 1));
  if (aligned != start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  if (char* tail = aligned + size; tail != start + size + kChunk)
    ::munmap(tail, static_cast<std::size_t>(start + size + kChunk - tail));
  ::madvise(aligned, size, MADV_HUGEPAGE);  // advice: without it, small pages
  return aligned;
}

// What a thread carves from, and the freed blocks it has taken from the free lists, a run at
// a time. `used` is written by its thread only and read by usage().
struct Slice {
  char* next = nullptr;
  char* end = nullptr;
  std::atomic<std::size_t> used{0};  // bytes of blocks handed out by this thread
  FreeBlock* taken[kClasses] = {};   // free blocks of each size, the thread's alone
};

// This thread's slice: null until its first block, kRetired once the thread has ended (a
// block made by a destructor at its end comes straight from the chunk, under the lock).
Slice* const kRetired = reinterpret_cast<Slice*>(alignof(Slice));
thread_local Slice* t_slice = nullptr;

// Gives the thread's slice back when the thread ends.
struct SliceOwner {
  ~SliceOwner();
};
thread_local SliceOwner t_owner;

// Each thread carves its blocks from a slice of a chunk of its own, without the lock: a
// large drawing is read on two threads that each make objects all the time, and a shared lock
// taken for every object made them wait on each other (a tenth of the read's time in the
// profile). The lock guards the free lists, the chunks and the slices handed out.
class Pool {
 public:
  void* allocate(std::size_t size) {
    const std::size_t c = classOf(size);
    const std::size_t bytes = (c + 1) * kGranule;
    Slice* slice = t_slice;
    if (slice == nullptr) slice = refill(0);
    if (slice == kRetired) slice = nullptr;
    if (slice != nullptr) {
      // Freed blocks are taken from the free lists a run at a time: a drawing read after
      // another was closed makes all its objects of freed blocks, and a lock taken for each
      // by the reader's threads was a tenth of such a read.
      FreeBlock* b = slice->taken[c];
      if (b == nullptr && (m_nonEmpty.load(std::memory_order_relaxed) & (1u << c))) b = takeRun(c);
      if (b != nullptr) {
        slice->taken[c] = b->next;
        count(*slice, bytes);
        return b;
      }
      if (static_cast<std::size_t>(slice->end - slice->next) < bytes) slice = refill(bytes);
    }
    if (slice == nullptr) return fromFreeOrChunk(c);
    void* p = slice->next;
    slice->next += bytes;
    count(*slice, bytes);
    return p;
  }

  void free(void* block, std::size_t size) noexcept {
    const std::size_t c = classOf(size);
    std::lock_guard<std::mutex> hold(m_lock);
    pushFree(static_cast<char*>(block), c);
    m_inUse -= (c + 1) * kGranule;
  }

  PoolUsage usage() {
    std::lock_guard<std::mutex> hold(m_lock);
    std::size_t inUse = m_inUse;
    for (const Slice* s : m_slices) inUse += s->used.load(std::memory_order_relaxed);
    return {m_chunkBytes, inUse};
  }

  // A thread that ends gives what is left of its slice and the free blocks it took to the
  // free lists, and its count to the pool's.
  void retire(Slice* slice) noexcept {
    std::lock_guard<std::mutex> hold(m_lock);
    giveBack(*slice);
    for (std::size_t c = 0; c < kClasses; ++c)
      while (FreeBlock* b = slice->taken[c]) {
        slice->taken[c] = b->next;
        pushFree(reinterpret_cast<char*>(b), c);
      }
    m_inUse += slice->used.load(std::memory_order_relaxed);
    std::erase(m_slices, slice);
  }

 private:
  void pushFree(char* at, std::size_t c) noexcept {
    auto* b = reinterpret_cast<FreeBlock*>(at);
    b->next = m_free[c];
    if (m_free[c] == nullptr) m_nonEmpty.fetch_or(1u << c, std::memory_order_relaxed);
    m_free[c] = b;
  }

  // What is left of a slice (less than the block asked for, or all of it) goes onto the free
  // lists. Under the lock.
  void giveBack(Slice& slice) noexcept {
    while (slice.end - slice.next >= static_cast<std::ptrdiff_t>(kGranule)) {
      const std::size_t c =
          std::min(static_cast<std::size_t>(slice.end - slice.next), kLargest) / kGranule - 1;
      pushFree(slice.next, c);
      slice.next += (c + 1) * kGranule;
    }
    slice.next = slice.end = nullptr;
  }

  // This thread's slice with room for bytes: the rest of the old one goes to the free lists
  // and a new one is taken from the current chunk (a new chunk when it is used up). Null for
  // a thread that has ended.
  Slice* refill(std::size_t bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (t_slice == kRetired) return nullptr;
    if (t_slice == nullptr) {
      auto fresh = std::make_unique<Slice>();
      m_slices.push_back(fresh.get());  // may throw: before anything else changes
      (void)&t_owner;                   // gives it back when the thread ends
      t_slice = fresh.release();
    }
    if (static_cast<std::size_t>(m_end - m_next) < bytes) newChunk();
    giveBack(*t_slice);
    const std::size_t take = std::min(kSlice, static_cast<std::size_t>(m_end - m_next));
    t_slice->next = m_next;
    t_slice->end = m_next + take;
    m_next += take;
    return t_slice;
  }

  static void count(Slice& slice, std::size_t bytes) {
    slice.used.store(slice.used.load(std::memory_order_relaxed) + bytes, std::memory_order_relaxed);
  }

  // Up to kRun blocks of the free list of class c, for this thread; null when it is empty.
  FreeBlock* takeRun(std::size_t c) {
    constexpr int kRun = 64;
    std::lock_guard<std::mutex> hold(m_lock);
    FreeBlock* first = m_free[c];
    if (first == nullptr) return nullptr;
    FreeBlock* last = first;
    for (int n = 1; n < kRun && last->next != nullptr; ++n) last = last->next;
    m_free[c] = last->next;
    last->next = nullptr;
    if (m_free[c] == nullptr) m_nonEmpty.fetch_and(~(1u << c), std::memory_order_relaxed);
    return first;
  }

  // A block for a thread that has ended: from the free list, else straight from the chunk.
  void* fromFreeOrChunk(std::size_t c) {
    const std::size_t bytes = (c + 1) * kGranule;
    std::lock_guard<std::mutex> hold(m_lock);
    if (FreeBlock* b = m_free[c]) {
      m_free[c] = b->next;
      if (m_free[c] == nullptr) m_nonEmpty.fetch_and(~(1u << c), std::memory_order_relaxed);
      m_inUse += bytes;
      return b;
    }
    if (static_cast<std::size_t>(m_end - m_next) < bytes) newChunk();
    void* p = m_next;
    m_next += bytes;
    m_inUse += bytes;
    return p;
  }

  // A chunk aligned to its size, so that the kernel can back it with one huge page: a read
  // of a large drawing then takes a page fault per 2 MB of objects, not per 4 KB. What is
  // left of the previous chunk goes to the free lists.
  void newChunk() {
    Slice rest;
    rest.next = m_next;
    rest.end = m_end;
    giveBack(rest);
    char* aligned = mapAligned(kChunk);
    m_next = aligned;
    m_end = aligned + kChunk;
    m_chunkBytes += kChunk;
  }

  std::mutex m_lock;
  FreeBlock* m_free[kClasses] = {};
  // Bit c set when free list c holds blocks: read without the lock, so that a thread finds
  // its size's list empty without taking it.
  std::atomic<std::uint32_t> m_nonEmpty{0};
  char* m_next = nullptr;  // the rest of the current chunk
  char* m_end = nullptr;
  std::size_t m_chunkBytes = 0;
  std::size_t m_inUse = 0;  // besides the slices' counts
  std::vector<Slice*> m_slices;
};

// Never destroyed: objects may be freed by other objects' destructors at exit.
Pool& pool() {
  static Pool* p = new Pool;
  return *p;
}

}  // namespace

void* poolAllocate(std::size_t size) {
  if (size > kLargest) return ::operator new(size);
  return pool().allocate(size);
}

void poolFree(void* block, std::size_t size) noexcept {
  if (block == nullptr) return;
  if (size > kLargest) return ::operator delete(block);
  pool().free(block, size);
}

PoolUsage poolUsage() { return pool().usage(); }

void* largeAllocate(std::size_t size) {
  if (size < kChunk) return ::operator new(size);
  return mapAligned(roundedToChunks(size));
}

void largeFree(void* block, std::size_t size) noexcept {
  if (block == nullptr) return;
  if (size < kChunk) return ::operator delete(block);
  ::munmap(block, roundedToChunks(size));
}

SliceOwner::~SliceOwner() {
  if (t_slice != nullptr && t_slice != kRetired) {
    pool().retire(t_slice);
    delete t_slice;
  }
  t_slice = kRetired;
}

#endif

}  // namespace zrcad
