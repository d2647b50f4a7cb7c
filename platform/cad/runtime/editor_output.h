// The command-line output of the editor: acutPrintf, acedPrompt, and the
// runtime's own messages. Text goes to zrbase::consoleOut() as UTF-8.
//
// The output keeps track of whether the last character written ended a line,
// so that the command prompt and the runtime's messages start on a line of
// their own whatever the module printed before.
#pragma once

#include <string>
#include <string_view>

#include "cad/adsdef.h"

// Wide printf: "%s" takes a wide string ("%hs" a UTF-8 narrow one), "%c" a
// wide character, "%d"/"%ld"/"%lld"... integers, "%f"/"%g"/"%e" doubles, with
// flags, width and precision ('*' included). Returns the number of characters
// written. A directive the runtime does not know prints the format as it is,
// followed by a note, rather than reading arguments it cannot interpret.
int acutPrintf(const ACHAR* format, ...);

// Prints the text as it is. Returns RTNORM.
int acedPrompt(const ACHAR* text);

namespace cadrt {

void writeText(std::wstring_view text);
void writeUtf8(std::string_view text);
// Starts a new line unless the output is already at the start of one.
void ensureLineStart();
// A line of the runtime's own (messages, listings): on a line of its own.
void printLine(std::wstring_view text);

// Forgets what was written (tests that redirect the output between cases).
void resetOutputState();

}  // namespace cadrt
