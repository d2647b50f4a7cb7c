// Seams through which tests make the data-access layer fail the way a broken
// installation or the framework underneath it would.
#pragma once

#include <chrono>
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

// The time one user action may wait for other connections' locks (kBusyTimeoutMs unless a
// test shortens it to see an action on a locked catalogue end soon).
std::chrono::milliseconds lockWaitBudget();
void setLockWaitBudget(std::chrono::milliseconds budget);

// How long after its probe a recordset of the same statement may still take
// the probe's rows (result_cache.h); 250 ms unless a test sets it, to make the
// reuse certain on a slow machine or to rule it out.
std::chrono::milliseconds probeReuseWindow();
void setProbeReuseWindow(std::chrono::milliseconds window);

}  // namespace adoimpl
