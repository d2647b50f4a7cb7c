// VARIANT, the tagged value of the component runtime, its free functions, and _variant_t.
#pragma once

#include <cstdint>

#include "base/windef.h"
#include "bstr.h"
#include "com_error.h"
#include "unknown.h"

using VARTYPE = unsigned short;
using VARIANT_BOOL = short;
using SHORT = short;
using USHORT = unsigned short;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DATE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x1;
constexpr USHORT VARIANT_ALPHABOOL = 0x2;  // booleans to text as "True"/"False", not "-1"/"0"
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x4;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

// The value is the member that vt names. A VT_BSTR variant owns its BSTR, a
// VT_DISPATCH or VT_UNKNOWN variant holds one reference.
struct tagVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    ULONGLONG ullVal;
    LONG lVal;
    ULONG ulVal;
    BYTE bVal;
    char cVal;
    SHORT iVal;
    USHORT uiVal;
    int intVal;
    unsigned int uintVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
  };
};
using VARIANT = tagVARIANT;
using VARIANTARG = tagVARIANT;

void VariantInit(VARIANT* v);
// Frees what the variant owns and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts src to type vt into dest (dest may be src). On failure dest is
// unchanged and the result is DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW or
// DISP_E_BADVARTYPE. Numbers become text with up to 15 significant digits
// ("4", "4.5", "1131"), booleans "-1"/"0"; text becomes a number when it is
// one (blanks around it allowed); VT_NULL converts to nothing but VT_NULL and
// VT_EMPTY.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);

class _variant_t : public VARIANT {
 public:
  constexpr _variant_t() noexcept : VARIANT{} {}
  _variant_t(const VARIANT& v);  // NOLINT
  _variant_t(const VARIANT* v);  // NOLINT
  _variant_t(const _variant_t& v);
  _variant_t(_variant_t&& v) noexcept;
  _variant_t(VARIANT& v, bool fCopy);
  // VT_I2, or VT_BOOL.
  _variant_t(short value, VARTYPE type = VT_I2);  // NOLINT
  _variant_t(int value);                          // NOLINT: VT_I4
  // VT_I4 (VT_I8 beyond 32 bits), VT_ERROR or VT_BOOL.
  _variant_t(long value, VARTYPE type = VT_I4);  // NOLINT
  _variant_t(long long value);                   // NOLINT: VT_I8
  _variant_t(unsigned short value);              // NOLINT: VT_UI2
  _variant_t(unsigned int value);                // NOLINT: VT_UI4
  _variant_t(unsigned long value);               // NOLINT: VT_UI8
  _variant_t(float value);                       // NOLINT: VT_R4
  // VT_R8 or VT_DATE.
  _variant_t(double value, VARTYPE type = VT_R8);  // NOLINT
  _variant_t(bool value);                          // NOLINT: VT_BOOL
  _variant_t(const _bstr_t& text);                 // NOLINT: VT_BSTR
  _variant_t(const wchar_t* text);                 // NOLINT: VT_BSTR
  _variant_t(const char* text);                    // NOLINT: VT_BSTR, from UTF-8
  _variant_t(const CString& text);                 // NOLINT: VT_BSTR
  _variant_t(IDispatch* object, bool fAddRef = true);
  _variant_t(IUnknown* object, bool fAddRef = true);
  ~_variant_t() { VariantClear(this); }

  _variant_t& operator=(const _variant_t& v);
  _variant_t& operator=(_variant_t&& v) noexcept;
  _variant_t& operator=(const VARIANT& v);
  _variant_t& operator=(short value);
  _variant_t& operator=(int value);
  _variant_t& operator=(long value);
  _variant_t& operator=(double value);
  _variant_t& operator=(bool value);
  _variant_t& operator=(const _bstr_t& text);
  _variant_t& operator=(const wchar_t* text);
  _variant_t& operator=(const char* text);

  // Same type and value (text compared exactly).
  bool operator==(const VARIANT& v) const;
  bool operator!=(const VARIANT& v) const { return !(*this == v); }

  // Each converts as VariantChangeType would and throws _com_error when it
  // cannot.
  operator short() const;    // NOLINT
  operator int() const;      // NOLINT
  operator long() const;     // NOLINT
  operator float() const;    // NOLINT
  operator double() const;   // NOLINT
  operator bool() const;     // NOLINT
  operator _bstr_t() const;  // NOLINT
  operator IDispatch*() const;

  // Converts in place (or from src into this); throws _com_error on failure.
  void ChangeType(VARTYPE type, const _variant_t* src = nullptr);
  void Clear();
  void Attach(VARIANT& v);
  VARIANT Detach();
  VARIANT& GetVARIANT() noexcept { return *this; }
  VARIANT* GetAddress();
  void SetString(const char* text);

  // Builds the missing-argument value at compile time (see vtMissing).
  struct MissingTag {};
  explicit constexpr _variant_t(MissingTag) noexcept : VARIANT{} {
    vt = VT_ERROR;
    scode = DISP_E_PARAMNOTFOUND;
  }

 private:
  // This value converted to type (a copy; this stays as it is).
  _variant_t converted(VARTYPE type) const;
};

// The missing optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
extern const _variant_t vtMissing;

// True for VT_ERROR holding DISP_E_PARAMNOTFOUND, and for VT_EMPTY.
bool isMissingArgument(const VARIANT& v);
