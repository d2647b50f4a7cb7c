// Splitting of ASCII DXF text into pairs.
#include "cad/db/dxf/tag_reader.h"

#include <algorithm>
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

namespace {

// Whether the line is a group code of 0: blanks around one or more zeros, or "-0".
bool isZeroCode(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  line = trim(line);
  if (!line.empty() && line.front() == '-') line.remove_prefix(1);
  return !line.empty() && line.find_first_not_of('0') == std::string_view::npos;
}

}  // namespace

// The type is looked for with memmem, which runs through text many times faster than it can
// be split into lines; a hit counts when its line holds the type alone (blanks aside) and the
// line before it is a 0 group. In text that reads, such a line pair is a record: were the 0 a
// value, the type would stand where a group code must.
bool TagReader::skipToRecord(std::string_view type) {
  if (m_hasPeek && m_peek.code == 0 && trim(m_peek.value) == type) return true;
  const char* const text = m_text.data();
  const size_t size = m_text.size();
  for (size_t from = m_pos; from < size;) {
    const void* found = ::memmem(text + from, size - from, type.data(), type.size());
    if (found == nullptr) return false;
    const size_t at = static_cast<size_t>(static_cast<const char*>(found) - text);
    from = at + 1;
    size_t lineStart = at;
    while (lineStart > m_pos && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t'))
      --lineStart;
    if (lineStart <= m_pos || text[lineStart - 1] != '\n') continue;
    size_t after = at + type.size();
    while (after < size && (text[after] == ' ' || text[after] == '\t' || text[after] == '\r'))
      ++after;
    if (after < size && text[after] != '\n') continue;
    const size_t codeEnd = lineStart - 1;
    const char* codeStart = text + codeEnd;
    while (codeStart > text + m_pos && codeStart[-1] != '\n') --codeStart;
    if (!isZeroCode(std::string_view(codeStart, static_cast<size_t>(text + codeEnd - codeStart))))
      continue;
    // The text passed over would be refused for a NUL byte by a whole read, and so is here.
    const size_t to = static_cast<size_t>(codeStart - text);
    if (std::memchr(text + m_pos, '\0', to - m_pos) != nullptr) return false;
    seek(to, m_line + static_cast<size_t>(std::count(text + m_pos, text + to, '\n')));
    return true;
  }
  return false;
}

}  // namespace zrcad::dxf
