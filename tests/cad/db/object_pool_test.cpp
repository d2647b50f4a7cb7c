// The pool of object memory: blocks of every size class stay apart and keep what is written
// in them through churn and between threads, freed blocks are used again, and a drawing
// gives back every block when it goes. Built with AddressSanitizer the pool hands blocks to
// the heap: the checks of contents still run, those of the pool's counts are skipped.
#include "cad/db/object_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "cad/acdb.h"
#include "cad_test_support.h"

namespace {

using zrcad::poolAllocate;
using zrcad::poolFree;
using zrcad::poolUsage;

struct Block {
  unsigned char* p;
  std::size_t size;
  unsigned char mark;
};

Block make(std::size_t size, unsigned char mark) {
  auto* p = static_cast<unsigned char*>(poolAllocate(size));
  std::memset(p, mark, size);
  return {p, size, mark};
}

// Every byte of the block still holds its mark: a block handed out twice, or one too small
// for its size, is overwritten by its neighbour.
void expectIntact(const Block& b) {
  for (std::size_t i = 0; i < b.size; ++i)
    ASSERT_EQ(b.p[i], b.mark) << "byte " << i << " of a block of " << b.size;
}

// Random sizes over all classes and past the largest, freed at random while more are made.
void churn(std::uint32_t seed, int rounds, std::vector<Block>& live) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> size(1, 700);
  for (int i = 0; i < rounds; ++i) {
    if (!live.empty() && rng() % 3 == 0) {
      const std::size_t k = rng() % live.size();
      expectIntact(live[k]);
      poolFree(live[k].p, live[k].size);
      live[k] = live.back();
      live.pop_back();
    } else {
      live.push_back(make(size(rng), static_cast<unsigned char>(rng() | 1)));
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(live.back().p) % 16, 0u);
    }
  }
}

bool poolCounts() {
  void* p = poolAllocate(40);
  const bool counted = poolUsage().blockBytesInUse > 0;
  poolFree(p, 40);
  return counted;
}

TEST(ObjectPool, BlocksOfEverySizeStayApartThroughChurnInTwoThreadsAtOnce) {
  const zrcad::PoolUsage before = poolUsage();
  std::vector<Block> a, b;
  std::thread other([&] { churn(11, 40000, b); });
  churn(13, 40000, a);
  other.join();
  std::size_t pooled = 0;
  for (const auto* live : {&a, &b})
    for (const Block& blk : *live) {
      expectIntact(blk);
      if (blk.size <= 512) pooled += (blk.size + 15) / 16 * 16;
    }
  if (poolCounts()) {
    EXPECT_EQ(poolUsage().blockBytesInUse - before.blockBytesInUse, pooled);
  }
  for (const auto* live : {&a, &b})
    for (const Block& blk : *live) poolFree(blk.p, blk.size);
  EXPECT_EQ(poolUsage().blockBytesInUse, before.blockBytesInUse);
}

// Freed blocks are used again before new chunks; objects of a drawing live in the pool, and
// all of them go with the database, whatever the drawing held.
TEST(ObjectPool, FreedBlocksAreUsedAgainAndADrawingGivesBackEveryBlock) {
  if (!poolCounts()) GTEST_SKIP() << "the pool is bypassed in this build";
  std::vector<Block> first, second;
  for (int i = 0; i < 50000; ++i) first.push_back(make(136, 0x5a));  // 6.8 MB
  for (const Block& b : first) poolFree(b.p, b.size);
  const std::size_t chunks = poolUsage().chunkBytes;
  for (int i = 0; i < 50000; ++i) second.push_back(make(130, 0x33));
  EXPECT_EQ(poolUsage().chunkBytes, chunks);
  for (const Block& b : second) poolFree(b.p, b.size);
  const std::size_t inUse = poolUsage().blockBytesInUse;
  {
    AcDbDatabase db;
    for (int i = 0; i < 100; ++i)
      cadtest::addToModelSpace(&db, new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0)));
    auto copy = cadtest::readBack(cadtest::written(db));
    EXPECT_GT(poolUsage().blockBytesInUse, inUse + 200 * sizeof(AcDbLine));
  }
  EXPECT_EQ(poolUsage().blockBytesInUse, inUse);
}

}  // namespace
