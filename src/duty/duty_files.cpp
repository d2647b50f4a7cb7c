// Atomic writes of FANDUTY's files.
#include "duty/duty_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/file_functions.h"

namespace duty {

namespace {

CString reasonOf(int error) { return CString::FromUtf8(std::strerror(error)); }

}  // namespace

CString writeFileAtomically(const CString& path, const std::string& content) {
  const std::string target = zrbase::nativePath(path);
  if (target.empty()) return L"没有文件名";
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) return L"这是一个文件夹";
  const std::string temp = target + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return reasonOf(errno);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      const int error = errno;
      std::remove(temp.c_str());
      return reasonOf(error);
    }
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    std::remove(temp.c_str());
    return reasonOf(error);
  }
  return CString();
}

CString absolutePath(const CString& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(zrbase::nativePath(path), ec);
  return ec ? path : CString::FromUtf8(p.lexically_normal().string());
}

}  // namespace duty
