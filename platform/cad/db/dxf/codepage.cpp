// Decoding of drawing text: code pages through iconv, \U+XXXX escapes, UTF-8 checks.
#include "cad/db/dxf/codepage.h"

#include <cerrno>
#include <string>

#include "base/utf8.h"

namespace zrcad::dxf {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

CodePageDecoder::~CodePageDecoder() {
  if (m_cd != kNoConverter) iconv_close(m_cd);
}

void CodePageDecoder::setCodePage(std::string_view dwgCodePage, bool utf8) {
  if (m_cd != kNoConverter) iconv_close(m_cd);
  m_cd = kNoConverter;
  m_utf8 = utf8;
  m_escapes = !utf8;
  if (utf8) return;
  std::string name = "CP1252";
  std::string upper(dwgCodePage);
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  if (upper.rfind("ANSI_", 0) == 0 && upper.size() > 5) name = "CP" + upper.substr(5);
  m_cd = iconv_open("UTF-8", name.c_str());
  if (m_cd == kNoConverter) m_cd = iconv_open("UTF-8", "CP1252");
}

std::string CodePageDecoder::decode(std::string_view raw) const {
  std::string s =
      zrbase::isAscii(raw) ? std::string(raw) : (m_utf8 ? zrbase::sanitizeUtf8(raw) : convert(raw));
  if (m_escapes && s.find("\\U+") != std::string::npos) return decodeUnicodeEscapes(s);
  return s;
}

std::string CodePageDecoder::convert(std::string_view raw) const {
  if (m_cd == kNoConverter) return zrbase::sanitizeUtf8(raw);
  iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(raw.size() * 4 + 4);
  char* in = const_cast<char*>(raw.data());
  size_t inLeft = raw.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(m_cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: four bytes out per byte in is enough
    // An invalid or cut-off sequence: one replacement character, then go on.
    ++in;
    --inLeft;
    if (outLeft >= 3) {
      *dst++ = '\xEF';
      *dst++ = '\xBF';
      *dst++ = '\xBD';
      outLeft -= 3;
    }
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(out.size() - outLeft);
  return out;
}

std::string decodeUnicodeEscapes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s[i] == '\\' && i + 7 <= s.size() && (s[i + 1] == 'U' || s[i + 1] == 'u') &&
        s[i + 2] == '+') {
      char32_t c = 0;
      bool ok = true;
      for (size_t k = 3; k < 7 && ok; ++k) {
        int d = hexDigit(s[i + k]);
        ok = d >= 0;
        c = c * 16 + static_cast<char32_t>(d);
      }
      if (ok && c != 0 && (c < 0xD800 || c > 0xDFFF)) {
        zrbase::appendUtf8(out, c);
        i += 7;
        continue;
      }
    }
    out += s[i++];
  }
  return out;
}

}  // namespace zrcad::dxf
