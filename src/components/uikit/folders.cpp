// Library folders from the environment, with the generated sample library as fallback.
#include "uikit/folders.h"

#include <cstdlib>

#include "base/file_functions.h"

namespace {

CString FolderFrom(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  // A folder name is bytes, which need not be UTF-8: they are kept (base/utf8.h).
  CString folder(zrbase::pathFromBytes(value && *value ? value : fallback));
  // Callers append "\" and a name, so a separator at the end would double.
  while (folder.GetLength() > 1) {
    const wchar_t last = folder[folder.GetLength() - 1];
    if (last != L'/' && last != L'\\') break;
    folder.Delete(folder.GetLength() - 1);
  }
  return folder;
}

}  // namespace

CString GetDataLibPath() { return FolderFrom("ZR_DATALIB", FANCAD_SAMPLE_LIB "/data"); }

CString GetDwgPath() { return FolderFrom("ZR_DWGLIB", FANCAD_SAMPLE_LIB "/dwg"); }
