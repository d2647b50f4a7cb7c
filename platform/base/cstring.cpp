// CString operations.
#include "base/cstring.h"
#include "base/text_case.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

int CString::Compare(LPCTSTR s) const { return m_s.compare(s ? s : L""); }

int CString::CompareNoCase(LPCTSTR s) const { return zrbase::compareFolded(m_s, s ? s : L""); }

CString CString::Left(int n) const {
  n = std::clamp(n, 0, GetLength());
  return CString(m_s.substr(0, static_cast<size_t>(n)));
}

CString CString::Right(int n) const {
  n = std::clamp(n, 0, GetLength());
  return CString(m_s.substr(m_s.size() - static_cast<size_t>(n)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  const auto pos = m_s.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  const auto pos = m_s.find(sub, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  const auto pos = m_s.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCTSTR chars) const {
  if (!chars) return -1;
  const auto pos = m_s.find_first_of(chars);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) {
  int n = 0;
  for (auto& c : m_s) {
    if (c == oldCh) {
      c = newCh;
      ++n;
    }
  }
  return n;
}

int CString::Replace(LPCTSTR oldText, LPCTSTR newText) {
  if (!oldText || !*oldText) return 0;
  const std::wstring from(oldText), to(newText ? newText : L"");
  int n = 0;
  size_t pos = 0;
  while ((pos = m_s.find(from, pos)) != std::wstring::npos) {
    m_s.replace(pos, from.size(), to);
    pos += to.size();
    ++n;
  }
  return n;
}

int CString::Remove(wchar_t ch) {
  const auto before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, LPCTSTR s) {
  index = std::clamp(index, 0, GetLength());
  m_s.insert(static_cast<size_t>(index), s ? s : L"");
  return GetLength();
}

int CString::Insert(int index, wchar_t ch) {
  index = std::clamp(index, 0, GetLength());
  m_s.insert(m_s.begin() + index, ch);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index >= 0 && index < GetLength() && count > 0) {
    m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
  }
  return GetLength();
}

CString& CString::MakeUpper() {
  m_s = zrbase::toUpper(m_s);
  return *this;
}

CString& CString::MakeLower() {
  m_s = zrbase::toLower(m_s);
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_s.begin(), m_s.end());
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft() {
  size_t i = 0;
  while (i < m_s.size() && std::iswspace(static_cast<wint_t>(m_s[i]))) ++i;
  m_s.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  size_t n = m_s.size();
  while (n > 0 && std::iswspace(static_cast<wint_t>(m_s[n - 1]))) --n;
  m_s.resize(n);
  return *this;
}

CString& CString::Trim(LPCTSTR chars) { return TrimRight(chars).TrimLeft(chars); }

CString& CString::TrimLeft(LPCTSTR chars) {
  const auto pos = m_s.find_first_not_of(chars ? chars : L"");
  m_s.erase(0, pos == std::wstring::npos ? m_s.size() : pos);
  return *this;
}

CString& CString::TrimRight(LPCTSTR chars) {
  const auto pos = m_s.find_last_not_of(chars ? chars : L"");
  m_s.resize(pos == std::wstring::npos ? 0 : pos + 1);
  return *this;
}

LPTSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
  return m_s.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
  m_s.resize(static_cast<size_t>(std::max(length, 0)));
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    m_s.resize(std::wcslen(m_s.c_str()));
  } else {
    m_s.resize(static_cast<size_t>(newLength));
  }
}
