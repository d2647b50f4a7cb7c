// File functions over POSIX.
#include "base/file_functions.h"

#include <sys/stat.h>
#include <unistd.h>

namespace zrbase {

std::string nativePath(LPCTSTR path) { return nativePath(std::wstring_view(path ? path : L"")); }

std::wstring pathFromBytes(std::string_view bytes) { return bytesToWide(bytes); }

std::string nativePath(std::wstring_view path) {
  std::string p = wideToBytes(path);
  for (auto& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

}  // namespace zrbase

BOOL PathFileExists(LPCTSTR path) {
  const std::string p = zrbase::nativePath(path);
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0 ? TRUE : FALSE;
}

BOOL DeleteFile(LPCTSTR path) {
  const std::string p = zrbase::nativePath(path);
  struct stat st {};
  if (p.empty() || ::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return FALSE;
  return ::unlink(p.c_str()) == 0 ? TRUE : FALSE;
}

BOOL CFileFind::FindFile(LPCTSTR name) {
  m_path.Empty();
  if (!PathFileExists(name)) return FALSE;
  m_path = name;
  return TRUE;
}
