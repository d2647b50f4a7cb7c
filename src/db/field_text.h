// The text of a catalogue field as the lists and grids show it.
#pragma once

#include "ado/ado.h"
#include "base/cstring.h"

// The field changed to text as the data layer converts it; NULL is empty.
inline CString FieldText(const _variant_t& value) {
  if (value.vt == VT_NULL) return CString();
  _variant_t text(value);
  text.ChangeType(VT_BSTR);
  return CString(static_cast<const wchar_t*>(static_cast<_bstr_t>(text)));
}
