// The handle index of databases: lookups, removals and growth against a plain map, for the
// handle patterns drawings have (runs, strides, handle 0, the largest handles).
#include "cad/db/handle_table.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>

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

TEST(HandleTable, FindOrInsertMakesAnEntryOnlyForNewHandlesAndSetsHoldHandles) {
  Stubs stubs;
  HandleTable<AcDbStub*> table;
  int made = 0;
  auto stubOf = [&](std::uint64_t h) {
    return table.findOrInsert(h, [&] {
      ++made;
      return stubs.make(h);
    });
  };
  AcDbStub* first = stubOf(0x2F);
  EXPECT_EQ(stubOf(0x2F), first);
  table.reserve(10000);
  for (std::uint64_t h = 1; h <= 10000; ++h) stubOf(h);
  EXPECT_EQ(stubOf(0x2F), first);
  EXPECT_EQ(made, 10000);
  EXPECT_EQ(table.size(), 10000u);
  EXPECT_EQ(stubOf(0)->handle.value(), 0u);
  EXPECT_EQ(made, 10001);
  HandleTable<std::uint64_t> set;
  EXPECT_TRUE(set.insert(7));
  EXPECT_FALSE(set.insert(7));
  for (std::uint64_t h = 8; h < 2000; h += 3) set.insert(h);
  set.erase(8);
  for (auto [h, in] : {std::pair{7, true}, {8, false}, {9, false}, {11, true}})
    EXPECT_EQ(set.contains(h), in) << h;
}

}  // namespace
