// The host's environment settings (acedGetEnv, acedSetEnv): named texts that
// the host and its applications share, as the CAD editor keeps them in its
// profile. Here they live for the run of the process: the host sets those
// that its command line gives, and applications read them.
//
// Names are matched without regard to letter case, as the host's are.
#pragma once

#include <cstddef>

#include "cad/adsdef.h"

// The value of sym into var (at most nBufLen characters with the
// terminator): RTNORM; RTERROR when there is no such setting, or the value
// does not fit (var then holds as much as fits).
int acedGetEnv(const ACHAR* sym, ACHAR* var, size_t nBufLen);
// Sets sym to val (an empty val removes it). RTNORM; RTERROR for an empty
// name or a null pointer.
int acedSetEnv(const ACHAR* sym, const ACHAR* val);
