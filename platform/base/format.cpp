// The format engine: directive parsing and formatting.
#include "base/format.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <stdexcept>

#include "base/utf8.h"

namespace zrbase {

namespace {

[[noreturn]] void formatError(const wchar_t* fmt, const char* why) {
  throw std::logic_error(std::string("format \"") + wideToUtf8(fmt) + "\": " + why);
}

void appendAscii(std::wstring& out, const char* s) {
  for (; *s; ++s) out += static_cast<wchar_t>(static_cast<unsigned char>(*s));
}

void pad(std::wstring& out, std::wstring_view text, const std::string& flags, int width) {
  const int fill = width - static_cast<int>(text.size());
  const bool left = flags.find('-') != std::string::npos;
  if (!left && fill > 0) out.append(static_cast<size_t>(fill), L' ');
  out += text;
  if (left && fill > 0) out.append(static_cast<size_t>(fill), L' ');
}

// The directive as the C library's snprintf takes it, without length and conversion.
std::string cDirective(const FormatSpec& conv) {
  std::string d = "%" + conv.flags;
  if (conv.width >= 0) d += std::to_string(conv.width);
  if (conv.precision >= 0) d += "." + std::to_string(conv.precision);
  return d;
}

// snprintf into out, however long the result.
template <class V>
void appendC(std::wstring& out, const std::string& directive, V v) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, directive.c_str(), v);
  if (n < static_cast<int>(sizeof buf)) {
    appendAscii(out, buf);
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), directive.c_str(), v);
  big.resize(static_cast<size_t>(n));
  appendAscii(out, big.c_str());
}

void formatOne(std::wstring& out, const FormatSpec& conv, const FormatArg& a, const wchar_t* fmt) {
  const std::string directive = cDirective(conv);
  switch (conv.conversion) {
    case L'd':
    case L'i': {
      long long v;
      if (a.kind == FormatArg::Kind::Int) {
        v = a.i;
      } else if (a.kind == FormatArg::Kind::UInt) {
        v = static_cast<long long>(a.u);
      } else if (a.kind == FormatArg::Kind::Char) {
        v = static_cast<long long>(a.c);
      } else {
        formatError(fmt, "%d needs an integer argument");
      }
      appendC(out, directive + "lld", v);
      return;
    }
    case L'u':
    case L'x':
    case L'X':
    case L'o': {
      unsigned long long v;
      if (a.kind == FormatArg::Kind::UInt) {
        v = a.u;
      } else if (a.kind == FormatArg::Kind::Int) {
        // As the C runtime does: the bits of the value, of a 32-bit int unless the
        // directive or the value asks for 64.
        v = (a.i < 0 && a.i >= INT32_MIN && !conv.wide64()) ? static_cast<std::uint32_t>(a.i)
                                                            : static_cast<unsigned long long>(a.i);
      } else {
        formatError(fmt, "%u/%x needs an integer argument");
      }
      appendC(out, directive + "ll" + static_cast<char>(conv.conversion), v);
      return;
    }
    case L'f':
    case L'F':
    case L'e':
    case L'E':
    case L'g':
    case L'G': {
      double v;
      if (a.kind == FormatArg::Kind::Double) {
        v = a.d;
      } else if (a.kind == FormatArg::Kind::Int) {
        v = static_cast<double>(a.i);
      } else if (a.kind == FormatArg::Kind::UInt) {
        v = static_cast<double>(a.u);
      } else {
        formatError(fmt, "%f needs a number");
      }
      appendC(out, directive + static_cast<char>(conv.conversion), v);
      return;
    }
    case L's':
    case L'S': {
      if (a.kind != FormatArg::Kind::WStr) formatError(fmt, "%s needs a string argument");
      std::wstring_view text = a.s;
      if (conv.precision >= 0 && static_cast<size_t>(conv.precision) < text.size())
        text = text.substr(0, static_cast<size_t>(conv.precision));
      pad(out, text, conv.flags, conv.width);
      return;
    }
    default: {  // 'c', 'C': parseFormatDirective admits nothing else
      wchar_t ch;
      if (a.kind == FormatArg::Kind::Char) {
        ch = a.c;
      } else if (a.kind == FormatArg::Kind::Int) {
        ch = static_cast<wchar_t>(a.i);
      } else if (a.kind == FormatArg::Kind::UInt) {
        ch = static_cast<wchar_t>(a.u);
      } else {
        formatError(fmt, "%c needs a character");
      }
      pad(out, std::wstring_view(&ch, 1), conv.flags, conv.width);
    }
  }
}

