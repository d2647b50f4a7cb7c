// The host program: sets up the input, the message boxes and the drawing,
// loads the module, runs the command prompt and shuts down in the order a
// CAD host does (kQuitMsg, the drawing closed, the applications unloaded).
#pragma once

#include <iosfwd>
#include <string>

#include "host_options.h"

namespace fancad {

// Runs the host and returns the exit status: 0 after QUIT or the end of the
// input, 1 when a script line could not be applied or a command of the script
// failed, 2 for a wrong command line, a script (a missing file, a folder) or
// drawing that cannot be read, a module named with --module that cannot be
// loaded, or --gui in a build without the desktop mode.
int runHost(const HostOptions& options, const std::string& programPath, std::ostream& err);

// The default module: libzrfan.so in the folder of the program.
std::string defaultModulePath(const std::string& programPath);

// Whether this build has the desktop mode.
bool desktopModeBuilt();

}  // namespace fancad
