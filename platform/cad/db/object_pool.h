// Memory for the objects of drawings. A drawing of 200,000 lines is 200,000 objects of a
// few hundred bytes at most, made one by one while it is read and freed together when it is
// closed; the general-purpose heap spends a tenth of such a read finding blocks for them.
//
// Blocks are taken in steps of 16 bytes (up to 512; larger ones come from the heap) from
// chunks of 2 MB, and a freed block goes onto a free list of its size, from which the next
// one of that size is taken. Chunks are kept for the life of the process: a drawing opened
// after one was closed reuses its blocks. Each thread takes its new blocks from a slice of
// 64 KB of its own, without a lock, so that the reader's two threads do not wait on each other.
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

// What the pool holds: the bytes of its chunks and of the blocks handed out and not given
// back (blocks from the heap are not counted).
struct PoolUsage {
  std::size_t chunkBytes = 0;
  std::size_t blockBytesInUse = 0;
};
PoolUsage poolUsage();

}  // namespace zrcad
