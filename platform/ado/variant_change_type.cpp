// VariantChangeType: the conversions between variant types.
//
// Every conversion goes through one intermediate Value (signed or unsigned
// integer, real, boolean, text, empty), so each source type is read in one
// place and each target type written in one place.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <limits>
#include <string>

#include "number_text.h"
#include "variant.h"

namespace {

struct Value {
  enum class Kind { Empty, Signed, Unsigned, Real, Bool, Text } kind = Kind::Empty;
  long long i = 0;
  unsigned long long u = 0;
  double d = 0;
  bool b = false;
  std::wstring_view text;
};

Value signedValue(long long i) {
  Value v;
  v.kind = Value::Kind::Signed;
  v.i = i;
  return v;
}

Value unsignedValue(unsigned long long u) {
  Value v;
  v.kind = Value::Kind::Unsigned;
  v.u = u;
  return v;
}

bool isIntegerType(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

// Reads the source; S_OK, or the code that no conversion of this source can avoid.
HRESULT readValue(const VARIANT& src, Value& out) {
  using K = Value::Kind;
  switch (src.vt) {
    case VT_EMPTY:
      out.kind = K::Empty;
      return S_OK;
    case VT_I1:
      out = signedValue(src.cVal);
      return S_OK;
    case VT_I2:
      out = signedValue(src.iVal);
      return S_OK;
    case VT_I4:
      out = signedValue(src.lVal);
      return S_OK;
    case VT_INT:
      out = signedValue(src.intVal);
      return S_OK;
    case VT_I8:
      out = signedValue(src.llVal);
      return S_OK;
    case VT_UI1:
      out = unsignedValue(src.bVal);
      return S_OK;
    case VT_UI2:
      out = unsignedValue(src.uiVal);
      return S_OK;
    case VT_UI4:
      out = unsignedValue(src.ulVal);
      return S_OK;
    case VT_UINT:
      out = unsignedValue(src.uintVal);
      return S_OK;
    case VT_UI8:
      out = unsignedValue(src.ullVal);
      return S_OK;
    case VT_R4:
      out.kind = K::Real;
      out.d = src.fltVal;
      return S_OK;
    case VT_R8:
    case VT_DATE:
      out.kind = K::Real;
      out.d = src.dblVal;
      return S_OK;
    case VT_BOOL:
      out.kind = K::Bool;
      out.b = src.boolVal != VARIANT_FALSE;
      return S_OK;
    case VT_BSTR:
      out.kind = K::Text;
      out.text = std::wstring_view(src.bstrVal ? src.bstrVal : L"", SysStringLen(src.bstrVal));
      return S_OK;
    case VT_NULL:
    case VT_ERROR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return DISP_E_TYPEMISMATCH;
    default:
      return DISP_E_BADVARTYPE;
  }
}

bool equalsNoCase(std::wstring_view a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return i == a.size() && b[i] == 0;
}

std::wstring_view trimmed(std::wstring_view t) {
  while (!t.empty() && (t.front() == L' ' || t.front() == L'\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.remove_suffix(1);
  return t;
}

// The value as a number: integers stay exact where they can.
HRESULT toNumber(const Value& v, Value& num) {
  using K = Value::Kind;
  switch (v.kind) {
    case K::Empty:
      num = signedValue(0);
      return S_OK;
    case K::Bool:
      num = signedValue(v.b ? -1 : 0);
      return S_OK;
    case K::Text: {
      const adoimpl::ParsedNumber p = adoimpl::parseNumber(v.text);
      if (!p.ok) return p.overflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
      if (p.isInteger) {
        num = signedValue(p.integer);
      } else {
        num.kind = K::Real;
        num.d = p.real;
      }
      return S_OK;
    }
    default:
      num = v;
      return S_OK;
  }
}

// The range of an integer type: [lo, hi].
void integerRange(VARTYPE vt, long long& lo, unsigned long long& hi) {
  struct Range {
    VARTYPE vt;
    long long lo;
    unsigned long long hi;
  };
  static const Range ranges[] = {{VT_I1, INT8_MIN, INT8_MAX},   {VT_I2, INT16_MIN, INT16_MAX},
                                 {VT_I4, INT32_MIN, INT32_MAX}, {VT_INT, INT32_MIN, INT32_MAX},
                                 {VT_I8, INT64_MIN, INT64_MAX}, {VT_UI1, 0, UINT8_MAX},
                                 {VT_UI2, 0, UINT16_MAX},       {VT_UI4, 0, UINT32_MAX},
                                 {VT_UINT, 0, UINT32_MAX},      {VT_UI8, 0, UINT64_MAX}};
  for (const Range& r : ranges) {
    if (r.vt == vt) {
      lo = r.lo;
      hi = r.hi;
      return;
    }
  }
  lo = 0;
  hi = 0;
}

void storeInteger(VARTYPE vt, long long s, unsigned long long magnitude, VARIANT& out) {
  out.vt = vt;
  switch (vt) {
    case VT_I1:
      out.cVal = static_cast<char>(s);
      break;
    case VT_I2:
      out.iVal = static_cast<SHORT>(s);
      break;
    case VT_I4:
      out.lVal = static_cast<LONG>(s);
      break;
    case VT_INT:
      out.intVal = static_cast<int>(s);
      break;
    case VT_I8:
      out.llVal = s;
      break;
    case VT_UI1:
      out.bVal = static_cast<BYTE>(magnitude);
      break;
    case VT_UI2:
      out.uiVal = static_cast<USHORT>(magnitude);
      break;
    case VT_UI4:
      out.ulVal = static_cast<ULONG>(magnitude);
      break;
    case VT_UINT:
      out.uintVal = static_cast<unsigned>(magnitude);
      break;
    default:
      out.ullVal = magnitude;
      break;
  }
}

HRESULT toInteger(const Value& v, VARTYPE vt, VARIANT& out) {
  Value num;
  if (const HRESULT hr = toNumber(v, num); FAILED(hr)) return hr;
  long long lo = 0;
  unsigned long long hi = 0;
  integerRange(vt, lo, hi);
  bool negative = false;
  unsigned long long magnitude = 0;  // of a non-negative value
  long long signedValue = 0;         // of a negative value
  if (num.kind == Value::Kind::Real) {
    // Halves round to even, as the system's conversions do.
    const double r = std::nearbyint(num.d);
    if (std::isnan(r) || r < -9223372036854775808.0 || r >= 18446744073709551616.0) {
      return DISP_E_OVERFLOW;
    }
    negative = r < 0;
    if (negative) {
      signedValue = static_cast<long long>(r);
    } else {
      magnitude = static_cast<unsigned long long>(r);
    }
  } else if (num.kind == Value::Kind::Unsigned) {
    magnitude = num.u;
  } else {
    negative = num.i < 0;
    if (negative) {
      signedValue = num.i;
    } else {
      magnitude = static_cast<unsigned long long>(num.i);
    }
  }
  if (negative ? signedValue < lo : magnitude > hi) return DISP_E_OVERFLOW;
  storeInteger(vt, negative ? signedValue : static_cast<long long>(magnitude), magnitude, out);
  return S_OK;
}

double realOf(const Value& num) {
  switch (num.kind) {
    case Value::Kind::Signed:
      return static_cast<double>(num.i);
    case Value::Kind::Unsigned:
      return static_cast<double>(num.u);
    default:
      return num.d;
  }
}

HRESULT toReal(const Value& v, VARTYPE vt, VARIANT& out) {
  Value num;
  if (const HRESULT hr = toNumber(v, num); FAILED(hr)) return hr;
  const double d = realOf(num);
  out.vt = vt;
  if (vt == VT_R4) {
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
      return DISP_E_OVERFLOW;
    out.fltVal = static_cast<float>(d);
  } else {
    out.dblVal = d;
  }
  return S_OK;
}

HRESULT toBool(const Value& v, VARIANT& out) {
  bool b = false;
  if (v.kind == Value::Kind::Text) {
    const std::wstring_view t = trimmed(v.text);
    if (equalsNoCase(t, L"true") || t == L"真") {
      b = true;
    } else if (equalsNoCase(t, L"false") || t == L"假") {
      b = false;
    } else {
      const adoimpl::ParsedNumber p = adoimpl::parseNumber(t);
      if (!p.ok) return p.overflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
      b = p.real != 0;
    }
  } else if (v.kind == Value::Kind::Bool) {
    b = v.b;
  } else {
    Value num;
    toNumber(v, num);
    b = realOf(num) != 0;
  }
  out.vt = VT_BOOL;
  out.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT toText(const Value& v, const VARIANT& src, USHORT flags, VARIANT& out) {
  // Numbers are formatted into a buffer on the stack: the BSTR is the only
  // allocation, since this runs for every number a grid shows.
  char digits[32];
  std::size_t n = 0;
  const wchar_t* words = nullptr;
  switch (v.kind) {
    case Value::Kind::Empty:
      words = L"";
      break;
    case Value::Kind::Signed:
      n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, v.i).ptr - digits);
      break;
    case Value::Kind::Unsigned:
      n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, v.u).ptr - digits);
      break;
    case Value::Kind::Real:
      n = adoimpl::formatDouble(v.d, src.vt == VT_R4 ? 7 : 15, digits);
      break;
    case Value::Kind::Bool:
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
        words = v.b ? L"True" : L"False";
      } else {
        words = v.b ? L"-1" : L"0";
      }
      break;
    case Value::Kind::Text:
      break;
  }
  BSTR s;
  if (v.kind == Value::Kind::Text) {
    s = SysAllocStringLen(v.text.data(), static_cast<UINT>(v.text.size()));
  } else if (words) {
    s = SysAllocString(words);
  } else {
    s = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    for (std::size_t i = 0; s && i < n; ++i) s[i] = static_cast<OLECHAR>(digits[i]);
  }
  if (!s) return E_OUTOFMEMORY;
  out.vt = VT_BSTR;
  out.bstrVal = s;
  return S_OK;
}

