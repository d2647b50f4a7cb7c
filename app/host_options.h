// The command line of fancad:
//   fancad [--headless | --gui] [--script FILE] [--module PATH] [--csv FILE]
//          [--screenshot FILE.png] [--schedule FILE.csv|FILE.xlsx]
//          [--set NAME=VALUE]... [DRAWING]
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fancad {

struct HostOptions {
  enum class Mode { Default, Headless, Gui };
  Mode mode = Mode::Default;
  std::string script;      // empty: lines come from standard input
  std::string module;      // empty: the module next to the executable
  std::string drawing;     // empty: a new, empty drawing
  std::string csv;         // FANDUTY writes its table here as CSV; empty: nowhere
  std::string screenshot;  // desktop mode: the window's picture is saved here at the end
  std::string schedule;    // the drawing's fan schedule is written here, then the host ends
  // Host settings (acedSetEnv) made before anything runs, in the order given.
  std::vector<std::pair<std::string, std::string>> settings;
  bool help = false;
};

struct ParsedOptions {
  std::optional<HostOptions> options;  // nullopt when the command line is wrong
  std::string error;                   // why, for the user
};

// Parses the arguments after the program name. "--script=FILE",
// "--module=PATH", "--csv=FILE", "--schedule=FILE" and "--set=NAME=VALUE" are
// accepted as well (a setting's name is letters, digits and underscores); "--"
// ends the options. A schedule file must end in .csv or .xlsx (any letter case), and
// it excludes --script, --gui and --screenshot: the host runs no commands but that.
ParsedOptions parseHostOptions(const std::vector<std::string>& args);

std::string usageText();

}  // namespace fancad
