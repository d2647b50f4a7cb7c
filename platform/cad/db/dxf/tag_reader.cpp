// Splitting of ASCII DXF text into pairs.
#include "cad/db/dxf/tag_reader.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace zrcad::dxf {
namespace {

bool onlyBlanks(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0') return false;
  return true;
}

}  // namespace

TagReader::TagReader(std::string_view text) : m_text(text) {
  // A UTF-8 byte order mark ahead of the first group code is not part of it.
  if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
}

namespace {

// Bit 7 of each byte of v that is zero (exact for the lowest such byte: a borrow only runs
// upwards, so bytes above it may be marked falsely, never those below).
constexpr std::uint64_t zeroBytes(std::uint64_t v) {
  return (v - 0x0101010101010101ULL) & ~v & 0x8080808080808080ULL;
}

// The first newline or NUL byte from p on, or end. Lines of DXF are a few bytes long: eight
// bytes are looked at in one step, where memchr would cost a call per line. NUL bytes are
// found on the way, so the text is not scanned for them beforehand.
const char* lineEnd(const char* p, const char* end) {
  static_assert(std::endian::native == std::endian::little);
  constexpr std::uint64_t kNewlines = 0x0A0A0A0A0A0A0A0AULL;
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (const std::uint64_t hits = zeroBytes(word ^ kNewlines) | zeroBytes(word))
      return p + std::countr_zero(hits) / 8;
  }
  while (p != end && *p != '\n' && *p != '\0') ++p;
  return p;
}

}  // namespace

bool TagReader::readLine(std::string_view& line) {
  if (m_pos >= m_text.size()) return false;
  const char* begin = m_text.data() + m_pos;
  const char* end = m_text.data() + m_text.size();
  __builtin_prefetch(begin + 2048);
  const char* nl = lineEnd(begin, end);
  if (nl != end && *nl == '\0') throw DxfError{0, kNulBytesText};
  line = std::string_view(begin, static_cast<size_t>(nl - begin));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  m_pos = static_cast<size_t>(nl - m_text.data()) + (nl != end ? 1 : 0);
  ++m_line;
  return true;
}

bool TagReader::next(Tag& tag) {
  if (m_hasPeek) {
    m_hasPeek = false;
    tag = m_peek;
    return true;
  }
  while (readPair(tag))
    if (tag.code != 999) return true;
  return false;
}

// Group codes are short runs of digits, mostly right-aligned in three columns: they are
// taken digit by digit, and anything unusual (a sign, more digits) goes to from_chars.
bool TagReader::parseCode(std::string_view line, int& code) {
  std::string_view c = trim(line);
  if (!c.empty() && c.size() <= 4) {
    int v = 0;
    size_t i = 0;
    for (; i < c.size() && c[i] >= '0' && c[i] <= '9'; ++i) v = v * 10 + (c[i] - '0');
    if (i == c.size()) {
      code = v;
      return true;
    }
  }
  auto res = std::from_chars(c.data(), c.data() + c.size(), code);
  return !c.empty() && res.ec == std::errc() && res.ptr == c.data() + c.size();
}

bool TagReader::readPair(Tag& tag) {
  std::string_view codeLine;
  if (!readLine(codeLine)) return false;
  tag.line = m_line;
  int code = 0;
  if (!parseCode(codeLine, code)) {
    std::string_view c = trim(codeLine);
    if (c.empty() && onlyBlanks(m_text.substr(m_pos))) {
      m_pos = m_text.size();  // blank lines at the end of the file
      return false;
    }
    throw DxfError{m_line, "bad group code '" + std::string(c.substr(0, 20)) + "'"};
  }
  if (code < -5 || code > 1071)
    throw DxfError{m_line, "group code " + std::to_string(code) + " out of range"};
  if (!readLine(tag.value))
    throw DxfError{m_line, "group code " + std::to_string(code) + " without a value"};
  tag.code = code;
  return true;
}

bool TagReader::peek(Tag& tag) {
  if (!m_hasPeek) {
    if (!next(m_peek)) return false;
    m_hasPeek = true;
  }
  tag = m_peek;
  return true;
}

// The pair that ends the record (the next 0 group) is kept as the peeked one, so each pair
// is read once.
void TagReader::readRecord(const Tag& first, std::vector<Tag>& out) {
  out.clear();
  out.push_back(first);
  if (m_hasPeek) {
    if (m_peek.code == 0) return;
    out.push_back(m_peek);
    m_hasPeek = false;
  }
  Tag t;
  while (next(t)) {
    if (t.code == 0) {
      m_peek = t;
      m_hasPeek = true;
      return;
    }
    out.push_back(t);
  }
}

}  // namespace zrcad::dxf
