// Group-code/value pairs: as read from a file (views into its text) and as kept in objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/object_id.h"
#include "cad/db/object_pool.h"

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

// An angle field as read, in degrees, kept where the field's radians do not convert back to
// the same number (30 degrees is 0.5235987755982988 radians, which converts back to
// 29.999999999999996): while the field still holds `radians`, `degrees` is written.
struct KeptAngle {
  std::int16_t code = 0;
  double radians = 0;
  double degrees = 0;
};

// What an object keeps from its file beyond its modeled fields.
struct ObjectData {
  StoredTags appData;  // 102 groups ahead of the first subclass, verbatim
  StoredTags extras;   // tags that are not modeled, in their subclass section
  StoredTags xdata;    // from the first 1001 on
  std::vector<KeptAngle> angles;
  bool ownerTag = false;  // the record had a 330 owner pointer, even a null one
  bool empty() const {
    return appData.empty() && extras.empty() && xdata.empty() && angles.empty() && !ownerTag;
  }
  // From the objects' pool, with the objects: the references of a large drawing all have one.
  static void* operator new(std::size_t size) { return poolAllocate(size); }
  static void operator delete(void* block, std::size_t size) noexcept { poolFree(block, size); }
};

// Told by the reader that it is done with the text in [begin, end) (offsets).
using TextPassed = std::function<void(size_t begin, size_t end)>;

// Thrown by the reader for input it cannot accept; caught where reading starts.
struct DxfError {
  size_t line;  // 0 for what is wrong with the drawing as a whole
  std::string message;
};

// What the value of a group code is, by the ranges of the DXF reference. Integers are
// taken signed or unsigned (some programs write flags as unsigned numbers); handles are hex
// of up to 16 digits, binary chunks hex of an even number of digits.
enum class GroupType { kString, kReal, kInt16, kInt32, kInt64, kBool, kHandle, kBinary };
GroupType groupType(int code);

// A value without the blanks (spaces, tabs) that programs put around it: group codes are
// right-aligned and some writers pad names.
inline std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

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

// The largest handle a drawing keeps. New objects take the handles after the largest one in
// use, and those must not run past 64 bits into 0 and the handles of the file again (a file
// with FFFFFFFFFFFFFFFF did, and wrote handle 0 and a duplicate): objects read with a handle
// above this one get new handles once the file is read, and references to them follow.
constexpr std::uint64_t kMaxHandle = 0x7FFF'FFFF'FFFF'FFFFull;

std::string handleText(std::uint64_t h);
// Parses hex; false when the text is empty, not hex or longer than 16 digits.
bool parseHandle(std::string_view text, std::uint64_t& h);

}  // namespace zrcad::dxf
