// The data-access objects' own errors, raised with the texts a Chinese system gives them.
#pragma once

#include "ado_enums.h"
#include "com_error.h"

namespace adoimpl {

const wchar_t* adoErrorText(ErrorValueEnum error);
[[noreturn]] void throwAdoError(ErrorValueEnum error);

}  // namespace adoimpl
