// Writes group-code/value pairs as ASCII DXF into a string.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "cad/db/ge_geometry.h"

namespace zrcad::dxf {

// Shortest text that reads back as the same double ("1.0" for 1); non-finite gives "0.0".
std::string formatReal(double value);

// Takes the text written so far when the writer streams to a file.
using TextSink = std::function<void(std::string_view)>;

class TagWriter {
 public:
  // Without a sink everything collects in out; with one, out is handed to the sink in
  // pieces of about kChunk bytes (and once more by flush()).
  explicit TagWriter(std::string& out, const TextSink* sink = nullptr) : m_out(out), m_sink(sink) {}
  static constexpr size_t kChunk = 1 << 20;
  void flush();
  // Line breaks inside a value would break the file: they become blanks.
  void str(int code, std::string_view value);
  void wstr(int code, const std::wstring& value);
  // A value that is not finite throws zrbase::SaveAborted: nothing stands for it.
  void real(int code, double value);
  void integer(int code, long long value);
  void handle(int code, std::uint64_t h);
  void point(int code, const AcGePoint3d& p);
  void point(int code, const AcGeVector3d& v) { point(code, AcGePoint3d(v.x, v.y, v.z)); }
  void raw(int code, std::string_view value) { str(code, value); }

 private:
  void code(int c);
  std::string& m_out;
  const TextSink* m_sink;
};

}  // namespace zrcad::dxf
