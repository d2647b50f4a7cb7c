// VARIANT's free functions and the _variant_t wrapper.
#include "variant.h"

#include <cstring>
#include <cwchar>
#include <limits>

constinit const _variant_t vtMissing{_variant_t::MissingTag{}};

bool isMissingArgument(const VARIANT& v) {
  return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(static_cast<void*>(v), 0, sizeof(VARIANT));
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  switch (v->vt) {
    case VT_BSTR:
      SysFreeString(v->bstrVal);
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      if (v->punkVal) v->punkVal->Release();
      break;
    default:
      break;
  }
  v->vt = VT_EMPTY;
  v->llVal = 0;
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
    src->punkVal->AddRef();
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

namespace {

void copyOrThrow(VARIANT* dest, const VARIANT* src) {
  const HRESULT hr = VariantCopy(dest, src);
  if (FAILED(hr)) _com_issue_error(hr);
}

void setText(VARIANT& v, const wchar_t* text, std::size_t length) {
  BSTR s = SysAllocStringLen(text, static_cast<UINT>(length));
  if (!s) _com_issue_error(E_OUTOFMEMORY);
  v.vt = VT_BSTR;
  v.bstrVal = s;
}

}  // namespace

_variant_t::_variant_t(const VARIANT& v) : VARIANT{} { copyOrThrow(this, &v); }
_variant_t::_variant_t(const VARIANT* v) : VARIANT{} {
  if (!v) _com_issue_error(E_POINTER);
  copyOrThrow(this, v);
}
_variant_t::_variant_t(const _variant_t& v) : VARIANT{} { copyOrThrow(this, &v); }
_variant_t::_variant_t(_variant_t&& v) noexcept : VARIANT(static_cast<VARIANT&>(v)) {
  v.vt = VT_EMPTY;
  v.llVal = 0;
}
_variant_t::_variant_t(VARIANT& v, bool fCopy) : VARIANT{} {
  if (fCopy) {
    copyOrThrow(this, &v);
  } else {
    static_cast<VARIANT&>(*this) = v;
    v.vt = VT_EMPTY;
  }
}

_variant_t::_variant_t(short value, VARTYPE type) : VARIANT{} {
  if (type == VT_BOOL) {
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (type == VT_I2) {
    vt = VT_I2;
    iVal = value;
  } else {
    _com_issue_error(E_INVALIDARG);
  }
}

_variant_t::_variant_t(int value) : VARIANT{} {
  vt = VT_I4;
  lVal = value;
}

_variant_t::_variant_t(long value, VARTYPE type) : VARIANT{} {
  switch (type) {
    case VT_I4:
      if (value < std::numeric_limits<LONG>::min() || value > std::numeric_limits<LONG>::max()) {
        vt = VT_I8;
        llVal = value;
      } else {
        vt = VT_I4;
        lVal = static_cast<LONG>(value);
      }
      break;
    case VT_ERROR:
      vt = VT_ERROR;
      scode = static_cast<SCODE>(value);
      break;
    case VT_BOOL:
      vt = VT_BOOL;
      boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      _com_issue_error(E_INVALIDARG);
  }
}

_variant_t::_variant_t(long long value) : VARIANT{} {
  vt = VT_I8;
  llVal = value;
}
_variant_t::_variant_t(unsigned short value) : VARIANT{} {
  vt = VT_UI2;
  uiVal = value;
}
_variant_t::_variant_t(unsigned int value) : VARIANT{} {
  vt = VT_UI4;
  ulVal = value;
}
_variant_t::_variant_t(unsigned long value) : VARIANT{} {
  vt = VT_UI8;
  ullVal = value;
}
_variant_t::_variant_t(float value) : VARIANT{} {
  vt = VT_R4;
  fltVal = value;
}
_variant_t::_variant_t(double value, VARTYPE type) : VARIANT{} {
  if (type != VT_R8 && type != VT_DATE) _com_issue_error(E_INVALIDARG);
  vt = type;
  dblVal = value;
}
_variant_t::_variant_t(bool value) : VARIANT{} {
  vt = VT_BOOL;
  boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}
_variant_t::_variant_t(const _bstr_t& text) : VARIANT{} {
  const std::wstring_view v = text.view();
  setText(*this, v.data(), v.size());
}
_variant_t::_variant_t(const wchar_t* text) : VARIANT{} {
  const std::wstring_view v = text ? std::wstring_view(text) : std::wstring_view();
  setText(*this, v.data(), v.size());
}
_variant_t::_variant_t(const char* text) : VARIANT{} {
  const std::wstring w = zrbase::utf8ToWide(text ? text : "");
  setText(*this, w.data(), w.size());
}
_variant_t::_variant_t(const CString& text) : VARIANT{} {
  setText(*this, text.GetString(), text.str().size());
}
_variant_t::_variant_t(IDispatch* object, bool fAddRef) : VARIANT{} {
  vt = VT_DISPATCH;
  pdispVal = object;
  if (object && fAddRef) object->AddRef();
}
_variant_t::_variant_t(IUnknown* object, bool fAddRef) : VARIANT{} {
  vt = VT_UNKNOWN;
  punkVal = object;
  if (object && fAddRef) object->AddRef();
}

_variant_t& _variant_t::operator=(const _variant_t& v) {
  copyOrThrow(this, &v);
  return *this;
}
_variant_t& _variant_t::operator=(_variant_t&& v) noexcept {
  if (this != &v) {
    VariantClear(this);
    static_cast<VARIANT&>(*this) = static_cast<VARIANT&>(v);
    v.vt = VT_EMPTY;
    v.llVal = 0;
  }
  return *this;
}
_variant_t& _variant_t::operator=(const VARIANT& v) {
  copyOrThrow(this, &v);
  return *this;
}
_variant_t& _variant_t::operator=(short value) { return *this = _variant_t(value); }
_variant_t& _variant_t::operator=(int value) { return *this = _variant_t(value); }
_variant_t& _variant_t::operator=(long value) { return *this = _variant_t(value); }
_variant_t& _variant_t::operator=(double value) { return *this = _variant_t(value); }
_variant_t& _variant_t::operator=(bool value) { return *this = _variant_t(value); }
_variant_t& _variant_t::operator=(const _bstr_t& text) { return *this = _variant_t(text); }
_variant_t& _variant_t::operator=(const wchar_t* text) { return *this = _variant_t(text); }
_variant_t& _variant_t::operator=(const char* text) { return *this = _variant_t(text); }

bool _variant_t::operator==(const VARIANT& v) const {
  if (vt != v.vt) return false;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BSTR:
      return SysStringLen(bstrVal) == SysStringLen(v.bstrVal) &&
             std::wmemcmp(bstrVal ? bstrVal : L"", v.bstrVal ? v.bstrVal : L"",
                          SysStringLen(bstrVal)) == 0;
    case VT_R4:
      return fltVal == v.fltVal;
    case VT_R8:
    case VT_DATE:
      return dblVal == v.dblVal;
    case VT_I1:
    case VT_UI1:
      return bVal == v.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return iVal == v.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      return lVal == v.lVal;
    default:
      return llVal == v.llVal;
  }
}

_variant_t _variant_t::converted(VARTYPE type) const {
  _variant_t out;
  const HRESULT hr = VariantChangeType(&out, this, 0, type);
  if (FAILED(hr)) _com_issue_error(hr);
  return out;
}

_variant_t::operator short() const { return vt == VT_I2 ? iVal : converted(VT_I2).iVal; }
_variant_t::operator int() const { return vt == VT_I4 ? lVal : converted(VT_I4).lVal; }
_variant_t::operator long() const { return vt == VT_I4 ? lVal : converted(VT_I4).lVal; }
_variant_t::operator float() const { return vt == VT_R4 ? fltVal : converted(VT_R4).fltVal; }
_variant_t::operator double() const { return vt == VT_R8 ? dblVal : converted(VT_R8).dblVal; }
_variant_t::operator bool() const {
  return (vt == VT_BOOL ? boolVal : converted(VT_BOOL).boolVal) != VARIANT_FALSE;
}
_variant_t::operator _bstr_t() const { return _bstr_t(*this); }
_variant_t::operator IDispatch*() const {
  if (vt != VT_DISPATCH) _com_issue_error(DISP_E_TYPEMISMATCH);
  if (pdispVal) pdispVal->AddRef();
  return pdispVal;
}

void _variant_t::ChangeType(VARTYPE type, const _variant_t* src) {
  const HRESULT hr = VariantChangeType(this, src ? src : this, 0, type);
  if (FAILED(hr)) _com_issue_error(hr);
}

void _variant_t::Clear() {
  const HRESULT hr = VariantClear(this);
  if (FAILED(hr)) _com_issue_error(hr);
}

void _variant_t::Attach(VARIANT& v) {
  VariantClear(this);
  static_cast<VARIANT&>(*this) = v;
  v.vt = VT_EMPTY;
}

VARIANT _variant_t::Detach() {
  VARIANT v = *this;
  vt = VT_EMPTY;
  llVal = 0;
  return v;
}

VARIANT* _variant_t::GetAddress() {
  VariantClear(this);
  return this;
}

void _variant_t::SetString(const char* text) { *this = _variant_t(text); }
