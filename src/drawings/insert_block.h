// InsertBlock: the module's exported block insertion, for other modules in
// the same host. Exported from zrfan with C++ linkage under its full signature.
#pragma once

#include "base/cstring.h"
#include "cad/acdb.h"

// Brings drawing file strFile into the current drawing as block strBlockName
// (redefining a block of that name), inserts one reference to it in model
// space at position with uniform scale dScale and rotation dRotation
// (radians), and gives the reference an attribute for every attribute
// definition of the block: the definition's prompt as its text, its position
// and alignment point scaled from the block's coordinates and moved by
// position (the reference's rotation does not turn them), its height scaled.
// refId receives the reference's id. Returns 1, or 0 with no reference made
// when the file cannot be brought in; 0 after the reference was made when it
// or its block cannot be opened for write.
int InsertBlock(CString strFile, CString strBlockName, double dScale, AcGePoint3d position,
                double dRotation, AcDbObjectId& refId);
