// Atomic writes of FANDUTY's files.
#include "duty/duty_files.h"

#include <filesystem>

#include "base/file_functions.h"
#include "base/safe_file.h"

namespace duty {

CString writeFileAtomically(const CString& path, const std::string& content) {
  const std::string target = zrbase::nativePath(path);
  if (target.empty()) return L"没有文件名";
  std::wstring why;
  if (zrbase::saveFileSafely(target, content, why) == zrbase::SaveStatus::ok) return CString();
  return CString(why.c_str());
}

CString absolutePath(const CString& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(zrbase::nativePath(path), ec);
  return ec ? path : CString::FromUtf8(p.lexically_normal().string());
}

}  // namespace duty
