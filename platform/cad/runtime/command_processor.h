// Running commands: the host's own commands and those that applications
// register on the command stack, typed at the command prompt or driven by
// acedCommand.
//
// The host registers its commands (NEW, OPEN, INSERT, ...) here as functions
// that return the editor's result code: RTNORM when the command completed,
// RTCAN when it was cancelled, RTERROR when it failed. A host command takes
// precedence over an application's command of the same name, as the host's
// built-in commands do.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "cad/adsdef.h"

namespace cadrt {

using HostCommand = std::function<int()>;

class CommandProcessor {
 public:
  static CommandProcessor& instance();

  void addHostCommand(const std::wstring& name, HostCommand fn);
  void removeHostCommand(const std::wstring& name);
  bool isCommand(const std::wstring& name) const;

  // Runs the command of that name (a leading apostrophe, the transparent
  // prefix, is ignored). Prints `Unknown command "NAME".` and returns RTERROR
  // when there is none; prints "*Cancel*" when it was cancelled.
  int run(const std::wstring& name);

  // Runs one line typed at the command prompt: the command name, then its
  // first answers (see editor_input_stack.h). lineNo and script say where the
  // line came from, for the report of an answer a script gets wrong.
  int runLine(const std::string& line, int lineNo, bool script);

  // How many commands are running now (0 at the command prompt).
  int depth() const { return m_depth; }

  // Why the command of the last runLine failed: set when it returned RTERROR, to the
  // reason the command gave (noteCommandFailure) or a general one; nullopt when it
  // completed, was cancelled, or the line named no command. A script stops on it.
  const std::optional<std::wstring>& lastFailure() const { return m_lastFailure; }
  // Keeps the reason the running command fails, for lastFailure.
  void noteFailure(std::wstring reason) { m_failureReason = std::move(reason); }

 private:
  std::map<std::wstring, HostCommand> m_hostCommands;  // upper-case names
  int m_depth = 0;
  bool m_unknown = false;  // the last run() found no command of its name
  std::wstring m_failureReason;
  std::optional<std::wstring> m_lastFailure;
};

// The reason the running command fails, for the script that ran it (see lastFailure); the
// command prints it as it would anyway.
void noteCommandFailure(const std::wstring& reason);

// The command-line prompt.
inline constexpr const wchar_t* kCommandPrompt = L"Command: ";

}  // namespace cadrt

// Runs host commands with the given answers (C varargs: a type code, then its
// value; RTSTR const ACHAR*, RTREAL double, RTANG double in radians, RTSHORT
// int, RTLONG Adesk::Int32, RTPOINT/RT3DPOINT ads_point, RTENAME ads_name,
// RTPICKS a selection set; PAUSE lets the user answer that prompt; the list
// ends with RTNONE or 0). Tokens left after a command ends start the next
// command. Returns RTNORM, RTCAN when a command was cancelled, RTERROR when a
// command failed, was unknown, or a token did not fit its prompt.
int acedCommand(int rtype, ...);
// The same with the answers in a result-buffer list.
int acedCmd(const resbuf* rbp);
