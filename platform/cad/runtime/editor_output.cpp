// acutPrintf and the command-line output.
#include "cad/runtime/editor_output.h"

#include <cstdarg>
#include <cwchar>
#include <deque>
#include <stdexcept>
#include <vector>

#include "win/console_input.h"
#include "win/cstring.h"

namespace cadrt {

namespace {

bool g_atLineStart = true;

// The arguments of one acutPrintf call, read from the va_list directive by
// directive. Narrow strings are widened into storage that outlives the call
// to formatWide, which only keeps views of them.
struct CollectedArgs {
  std::vector<winplat::FormatArg> args;
  std::deque<std::wstring> strings;
};

winplat::FormatArg intArg(long long v) {
  winplat::FormatArg a{};
  a.kind = winplat::FormatArg::Kind::Int;
  a.i = v;
  return a;
}

winplat::FormatArg uintArg(unsigned long long v) {
  winplat::FormatArg a{};
  a.kind = winplat::FormatArg::Kind::UInt;
  a.u = v;
  return a;
}

// The length modifiers of one directive.
struct Modifiers {
  int longs = 0;  // 'l' count; "I64" counts as two
  bool narrow = false;
  bool sizeT = false;
  bool longDouble = false;
  bool wide64() const { return longs >= 2 || sizeT; }
};

// Skips flags, width and precision (reading '*' arguments) and the length
// modifiers; returns the pointer to the conversion character.
const wchar_t* readSpec(const wchar_t* p, va_list& ap, CollectedArgs& out, Modifiers& m) {
  while (*p && std::wcschr(L"-+ #0", *p)) ++p;
  if (*p == L'*') {
    out.args.push_back(intArg(va_arg(ap, int)));
    ++p;
  }
  while (*p >= L'0' && *p <= L'9') ++p;
  if (*p == L'.') {
    ++p;
    if (*p == L'*') {
      out.args.push_back(intArg(va_arg(ap, int)));
      ++p;
    }
    while (*p >= L'0' && *p <= L'9') ++p;
  }
  for (;; ++p) {
    if (*p == L'l') {
      ++m.longs;
    } else if (*p == L'h') {
      m.narrow = true;
    } else if (*p == L'z' || *p == L't' || *p == L'j') {
      m.sizeT = true;
    } else if (*p == L'L') {
      m.longDouble = true;
    } else if (*p == L'I' && p[1] == L'6' && p[2] == L'4') {
      m.longs = 2;
      p += 2;
    } else {
      return p;
    }
  }
}

winplat::FormatArg stringArg(const Modifiers& m, va_list& ap, CollectedArgs& out) {
  if (m.narrow) {
    const char* s = va_arg(ap, const char*);
    out.strings.push_back(s ? winplat::utf8ToWide(s) : L"(null)");
  } else {
    const wchar_t* s = va_arg(ap, const wchar_t*);
    out.strings.push_back(s ? s : L"(null)");
  }
  winplat::FormatArg a{};
  a.kind = winplat::FormatArg::Kind::WStr;
  a.s = out.strings.back();
  return a;
}

// Reads one directive's arguments. p points after '%'; returns the pointer to
// its conversion character, or null for a directive we cannot read safely.
const wchar_t* readDirective(const wchar_t* p, va_list* args, CollectedArgs& out) {
  va_list& ap = *args;
  Modifiers m;
  p = readSpec(p, ap, out, m);
  winplat::FormatArg a{};
  switch (*p) {
    case L'd':
    case L'i':
      a = intArg(m.wide64() ? va_arg(ap, long long) : m.longs ? va_arg(ap, long) : va_arg(ap, int));
      break;
    case L'u':
    case L'x':
    case L'X':
    case L'o':
      a = uintArg(m.wide64() ? va_arg(ap, unsigned long long)
                  : m.longs  ? va_arg(ap, unsigned long)
                             : va_arg(ap, unsigned int));
      break;
    case L'f':
    case L'F':
    case L'e':
    case L'E':
    case L'g':
    case L'G':
      a.kind = winplat::FormatArg::Kind::Double;
      a.d = m.longDouble ? static_cast<double>(va_arg(ap, long double)) : va_arg(ap, double);
      break;
    case L's':
    case L'S':
      a = stringArg(m, ap, out);
      break;
    case L'c':
    case L'C':
      a.kind = winplat::FormatArg::Kind::Char;
      a.c = static_cast<wchar_t>(va_arg(ap, wint_t));
      break;
    default:
      return nullptr;
  }
  out.args.push_back(a);
  return p;
}

// Formats like vswprintf with the runtime's wide "%s" rule. A format the
// runtime cannot read is returned as it is with a note; a bug in a module's
// format string must not bring the host down.
std::wstring formatVa(const wchar_t* fmt, va_list ap) {
  CollectedArgs collected;
  va_list args;
  va_copy(args, ap);
  bool readable = true;
  for (const wchar_t* p = fmt; *p; ++p) {
    if (*p != L'%') continue;
    if (p[1] == L'%') {
      ++p;
      continue;
    }
    p = readDirective(p + 1, &args, collected);
    if (!p) {
      readable = false;
      break;
    }
  }
  va_end(args);
  if (!readable) return std::wstring(fmt) + L" [unsupported format directive]";
  try {
    return winplat::formatWide(fmt, collected.args.data(), collected.args.size());
  } catch (const std::logic_error&) {
    return std::wstring(fmt) + L" [unsupported format directive]";
  }
}

}  // namespace

void writeText(std::wstring_view text) {
  if (text.empty()) return;
  winplat::consoleOut() << winplat::wideToUtf8(text);
  winplat::consoleOut().flush();
  g_atLineStart = text.back() == L'\n';
}

void writeUtf8(std::string_view text) {
  if (text.empty()) return;
  winplat::consoleOut() << text;
  winplat::consoleOut().flush();
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
