// The line input of the desktop mode (base/console_input.h).
//
// WindowInput: lines come from the host window (typed in its command line,
// picked with the mouse on the drawing, chosen from its menus) in the input
// language of the console. Reading waits in a nested event loop until the
// window has a line, so the command loop, the prompts and the modal dialogs
// run as they do at a terminal.
//
// ScriptInput: lines come from a script; before each line the window is
// brought up to date (the drawing, the dialogs on screen), so a script run in
// desktop mode is seen as it goes.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "base/console_input.h"

namespace zrgui {

class WindowInput : public zrbase::InputSource {
 public:
  std::optional<std::string> peek() override;
  void consume() override;
  int lineNumber() const override { return m_consumed + 1; }
  bool isScript() const override { return false; }

  // A line from the window; lines wait in order until read.
  void submit(const std::string& line);
  // No more lines: reading ends (as at the end of a file).
  void end();
  bool ended() const { return m_ended; }
  // True while a reader waits for the next line.
  bool isWaiting() const { return m_waiting; }
  // True while lines submitted wait to be read.
  bool hasPending() const { return !m_lines.empty(); }
  // Called each time a reader is about to wait: the window shows the prompt.
  void setBeforeWait(std::function<void()> fn) { m_beforeWait = std::move(fn); }

 private:
  std::deque<std::string> m_lines;
  std::function<void()> m_beforeWait;
  int m_consumed = 0;
  bool m_ended = false;
  bool m_waiting = false;
};

class ScriptInput : public zrbase::InputSource {
 public:
  ScriptInput(zrbase::InputSource& script, std::function<void()> beforeLine)
      : m_script(script), m_beforeLine(std::move(beforeLine)) {}
  std::optional<std::string> peek() override;
  void consume() override { m_script.consume(); }
  int lineNumber() const override { return m_script.lineNumber(); }
  bool isScript() const override { return true; }

 private:
  zrbase::InputSource& m_script;
  std::function<void()> m_beforeLine;
};

}  // namespace zrgui
