// The desktop mode of fancad: the host window, with dialogs, message boxes
// and prompts on screen (platform/gui), running the same session as the
// console mode (host.h).
#pragma once

#include <iosfwd>
#include <string>

#include "host_options.h"

namespace fancad {

// Runs the host in its window and returns the exit status as runHost does.
// With --script the script's lines drive the session while the window shows
// it (the same output as in console mode); without, the user does. With
// --screenshot the window's picture is saved when the session ends (a picture
// that cannot be written makes the status 1).
int runDesktopHost(const HostOptions& options, const std::string& programPath, std::ostream& err);

}  // namespace fancad
