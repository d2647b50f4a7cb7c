// The independent reader the drawing tests check written files with: the
// project's strict drawing checker (which has ezdxf audit the file too).
#pragma once

#include <string>

namespace testsupport {

struct CommandResult {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// Runs a shell command and collects what it prints.
CommandResult runCommand(const std::string& command);
// The strict drawing checker at checkerPath on the file: status 0 when clean.
CommandResult checkDrawing(const std::string& checkerPath, const std::string& file);

}  // namespace testsupport
