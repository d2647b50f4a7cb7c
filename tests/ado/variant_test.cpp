// Variant conversions as the module reads fields (to text, to a 16-bit
// integer, to a boolean) and writes them, and the string and error wrappers.
#include "ado/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ado/com_error.h"

namespace {

std::wstring textOf(const _variant_t& v) {
  _variant_t t(v);
  t.ChangeType(VT_BSTR);
  return std::wstring(t.bstrVal, SysStringLen(t.bstrVal));
}

HRESULT convert(const VARIANT& src, VARTYPE vt, _variant_t& out) {
  return VariantChangeType(&out, &src, 0, vt);
}

TEST(VariantText, NumbersReadAsTheDriverShowsThem) {
  EXPECT_EQ(textOf(4.0), L"4");
  EXPECT_EQ(textOf(4.5), L"4.5");
  EXPECT_EQ(textOf(1131.0), L"1131");
  EXPECT_EQ(textOf(3.15), L"3.15");
  EXPECT_EQ(textOf(0.1 + 0.2), L"0.3");  // fifteen significant digits, not the binary tail
  EXPECT_EQ(textOf(-0.0), L"0");
  EXPECT_EQ(textOf(1e20), L"1E+20");
  EXPECT_EQ(textOf(0.00001), L"1E-05");
  EXPECT_EQ(textOf(123456789012345.0), L"123456789012345");
  EXPECT_EQ(textOf(2900L), L"2900");
  EXPECT_EQ(textOf(static_cast<short>(-7)), L"-7");
  EXPECT_EQ(textOf(static_cast<float>(0.1f)), L"0.1");
  EXPECT_EQ(textOf(true), L"-1");
  EXPECT_EQ(textOf(false), L"0");
  EXPECT_EQ(textOf(_variant_t()), L"");
}

TEST(VariantText, AlphaBoolFlagGivesWords) {
  _variant_t out;
  ASSERT_EQ(VariantChangeType(&out, &static_cast<const VARIANT&>(_variant_t(true)),
                              VARIANT_ALPHABOOL, VT_BSTR),
            S_OK);
  EXPECT_STREQ(out.bstrVal, L"True");
}

TEST(VariantShort, RangeRoundingAndOverflow) {
  EXPECT_EQ(static_cast<short>(_variant_t(32767L)), 32767);
  EXPECT_EQ(static_cast<short>(_variant_t(L" 12 ")), 12);
  EXPECT_EQ(static_cast<short>(_variant_t(2.5)), 2);  // halves round to even
  EXPECT_EQ(static_cast<short>(_variant_t(3.5)), 4);
  EXPECT_EQ(static_cast<short>(_variant_t(-2.5)), -2);
  EXPECT_EQ(static_cast<short>(_variant_t(L"12.5")), 12);
  EXPECT_EQ(static_cast<short>(_variant_t(true)), -1);

  _variant_t out;
  EXPECT_EQ(convert(_variant_t(32768L), VT_I2, out), DISP_E_OVERFLOW);
  EXPECT_EQ(convert(_variant_t(-32769L), VT_I2, out), DISP_E_OVERFLOW);
  EXPECT_EQ(convert(_variant_t(L"40000"), VT_I2, out), DISP_E_OVERFLOW);
  EXPECT_EQ(convert(_variant_t(std::nan("")), VT_I2, out), DISP_E_OVERFLOW);
  EXPECT_EQ(convert(_variant_t(L"12a"), VT_I2, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(convert(_variant_t(L""), VT_I2, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out.vt, VT_EMPTY) << "a failed conversion leaves the target alone";
  EXPECT_THROW((void)static_cast<short>(_variant_t(100000L)), _com_error);
}

TEST(VariantInteger, WideTypesKeepTheirRange) {
  _variant_t out;
  ASSERT_EQ(convert(_variant_t(L"9007199254740993"), VT_I8, out), S_OK);
  EXPECT_EQ(out.llVal, 9007199254740993LL) << "integer text is not routed through a double";
  EXPECT_EQ(convert(_variant_t(-1L), VT_UI4, out), DISP_E_OVERFLOW);
  EXPECT_EQ(convert(_variant_t(3000000000.0), VT_I4, out), DISP_E_OVERFLOW);
  ASSERT_EQ(convert(_variant_t(3000000000.0), VT_UI4, out), S_OK);
  EXPECT_EQ(out.ulVal, 3000000000u);
  EXPECT_EQ(convert(_variant_t(1e300), VT_R4, out), DISP_E_OVERFLOW);
}

TEST(VariantBool, TextNumbersAndWords) {
  EXPECT_TRUE(static_cast<bool>(_variant_t(L"True")));
  EXPECT_TRUE(static_cast<bool>(_variant_t(L" true ")));
  EXPECT_FALSE(static_cast<bool>(_variant_t(L"FALSE")));
  EXPECT_TRUE(static_cast<bool>(_variant_t(L"-1")));
  EXPECT_FALSE(static_cast<bool>(_variant_t(L"0")));
  EXPECT_TRUE(static_cast<bool>(_variant_t(0.5)));
  EXPECT_FALSE(static_cast<bool>(_variant_t(0L)));
  _variant_t out;
  ASSERT_EQ(convert(_variant_t(7L), VT_BOOL, out), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE) << "true is -1, not 1";
  EXPECT_EQ(convert(_variant_t(L"yes please"), VT_BOOL, out), DISP_E_TYPEMISMATCH);
}

TEST(VariantNull, StaysNullAndConvertsToNothingElse) {
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  _variant_t out;
  for (VARTYPE vt : {VT_BSTR, VT_I2, VT_I4, VT_R8, VT_BOOL}) {
    EXPECT_EQ(convert(null, vt, out), DISP_E_TYPEMISMATCH) << vt;
  }
  ASSERT_EQ(convert(null, VT_NULL, out), S_OK);
  EXPECT_EQ(out.vt, VT_NULL);
  _variant_t copy(null);
  EXPECT_EQ(copy.vt, VT_NULL);
  EXPECT_THROW(copy.ChangeType(VT_BSTR), _com_error);
  EXPECT_EQ(copy.vt, VT_NULL);
}

TEST(VariantText, ParsesNumbersWithBlanksButNothingElse) {
  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L"  4.5")), 4.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L"-1e3")), -1000);
  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L".5")), 0.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L"5.")), 5);
  for (const wchar_t* bad : {L"4,5", L"1 2", L"e5", L"--1", L"0x10", L"1e", L"abc", L"."}) {
    _variant_t out;
    EXPECT_EQ(convert(_variant_t(bad), VT_R8, out), DISP_E_TYPEMISMATCH) << bad;
  }
}

