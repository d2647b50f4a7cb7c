// Variant conversions as the module reads fields (to text, to a 16-bit
// integer, to a boolean) and writes them, and the error wrapper.
#include "ado/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ado/com_error.h"

namespace {

_variant_t null() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_NULL;
  return _variant_t(v);
}

using Texts = std::vector<std::pair<_variant_t, const wchar_t*>>;

// Converting each value to `to` succeeds, and the result reads as its text.
void expectTexts(VARTYPE to, const Texts& cases) {
  for (const auto& [from, text] : cases) {
    _variant_t out;
    ASSERT_EQ(VariantChangeType(&out, &from, 0, to), S_OK) << text;
    EXPECT_EQ(out.vt, to);
    EXPECT_STREQ(static_cast<const wchar_t*>(_bstr_t(out)), text) << "vt " << from.vt;
  }
}

// Converting each value to `to` fails with hr and leaves the target alone.
void expectFailures(VARTYPE to, HRESULT hr, const std::vector<_variant_t>& values) {
  for (const _variant_t& from : values) {
    _variant_t out;
    EXPECT_EQ(VariantChangeType(&out, &from, 0, to), hr) << "vt " << from.vt << " to " << to;
    EXPECT_EQ(out.vt, VT_EMPTY);
  }
}

short i2(short v) { return v; }

TEST(Variant, ConversionsGiveTheDriversTextsRangesAndErrors) {
  // Numbers read as the driver shows them: fifteen significant digits, not the binary tail.
  const Texts toText = {{4.0, L"4"},      {0.1 + 0.2, L"0.3"}, {1e20, L"1E+20"},
                        {2900L, L"2900"}, {i2(-7), L"-7"},     {0.1f, L"0.1"},
                        {true, L"-1"},    {false, L"0"},       {_variant_t(), L""}};
  expectTexts(VT_BSTR, toText);
  // 16-bit integers: blanks allowed, halves to even, the range enforced.
  const Texts toShort = {{32767L, L"32767"}, {L" 12 ", L"12"}, {2.5, L"2"},  {3.5, L"4"},
                         {-2.5, L"-2"},      {L"12.5", L"12"}, {true, L"-1"}};
  expectTexts(VT_I2, toShort);
  expectFailures(VT_I2, DISP_E_OVERFLOW, {32768L, -32769L, L"40000", std::nan("")});
  expectFailures(VT_I2, DISP_E_TYPEMISMATCH, {L"12a", L""});
  // Wider integers keep their range; integer text is not routed through a double.
  expectTexts(VT_I8, {{L"9007199254740993", L"9007199254740993"}});
  expectFailures(VT_I4, DISP_E_OVERFLOW, {3000000000.0});
  // Booleans from words, numbers and number texts; true is -1, not 1.
  expectTexts(VT_BOOL, {{L" true ", L"-1"}, {L"FALSE", L"0"}, {L"-1", L"-1"}, {0.5, L"-1"}});
  expectFailures(VT_BOOL, DISP_E_TYPEMISMATCH, {L"yes please"});
  // Reals from text with blanks but nothing else.
  expectTexts(VT_R8, {{L"  4.5", L"4.5"}, {L"-1e3", L"-1000"}, {L".5", L"0.5"}, {L"5.", L"5"}});
  expectFailures(VT_R8, DISP_E_TYPEMISMATCH, {L"4,5", L"1 2", L"--1", L"0x10", L"1e", L"."});
  // NULL stays NULL and converts to nothing else, through ChangeType and the extractors too.
  for (VARTYPE vt : {VT_BSTR, VT_I2, VT_I4, VT_R8, VT_BOOL}) {
    expectFailures(vt, DISP_E_TYPEMISMATCH, {null()});
  }
  const _variant_t nothing = null();
  _variant_t out;
  ASSERT_EQ(VariantChangeType(&out, &nothing, 0, VT_NULL), S_OK);
  EXPECT_EQ(out.vt, VT_NULL);
  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L"  4.5")), 4.5);
  _variant_t copy(null());
  EXPECT_EQ(copy.vt, VT_NULL);
  EXPECT_THROW(copy.ChangeType(VT_BSTR), _com_error);
  EXPECT_EQ(copy.vt, VT_NULL);
  EXPECT_THROW(_bstr_t{null()}, _com_error);
}

TEST(Variant, ConstructorsTheMissingArgumentAndErrorMessages) {
  EXPECT_EQ(_variant_t(static_cast<short>(1)).vt, VT_I2);
  EXPECT_EQ(_variant_t(1).vt, VT_I4);
  EXPECT_EQ(_variant_t(std::numeric_limits<long>::max()).vt, VT_I8) << "a long past 32 bits";
  EXPECT_EQ(_variant_t(static_cast<short>(1), VT_BOOL).boolVal, VARIANT_TRUE);
  EXPECT_STREQ(_variant_t("直联").bstrVal, L"直联") << "narrow text is UTF-8";
  EXPECT_THROW(_variant_t(1.0, VT_BSTR), _com_error);

  EXPECT_TRUE(isMissingArgument(vtMissing));
  EXPECT_FALSE(isMissingArgument(_variant_t(0L)));

  const _com_error mismatch(DISP_E_TYPEMISMATCH, L"cannot store 'x'");
  EXPECT_STREQ(static_cast<const wchar_t*>(mismatch.Description()), L"cannot store 'x'");
  const _com_error sql(DB_E_ERRORSINCOMMAND, L"SQLite: no such column: X");
  EXPECT_STREQ(sql.ErrorMessage(), L"SQLite: no such column: X");
  const _com_error bare(static_cast<HRESULT>(0x80001234u));
  EXPECT_STREQ(bare.ErrorMessage(), L"未知错误 0x80001234");
  EXPECT_EQ(bare.Error(), static_cast<HRESULT>(0x80001234u));
}

}  // namespace
