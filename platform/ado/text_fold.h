// Case folding of the SQLite side: table names, field names and LIKE compare through the
// platform's locale-independent letter case (base/text_case.h).
#pragma once

#include "base/text_case.h"

namespace adoimpl {

using zrbase::equalsFolded;
using zrbase::foldCase;

}  // namespace adoimpl
