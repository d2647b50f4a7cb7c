// The text of a catalogue field as the lists and grids show it.
#pragma once

#include "ado/ado.h"
#include "base/cstring.h"

// The field changed to text as the data layer converts it; NULL is empty.
inline CString FieldText(const _variant_t& value) {
  if (value.vt == VT_NULL) return CString();
  // A text is its own text: taken as it is rather than copied three times
  // through the conversion (a grid of 10,000 models reads 50,000 of them).
  if (value.vt == VT_BSTR) return CString(value.bstrVal ? value.bstrVal : L"");
  _variant_t text(value);
  text.ChangeType(VT_BSTR);
  return CString(static_cast<const wchar_t*>(static_cast<_bstr_t>(text)));
}
