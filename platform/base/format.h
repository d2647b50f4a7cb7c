// The printf-style format engine of the platform: one parser of directives and one
// formatter, shared by CString::Format (whose arguments arrive typed) and by the readers
// of a va_list (acutPrintf), so that both accept exactly the same directives.
//
// "%s" takes a wide string whatever its length modifier says; "%d"/"%i"/"%u"/"%x"/"%X"/
// "%o" an integer, "%f"/"%e"/"%g" a number, "%c" a character. Flags, width and precision
// (also as '*') work as in C. Length modifiers (h, l, ll, I64, I32, q, j, z, t, L) are
// accepted; with typed arguments the argument's own type decides the width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace zrbase {

// One directive, parsed.
struct FormatSpec {
  enum class Length { Default, Short, Long, LongLong, Size, LongDouble };
  std::string flags;  // any of "-+ #0"
  int width = -1;     // -1: none; set from the argument when widthFromArg
  bool widthFromArg = false;
  int precision = -1;  // -1: none
  bool precisionFromArg = false;
  Length length = Length::Default;
  wchar_t conversion = 0;
  // True when the directive reads a 64-bit integer (ll, I64, q, j, z, t).
  bool wide64() const { return length == Length::LongLong || length == Length::Size; }
};

// Parses the directive whose text starts at p (just after the '%'). Returns the pointer
// after its conversion character, or null when the conversion is not one of the engine's.
const wchar_t* parseFormatDirective(const wchar_t* p, FormatSpec& conv);

// One argument of a format, type-erased.
struct FormatArg {
  enum class Kind { Int, UInt, Double, WStr, Char };
  Kind kind;
  long long i = 0;
  unsigned long long u = 0;
  double d = 0;
  std::wstring_view s;
  wchar_t c = 0;
};

// Formats fmt with the arguments. A directive whose argument has the wrong kind, too
// few or too many arguments, or an unknown directive throws std::logic_error: a bug in
// the calling code, never bad input.
std::wstring formatWide(const wchar_t* fmt, const FormatArg* args, std::size_t count);

template <class T>
FormatArg makeFormatArg(const T& v) {
  FormatArg a{};
  using U = std::decay_t<T>;
  if constexpr (std::is_same_v<U, std::wstring> || std::is_same_v<U, std::wstring_view>) {
    a.kind = FormatArg::Kind::WStr;
    a.s = v;
  } else if constexpr (std::is_array_v<T> &&
                       std::is_same_v<std::remove_cv_t<std::remove_extent_t<T>>, wchar_t>) {
    a.kind = FormatArg::Kind::WStr;
    a.s = std::wstring_view(v);
  } else if constexpr (std::is_same_v<U, const wchar_t*> || std::is_same_v<U, wchar_t*>) {
    a.kind = FormatArg::Kind::WStr;
    a.s = v ? std::wstring_view(v) : std::wstring_view(L"(null)");
  } else if constexpr (std::is_same_v<U, wchar_t>) {
    a.kind = FormatArg::Kind::Char;
    a.c = v;
  } else if constexpr (std::is_same_v<U, bool>) {
    a.kind = FormatArg::Kind::Int;
    a.i = v ? 1 : 0;
  } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
    a.kind = FormatArg::Kind::Int;
    a.i = static_cast<long long>(v);
  } else if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
    a.kind = FormatArg::Kind::UInt;
    a.u = static_cast<unsigned long long>(v);
  } else if constexpr (std::is_floating_point_v<U>) {
    a.kind = FormatArg::Kind::Double;
    a.d = static_cast<double>(v);
  } else {
    static_assert(sizeof(U) == 0, "format: unsupported argument type");
  }
  return a;
}

}  // namespace zrbase