// Conversions whose source is not a plain value: null, error, objects.
HRESULT convertSpecial(const VARIANT& src, VARTYPE vt, VARIANT& out) {
  if (src.vt == VT_NULL && vt == VT_NULL) {
    out.vt = VT_NULL;
    return S_OK;
  }
  if (src.vt == VT_ERROR && vt == VT_ERROR) {
    out.vt = VT_ERROR;
    out.scode = src.scode;
    return S_OK;
  }
  if ((src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN) && (vt == VT_DISPATCH || vt == VT_UNKNOWN)) {
    if (src.vt == VT_UNKNOWN && vt == VT_DISPATCH) return E_NOINTERFACE;
    out.vt = vt;
    out.punkVal = src.punkVal;
    if (out.punkVal) out.punkVal->AddRef();
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (vt == VT_EMPTY) return VariantClear(dest);
  VARIANT out{};
  HRESULT hr;
  if (src->vt == vt && vt != VT_BSTR && vt != VT_DISPATCH && vt != VT_UNKNOWN) {
    out = *src;
    hr = S_OK;
  } else if (src->vt == VT_NULL || src->vt == VT_ERROR || src->vt == VT_DISPATCH ||
             src->vt == VT_UNKNOWN || vt == VT_NULL || vt == VT_ERROR || vt == VT_DISPATCH ||
             vt == VT_UNKNOWN) {
    if (vt == VT_NULL && src->vt == VT_EMPTY) {
      out.vt = VT_NULL;
      hr = S_OK;
    } else {
      hr = convertSpecial(*src, vt, out);
    }
  } else {
    Value v;
    hr = readValue(*src, v);
    if (SUCCEEDED(hr)) {
      if (isIntegerType(vt)) {
        hr = toInteger(v, vt, out);
      } else if (vt == VT_R4 || vt == VT_R8 || vt == VT_DATE) {
        hr = toReal(v, vt, out);
      } else if (vt == VT_BOOL) {
        hr = toBool(v, out);
      } else if (vt == VT_BSTR) {
        hr = toText(v, *src, flags, out);
      } else {
        hr = DISP_E_BADVARTYPE;
      }
    }
  }
  if (FAILED(hr)) return hr;
  VariantClear(dest);
  *dest = out;
  return S_OK;
}
