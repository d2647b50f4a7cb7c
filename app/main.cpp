// fancad: the host program that loads the fan module and runs its commands.
#include <unistd.h>

#include <climits>
#include <iostream>
#include <string>
#include <vector>

#include "host.h"
#include "host_options.h"
#ifdef FANCAD_HAVE_GUI
#include "desktop_mode.h"
#endif

namespace {

// The program's own path, so the module is found next to it wherever it is
// started from.
std::string programPath(const char* argv0) {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(argv0 ? argv0 : "fancad");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const fancad::ParsedOptions parsed = fancad::parseHostOptions(args);
  if (!parsed.options) {
    std::cerr << "fancad: " << parsed.error << "\n" << fancad::usageText();
    return 2;
  }
#ifdef FANCAD_HAVE_GUI
  if (!parsed.options->help && parsed.options->schedule.empty() &&
      fancad::chosenMode(*parsed.options) == fancad::HostOptions::Mode::Gui) {
    return fancad::runDesktopHost(*parsed.options, programPath(argv[0]), std::cerr);
  }
#endif
  return fancad::runHost(*parsed.options, programPath(argv[0]), std::cerr);
}
