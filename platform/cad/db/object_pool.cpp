// The pool of object memory: size classes of 16 bytes, free lists, 2 MB chunks.
#include "cad/db/object_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>

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
PoolUsage poolUsage() { return {}; }

#else

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kLargest = 512;
constexpr std::size_t kClasses = kLargest / kGranule;
constexpr std::size_t kChunk = std::size_t{2} << 20;

struct FreeBlock {
  FreeBlock* next;
};

std::size_t classOf(std::size_t size) { return (size + kGranule - 1) / kGranule - 1; }

class Pool {
 public:
  void* allocate(std::size_t size) {
    const std::size_t c = classOf(size);
    std::lock_guard<std::mutex> hold(m_lock);
    if (FreeBlock* b = m_free[c]) {
      m_free[c] = b->next;
      m_inUse += (c + 1) * kGranule;
      return b;
    }
    const std::size_t bytes = (c + 1) * kGranule;
    if (static_cast<std::size_t>(m_end - m_next) < bytes) newChunk();
    void* p = m_next;
    m_next += bytes;
    m_inUse += bytes;
    return p;
  }

  void free(void* block, std::size_t size) noexcept {
    const std::size_t c = classOf(size);
    std::lock_guard<std::mutex> hold(m_lock);
    auto* b = static_cast<FreeBlock*>(block);
    b->next = m_free[c];
    m_free[c] = b;
    m_inUse -= (c + 1) * kGranule;
  }

  PoolUsage usage() {
    std::lock_guard<std::mutex> hold(m_lock);
    return {m_chunkBytes, m_inUse};
  }

 private:
  // A chunk aligned to its size, so that the kernel can back it with one huge page: a read
  // of a large drawing then takes a page fault per 2 MB of objects, not per 4 KB. What is
  // left of the previous chunk (less than the block asked for) is given to the free lists.
  void newChunk() {
    while (m_end - m_next >= static_cast<std::ptrdiff_t>(kGranule)) {
      const std::size_t c =
          std::min(static_cast<std::size_t>(m_end - m_next), kLargest) / kGranule - 1;
      auto* b = reinterpret_cast<FreeBlock*>(m_next);
      b->next = m_free[c];
      m_free[c] = b;
      m_next += (c + 1) * kGranule;
    }
    void* area =
        ::mmap(nullptr, 2 * kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<char*>(area);
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kChunk - 1) &
                                            ~(std::uintptr_t{kChunk} - 1));
    if (aligned != start) ::munmap(start, static_cast<std::size_t>(aligned - start));
    if (char* tail = aligned + kChunk; tail != start + 2 * kChunk)
      ::munmap(tail, static_cast<std::size_t>(start + 2 * kChunk - tail));
    ::madvise(aligned, kChunk, MADV_HUGEPAGE);  // advice: without it, small pages
    m_next = aligned;
    m_end = aligned + kChunk;
    m_chunkBytes += kChunk;
  }

  std::mutex m_lock;
  FreeBlock* m_free[kClasses] = {};
  char* m_next = nullptr;
  char* m_end = nullptr;
  std::size_t m_chunkBytes = 0;
  std::size_t m_inUse = 0;
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

#endif

}  // namespace zrcad
