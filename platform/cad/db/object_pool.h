// Memory for the objects of drawings. A drawing of 200,000 lines is 200,000 objects of a
// few hundred bytes at most, made one by one while it is read and freed together when it is
// closed; the general-purpose heap spends a tenth of such a read finding blocks for them.
//
// Blocks are taken in steps of 16 bytes (up to 512; larger ones come from the heap) from
// chunks of 2 MB, and a freed block goes onto a free list of its size, from which the next
// one of that size is taken. Chunks are kept for the life of the process: a drawing opened
// after one was closed reuses its blocks. Each thread takes its new blocks from a slice of
// 64 KB of its own, and freed blocks from the free lists 64 at a time (what it has left goes
// back when it ends), so that the reader's threads seldom wait on each other for the lock.
//
// Built with AddressSanitizer the pool is bypassed (every block comes from the heap), so
// that a use after free or an overrun of an object is still caught.
#pragma once

#include <cstddef>

namespace zrcad {

// A block of at least size bytes, aligned for any object; throws std::bad_alloc.
void* poolAllocate(std::size_t size);
// Gives back a block from poolAllocate(size), with the same size.
void poolFree(void* block, std::size_t size) noexcept;

// Memory for a large table (a drawing's index of handles): from a size of 2 MB on it is
// mapped on its own, aligned so that the kernel can back it with huge pages, and the first
// touch of it costs a page fault per 2 MB instead of per 4 KB; smaller ones come from the heap.
void* largeAllocate(std::size_t size);
// Gives back memory from largeAllocate(size), with the same size.
void largeFree(void* block, std::size_t size) noexcept;

// Allocators for containers of those two kinds of memory: PoolAllocator for the many small
// nodes of a container (a deque's), LargeAllocator for one large array (a vector's).
template <class T, void* (*Allocate)(std::size_t), void (*Free)(void*, std::size_t) noexcept>
struct MemoryAllocator {
  using value_type = T;
  static_assert(alignof(T) <= 16, "blocks are aligned to 16 bytes");
  template <class U>
  struct rebind {
    using other = MemoryAllocator<U, Allocate, Free>;
  };
  MemoryAllocator() = default;
  template <class U>
  MemoryAllocator(const MemoryAllocator<U, Allocate, Free>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(Allocate(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { Free(p, n * sizeof(T)); }
  friend bool operator==(const MemoryAllocator&, const MemoryAllocator&) { return true; }
};
template <class T>
using PoolAllocator = MemoryAllocator<T, poolAllocate, poolFree>;
template <class T>
using LargeAllocator = MemoryAllocator<T, largeAllocate, largeFree>;

// What the pool holds: the bytes of its chunks and of the blocks handed out and not given
// back (blocks from the heap are not counted).
struct PoolUsage {
  std::size_t chunkBytes = 0;
  std::size_t blockBytesInUse = 0;
};
PoolUsage poolUsage();

}  // namespace zrcad
