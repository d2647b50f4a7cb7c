// Running the outside readers.
#include "outside_readers.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace testsupport {

CommandResult runCommand(const std::string& command) {
  CommandResult r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

CommandResult checkDrawing(const std::string& checkerPath, const std::string& file) {
  return runCommand("/usr/bin/python3 '" + checkerPath + "' '" + file + "'");
}

}  // namespace testsupport
