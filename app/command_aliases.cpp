// Command aliases.
#include "command_aliases.h"

#include <sstream>

#include "base/text_case.h"
#include "base/utf8.h"

namespace fancad {

namespace {

std::wstring trimmed(const std::wstring& s) {
  const size_t first = s.find_first_not_of(L" \t\r");
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L" \t\r") - first + 1);
}

// A command name is one word: the command line ends a name at a blank.
bool isName(const std::wstring& s) {
  return !s.empty() && s.find_first_of(L" \t,;") == std::wstring::npos;
}

}  // namespace

AliasTable bundledAliases() {
  return {{L"E", L"ERASE"},   {L"M", L"MOVE"},     {L"CO", L"COPY"},    {L"CP", L"COPY"},
          {L"RO", L"ROTATE"}, {L"Z", L"ZOOM"},     {L"LA", L"LAYER"},   {L"U", L"UNDO"},
          {L"F", L"FAN"},     {L"FD", L"FANDUTY"}, {L"FS", L"FANSCHED"}};
}

std::vector<std::string> readAliases(const std::string& text, const std::string& fileName,
                                     AliasTable& table) {
  std::vector<std::string> problems;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::wstring whole = trimmed(zrbase::utf8ToWide(line));
    if (whole.empty() || whole[0] == L';') continue;
    const size_t comma = whole.find(L',');
    const std::wstring alias =
        comma == std::wstring::npos ? std::wstring() : trimmed(whole.substr(0, comma));
    const std::wstring command =
        comma == std::wstring::npos ? std::wstring() : trimmed(whole.substr(comma + 1));
    if (!isName(alias) || !isName(command)) {
      problems.push_back(fileName + " line " + std::to_string(number) + ": '" + line +
                         "' is not ALIAS,COMMAND");
      continue;
    }
    table[zrbase::toUpper(alias)] = zrbase::toUpper(command);
  }
  return problems;
}

std::vector<std::wstring> hostCommandNames() {
  return {L"APPLOAD", L"APPUNLOAD", L"COPY",   L"ERASE", L"INSERT", L"LAYER", L"LIST",
          L"MOVE",    L"NEW",       L"OPEN",   L"PLOT",  L"PURGE",  L"QUIT",  L"REDO",
          L"ROTATE",  L"SAVE",      L"SAVEAS", L"U",     L"UNDO",   L"ZOOM"};
}

}  // namespace fancad
