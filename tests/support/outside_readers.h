// The independent readers the drawing tests check written files with: ezdxf
// (Debian's python3-ezdxf, through the system interpreter) and the project's
// strict drawing checker.
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
// tests/support/scripts/read_drawing.py on the file: status 0 and the JSON of
// what ezdxf reads.
CommandResult readWithEzdxf(const std::string& scriptsDir, const std::string& file);

}  // namespace testsupport
