// AcArray: the growable array of the CAD runtime, over std::vector.
#pragma once

#include <algorithm>
#include <cassert>
#include <vector>

template <class T>
class AcArray {
 public:
  AcArray() = default;
  explicit AcArray(int physicalLength, int growLength = 8) : m_grow(growLength) {
    m_items.reserve(physicalLength > 0 ? static_cast<size_t>(physicalLength) : 0);
  }

  int length() const { return static_cast<int>(m_items.size()); }
  int logicalLength() const { return length(); }
  int physicalLength() const { return static_cast<int>(m_items.capacity()); }
  int growLength() const { return m_grow; }
  bool isEmpty() const { return m_items.empty(); }

  // Growth is left to std::vector; the grow length is kept for callers that read it.
  AcArray& setGrowLength(int n) {
    m_grow = n > 0 ? n : 1;
    return *this;
  }
  AcArray& setPhysicalLength(int n) {
    if (n < length()) m_items.resize(n > 0 ? static_cast<size_t>(n) : 0);
    m_items.reserve(n > 0 ? static_cast<size_t>(n) : 0);
    return *this;
  }
  AcArray& setLogicalLength(int n) {
    m_items.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return *this;
  }

  int append(const T& v) {
    m_items.push_back(v);
    return length() - 1;
  }
  AcArray& append(const AcArray& other) {
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    return *this;
  }
  AcArray& insertAt(int index, const T& v) {
    assert(index >= 0 && index <= length());
    m_items.insert(m_items.begin() + index, v);
    return *this;
  }
  AcArray& removeAt(int index) {
    assert(index >= 0 && index < length());
    m_items.erase(m_items.begin() + index);
    return *this;
  }
  bool remove(const T& v) {
    int i = find(v);
    if (i < 0) return false;
    removeAt(i);
    return true;
  }
  AcArray& removeAll() {
    m_items.clear();
    return *this;
  }
  AcArray& removeLast() {
    assert(!m_items.empty());
    m_items.pop_back();
    return *this;
  }
  int find(const T& v) const {
    auto it = std::find(m_items.begin(), m_items.end(), v);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
  }
  bool contains(const T& v) const { return find(v) >= 0; }

  T& at(int i) {
    assert(i >= 0 && i < length());
    return m_items[static_cast<size_t>(i)];
  }
  const T& at(int i) const {
    assert(i >= 0 && i < length());
    return m_items[static_cast<size_t>(i)];
  }
  T& operator[](int i) { return at(i); }
  const T& operator[](int i) const { return at(i); }
  T& first() { return at(0); }
  T& last() { return at(length() - 1); }
  const T* asArrayPtr() const { return m_items.data(); }
  T* asArrayPtr() { return m_items.data(); }

  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<T> m_items;
  int m_grow = 8;
};
