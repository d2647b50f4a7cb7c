// Where the editor's prompts get their answers from.
//
// Answers come from a stack of sources, the innermost first:
//   - the tokens of an acedCommand call (one token, one answer; the pause
//     token passes the prompt on to the source below);
//   - the rest of the command line ("INSERT F_L0 S 2": the words after the
//     command name answer its first prompts, one word each, or the whole rest
//     for a prompt that takes a file name);
//   - the line input of the process (zrbase::currentInput()): one line, one
//     answer.
// A source that runs dry passes the prompt on to the one below. When the line
// input ends, the answer is the end of input, which prompts treat as cancel.
//
// A prompt asks for an answer, checks it, and then accepts it or rejects it.
// Rejecting a line of a script stops the script (zrbase::ScriptAbort); a
// person at the keyboard is told why and asked again.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace cadrt {

// How much of the command line one answer takes.
enum class AnswerSpan { Word, RestOfLine };

class AnswerSource;

// One answer being considered by a prompt.
class Answer {
 public:
  enum class Origin { Token, CommandLine, Line, EndOfInput };

  Origin origin() const { return m_origin; }
  bool atEnd() const { return m_origin == Origin::EndOfInput; }
  // The answer's text (UTF-8), trimmed.
  const std::string& text() const { return m_text; }

  // Marks the answer used. For a line this consumes it from the input.
  void accept();
  // The answer cannot be used. Returns normally when the prompt should ask
  // again (keyboard); throws zrbase::ScriptAbort for a script line or the
  // command line of a script; for an acedCommand token returns normally and
  // the caller fails the prompt (tokens are never asked again).
  void reject(const std::string& reason);

 private:
  friend class EditorInput;
  Origin m_origin = Origin::EndOfInput;
  std::string m_text;
  AnswerSource* m_source = nullptr;
  bool m_script = false;
  int m_lineNo = 0;
  std::string m_lineText;
};

// The interface of one source on the stack.
class AnswerSource {
 public:
  virtual ~AnswerSource() = default;
  // The next answer, or nullopt when this source has nothing for the prompt
  // (the one below is asked). passDown is set when the source explicitly
  // passes this prompt on (a pause token).
  virtual std::optional<std::string> take(AnswerSpan span, bool& passDown) = 0;
  virtual Answer::Origin origin() const = 0;
  // Words left over (command line) or tokens left over (acedCommand).
  virtual bool empty() const = 0;
  // Drops what is left (after a keyboard user's answer was refused, the rest
  // of the line is not taken as more answers).
  virtual void discard() = 0;
};

// The tokens of an acedCommand call, already turned into answer texts. The
// pause token is kPauseText.
class TokenSource : public AnswerSource {
 public:
  static constexpr const char* kPauseText = "\\";
  explicit TokenSource(std::deque<std::string> tokens) : m_tokens(std::move(tokens)) {}
  std::optional<std::string> take(AnswerSpan span, bool& passDown) override;
  Answer::Origin origin() const override { return Answer::Origin::Token; }
  bool empty() const override { return m_tokens.empty(); }
  void discard() override { m_tokens.clear(); }
  // Takes the next token whatever it is (the command name of acedCommand).
  std::optional<std::string> takeToken();

 private:
  std::deque<std::string> m_tokens;
};

// What followed the command name on the command line.
class CommandLineSource : public AnswerSource {
 public:
  CommandLineSource(std::string rest, int lineNo, std::string lineText, bool script)
      : m_rest(std::move(rest)),
        m_lineNo(lineNo),
        m_lineText(std::move(lineText)),
        m_script(script) {}
  std::optional<std::string> take(AnswerSpan span, bool& passDown) override;
  Answer::Origin origin() const override { return Answer::Origin::CommandLine; }
  bool empty() const override { return m_rest.empty(); }
  void discard() override { m_rest.clear(); }
  const std::string& rest() const { return m_rest; }
  int lineNo() const { return m_lineNo; }
  const std::string& lineText() const { return m_lineText; }
  bool script() const { return m_script; }

 private:
  std::string m_rest;
  int m_lineNo;
  std::string m_lineText;
  bool m_script;
};

class EditorInput {
 public:
  static EditorInput& instance();

  // The next answer for a prompt: from the innermost source that has one.
  Answer next(AnswerSpan span = AnswerSpan::Word);

  void push(AnswerSource* source) { m_sources.push_back(source); }
  void pop(AnswerSource* source);
  bool hasSources() const { return !m_sources.empty(); }

  // Whether answers read from lines are written after their prompt. The host
  // sets it when its input is not a terminal, so that the output reads as a
  // transcript; answers from the command line and from acedCommand are always
  // shown.
  void setEchoLines(bool echo) { m_echoLines = echo; }
  bool echoLines() const { return m_echoLines; }

 private:
  Answer fromSource(size_t index, AnswerSpan span);
  Answer fromLine();

  std::vector<AnswerSource*> m_sources;  // innermost last; not owned
  bool m_echoLines = false;
};

// Pushes a source for the lifetime of the object.
class ScopedAnswerSource {
 public:
  explicit ScopedAnswerSource(AnswerSource& source) : m_source(source) {
    EditorInput::instance().push(&m_source);
  }
  ~ScopedAnswerSource() { EditorInput::instance().pop(&m_source); }
  ScopedAnswerSource(const ScopedAnswerSource&) = delete;
  ScopedAnswerSource& operator=(const ScopedAnswerSource&) = delete;

 private:
  AnswerSource& m_source;
};

}  // namespace cadrt
