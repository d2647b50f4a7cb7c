// libFuzzer target for the text the data-access layer parses from outside:
// SQL statements (the dialect translator), LIKE patterns, numbers in text and
// the conversions of a text variant. None may crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/number_text.h"
#include "ado/sql_dialect.h"
#include "ado/sql_like.h"
#include "ado/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    adoimpl::translateStatement(
        text, [](const std::string& name) { return name; }, true);
  } catch (const adoimpl::DialectError&) {
  }
  const std::size_t half = size / 2;
  adoimpl::likeMatch(text.substr(0, half), text.substr(half));
  adoimpl::likeMatch(text.substr(0, half), text.substr(half), U'!');

  const std::wstring wide = zrbase::utf8ToWide(text);
  adoimpl::parseNumber(wide);
  const _variant_t value(wide.c_str());
  for (VARTYPE vt : {VT_I2, VT_I4, VT_I8, VT_UI1, VT_R4, VT_R8, VT_BOOL, VT_BSTR}) {
    _variant_t out;
    if (SUCCEEDED(VariantChangeType(&out, &value, 0, vt)) && vt != VT_BSTR) {
      _variant_t back;
      VariantChangeType(&back, &out, 0, VT_BSTR);
    }
  }
  return 0;
}
