// The platform's UTF-8 codec.
#include "base/utf8.h"

namespace zrbase {

std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  std::size_t n;
  char32_t cp;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  const std::size_t n = utf8SequenceLength(s, i);
  if (n == 0) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = b0 & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (std::size_t k = 1; k < n; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += n;
  return cp;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUtf8AsWide(std::wstring& out, std::string_view s) {
  const std::size_t start = out.size();
  out.resize(start + s.size());  // never more characters than bytes
  wchar_t* w = out.data() + start;
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      w[n++] = static_cast<wchar_t>(b);
      ++i;
    } else {
      w[n++] = static_cast<wchar_t>(decodeUtf8(s, i));
    }
  }
  out.resize(start + n);
}

std::wstring utf8ToWide(std::string_view s) {
  std::wstring out;
  appendUtf8AsWide(out, s);
  return out;
}

std::string wideToUtf8(std::wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (const wchar_t wc : s) {
    if (wc >= 0 && wc < 0x80) {
      out += static_cast<char>(wc);
    } else {
      appendUtf8(out, static_cast<char32_t>(wc));
    }
  }
  return out;
}

std::string sanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = utf8SequenceLength(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  return out;
}

namespace {
constexpr char32_t kEscapeBase = 0xDC00;  // + the byte, for bytes 0x80..0xFF
}  // namespace

std::wstring bytesToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = utf8SequenceLength(s, i);
    if (n == 0) {
      out += static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(s[i]));
      ++i;
    } else {
      out += static_cast<wchar_t>(decodeUtf8(s, i));
    }
  }
  return out;
}

std::string wideToBytes(std::wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (const wchar_t wc : s) {
    const auto c = static_cast<char32_t>(wc);
    if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
      out += static_cast<char>(c - kEscapeBase);
    } else {
      appendUtf8(out, c);
    }
  }
  return out;
}

bool isAscii(std::string_view s) {
  for (const unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace zrbase
