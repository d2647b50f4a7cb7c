// File functions of the platform. Paths may use '\' or '/'; '\' is mapped to '/'.
#pragma once

#include <string>

#include "base/cstring.h"
#include "base/windef.h"

namespace zrbase {
// The path as this system's file API takes it: UTF-8, '\' replaced by '/'.
std::string nativePath(LPCTSTR path);
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
