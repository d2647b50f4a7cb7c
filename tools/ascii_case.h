// Letter case of the ASCII letters only, for the catalogue's column and table
// names: other bytes (UTF-8 Chinese included) stay as they are, whatever the
// process locale.
#pragma once

#include "base/text_case.h"

namespace fangen {

using zrbase::lowerAscii;
using zrbase::upperAscii;

}  // namespace fangen