int readNumber(const wchar_t*& p) {
  int n = 0;
  while (*p >= L'0' && *p <= L'9') n = n * 10 + (*p++ - L'0');
  return n;
}

}  // namespace

const wchar_t* parseFormatDirective(const wchar_t* p, FormatSpec& conv) {
  conv = FormatSpec{};
  while (*p && std::wcschr(L"-+ #0", *p)) conv.flags += static_cast<char>(*p++);
  if (*p == L'*') {
    conv.widthFromArg = true;
    ++p;
  } else if (*p >= L'0' && *p <= L'9') {
    conv.width = readNumber(p);
  }
  if (*p == L'.') {
    ++p;
    if (*p == L'*') {
      conv.precisionFromArg = true;
      ++p;
    } else {
      conv.precision = readNumber(p);
    }
  }
  for (;; ++p) {
    if (*p == L'h') {
      conv.length = FormatSpec::Length::Short;
    } else if (*p == L'l') {
      conv.length = conv.length == FormatSpec::Length::Long ? FormatSpec::Length::LongLong
                                                            : FormatSpec::Length::Long;
    } else if (*p == L'q') {
      conv.length = FormatSpec::Length::LongLong;
    } else if (*p == L'j' || *p == L'z' || *p == L't') {
      conv.length = FormatSpec::Length::Size;
    } else if (*p == L'L') {
      conv.length = FormatSpec::Length::LongDouble;
    } else if (*p == L'I' && p[1] == L'6' && p[2] == L'4') {
      conv.length = FormatSpec::Length::LongLong;
      p += 2;
    } else if (*p == L'I' && p[1] == L'3' && p[2] == L'2') {
      conv.length = FormatSpec::Length::Default;
      p += 2;
    } else {
      break;
    }
  }
  if (!*p || !std::wcschr(L"diuxXofFeEgGsScC", *p)) return nullptr;
  conv.conversion = *p;
  return p + 1;
}

std::wstring formatWide(const wchar_t* fmt, const FormatArg* args, std::size_t count) {
  std::wstring out;
  if (!fmt) return out;
  std::size_t next = 0;
  auto take = [&]() -> const FormatArg& {
    if (next >= count) formatError(fmt, "too few arguments");
    return args[next++];
  };
  for (const wchar_t* p = fmt; *p;) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    if (p[1] == L'%') {
      out += L'%';
      p += 2;
      continue;
    }
    FormatSpec conv;
    const wchar_t* after = parseFormatDirective(p + 1, conv);
    if (!after) formatError(fmt, "unsupported directive");
    if (conv.widthFromArg) {
      const FormatArg& a = take();
      if (a.kind != FormatArg::Kind::Int) formatError(fmt, "'*' width needs an int");
      conv.width = static_cast<int>(a.i);
      if (conv.width < 0) {
        conv.flags += '-';
        conv.width = -conv.width;
      }
    }
    if (conv.precisionFromArg) {
      const FormatArg& a = take();
      if (a.kind != FormatArg::Kind::Int) formatError(fmt, "'*' precision needs an int");
      conv.precision = a.i < 0 ? -1 : static_cast<int>(a.i);
    }
    formatOne(out, conv, take(), fmt);
    p = after;
  }
  if (next != count) formatError(fmt, "more arguments than directives");
  return out;
}

}  // namespace zrbase
