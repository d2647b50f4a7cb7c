// File functions of the platform. Paths may use '\' or '/'; '\' is mapped to '/'.
#pragma once

#include <string>
#include <string_view>

#include "base/cstring.h"
#include "base/windef.h"

namespace zrbase {
// The path as this system's file API takes it: bytes (wideToBytes: UTF-8, with the bytes
// of a name that is not UTF-8 kept, see utf8.h), '\' replaced by '/'.
std::string nativePath(LPCTSTR path);
std::string nativePath(std::wstring_view path);
// A path from the system (an argument, an answer naming a file) as wide text that
// nativePath turns back into the same bytes.
std::wstring pathFromBytes(std::string_view bytes);
}  // namespace zrbase

// TRUE when a file or folder exists at exactly that path.
BOOL PathFileExists(LPCTSTR path);
// Deletes a file; FALSE when there was none or it could not be deleted.
BOOL DeleteFile(LPCTSTR path);

// A file search for one path, as the module uses it: FindFile tells whether
// something exists there (no wildcards are expanded).
class CFileFind {
 public:
  BOOL FindFile(LPCTSTR name);
  BOOL FindNextFile() { return FALSE; }
  CString GetFilePath() const { return m_path; }
  void Close() { m_path.Empty(); }

 private:
  CString m_path;
};
