// CString: the counted wide-character string the module uses for all text.
//
// Backed by std::wstring (wchar_t holds a whole code point here). Format is a
// type-checked variadic template over the platform's format engine (format.h):
// "%s" takes a wide string (CString, const wchar_t*, std::wstring), "%d"/"%u"/"%x"
// an integer, "%f"/"%g"/"%e" a double (six decimals for a plain "%f"). A directive
// whose argument has the wrong kind, or a missing argument, throws std::logic_error:
// that is a bug in the calling code, never bad input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/format.h"
#include "base/utf8.h"
#include "base/windef.h"

class CString;

namespace zrbase {
FormatArg makeFormatArg(const CString& s);
}  // namespace zrbase

class CString {
 public:
  CString() = default;
  CString(const wchar_t* s) : m_s(s ? s : L"") {}  // NOLINT: implicit as in the platform
  CString(const wchar_t* s, int len) : m_s(s ? std::wstring(s, static_cast<size_t>(len)) : L"") {}
  CString(wchar_t ch, int repeat = 1) : m_s(static_cast<size_t>(repeat > 0 ? repeat : 0), ch) {}
  CString(const std::wstring& s) : m_s(s) {}        // NOLINT
  CString(std::wstring&& s) : m_s(std::move(s)) {}  // NOLINT
  CString(std::wstring_view s) : m_s(s) {}          // NOLINT

  static CString FromUtf8(std::string_view s) { return CString(zrbase::utf8ToWide(s)); }
  std::string ToUtf8() const { return zrbase::wideToUtf8(m_s); }

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }

  operator LPCTSTR() const { return m_s.c_str(); }  // NOLINT: implicit as in the platform
  LPCTSTR GetString() const { return m_s.c_str(); }
  const std::wstring& str() const { return m_s; }

  wchar_t GetAt(int i) const { return m_s.at(static_cast<size_t>(i)); }
  void SetAt(int i, wchar_t ch) { m_s.at(static_cast<size_t>(i)) = ch; }
  wchar_t operator[](int i) const { return GetAt(i); }

  CString& operator=(const wchar_t* s) {
    m_s = s ? s : L"";
    return *this;
  }
  CString& operator=(wchar_t ch) {
    m_s.assign(1, ch);
    return *this;
  }
  CString& operator+=(const CString& s) {
    m_s += s.m_s;
    return *this;
  }
  CString& operator+=(const wchar_t* s) {
    if (s) m_s += s;
    return *this;
  }
  CString& operator+=(wchar_t ch) {
    m_s += ch;
    return *this;
  }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const wchar_t* b) {
    return CString(a.m_s + (b ? b : L""));
  }
  friend CString operator+(const wchar_t* a, const CString& b) {
    return CString((a ? a : L"") + b.m_s);
  }
  friend CString operator+(const CString& a, wchar_t b) { return CString(a.m_s + b); }
  friend CString operator+(wchar_t a, const CString& b) { return CString(a + b.m_s); }

  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

  // Ordinal comparison, as wcscmp: <0, 0, >0.
  int Compare(LPCTSTR s) const;
  int CompareNoCase(LPCTSTR s) const;

  CString Left(int n) const;
  CString Right(int n) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;

  // Index of the first match at or after start, -1 when there is none.
  int Find(wchar_t ch, int start = 0) const;
  int Find(LPCTSTR sub, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  int FindOneOf(LPCTSTR chars) const;

  int Replace(wchar_t oldCh, wchar_t newCh);
  int Replace(LPCTSTR oldText, LPCTSTR newText);
  int Remove(wchar_t ch);
  int Insert(int index, LPCTSTR s);
  int Insert(int index, wchar_t ch);
  int Delete(int index, int count = 1);

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();
  CString& Trim(LPCTSTR chars);
  CString& TrimLeft(LPCTSTR chars);
  CString& TrimRight(LPCTSTR chars);

  // A writable buffer of at least minLength characters (plus the terminator).
  // ReleaseBuffer(-1) takes the length from the terminator.
  LPTSTR GetBuffer(int minLength = 0);
  LPTSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  template <class... A>
  void Format(LPCTSTR fmt, const A&... args) {
    const zrbase::FormatArg list[] = {zrbase::makeFormatArg(args)..., zrbase::FormatArg{}};
    m_s = zrbase::formatWide(fmt, list, sizeof...(A));
  }
  template <class... A>
  void AppendFormat(LPCTSTR fmt, const A&... args) {
    const zrbase::FormatArg list[] = {zrbase::makeFormatArg(args)..., zrbase::FormatArg{}};
    m_s += zrbase::formatWide(fmt, list, sizeof...(A));
  }

 private:
  std::wstring m_s;
};

namespace zrbase {
inline FormatArg makeFormatArg(const CString& s) {
  FormatArg a{};
  a.kind = FormatArg::Kind::WStr;
  a.s = s.str();
  return a;
}
}  // namespace zrbase

// Wide text to and from UTF-8 for the platform's own I/O.
inline std::string toUtf8(const CString& s) { return s.ToUtf8(); }
