// Calls into application code with the host's protection: an exception that
// escapes a module's entry point or command is reported on the command line
// instead of ending the host. A stopped script (zrbase::ScriptAbort) is not an
// error of the module and goes on up to the host's loop.
#pragma once

#include <exception>
#include <string>

#include "base/console_input.h"

namespace cadrt {

// Prints "Error in WHAT: MESSAGE" for the exception in flight.
void reportCurrentException(const std::wstring& what);

// Runs fn; returns false (after reporting) when it threw.
template <class Fn>
bool guardedCall(const std::wstring& what, Fn&& fn) {
  try {
    fn();
    return true;
  } catch (const zrbase::ScriptAbort&) {
    throw;
  } catch (...) {
    reportCurrentException(what);
    return false;
  }
}

}  // namespace cadrt
