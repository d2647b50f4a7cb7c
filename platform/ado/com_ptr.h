// _com_ptr_t: the reference-counting smart pointer of the component runtime's wrappers.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/cstring.h"
#include "com_error.h"
#include "unknown.h"

// Holds one reference to an object of class T (null while empty).
// operator-> on an empty pointer throws _com_error(E_POINTER), as does
// Release(). The implicit conversion to T* lets callers test it against null
// (`if (p)`, `p == NULL`, `!p`) and pass it where a T* or an IDispatch* is
// expected.
//
// CreateInstance takes the class's registered name ("ADODB.Connection",
// "ADODB.Recordset"); T::createInstance(name) makes the object or returns null
// for a name it does not know.
template <class T>
class _com_ptr_t {
 public:
  using Interface = T;

  _com_ptr_t() noexcept = default;
  _com_ptr_t(std::nullptr_t) noexcept {}  // NOLINT
  explicit _com_ptr_t(T* p, bool fAddRef = true) noexcept : m_p(p) {
    if (m_p && fAddRef) m_p->AddRef();
  }
  _com_ptr_t(const _com_ptr_t& other) noexcept : m_p(other.m_p) {
    if (m_p) m_p->AddRef();
  }
  _com_ptr_t(_com_ptr_t&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
  ~_com_ptr_t() {
    if (m_p) m_p->Release();
  }

  _com_ptr_t& operator=(const _com_ptr_t& other) noexcept {
    if (other.m_p) other.m_p->AddRef();
    reset(other.m_p);
    return *this;
  }
  _com_ptr_t& operator=(_com_ptr_t&& other) noexcept {
    if (this != &other) {
      reset(other.m_p);
      other.m_p = nullptr;
    }
    return *this;
  }
  _com_ptr_t& operator=(T* p) noexcept {
    if (p) p->AddRef();
    reset(p);
    return *this;
  }
  _com_ptr_t& operator=(std::nullptr_t) noexcept {
    reset(nullptr);
    return *this;
  }

  HRESULT CreateInstance(const wchar_t* progId, IUnknown* outer = nullptr,
                         DWORD context = CLSCTX_ALL) {
    (void)context;
    reset(nullptr);
    if (outer) return E_NOINTERFACE;  // no aggregation
    T* p = T::createInstance(progId ? std::wstring_view(progId) : std::wstring_view());
    if (!p) return REGDB_E_CLASSNOTREG;
    m_p = p;
    return S_OK;
  }
  HRESULT CreateInstance(const char* progId, IUnknown* outer = nullptr,
                         DWORD context = CLSCTX_ALL) {
    const std::wstring wide = zrbase::utf8ToWide(progId ? progId : "");
    return CreateInstance(wide.c_str(), outer, context);
  }

  // Drops the reference and empties the pointer; E_POINTER when already empty.
  void Release() {
    if (!m_p) _com_issue_error(E_POINTER);
    T* p = m_p;
    m_p = nullptr;
    p->Release();
  }
  void AddRef() {
    if (!m_p) _com_issue_error(E_POINTER);
    m_p->AddRef();
  }
  void Attach(T* p, bool fAddRef = false) noexcept {
    if (p && fAddRef) p->AddRef();
    reset(p);
  }
  T* Detach() noexcept {
    T* p = m_p;
    m_p = nullptr;
    return p;
  }

  T* GetInterfacePtr() const noexcept { return m_p; }
  T* operator->() const {
    if (!m_p) _com_issue_error(E_POINTER);
    return m_p;
  }
  T& operator*() const {
    if (!m_p) _com_issue_error(E_POINTER);
    return *m_p;
  }
  operator T*() const noexcept { return m_p; }  // NOLINT

 private:
  void reset(T* p) noexcept {
    T* old = m_p;
    m_p = p;
    if (old) old->Release();
  }

  T* m_p = nullptr;
};
