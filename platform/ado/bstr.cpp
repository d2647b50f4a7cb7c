// BSTR allocation and the _bstr_t wrapper.
#include "bstr.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "com_error.h"
#include "variant.h"

namespace {

// The length sits in a header of 8 bytes so the characters stay aligned.
// (A per-thread cache of short strings, as the system keeps, was measured:
// it saved nothing over malloc's own.)
struct BstrHeader {
  std::uint32_t length;
  std::uint32_t reserved;
};

BstrHeader* headerOf(BSTR s) {
  return reinterpret_cast<BstrHeader*>(reinterpret_cast<char*>(s) - sizeof(BstrHeader));
}

std::size_t blockBytes(std::uint32_t chars) {
  return sizeof(BstrHeader) + (static_cast<std::size_t>(chars) + 1) * sizeof(OLECHAR);
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  auto* h = static_cast<BstrHeader*>(std::malloc(blockBytes(length)));
  if (!h) return nullptr;
  h->length = length;
  h->reserved = 0;
  auto* chars = reinterpret_cast<OLECHAR*>(h + 1);
  if (text) {
    std::wmemcpy(chars, text, length);
  } else {
    std::wmemset(chars, 0, length);
  }
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(headerOf(text));
}

UINT SysStringLen(BSTR text) { return text ? headerOf(text)->length : 0; }

namespace {

BSTR allocOrThrow(const wchar_t* text, std::size_t length) {
  BSTR s = SysAllocStringLen(text, static_cast<UINT>(length));
  if (!s) _com_issue_error(E_OUTOFMEMORY);
  return s;
}

}  // namespace

_bstr_t::_bstr_t(const _bstr_t& other)
    : m_str(other.m_str ? allocOrThrow(other.m_str, other.length()) : nullptr) {}

_bstr_t::_bstr_t(_bstr_t&& other) noexcept : m_str(other.m_str), m_narrow(other.m_narrow) {
  other.m_str = nullptr;
  other.m_narrow = nullptr;
}

_bstr_t::_bstr_t(const char* text) {
  if (text) {
    const std::wstring w = zrbase::utf8ToWide(text);
    m_str = allocOrThrow(w.data(), w.size());
  }
}

_bstr_t::_bstr_t(const wchar_t* text) {
  if (text) m_str = allocOrThrow(text, std::wcslen(text));
}

_bstr_t::_bstr_t(const CString& text) : m_str(allocOrThrow(text.GetString(), text.str().size())) {}

_bstr_t::_bstr_t(std::wstring_view text) : m_str(allocOrThrow(text.data(), text.size())) {}

_bstr_t::_bstr_t(const _variant_t& value) {
  if (value.vt == VT_BSTR) {
    m_str = value.bstrVal ? allocOrThrow(value.bstrVal, SysStringLen(value.bstrVal)) : nullptr;
    return;
  }
  _variant_t text;
  text.ChangeType(VT_BSTR, &value);
  m_str = text.bstrVal;
  text.bstrVal = nullptr;
  text.vt = VT_EMPTY;
}

_bstr_t::_bstr_t(_variant_t&& value) {
  if (value.vt != VT_BSTR) value.ChangeType(VT_BSTR);
  m_str = value.bstrVal;
  value.bstrVal = nullptr;
  value.vt = VT_EMPTY;
}

_bstr_t::_bstr_t(BSTR text, bool fCopy)
    : m_str(fCopy && text ? allocOrThrow(text, SysStringLen(text)) : text) {}

_bstr_t::~_bstr_t() {
  SysFreeString(m_str);
  delete m_narrow;
}

void _bstr_t::dropNarrow() noexcept {
  delete m_narrow;
  m_narrow = nullptr;
}

_bstr_t& _bstr_t::operator=(const _bstr_t& other) {
  if (this != &other) {
    BSTR copied = other.m_str ? allocOrThrow(other.m_str, other.length()) : nullptr;
    SysFreeString(m_str);
    m_str = copied;
    dropNarrow();
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept {
  if (this != &other) {
    SysFreeString(m_str);
    dropNarrow();
    m_str = other.m_str;
    m_narrow = other.m_narrow;
    other.m_str = nullptr;
    other.m_narrow = nullptr;
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(const wchar_t* text) { return *this = _bstr_t(text); }
_bstr_t& _bstr_t::operator=(const char* text) { return *this = _bstr_t(text); }

_bstr_t& _bstr_t::operator+=(const _bstr_t& other) {
  std::wstring joined(view());
  joined += other.view();
  return *this = _bstr_t(std::wstring_view(joined));
}

_bstr_t operator+(const _bstr_t& a, const _bstr_t& b) {
  _bstr_t r(a);
  r += b;
  return r;
}
_bstr_t operator+(const wchar_t* a, const _bstr_t& b) { return _bstr_t(a) + b; }
_bstr_t operator+(const _bstr_t& a, const wchar_t* b) { return a + _bstr_t(b); }

_bstr_t::operator const wchar_t*() const noexcept { return m_str ? m_str : L""; }
_bstr_t::operator wchar_t*() const noexcept {
  static wchar_t empty[1] = {0};
  return m_str ? m_str : empty;
}

_bstr_t::operator const char*() const {
  if (!m_narrow) m_narrow = new std::string(zrbase::wideToUtf8(view()));
  return m_narrow->c_str();
}

BSTR _bstr_t::copy(bool fCopy) const {
  if (!fCopy) return m_str;
  return m_str ? allocOrThrow(m_str, length()) : nullptr;
}

BSTR* _bstr_t::GetAddress() {
  SysFreeString(m_str);
  m_str = nullptr;
  dropNarrow();
  return &m_str;
}

void _bstr_t::Assign(BSTR text) {
  BSTR copied = text ? allocOrThrow(text, SysStringLen(text)) : nullptr;
  SysFreeString(m_str);
  m_str = copied;
  dropNarrow();
}

void _bstr_t::Attach(BSTR text) {
  SysFreeString(m_str);
  m_str = text;
  dropNarrow();
}

BSTR _bstr_t::Detach() noexcept {
  BSTR s = m_str;
  m_str = nullptr;
  dropNarrow();
  return s;
}

int _bstr_t::compare(const _bstr_t& other) const noexcept {
  const std::wstring_view a = view();
  const std::wstring_view b = other.view();
  return a.compare(b);
}
