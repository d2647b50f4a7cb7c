// The data-access objects' own errors, raised with the texts a Chinese system gives them.
#pragma once

#include <string>

#include "ado_enums.h"
#include "com_error.h"

namespace adoimpl {

// The source of errors about a catalogue server (cannot connect, no answer, a table the
// data layer cannot address): their description names the server (without its password)
// and the reason, which the module shows beside its own message.
inline constexpr const wchar_t* kServerErrorSource = L"PostgreSQL";

const wchar_t* adoErrorText(ErrorValueEnum error);
[[noreturn]] void throwAdoError(ErrorValueEnum error);
// The same with what it was about ("field 'FanNo'"), which what() adds after the system's
// text so that a host's message names the thing that is missing; Description() is the
// system's text alone.
[[noreturn]] void throwAdoError(ErrorValueEnum error, const std::wstring& about);

}  // namespace adoimpl
