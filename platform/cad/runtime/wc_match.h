// The host's wildcard matcher (acutWcMatch), used by selection filters and by
// the module to recognise view block names.
#pragma once

#include <string_view>

#include "cad/adsdef.h"

// Matches string against pattern with the host's wildcard syntax:
//   #  one digit            @  one letter          .  one character that is
//   *  any run (empty too)  ?  any one character      neither letter nor digit
//   [...] one of the set, with '-' ranges; [~...] one character not in the set
//   ,  separates alternatives; ~ at the start of an alternative negates it
//   `  takes the next character literally
// Matching is case-sensitive. Returns RTNORM on a match, RTERROR otherwise
// (also for a null string or pattern).
int acutWcMatch(const ACHAR* string, const ACHAR* pattern);

namespace cadrt {

// The same match as a boolean, for the runtime's own callers.
bool wcMatch(std::wstring_view string, std::wstring_view pattern);

// Case-insensitive variant, as selection filters compare names.
bool wcMatchNoCase(std::wstring_view string, std::wstring_view pattern);

}  // namespace cadrt
