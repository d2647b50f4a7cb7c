// The catalogue file's place: the data library folder of the UI component library.
#include "db/fan_database.h"

#include "uikit/folders.h"

BOOL CFanDatabase::OpenFanDatabase() {
  CString strPath = GetDataLibPath();
  strPath += L"\\";
  strPath += L"ZRFan.Mdb";
  return Open(strPath);
}
