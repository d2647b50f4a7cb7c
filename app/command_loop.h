// The command prompt: reads command lines from the line input and runs them
// until QUIT or the end of the input.
//
// A "dlg" line or a "msg" line at the command prompt has no dialog or message
// box to go to: it cannot be applied. A script stops there
// (zrbase::ScriptAbort goes up to the host); a person is told and goes on.
// A command that fails in a script (a save that cannot be written, a module
// that cannot be loaded) stops it the same way, with the command's reason.
#pragma once

namespace fancad {

class CommandLoop {
 public:
  void run();
  void requestQuit() { m_quit = true; }
  bool quitRequested() const { return m_quit; }

 private:
  // Runs one line; false at the end of the input.
  bool step();

  bool m_quit = false;
};

}  // namespace fancad
