// The folders of the data library and the drawing library.
#pragma once

#include "base/cstring.h"

// The data library folder (holds ZRFan.Mdb): $ZR_DATALIB, else the sample
// library the build generates. No trailing separator.
CString GetDataLibPath();
// The drawing library folder (holds Fan\*.dwg): $ZR_DWGLIB, else the sample
// library's. No trailing separator.
CString GetDwgPath();
