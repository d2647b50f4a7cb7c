// BSTR, the counted wide string of the component runtime, and _bstr_t, its owning wrapper.
#pragma once

#include <string>
#include <string_view>

#include "base/cstring.h"
#include "base/windef.h"

using OLECHAR = wchar_t;
using BSTR = OLECHAR*;

// A BSTR points at its first character; the length in characters is kept in
// front of it and a terminator after it, so a BSTR is also a C string.
// SysFreeString(nullptr) does nothing; a null BSTR counts as the empty string.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

class _variant_t;

// Owns one BSTR (null for the empty string). Copies copy the characters; the
// narrow (UTF-8) view is made on demand and lives as long as the object.
class _bstr_t {
 public:
  _bstr_t() noexcept = default;
  _bstr_t(const _bstr_t& other);
  _bstr_t(_bstr_t&& other) noexcept;
  _bstr_t(const char* text);     // NOLINT: implicit as the wrapper's; UTF-8
  _bstr_t(const wchar_t* text);  // NOLINT
  _bstr_t(const CString& text);  // NOLINT
  _bstr_t(std::wstring_view text);
  // The variant's value as text, converted as VariantChangeType(VT_BSTR) does.
  explicit _bstr_t(const _variant_t& value);
  explicit _bstr_t(_variant_t&& value);
  // fCopy false takes ownership of text.
  _bstr_t(BSTR text, bool fCopy);
  ~_bstr_t();

  _bstr_t& operator=(const _bstr_t& other);
  _bstr_t& operator=(_bstr_t&& other) noexcept;
  _bstr_t& operator=(const wchar_t* text);
  _bstr_t& operator=(const char* text);

  _bstr_t& operator+=(const _bstr_t& other);
  friend _bstr_t operator+(const _bstr_t& a, const _bstr_t& b);
  friend _bstr_t operator+(const wchar_t* a, const _bstr_t& b);
  friend _bstr_t operator+(const _bstr_t& a, const wchar_t* b);

  bool operator!() const noexcept { return m_str == nullptr; }
  bool operator==(const _bstr_t& other) const noexcept { return compare(other) == 0; }
  bool operator!=(const _bstr_t& other) const noexcept { return compare(other) != 0; }
  bool operator<(const _bstr_t& other) const noexcept { return compare(other) < 0; }
  bool operator>(const _bstr_t& other) const noexcept { return compare(other) > 0; }
  bool operator<=(const _bstr_t& other) const noexcept { return compare(other) <= 0; }
  bool operator>=(const _bstr_t& other) const noexcept { return compare(other) >= 0; }

  // Never null: the empty string for an empty object.
  operator const wchar_t*() const noexcept;  // NOLINT
  operator wchar_t*() const noexcept;        // NOLINT
  operator const char*() const;              // NOLINT: UTF-8

  unsigned int length() const noexcept { return SysStringLen(m_str); }
  std::wstring_view view() const noexcept { return {m_str ? m_str : L"", length()}; }

  // A new BSTR the caller owns (fCopy), or the object's own.
  BSTR copy(bool fCopy = true) const;
  BSTR& GetBSTR() noexcept { return m_str; }
  BSTR* GetAddress();
  void Assign(BSTR text);
  void Attach(BSTR text);
  BSTR Detach() noexcept;

 private:
  int compare(const _bstr_t& other) const noexcept;
  void dropNarrow() noexcept;

  BSTR m_str = nullptr;
  mutable std::string* m_narrow = nullptr;
};
