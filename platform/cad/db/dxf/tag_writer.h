// Writes group-code/value pairs as ASCII DXF into a string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cad/db/ge_geometry.h"

namespace zrcad::dxf {

// Shortest text that reads back as the same double ("1.0" for 1); non-finite gives "0.0".
std::string formatReal(double value);

class TagWriter {
 public:
  explicit TagWriter(std::string& out) : m_out(out) {}
  // Line breaks inside a value would break the file: they become blanks.
  void str(int code, std::string_view value);
  void wstr(int code, const std::wstring& value);
  void real(int code, double value);  // non-finite values are written as 0
  void integer(int code, long long value);
  void handle(int code, std::uint64_t h);
  void point(int code, const AcGePoint3d& p);
  void point(int code, const AcGeVector3d& v) { point(code, AcGePoint3d(v.x, v.y, v.z)); }
  void raw(int code, std::string_view value) { str(code, value); }

 private:
  void code(int c);
  std::string& m_out;
};

}  // namespace zrcad::dxf
