// The line input of console and script mode, shared by the command line, the
// editor prompts, the modal dialogs and the message boxes.
//
// Lines are UTF-8, trimmed of leading and trailing blanks; empty lines are kept
// (an empty line is an answer: Enter), lines starting with ';' are comments and
// never seen. peek() does not consume, so a reader that finds a line it does not
// own (a message box that sees no "msg" line) leaves it for the next reader.
#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace zrbase {

class InputSource {
 public:
  virtual ~InputSource() = default;
  // The next line, or nullopt at the end of the input. Repeated calls return
  // the same line until consume().
  virtual std::optional<std::string> peek() = 0;
  virtual void consume() = 0;
  // 1-based number of the line last peeked (0 before any).
  virtual int lineNumber() const = 0;
  // True when lines come from a script file rather than a person.
  virtual bool isScript() const = 0;
};

// Reads lines from a stream (a script file, standard input, or a test's string).
class StreamInput : public InputSource {
 public:
  StreamInput(std::istream& in, bool script) : m_in(in), m_script(script) {}
  std::optional<std::string> peek() override;
  void consume() override;
  int lineNumber() const override { return m_lineNo; }
  bool isScript() const override { return m_script; }

 private:
  std::istream& m_in;
  bool m_script;
  std::optional<std::string> m_pending;
  bool m_eof = false;
  int m_lineNo = 0;
};

// A script line that cannot be applied. The host prints "line N: TEXT: REASON"
// to standard error and exits with status 1.
class ScriptAbort : public std::runtime_error {
 public:
  ScriptAbort(int line, std::string text, std::string reason);
  int line() const { return m_line; }
  const std::string& text() const { return m_text; }
  const std::string& reason() const { return m_reason; }

 private:
  int m_line;
  std::string m_text;
  std::string m_reason;
};

// The current input of the process; null when there is none (unit tests that
// drive dialogs and boxes directly).
InputSource* currentInput();
void setCurrentInput(InputSource* input);

// Throws ScriptAbort for the line last peeked from the current input.
[[noreturn]] void failInputLine(const std::string& reason);

// Where console output goes: standard output unless a test redirects it.
std::ostream& consoleOut();
void setConsoleOut(std::ostream* out);

// Trims blanks (spaces, tabs, CR) from both ends.
std::string trimLine(const std::string& s);

}  // namespace zrbase
