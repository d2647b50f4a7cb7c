// The host program: sets up the input, the message boxes and the drawing,
// loads the module, runs the command prompt and shuts down in the order a
// CAD host does (kQuitMsg, the drawing closed, the applications unloaded).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "host_options.h"

namespace fancad {

// Runs the host in console mode (script or terminal) and returns the exit
// status: 0 after QUIT or the end of the input, 1 when a script line could
// not be applied or a command of the script failed, 2 for a wrong command
// line, a script (a missing file, a folder) or drawing that cannot be read, a
// module named with --module that cannot be loaded, or --gui or --screenshot
// in a build without the desktop mode. The program hands the desktop mode to
// runDesktopHost (desktop_mode.h) instead.
int runHost(const HostOptions& options, const std::string& programPath, std::ostream& err);

// The session both modes run once their input, output and UI service are in
// place: the drawing of the command line, the module, the command prompt
// until QUIT or the end of the input, then (after beforeShutdown) the
// shutdown. Returns the exit status as runHost does.
int runSession(const HostOptions& options, const std::string& programPath, std::ostream& err,
               const std::function<void()>& beforeShutdown = {});

// The mode a run takes: the one asked for, or by default the desktop when
// this build has it and a display is there (DISPLAY or WAYLAND_DISPLAY set).
HostOptions::Mode chosenMode(const HostOptions& options);

// The default module: libzrfan.so in the folder of the program.
std::string defaultModulePath(const std::string& programPath);

// Whether this build has the desktop mode.
bool desktopModeBuilt();

}  // namespace fancad
