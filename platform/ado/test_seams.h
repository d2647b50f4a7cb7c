// Seams through which tests make the data-access layer fail the way a broken
// installation or the framework underneath it would.
#pragma once

#include <functional>
#include <string_view>

namespace adoimpl {

// Whether CreateInstance finds the class of that name. Every class is
// registered; a test unregisters one to see how callers cope without it.
bool isClassRegistered(std::wstring_view progId);
void setClassRegistered(std::wstring_view progId, bool registered);

// Runs first in Connection.Open, Connection.Execute and Recordset.Open with
// that operation's name; whatever it throws leaves the call. Null: nothing.
using FaultHook = std::function<void(std::string_view operation)>;
void setFaultHook(FaultHook hook);
void runFaultHook(std::string_view operation);

}  // namespace adoimpl
