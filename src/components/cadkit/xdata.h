// Named text values on entities, the extended-data helper of the CAD component
// library.
//
// Layout: SetXdata(id, name, value) stores value under the registered
// application name (added to the drawing's application table when missing) as
// one string (group 1000), replacing what that application held on the
// object before. Any DXF reader finds it as the xdata of application name;
// other applications' xdata on the object stay as they are.
#pragma once

#include "cad/acdb.h"

// Returns 1 when the value was stored; 0 for an object that cannot be opened
// for write, an empty name, or a value the drawing cannot hold (more than 255
// bytes in UTF-8, or more xdata on the object than DXF readers take).
int SetXdata(AcDbObjectId id, const ACHAR* name, const ACHAR* value);
