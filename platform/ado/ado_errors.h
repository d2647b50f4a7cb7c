// The data-access objects' own errors, raised with the texts a Chinese system gives them.
#pragma once

#include <string>

#include "ado_enums.h"
#include "com_error.h"

namespace adoimpl {

const wchar_t* adoErrorText(ErrorValueEnum error);
[[noreturn]] void throwAdoError(ErrorValueEnum error);
// The same with what it was about after the system's text ("... (field 'FanNo')"), so the
// message names the thing that is missing.
[[noreturn]] void throwAdoError(ErrorValueEnum error, const std::wstring& about);

}  // namespace adoimpl
