// Result-buffer chains and strings allocated by the runtime for its callers.
#pragma once

#include "cad/adsdef.h"

// A new result buffer of the given type (a DXF group code or an RT* code), zeroed.
resbuf* acutNewRb(int type);
// Frees a whole chain, strings and binary chunks included.
int acutRelRb(resbuf* rb);
// Builds a chain from (type, value) pairs ended by 0: strings for RTSTR and the string
// group codes, doubles for reals, a pointer to three doubles for points, int for shorts,
// Int32 for RTLONG/1071. Returns null for an unknown type.
resbuf* acutBuildList(int type, ...);
// A copy of s allocated with malloc; free it with acutDelString (or free).
ACHAR* acutNewString(const ACHAR* s);
void acutDelString(ACHAR*& s);
// A deep copy of a chain.
resbuf* acutDuplicateRb(const resbuf* rb);

namespace zrcad {
// The value kind that a group code carries (DXF ranges), used for result buffers.
enum class RbKind { kString, kReal, kPoint, kShort, kLong, kInt64, kBinary, kHandle, kNone };
RbKind rbKindOf(int type);
}  // namespace zrcad
