// Handle text of DXF files.
#include "cad/db/dxf/dxf_tags.h"

#include <charconv>

namespace zrcad::dxf {

GroupType groupType(int code) {
  if (isRealCode(code)) return GroupType::kReal;
  if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
      (code >= 370 && code <= 389) || (code >= 400 && code <= 409) ||
      (code >= 1060 && code <= 1070))
    return GroupType::kInt16;
  if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) ||
      code == 1071)
    return GroupType::kInt32;
  if (code >= 160 && code <= 169) return GroupType::kInt64;
  if (code >= 290 && code <= 299) return GroupType::kBool;
  // 5 and 105 are handles where they name the record, which the reader takes apart; kept
  // among other tags (DIMSTYLE's 5 of old files) they are text.
  if (isPointerCode(code) || (code >= 320 && code <= 369)) return GroupType::kHandle;
  if ((code >= 310 && code <= 319) || code == 1004) return GroupType::kBinary;
  return GroupType::kString;
}

std::string handleText(std::uint64_t h) {
  char buf[20];
  auto res = std::to_chars(buf, buf + sizeof buf, h, 16);
  std::string s(buf, res.ptr);
  for (char& c : s)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool parseHandle(std::string_view text, std::uint64_t& h) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 16) return false;
  auto res = std::from_chars(text.data(), text.data() + text.size(), h, 16);
  return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

}  // namespace zrcad::dxf
