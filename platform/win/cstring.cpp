// CString operations, UTF-8 conversion and the Format directive engine.
#include "cstring.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <stdexcept>

namespace winplat {

std::wstring utf8ToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t cp;
    if (b0 < 0x80) {
      out += static_cast<wchar_t>(b0);
      ++i;
      continue;
    } else if ((b0 & 0xE0) == 0xC0) {
      extra = 1;
      cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2;
      cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3;
      cp = b0 & 0x07;
    } else {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    if (i + static_cast<size_t>(extra) >= s.size()) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((b & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::string wideToUtf8(std::wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (wchar_t wc : s) {
    auto cp = static_cast<char32_t>(wc);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

namespace {

[[noreturn]] void formatError(const wchar_t* fmt, const char* why) {
  throw std::logic_error(std::string("CString::Format(\"") + wideToUtf8(fmt) + "\"): " + why);
}

std::wstring widen(const char* s) {
  std::wstring w;
  for (; *s; ++s) w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
  return w;
}

void pad(std::wstring& out, std::wstring_view text, const std::string& flags, int width) {
  const int fill = width - static_cast<int>(text.size());
  const bool left = flags.find('-') != std::string::npos;
  if (!left && fill > 0) out.append(static_cast<size_t>(fill), L' ');
  out += text;
  if (left && fill > 0) out.append(static_cast<size_t>(fill), L' ');
}

}  // namespace

std::wstring formatWide(const wchar_t* fmt, const FormatArg* args, std::size_t count) {
  std::wstring out;
  if (!fmt) return out;
  std::size_t next = 0;
  auto take = [&](const wchar_t* f) -> const FormatArg& {
    if (next >= count) formatError(f, "too few arguments");
    return args[next++];
  };
  for (const wchar_t* p = fmt; *p; ++p) {
    if (*p != L'%') {
      out += *p;
      continue;
    }
    ++p;
    if (*p == L'%') {
      out += L'%';
      continue;
    }
    std::string flags;
    while (*p && std::wcschr(L"-+ #0", *p)) flags += static_cast<char>(*p++);
    int width = -1;
    if (*p == L'*') {
      const FormatArg& a = take(fmt);
      if (a.kind != FormatArg::Kind::Int) formatError(fmt, "'*' width needs an int");
      width = static_cast<int>(a.i);
      ++p;
    } else if (std::iswdigit(*p)) {
      width = 0;
      while (std::iswdigit(*p)) width = width * 10 + (*p++ - L'0');
    }
    int precision = -1;
    if (*p == L'.') {
      ++p;
      precision = 0;
      if (*p == L'*') {
        const FormatArg& a = take(fmt);
        if (a.kind != FormatArg::Kind::Int) formatError(fmt, "'*' precision needs an int");
        precision = static_cast<int>(a.i);
        ++p;
      } else {
        while (std::iswdigit(*p)) precision = precision * 10 + (*p++ - L'0');
      }
    }
    // Length modifiers do not matter: the argument's own type decides, and
    // "%hs" is given a wide string here too.
    while (*p && std::wcschr(L"hlLqjzt", *p)) ++p;
    const wchar_t conv = *p;
    if (!conv) formatError(fmt, "directive without a conversion");
    std::string directive = "%";
    directive += flags;
    if (width >= 0) directive += std::to_string(width);
    if (precision >= 0) {
      directive += '.';
      directive += std::to_string(precision);
    }
    char buf[512];
    switch (conv) {
      case L'd':
      case L'i': {
        const FormatArg& a = take(fmt);
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
        std::snprintf(buf, sizeof buf, (directive + "lld").c_str(), v);
        out += widen(buf);
        break;
      }
      case L'u':
      case L'x':
      case L'X':
      case L'o': {
        const FormatArg& a = take(fmt);
        unsigned long long v;
        if (a.kind == FormatArg::Kind::UInt) {
          v = a.u;
        } else if (a.kind == FormatArg::Kind::Int) {
          // As the C runtime does: the bits of the value, here of a 32-bit int.
          v = (a.i < 0 && a.i >= INT32_MIN) ? static_cast<std::uint32_t>(a.i)
                                            : static_cast<unsigned long long>(a.i);
        } else {
          formatError(fmt, "%u/%x needs an integer argument");
        }
        std::snprintf(buf, sizeof buf, (directive + "ll" + static_cast<char>(conv)).c_str(), v);
        out += widen(buf);
        break;
      }
      case L'f':
      case L'F':
      case L'e':
      case L'E':
      case L'g':
      case L'G': {
        const FormatArg& a = take(fmt);
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
        const int n =
            std::snprintf(buf, sizeof buf, (directive + static_cast<char>(conv)).c_str(), v);
        if (n >= static_cast<int>(sizeof buf)) {
          std::string big(static_cast<size_t>(n) + 1, '\0');
          std::snprintf(big.data(), big.size(), (directive + static_cast<char>(conv)).c_str(), v);
          big.resize(static_cast<size_t>(n));
          out += widen(big.c_str());
        } else {
          out += widen(buf);
        }
        break;
      }
      case L's':
      case L'S': {
        const FormatArg& a = take(fmt);
        if (a.kind != FormatArg::Kind::WStr) formatError(fmt, "%s needs a string argument");
        std::wstring_view text = a.s;
        if (precision >= 0 && static_cast<size_t>(precision) < text.size())
          text = text.substr(0, static_cast<size_t>(precision));
        pad(out, text, flags, width);
        break;
      }
      case L'c':
      case L'C': {
        const FormatArg& a = take(fmt);
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
        pad(out, std::wstring_view(&ch, 1), flags, width);
        break;
      }
      default:
        formatError(fmt, "unsupported conversion");
    }
  }
  if (next != count) formatError(fmt, "more arguments than directives");
  return out;
}

}  // namespace winplat

int CString::Compare(LPCTSTR s) const { return m_s.compare(s ? s : L""); }

int CString::CompareNoCase(LPCTSTR s) const {
  std::wstring a = m_s, b = s ? s : L"";
  for (auto& c : a) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  for (auto& c : b) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return a.compare(b);
}

CString CString::Left(int n) const {
  n = std::clamp(n, 0, GetLength());
  return CString(m_s.substr(0, static_cast<size_t>(n)));
}

CString CString::Right(int n) const {
  n = std::clamp(n, 0, GetLength());
  return CString(m_s.substr(m_s.size() - static_cast<size_t>(n)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  const auto pos = m_s.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  const auto pos = m_s.find(sub, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  const auto pos = m_s.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCTSTR chars) const {
  if (!chars) return -1;
  const auto pos = m_s.find_first_of(chars);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) {
  int n = 0;
  for (auto& c : m_s) {
    if (c == oldCh) {
      c = newCh;
      ++n;
    }
  }
  return n;
}

int CString::Replace(LPCTSTR oldText, LPCTSTR newText) {
  if (!oldText || !*oldText) return 0;
  const std::wstring from(oldText), to(newText ? newText : L"");
  int n = 0;
  size_t pos = 0;
  while ((pos = m_s.find(from, pos)) != std::wstring::npos) {
    m_s.replace(pos, from.size(), to);
    pos += to.size();
    ++n;
  }
  return n;
}

int CString::Remove(wchar_t ch) {
  const auto before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, LPCTSTR s) {
  index = std::clamp(index, 0, GetLength());
  m_s.insert(static_cast<size_t>(index), s ? s : L"");
  return GetLength();
}

int CString::Insert(int index, wchar_t ch) {
  index = std::clamp(index, 0, GetLength());
  m_s.insert(m_s.begin() + index, ch);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index >= 0 && index < GetLength() && count > 0) {
    m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
  }
  return GetLength();
}

CString& CString::MakeUpper() {
  for (auto& c : m_s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& c : m_s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_s.begin(), m_s.end());
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft() {
  size_t i = 0;
  while (i < m_s.size() && std::iswspace(static_cast<wint_t>(m_s[i]))) ++i;
  m_s.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  size_t n = m_s.size();
  while (n > 0 && std::iswspace(static_cast<wint_t>(m_s[n - 1]))) --n;
  m_s.resize(n);
  return *this;
}

CString& CString::Trim(LPCTSTR chars) { return TrimRight(chars).TrimLeft(chars); }

CString& CString::TrimLeft(LPCTSTR chars) {
  const auto pos = m_s.find_first_not_of(chars ? chars : L"");
  m_s.erase(0, pos == std::wstring::npos ? m_s.size() : pos);
  return *this;
}

CString& CString::TrimRight(LPCTSTR chars) {
  const auto pos = m_s.find_last_not_of(chars ? chars : L"");
  m_s.resize(pos == std::wstring::npos ? 0 : pos + 1);
  return *this;
}

LPTSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
  return m_s.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
  m_s.resize(static_cast<size_t>(std::max(length, 0)));
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    m_s.resize(std::wcslen(m_s.c_str()));
  } else {
    m_s.resize(static_cast<size_t>(newLength));
  }
}
