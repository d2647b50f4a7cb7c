// Handle text of DXF files.
#include "cad/db/dxf/dxf_tags.h"

#include <charconv>

namespace zrcad::dxf {

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
