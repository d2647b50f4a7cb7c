// An open-addressed hash table keyed by handle: the stubs of a database by their handles
// (Entry = AcDbStub*, the key read from the stub) and plain sets of handles (Entry =
// std::uint64_t). A slot is one pointer or one handle, against a node of 32 bytes and a
// bucket per entry of std::unordered_map: a drawing of 200,000 lines kept 9.7 MB of index
// that way and needed an allocation per object read.
//
// Invariants: the slots are a power of two in number and at most three quarters full; an
// entry sits at its hash's slot or after it with no empty slot between (linear probing),
// which erase() keeps by moving later entries back. Key 0 would read as an empty slot, so an
// entry with key 0 is kept aside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cad/db/object_id.h"
#include "cad/db/object_pool.h"

namespace zrcad {

template <class Entry>
class HandleTable {
 public:
  // The entry of handle h; a null Entry when there is none.
  Entry find(std::uint64_t h) const {
    if (h == 0) return m_zero;
    if (m_slots.empty()) return Entry{};
    for (size_t i = slotOf(h);; i = (i + 1) & mask()) {
      const Entry e = m_slots[i];
      if (!e) return Entry{};
      if (keyOf(e) == h) return e;
    }
  }
  bool contains(std::uint64_t h) const { return static_cast<bool>(find(h)); }
  // Fetches the slot of handle h into the cache, to be looked up or added a little later: in
  // a large table nearly every first touch of a slot misses the cache.
  void prefetch(std::uint64_t h) const {
    if (!m_slots.empty()) __builtin_prefetch(&m_slots[slotOf(h)], 1);
  }
  // Adds e; false (and nothing changes) when its handle has an entry already.
  bool insert(Entry e) {
    const std::uint64_t h = keyOf(e);
    if (h == 0) {
      if (m_zero || !e) return false;  // a set of handles cannot hold 0
      m_zero = e;
      ++m_size;
      return true;
    }
    if ((m_size + 1) * 4 > m_slots.size() * 3) grow(m_size + 1);
    size_t i = slotOf(h);
    for (; m_slots[i]; i = (i + 1) & mask())
      if (keyOf(m_slots[i]) == h) return false;
    m_slots[i] = e;
    ++m_size;
    return true;
  }
  // The entry of handle h, made by make() and added when there is none: one lookup where
  // find() and insert() make two.
  template <class Make>
  Entry findOrInsert(std::uint64_t h, Make make) {
    if (h == 0) {
      if (!m_zero) {
        m_zero = make();
        ++m_size;
      }
      return m_zero;
    }
    if ((m_size + 1) * 4 > m_slots.size() * 3) grow(m_size + 1);
    size_t i = slotOf(h);
    for (; m_slots[i]; i = (i + 1) & mask())
      if (keyOf(m_slots[i]) == h) return m_slots[i];
    m_slots[i] = make();
    ++m_size;
    return m_slots[i];
  }
  // Removes the entry of handle h, if any.
  void erase(std::uint64_t h) {
    if (h == 0) {
      if (m_zero) --m_size;
      m_zero = Entry{};
      return;
    }
    if (m_slots.empty()) return;
    size_t i = slotOf(h);
    for (; m_slots[i]; i = (i + 1) & mask())
      if (keyOf(m_slots[i]) == h) break;
    if (!m_slots[i]) return;
    // Entries after the hole move back into it unless their own slot lies between the
    // hole and them (cyclically): then they are where a lookup finds them already.
    for (size_t j = (i + 1) & mask(); m_slots[j]; j = (j + 1) & mask()) {
      const size_t home = slotOf(keyOf(m_slots[j]));
      const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (stays) continue;
      m_slots[i] = m_slots[j];
      i = j;
    }
    m_slots[i] = Entry{};
    --m_size;
  }
  size_t size() const { return m_size; }
  // Room for n entries without growing again.
  void reserve(size_t n) {
    if (n * 4 > m_slots.size() * 3) grow(n);
  }

 private:
  static std::uint64_t keyOf(const AcDbStub* s) { return s->handle.value(); }
  static std::uint64_t keyOf(std::uint64_t h) { return h; }
  size_t mask() const { return m_slots.size() - 1; }
  // Handles come mostly in runs. Runs of eight share a cache line of slots (a file read in
  // handle order fills the table a line at a time, not a miss per object); the runs are
  // spread over the table by Fibonacci hashing, so that handles with a stride do not pile up.
  static constexpr int kRunBits = 3;
  size_t slotOf(std::uint64_t h) const {
    const std::uint64_t run = ((h >> kRunBits) * 0x9E3779B97F4A7C15ull) >> (m_shift + kRunBits);
    return static_cast<size_t>((run << kRunBits) | (h & ((1u << kRunBits) - 1)));
  }
  void grow(size_t n) {
    size_t slots = 16;
    int bits = 4;
    while (n * 4 > slots * 3) {
      slots *= 2;
      ++bits;
    }
    std::vector<Entry, LargeAllocator<Entry>> old(slots, Entry{});
    old.swap(m_slots);
    m_shift = 64 - bits;
    for (const Entry e : old) {
      if (!e) continue;
      size_t i = slotOf(keyOf(e));
      while (m_slots[i]) i = (i + 1) & mask();
      m_slots[i] = e;
    }
  }

  std::vector<Entry, LargeAllocator<Entry>> m_slots;
  int m_shift = 60;  // 64 less the bits of a slot's index
  size_t m_size = 0;
  Entry m_zero{};
};

}  // namespace zrcad
