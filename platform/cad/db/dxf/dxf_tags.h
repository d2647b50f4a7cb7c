// Group-code/value pairs: as read from a file (views into its text) and as kept in objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/object_id.h"

namespace zrcad::dxf {

// One pair of a file being read; value views into the file text (not yet decoded).
struct Tag {
  int code = 0;
  std::string_view value;
  size_t line = 0;  // line number of the group code, from 1
};

// One pair kept in memory, UTF-8; section is the subclass section it was read in.
struct StoredTag {
  std::int16_t code = 0;
  std::int16_t section = 0;
  std::string value;
};
using StoredTags = std::vector<StoredTag>;

// What an object keeps from its file beyond its modeled fields.
struct ObjectData {
  StoredTags appData;     // 102 groups ahead of the first subclass, verbatim
  StoredTags extras;      // tags that are not modeled, in their subclass section
  StoredTags xdata;       // from the first 1001 on
  bool ownerTag = false;  // the record had a 330 owner pointer, even a null one
  bool empty() const { return appData.empty() && extras.empty() && xdata.empty() && !ownerTag; }
};

// Thrown by the reader for input it cannot accept; caught where reading starts.
struct DxfError {
  size_t line;
  std::string message;
};

// True for codes whose values are floating-point numbers.
inline bool isRealCode(int code) {
  return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) ||
         (code >= 210 && code <= 239) || (code >= 460 && code <= 469) ||
         (code >= 1010 && code <= 1059);
}
// True for codes whose values are handles of other objects.
inline bool isPointerCode(int code) {
  return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) ||
         (code >= 480 && code <= 481) || code == 1005;
}

std::string handleText(std::uint64_t h);
// Parses hex; false when the text is empty, not hex or longer than 16 digits.
bool parseHandle(std::string_view text, std::uint64_t& h);

}  // namespace zrcad::dxf
