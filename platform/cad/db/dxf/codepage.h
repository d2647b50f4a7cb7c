// Text of drawings before R2007: a Windows code page named by $DWGCODEPAGE, with \U+XXXX
// escapes for characters outside it.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace zrcad::dxf {

class CodePageDecoder {
 public:
  CodePageDecoder() = default;
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  // "ANSI_936" and the like; unknown names fall back to Windows-1252. utf8 = true for R2007
  // and later, where the text is UTF-8 already.
  void setCodePage(std::string_view dwgCodePage, bool utf8);
  // The value as UTF-8; bytes that do not decode become U+FFFD.
  std::string decode(std::string_view raw) const;

 private:
  std::string convert(std::string_view raw) const;
  iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
  bool m_utf8 = true;
  bool m_escapes = false;
};

// Replaces \U+XXXX escapes by the characters they name.
std::string decodeUnicodeEscapes(std::string_view s);
}  // namespace zrcad::dxf