TEST(VariantLifetime, CopiesOwnTheirTextAndClearFreesIt) {
  _variant_t a(L"风机");
  _variant_t b(a);
  ASSERT_NE(a.bstrVal, b.bstrVal);
  a = L"其他";
  EXPECT_STREQ(b.bstrVal, L"风机");
  _variant_t moved(std::move(b));
  EXPECT_EQ(b.vt, VT_EMPTY);
  EXPECT_STREQ(moved.bstrVal, L"风机");
  moved.Clear();
  EXPECT_EQ(moved.vt, VT_EMPTY);
  VARIANT detached = a.Detach();
  EXPECT_EQ(a.vt, VT_EMPTY);
  EXPECT_EQ(VariantClear(&detached), S_OK);
  EXPECT_EQ(detached.vt, VT_EMPTY);
}

TEST(VariantConstruction, TypesOfTheConstructors) {
  EXPECT_EQ(_variant_t(static_cast<short>(1)).vt, VT_I2);
  EXPECT_EQ(_variant_t(1).vt, VT_I4);
  EXPECT_EQ(_variant_t(1L).vt, VT_I4);
  EXPECT_EQ(_variant_t(std::numeric_limits<long>::max()).vt, VT_I8);
  EXPECT_EQ(_variant_t(1.0).vt, VT_R8);
  EXPECT_EQ(_variant_t(true).vt, VT_BOOL);
  EXPECT_EQ(_variant_t("x").vt, VT_BSTR);
  EXPECT_EQ(_variant_t(CString(L"x")).vt, VT_BSTR);
  EXPECT_EQ(_variant_t(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR).vt, VT_ERROR);
  EXPECT_EQ(_variant_t(static_cast<short>(1), VT_BOOL).boolVal, VARIANT_TRUE);
  EXPECT_STREQ(_variant_t("直联").bstrVal, L"直联") << "narrow text is UTF-8";
  EXPECT_THROW(_variant_t(1.0, VT_BSTR), _com_error);
}

TEST(VariantMissing, IsParamNotFound) {
  EXPECT_EQ(vtMissing.vt, VT_ERROR);
  EXPECT_EQ(vtMissing.scode, DISP_E_PARAMNOTFOUND);
  EXPECT_TRUE(isMissingArgument(vtMissing));
  EXPECT_FALSE(isMissingArgument(_variant_t(0L)));
  EXPECT_TRUE(_variant_t(vtMissing) == vtMissing);
}

TEST(Bstr, ConversionsAndComparison) {
  const _bstr_t b(L"4-72风机");
  EXPECT_EQ(b.length(), 6u);
  EXPECT_STREQ(static_cast<const char*>(b), "4-72风机");
  const _bstr_t joined = b + L"No4.5";
  EXPECT_STREQ(static_cast<const wchar_t*>(joined), L"4-72风机No4.5");
  EXPECT_TRUE(_bstr_t(L"a") < _bstr_t(L"b"));
  EXPECT_TRUE(_bstr_t(CString(L"x")) == _bstr_t("x"));
  const _bstr_t empty;
  EXPECT_TRUE(!empty);
  EXPECT_STREQ(static_cast<const wchar_t*>(empty), L"") << "never a null pointer";
  EXPECT_STREQ(static_cast<const wchar_t*>(_bstr_t(_variant_t(4.5))), L"4.5");
  _bstr_t copy = b;
  copy += L"!";
  EXPECT_STREQ(static_cast<const wchar_t*>(b), L"4-72风机");
  BSTR raw = copy.Detach();
  EXPECT_EQ(SysStringLen(raw), 7u);
  SysFreeString(raw);
}

TEST(Bstr, FromAVariantThatIsNotTextThrowsOnFailure) {
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  EXPECT_THROW(_bstr_t{_variant_t(null)}, _com_error);
}

TEST(ComError, MessagesForCodesAndDescriptions) {
  const _com_error mismatch(DISP_E_TYPEMISMATCH, L"cannot store 'x'");
  EXPECT_STREQ(mismatch.ErrorMessage(), L"类型不匹配。");
  EXPECT_STREQ(static_cast<const wchar_t*>(mismatch.Description()), L"cannot store 'x'");
  const _com_error sql(DB_E_ERRORSINCOMMAND, L"SQLite: no such column: X");
  EXPECT_STREQ(sql.ErrorMessage(), L"SQLite: no such column: X");
  const _com_error bare(static_cast<HRESULT>(0x80001234u));
  EXPECT_STREQ(bare.ErrorMessage(), L"未知错误 0x80001234");
  EXPECT_EQ(bare.Error(), static_cast<HRESULT>(0x80001234u));
}

}  // namespace
