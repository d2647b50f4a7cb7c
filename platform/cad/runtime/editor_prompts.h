// The editor's prompts: points, angles, distances, numbers, strings and
// keywords, answered from the editor input (editor_input_stack.h).
//
// Every prompt prints its text and returns the editor's result code:
//   RTNORM  an answer (in *result)
//   RTNONE  Enter: an empty answer (not for strings: an empty string is RTNORM)
//   RTKWORD one of the keywords of the preceding acedInitGet (acedGetInput)
//   RTCAN   "^C", or the end of the input
//   RTERROR an answer given by acedCommand that does not fit the prompt
// A typed answer that does not fit is refused with a reason: a person is asked
// again, a script stops (zrbase::ScriptAbort).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cad/adsdef.h"
#include "cad/runtime/editor_input_stack.h"

// acedInitGet bits.
constexpr int RSG_NONULL = 0x0001;
constexpr int RSG_NOZERO = 0x0002;
constexpr int RSG_NONEG = 0x0004;

// Conditions and keywords (blank-separated; the capital letters of a keyword
// are the shortest abbreviation the user may type) for the next prompt only.
int acedInitGet(int val, const ACHAR* kwl);

// A point: "x,y" or "x,y,z" (z = 0 when left out).
int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result);
// An angle typed in degrees, returned in radians in [0, 2*pi). With a base
// point a point may be given instead: the angle from the base to it.
int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result);
// A distance; with a base point a point may be given: the distance to it.
int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
// An integer from -32768 to 32767, as the host's.
int acedGetInt(const ACHAR* prompt, int* result);
// A string. cronly = 0: one word (on a line, the whole line); cronly != 0 the
// rest of the command line, blanks included. The unchecked form writes at most
// 132 characters and the terminator, as the host's does.
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result);
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen);
// The keyword of the last RTKWORD result, as written in the keyword list.
int acedGetInput(ACHAR* str);
int acedGetInput(ACHAR* str, size_t bufLen);

namespace cadrt {

// "x,y" or "x,y,z" with finite numbers.
bool parsePoint(std::string_view text, ads_point out);
// A finite number, the whole text.
std::optional<double> parseReal(std::string_view text);
// Degrees to radians in [0, 2*pi).
double degreesToRadians(double degrees);

// A prompt whose answer the caller checks, for the host's own commands (a file
// that must exist, a block that must be defined). check gets the answer (UTF-8)
// and returns "" to take it or the reason to refuse it, with the same
// consequences as any refused answer. Returns RTNORM with the answer in out,
// RTNONE for Enter, RTCAN, or RTERROR for a refused acedCommand token.
using AnswerCheck = std::function<std::string(const std::string&)>;
int promptChecked(const ACHAR* prompt, AnswerSpan span, const AnswerCheck& check, std::string& out);

}  // namespace cadrt
