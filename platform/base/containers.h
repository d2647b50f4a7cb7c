// CArray and CStringArray: the growable arrays the module keeps its lists in.
#pragma once

#include <cassert>
#include <stdexcept>
#include <vector>

#include "base/cstring.h"

// Indexes are ints as on the original platform; an index out of range is a bug
// in the caller and throws std::out_of_range.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
 public:
  CArray() = default;

  int GetSize() const { return static_cast<int>(m_items.size()); }
  int GetCount() const { return GetSize(); }
  bool IsEmpty() const { return m_items.empty(); }
  int GetUpperBound() const { return GetSize() - 1; }

  // growBy is accepted for compatibility; std::vector grows geometrically.
  void SetSize(int newSize, int growBy = -1) {
    (void)growBy;
    m_items.resize(static_cast<size_t>(newSize < 0 ? 0 : newSize));
  }
  void RemoveAll() { m_items.clear(); }

  const TYPE& GetAt(int i) const { return m_items.at(static_cast<size_t>(i)); }
  TYPE& GetAt(int i) { return m_items.at(static_cast<size_t>(i)); }
  TYPE& ElementAt(int i) { return m_items.at(static_cast<size_t>(i)); }
  void SetAt(int i, ARG_TYPE v) { m_items.at(static_cast<size_t>(i)) = v; }
  const TYPE& operator[](int i) const { return GetAt(i); }
  TYPE& operator[](int i) { return GetAt(i); }
  const TYPE* GetData() const { return m_items.data(); }
  TYPE* GetData() { return m_items.data(); }

  int Add(ARG_TYPE v) {
    m_items.push_back(v);
    return GetSize() - 1;
  }
  int Append(const CArray& other) {
    const int first = GetSize();
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    return first;
  }
  void Copy(const CArray& other) { m_items = other.m_items; }
  void InsertAt(int i, ARG_TYPE v, int count = 1) {
    if (i < 0 || i > GetSize()) throw std::out_of_range("CArray::InsertAt");
    m_items.insert(m_items.begin() + i, static_cast<size_t>(count), v);
  }
  void RemoveAt(int i, int count = 1) {
    if (i < 0 || count < 0 || i + count > GetSize()) throw std::out_of_range("CArray::RemoveAt");
    m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
  }

  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const CString&> {
 public:
  int Add(LPCTSTR s) { return CArray::Add(CString(s)); }
  int Add(const CString& s) { return CArray::Add(s); }
};
