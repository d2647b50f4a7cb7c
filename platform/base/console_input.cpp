// Line input for console and script mode.
#include "base/console_input.h"

#include <iostream>

namespace zrbase {

namespace {
InputSource* g_input = nullptr;
std::ostream* g_out = nullptr;
}  // namespace

std::string trimLine(const std::string& s) {
  const char* blanks = " \t\r\n";
  const auto first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(blanks);
  return s.substr(first, last - first + 1);
}

std::optional<std::string> StreamInput::peek() {
  while (!m_pending && !m_eof) {
    std::string raw;
    if (!std::getline(m_in, raw)) {
      m_eof = true;
      break;
    }
    ++m_lineNo;
    std::string line = trimLine(raw);
    if (!line.empty() && line[0] == ';') continue;
    m_pending = std::move(line);
  }
  return m_pending;
}

void StreamInput::consume() { m_pending.reset(); }

ScriptAbort::ScriptAbort(int line, std::string text, std::string reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + text + ": " + reason),
      m_line(line),
      m_text(std::move(text)),
      m_reason(std::move(reason)) {}

InputSource* currentInput() { return g_input; }
void setCurrentInput(InputSource* input) { g_input = input; }

void failInputLine(const std::string& reason) {
  if (!g_input) throw ScriptAbort(0, "", reason);
  const auto line = g_input->peek();
  throw ScriptAbort(g_input->lineNumber(), line.value_or(""), reason);
}

std::ostream& consoleOut() { return g_out ? *g_out : std::cout; }
void setConsoleOut(std::ostream* out) { g_out = out; }

}  // namespace zrbase
