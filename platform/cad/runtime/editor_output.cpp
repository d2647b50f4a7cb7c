// acutPrintf and the command-line output.
#include "cad/runtime/editor_output.h"

#include <cstdarg>
#include <cwchar>
#include <deque>
#include <stdexcept>
#include <vector>

#include "base/console_input.h"
#include "base/cstring.h"

namespace cadrt {

namespace {

bool g_atLineStart = true;

zrbase::FormatArg intArg(long long v) {
  zrbase::FormatArg a{};
  a.kind = zrbase::FormatArg::Kind::Int;
  a.i = v;
  return a;
}

zrbase::FormatArg uintArg(unsigned long long v) {
  zrbase::FormatArg a{};
  a.kind = zrbase::FormatArg::Kind::UInt;
  a.u = v;
  return a;
}

// The arguments of one acutPrintf call, read from the va_list directive by
// directive with the engine's own parser. Narrow strings ("%hs") are widened
// into storage that outlives the formatting, which only keeps views of them.
struct CollectedArgs {
  std::vector<zrbase::FormatArg> args;
  std::deque<std::wstring> strings;
};

zrbase::FormatArg stringArg(const zrbase::FormatSpec& conv, va_list& ap, CollectedArgs& out) {
  if (conv.length == zrbase::FormatSpec::Length::Short) {
    const char* s = va_arg(ap, const char*);
    out.strings.push_back(s ? zrbase::utf8ToWide(s) : L"(null)");
  } else {
    const wchar_t* s = va_arg(ap, const wchar_t*);
    out.strings.push_back(s ? s : L"(null)");
  }
  zrbase::FormatArg a{};
  a.kind = zrbase::FormatArg::Kind::WStr;
  a.s = out.strings.back();
  return a;
}

// Reads the argument of one parsed directive as the C calling convention
// passed it: its length modifier says how wide an integer is.
zrbase::FormatArg readArgument(const zrbase::FormatSpec& conv, va_list& ap, CollectedArgs& out) {
  using Length = zrbase::FormatSpec::Length;
  zrbase::FormatArg a{};
  switch (conv.conversion) {
    case L'd':
    case L'i':
      return intArg(conv.wide64()                 ? va_arg(ap, long long)
                    : conv.length == Length::Long ? va_arg(ap, long)
                                                  : va_arg(ap, int));
    case L'u':
    case L'x':
    case L'X':
    case L'o':
      return uintArg(conv.wide64()                 ? va_arg(ap, unsigned long long)
                     : conv.length == Length::Long ? va_arg(ap, unsigned long)
                                                   : va_arg(ap, unsigned int));
    case L's':
    case L'S':
      return stringArg(conv, ap, out);
    case L'c':
    case L'C':
      a.kind = zrbase::FormatArg::Kind::Char;
      a.c = static_cast<wchar_t>(va_arg(ap, wint_t));
      return a;
    default:  // the floating-point conversions
      a.kind = zrbase::FormatArg::Kind::Double;
      a.d = conv.length == Length::LongDouble ? static_cast<double>(va_arg(ap, long double))
                                              : va_arg(ap, double);
      return a;
  }
}

// Formats like vswprintf with the runtime's wide "%s" rule. A format the
// engine cannot read is returned as it is with a note; a bug in a module's
// format string must not bring the host down.
std::wstring formatVa(const wchar_t* fmt, va_list ap) {
  CollectedArgs collected;
  va_list args;
  va_copy(args, ap);
  bool readable = true;
  for (const wchar_t* p = fmt; *p && readable;) {
    if (*p != L'%') {
      ++p;
    } else if (p[1] == L'%') {
      p += 2;
    } else {
      zrbase::FormatSpec conv;
      const wchar_t* after = zrbase::parseFormatDirective(p + 1, conv);
      if (!after) {
        readable = false;
        break;
      }
      if (conv.widthFromArg) collected.args.push_back(intArg(va_arg(args, int)));
      if (conv.precisionFromArg) collected.args.push_back(intArg(va_arg(args, int)));
      collected.args.push_back(readArgument(conv, args, collected));
      p = after;
    }
  }
  va_end(args);
  if (!readable) return std::wstring(fmt) + L" [unsupported format directive]";
  try {
    return zrbase::formatWide(fmt, collected.args.data(), collected.args.size());
  } catch (const std::logic_error&) {
    return std::wstring(fmt) + L" [unsupported format directive]";
  }
}

}  // namespace

void writeText(std::wstring_view text) {
  if (text.empty()) return;
  zrbase::consoleOut() << zrbase::wideToUtf8(text);
  zrbase::consoleOut().flush();
  g_atLineStart = text.back() == L'\n';
}

void writeUtf8(std::string_view text) {
  if (text.empty()) return;
  zrbase::consoleOut() << text;
  zrbase::consoleOut().flush();
  g_atLineStart = text.back() == '\n';
}

void ensureLineStart() {
  if (!g_atLineStart) writeText(L"\n");
}

void printLine(std::wstring_view text) {
  ensureLineStart();
  std::wstring line(text);
  line += L'\n';
  writeText(line);
}

void resetOutputState() { g_atLineStart = true; }

}  // namespace cadrt

int acutPrintf(const ACHAR* format, ...) {
  if (!format) return 0;
  va_list ap;
  va_start(ap, format);
  const std::wstring text = cadrt::formatVa(format, ap);
  va_end(ap);
  cadrt::writeText(text);
  return static_cast<int>(text.size());
}

int acedPrompt(const ACHAR* text) {
  if (text) cadrt::writeText(text);
  return RTNORM;
}
