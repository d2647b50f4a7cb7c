// The database's storage. The handle index: lookups, removals and growth against a plain map,
// for the handle patterns drawings have (runs, strides, handle 0, the largest handles). The
// pool of object memory: blocks of every size class stay apart and keep what is written in
// them through churn and between threads, and every block freed is counted back. Built with
// AddressSanitizer the pool hands blocks to the heap: the checks of contents still run, those of
// the pool's counts are skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "cad/acdb.h"
#include "cad/db/handle_table.h"
#include "cad/db/object_pool.h"

namespace {

using zrcad::HandleTable;

// Stubs of the given handles, kept where the table's pointers stay valid.
struct Stubs {
  std::deque<AcDbStub> all;
  AcDbStub* make(std::uint64_t h) {
    AcDbStub& s = all.emplace_back();
    s.handle = AcDbHandle(h);
    return &s;
  }
};

// Every handle of the reference map is found with its stub, and a sample of others is not.
void expectSame(const HandleTable<AcDbStub*>& table, const std::map<std::uint64_t, AcDbStub*>& ref,
                std::mt19937_64& rng) {
  ASSERT_EQ(table.size(), ref.size());
  for (const auto& [h, stub] : ref) ASSERT_EQ(table.find(h), stub) << "handle " << h;
  for (int i = 0; i < 200; ++i) {
    const std::uint64_t h = rng() % 5000;
    const auto it = ref.find(h);
    ASSERT_EQ(table.find(h), it == ref.end() ? nullptr : it->second) << "handle " << h;
  }
}

TEST(HandleTable, StubsAreFoundByHandleThroughGrowthAndRemovals) {
  std::mt19937_64 rng(12);
  Stubs stubs;
  HandleTable<AcDbStub*> table;
  std::map<std::uint64_t, AcDbStub*> ref;
  auto add = [&](std::uint64_t h) {
    AcDbStub* s = stubs.make(h);
    const bool added = table.insert(s);
    EXPECT_EQ(added, ref.emplace(h, s).second) << "handle " << h;  // the first stub stays
  };
  // Handles that agree in their low bits must not all fall on one slot; handle 0 and the
  // largest handles are handles like any other.
  for (std::uint64_t i = 1; i <= 3000; ++i) add(i << 20);
  for (std::uint64_t h : {0ull, 0ull, 0xFFFF'FFFF'FFFF'FFFFull, 0x7FFF'FFFF'FFFF'FFFFull}) add(h);
  // Runs of handles as files have them, with gaps, and some removed again: removal moves
  // later entries of a probe run back, which a wrong move would lose.
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 700; ++i) add(rng() % 5000);
    expectSame(table, ref, rng);
    for (int i = 0; i < 300; ++i) {
      const std::uint64_t h = rng() % 5000;
      table.erase(h);
      ref.erase(h);
    }
    expectSame(table, ref, rng);
  }
  for (std::uint64_t i = 1; i <= 3000; ++i) table.erase(i << 20);
  EXPECT_EQ(table.size(), ref.size() - 3000);
  EXPECT_EQ(table.find(0x7FFF'FFFF'FFFF'FFFFull), ref[0x7FFF'FFFF'FFFF'FFFFull]);
}

// findOrInsert makes the stub of every handle a drawing reads; sets of handles keep the
// reader's sub-record handles apart (dxf_records_test, SubRecordsDoNotTakeHandlesOfOthers).

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

// A drawing read after another was closed takes its objects from the free lists, each thread
// a run of blocks at a time: no block may go to two threads, and the runs left when a thread
// ends go back to the lists.
TEST(ObjectPool, FreedBlocksGoToOneThreadEachAndBackWhenItEnds) {
  constexpr int kBlocks = 3000, kSpare = 200;
  const zrcad::PoolUsage before = poolUsage();
  std::vector<Block> freed;
  for (int i = 0; i < 2 * kBlocks + kSpare; ++i) freed.push_back(make(48, 1));
  std::set<void*> wasFreed;
  for (const Block& blk : freed) {
    wasFreed.insert(blk.p);
    poolFree(blk.p, blk.size);
  }
  std::vector<Block> a, b, c;
  auto take = [](std::vector<Block>& out, int n, unsigned char mark) {
    for (int i = 0; i < n; ++i) out.push_back(make(48, mark));
  };
  std::thread one([&] { take(a, kBlocks, 3); });
  std::thread two([&] { take(b, kBlocks, 5); });
  one.join();
  two.join();
  std::set<void*> distinct;
  for (const auto* live : {&a, &b})
    for (const Block& blk : *live) {
      expectIntact(blk);
      distinct.insert(blk.p);
    }
  EXPECT_EQ(distinct.size(), 2u * kBlocks);
  // Every freed block not handed out is to be had again, however the runs fell.
  std::thread three([&] { take(c, kSpare + 1, 7); });
  three.join();
  if (poolCounts()) {  // not with the sanitizers, where blocks come from the heap
    EXPECT_EQ(std::ranges::count_if(c, [&](const Block& blk) { return wasFreed.contains(blk.p); }),
              kSpare);
  }
  for (const auto* live : {&a, &b, &c})
    for (const Block& blk : *live) poolFree(blk.p, blk.size);
  EXPECT_EQ(poolUsage().blockBytesInUse, before.blockBytesInUse);
}

// A drawing's objects live in the pool: one that is not given back when its drawing goes is
// found by the LeakSanitizer runs, where the pool hands blocks to the heap.

}  // namespace
