// Writing of pairs as ASCII DXF.
#include "cad/db/dxf/tag_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "base/cstring.h"
#include "base/safe_file.h"
#include "cad/db/dxf/dxf_tags.h"

namespace zrcad::dxf {

// Group codes right-aligned in three columns, as AutoCAD writes them.
void TagWriter::flush() {
  if (m_sink && !m_out.empty()) {
    (*m_sink)(m_out);
    m_out.clear();
  }
}

void TagWriter::code(int c) {
  if (m_sink && m_out.size() >= kChunk) flush();
  // Every value is preceded by its code: the common ones are written from a table, made
  // once, instead of being formatted and padded each time.
  static const auto kCodes = [] {
    std::array<std::array<char, 4>, 1000> codes{};
    for (int i = 0; i < 1000; ++i) {
      codes[static_cast<size_t>(i)] = {' ', ' ', ' ', '\n'};
      char digits[4];
      auto res = std::to_chars(digits, digits + sizeof digits, i);
      std::copy(digits, res.ptr, codes[static_cast<size_t>(i)].begin() + (3 - (res.ptr - digits)));
    }
    return codes;
  }();
  if (c >= 0 && c < 1000) {
    m_out.append(kCodes[static_cast<size_t>(c)].data(), 4);
    return;
  }
  char buf[16];
  auto res = std::to_chars(buf, buf + sizeof buf, c);
  size_t len = static_cast<size_t>(res.ptr - buf);
  if (len < 3) m_out.append(3 - len, ' ');
  m_out.append(buf, len);
  m_out += '\n';
}

void TagWriter::str(int c, std::string_view value) {
  code(c);
  size_t start = m_out.size();
  m_out.append(value);
  if (value.find_first_of("\r\n") != std::string_view::npos)
    for (size_t i = start; i < m_out.size(); ++i)
      if (m_out[i] == '\n' || m_out[i] == '\r') m_out[i] = ' ';
  m_out += '\n';
}

// Converted straight into the output: most values are short ASCII names.
void TagWriter::wstr(int c, const std::wstring& value) {
  code(c);
  for (const wchar_t wc : value) {
    if (wc == '\n' || wc == '\r')
      m_out += ' ';
    else if (wc >= 0 && wc < 0x80)
      m_out += static_cast<char>(wc);
    else
      zrbase::appendUtf8(m_out, static_cast<char32_t>(wc));
  }
  m_out += '\n';
}

std::string formatReal(double value) {
  if (!std::isfinite(value)) value = 0;
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  std::string s(buf, static_cast<size_t>(res.ptr - buf));
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

void TagWriter::real(int c, double value) {
  // A number that is not finite has no DXF text: the drawing is not written rather than
  // written with something else in its place.
  if (!std::isfinite(value))
    throw zrbase::SaveAborted{L"the drawing holds a number that is not finite (group code " +
                              std::to_wstring(c) + L")"};
  code(c);
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf - 3, value);
  char* end = res.ptr;
  bool integral = true;
  for (char* p = buf; p != end && integral; ++p) integral = *p != '.' && *p != 'e';
  if (integral) {
    *end++ = '.';
    *end++ = '0';
  }
  *end++ = '\n';
  m_out.append(buf, end);
}

void TagWriter::integer(int c, long long value) {
  code(c);
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  m_out.append(buf, res.ptr);
  m_out += '\n';
}

void TagWriter::handle(int c, std::uint64_t h) {
  code(c);
  char buf[20];
  auto res = std::to_chars(buf, buf + sizeof buf, h, 16);
  for (char* p = buf; p != res.ptr; ++p)
    if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
  m_out.append(buf, res.ptr);
  m_out += '\n';
}

void TagWriter::point(int c, const AcGePoint3d& p) {
  real(c, p.x);
  real(c + 10, p.y);
  real(c + 20, p.z);
}

}  // namespace zrcad::dxf
