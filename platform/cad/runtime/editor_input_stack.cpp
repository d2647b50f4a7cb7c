// The sources of prompt answers.
#include "cad/runtime/editor_input_stack.h"

#include <algorithm>

#include "base/console_input.h"
#include "base/cstring.h"
#include "cad/runtime/editor_output.h"

namespace cadrt {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::string> TokenSource::take(AnswerSpan /*span*/, bool& passDown) {
  passDown = false;
  if (m_tokens.empty()) return std::nullopt;
  std::string token = std::move(m_tokens.front());
  m_tokens.pop_front();
  if (token == kPauseText) {
    passDown = true;
    return std::nullopt;
  }
  return token;
}

std::optional<std::string> TokenSource::takeToken() {
  if (m_tokens.empty()) return std::nullopt;
  std::string token = std::move(m_tokens.front());
  m_tokens.pop_front();
  return token;
}

std::optional<std::string> CommandLineSource::take(AnswerSpan span, bool& passDown) {
  passDown = false;
  if (m_rest.empty()) return std::nullopt;
  std::string answer;
  if (span == AnswerSpan::RestOfLine) {
    answer.swap(m_rest);
    return answer;
  }
  const auto end = std::find_if(m_rest.begin(), m_rest.end(), isBlank);
  answer.assign(m_rest.begin(), end);
  m_rest = zrbase::trimLine(std::string(end, m_rest.end()));
  return answer;
}

void Answer::accept() {
  if (m_origin != Origin::Line) return;
  if (zrbase::InputSource* in = zrbase::currentInput()) in->consume();
}

void Answer::reject(const std::string& reason) {
  switch (m_origin) {
    case Origin::Line:
      if (m_script) zrbase::failInputLine(reason);
      accept();
      break;
    case Origin::CommandLine:
      if (m_script) throw zrbase::ScriptAbort(m_lineNo, m_lineText, reason);
      if (m_source) m_source->discard();
      break;
    case Origin::Token:
    case Origin::EndOfInput:
      break;
  }
  printLine(zrbase::utf8ToWide(reason));
}

EditorInput& EditorInput::instance() {
  static EditorInput input;
  return input;
}

void EditorInput::pop(AnswerSource* source) {
  const auto it = std::find(m_sources.rbegin(), m_sources.rend(), source);
  if (it != m_sources.rend()) m_sources.erase(std::next(it).base());
}

Answer EditorInput::next(AnswerSpan span) {
  Answer a = m_sources.empty() ? fromLine() : fromSource(m_sources.size() - 1, span);
  // Answers that nobody typed on this terminal are shown after their prompt.
  if (a.origin() == Answer::Origin::EndOfInput) {
    ensureLineStart();
  } else if (a.origin() != Answer::Origin::Line || m_echoLines) {
    writeUtf8(a.text() + "\n");
  } else {
    resetOutputState();  // the user's Enter ended the line on the terminal
  }
  return a;
}

Answer EditorInput::fromSource(size_t index, AnswerSpan span) {
  for (size_t i = index + 1; i-- > 0;) {
    AnswerSource* source = m_sources[i];
    bool passDown = false;
    if (auto text = source->take(span, passDown)) {
      Answer a;
      a.m_origin = source->origin();
      a.m_text = zrbase::trimLine(*text);
      a.m_source = source;
      if (auto* cmdLine = dynamic_cast<CommandLineSource*>(source)) {
        a.m_script = cmdLine->script();
        a.m_lineNo = cmdLine->lineNo();
        a.m_lineText = cmdLine->lineText();
      }
      return a;
    }
    // A dry source and a pause both hand the prompt to the source below.
  }
  return fromLine();
}

Answer EditorInput::fromLine() {
  Answer a;
  zrbase::InputSource* in = zrbase::currentInput();
  const auto line = in ? in->peek() : std::nullopt;
  if (!line) return a;
  a.m_origin = Answer::Origin::Line;
  a.m_text = *line;
  a.m_script = in->isScript();
  a.m_lineNo = in->lineNumber();
  a.m_lineText = *line;
  return a;
}

}  // namespace cadrt
