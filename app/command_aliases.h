// Command aliases of the desktop window: short names typed at the command
// prompt for the commands they stand for ("E" for ERASE).
//
// The user's file is plain text, one alias a line, "ALIAS,COMMAND"; blanks
// round either name are dropped, a line starting with ';' is a comment, and
// an empty line is nothing. The bundled aliases come first and the file's
// lines after them, so a line of the file replaces a bundled alias of the
// same name (names compare without regard to letter case). A line that is
// not an alias is reported with its number and skipped: one bad line does
// not cost the user the others.
//
// Aliases belong to the desktop window only; scripts and the console take
// command names as they are, so a script means the same wherever it runs.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fancad {

// Upper-case alias to upper-case command name.
using AliasTable = std::map<std::wstring, std::wstring>;

// The aliases that come with the program.
AliasTable bundledAliases();

// Adds the aliases of a file's text to table; returns one message per line
// that is not an alias ("aliases.txt line 3: ..."). fileName names the file
// in the messages.
std::vector<std::string> readAliases(const std::string& text, const std::string& fileName,
                                     AliasTable& table);

// The host's command names, for completion at the command prompt (those the
// running host has registered are kept by the caller).
std::vector<std::wstring> hostCommandNames();

}  // namespace fancad
