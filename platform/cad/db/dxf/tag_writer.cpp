// Writing of pairs as ASCII DXF.
#include "cad/db/dxf/tag_writer.h"

#include <charconv>
#include <cmath>

#include "base/cstring.h"
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

void TagWriter::wstr(int c, const std::wstring& value) { str(c, zrbase::wideToUtf8(value)); }

std::string formatReal(double value) {
  if (!std::isfinite(value)) value = 0;
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  std::string s(buf, static_cast<size_t>(res.ptr - buf));
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

void TagWriter::real(int c, double value) {
  code(c);
  if (!std::isfinite(value)) value = 0;
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
