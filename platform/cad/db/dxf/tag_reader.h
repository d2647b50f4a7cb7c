// Splits ASCII DXF text into group-code/value pairs, one record (from a 0 group to the next)
// at a time. The text must outlive the tags.
#pragma once

#include <string_view>
#include <vector>

#include "cad/db/dxf/dxf_tags.h"

namespace zrcad::dxf {

// Why text with a NUL byte in it is refused: it is not DXF text but binary data.
inline constexpr const char* kNulBytesText = "not a DXF text file (it holds NUL bytes)";

class TagReader {
 public:
  explicit TagReader(std::string_view text);
  // The next pair; false at the end of the text. Comments (group 999) are passed over: they
  // may stand anywhere and mean nothing to the drawing. Throws DxfError for a group code
  // that is not a number or lacks its value, or for a NUL byte in the text.
  bool next(Tag& tag);
  // Peeked pair (read by next() again).
  bool peek(Tag& tag);
  // Reads the record that starts with `first` (a 0 group) up to the next 0 group.
  void readRecord(const Tag& first, std::vector<Tag>& out);
  size_t line() const { return m_line; }
  // Goes on from pos, the start of a group code's line, as if lines lines were read before.
  void seek(size_t pos, size_t lines) {
    m_pos = pos;
    m_line = lines;
    m_hasPeek = false;
  }
  // Counts by more lines before the text read: a reader that began in the middle of the text
  // with lines counted from there, once the lines before are known.
  void shiftLines(size_t by) {
    m_line += by;
    if (m_hasPeek) m_peek.line += by;
  }
  // Bytes of the text read so far.
  size_t position() const { return m_pos; }
  // Passes over what comes before the next record of this type (a line 0, then a line with
  // the type) without splitting it into pairs, and stops ahead of that record, lines counted.
  // False, with nothing passed, when no such record follows or a NUL byte comes first. What
  // is passed is not checked: only a reader that reads just part of a drawing does this.
  bool skipToRecord(std::string_view type);

 private:
  bool readLine(std::string_view& line);
  bool readPair(Tag& tag);
  static bool parseCode(std::string_view line, int& code);
  std::string_view m_text;
  size_t m_pos = 0;
  size_t m_line = 0;
  bool m_hasPeek = false;
  Tag m_peek;
};

}  // namespace zrcad::dxf
