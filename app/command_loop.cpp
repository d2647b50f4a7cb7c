// The command prompt.
#include "command_loop.h"

#include <string>

#include "base/console_input.h"
#include "base/cstring.h"
#include "cad/aced.h"
#include "cad/runtime/editor_input_stack.h"

namespace fancad {

namespace {

std::string firstWord(const std::string& line) { return line.substr(0, line.find_first_of(" \t")); }

}  // namespace

bool CommandLoop::step() {
  cadrt::ensureLineStart();
  cadrt::writeText(cadrt::kCommandPrompt);
  zrbase::InputSource* in = zrbase::currentInput();
  const auto line = in ? in->peek() : std::nullopt;
  if (!line) {
    cadrt::writeText(L"\n");
    return false;
  }
  if (cadrt::EditorInput::instance().echoLines()) {
    cadrt::writeUtf8(*line + "\n");
  } else {
    cadrt::resetOutputState();
  }
  const std::string word = firstWord(*line);
  if (word == "dlg") zrbase::failInputLine("no dialog is open");
  if (word == "msg") zrbase::failInputLine("no message box is open");
  const int lineNo = in->lineNumber();
  in->consume();
  if (line->empty()) return true;
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  const int rc = proc.runLine(*line, lineNo, in->isScript());
  // A script whose command failed stops as at a line that cannot be applied: a batch job
  // must not go on (and exit 0) after a save that wrote nothing.
  if (rc == RTERROR && in->isScript() && proc.lastFailure())
    throw zrbase::ScriptAbort(lineNo, *line, zrbase::wideToUtf8(*proc.lastFailure()));
  return true;
}

void CommandLoop::run() {
  while (!m_quit) {
    try {
      if (!step()) return;
    } catch (const zrbase::ScriptAbort& e) {
      zrbase::InputSource* in = zrbase::currentInput();
      if (!in || in->isScript()) throw;
      // At the keyboard the line is refused and the user goes on.
      if (in->peek() && in->lineNumber() == e.line()) in->consume();
      cadrt::printLine(zrbase::utf8ToWide(e.reason()));
    }
  }
}

}  // namespace fancad
