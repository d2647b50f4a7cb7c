// The command processor and acedCommand.
#include "cad/runtime/command_processor.h"

#include <charconv>
#include <cstdarg>
#include <deque>
#include <numbers>
#include <optional>

#include "base/cstring.h"
#include "base/text_case.h"
#include "base/user_action.h"
#include "cad/db/db_database.h"
#include "cad/runtime/command_stack.h"
#include "cad/runtime/dynamic_linker.h"
#include "cad/runtime/editor_input_stack.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/editor_reactor.h"
#include "cad/runtime/guarded_call.h"
#include "cad/runtime/selection_set.h"

namespace cadrt {

namespace {

std::wstring upper(std::wstring s) { return zrbase::toUpper(s); }

// Keeps the count of running commands right when a command throws.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
  ~DepthGuard() { --m_depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& m_depth;
};

int runApplicationCommand(AcEdCommand* cmd) {
  // The handler is copied out: the command may remove itself while it runs.
  const AcRxFunctionPtr handler = cmd->functionAddr();
  const std::wstring name = cmd->globalName();
  AcRxDynamicLinker::RunningScope running(*AcRxDynamicLinker::instance(), cmd->commandApp());
  return guardedCall(L"command " + name, handler) ? RTNORM : RTERROR;
}

}  // namespace

CommandProcessor& CommandProcessor::instance() {
  static CommandProcessor processor;
  return processor;
}

void CommandProcessor::addHostCommand(const std::wstring& name, HostCommand fn) {
  m_hostCommands[upper(name)] = std::move(fn);
}

void CommandProcessor::removeHostCommand(const std::wstring& name) {
  m_hostCommands.erase(upper(name));
}

bool CommandProcessor::isCommand(const std::wstring& name) const {
  return m_hostCommands.count(upper(name)) > 0 ||
         AcEdCommandStack::instance()->lookup(name.c_str()) != nullptr;
}

int CommandProcessor::run(const std::wstring& typed) {
  const std::wstring name = !typed.empty() && typed[0] == L'\'' ? typed.substr(1) : typed;
  // One command is one user action; a command run by another joins the other's.
  zrbase::UserActionScope action;
  m_unknown = false;
  int rc = RTERROR;
  const auto host = m_hostCommands.find(upper(name));
  if (host != m_hostCommands.end()) {
    // Copied: a command may replace the table entry it runs from.
    const HostCommand fn = host->second;
    DepthGuard depth(m_depth);
    if (!guardedCall(L"command " + upper(name), [&] { rc = fn(); })) rc = RTERROR;
  } else if (AcEdCommand* cmd = AcEdCommandStack::instance()->lookup(name.c_str())) {
    DepthGuard depth(m_depth);
    rc = runApplicationCommand(cmd);
  } else {
    printLine(L"Unknown command \"" + upper(name) + L"\".");
    m_unknown = true;
    return RTERROR;
  }
  if (rc == RTCAN) printLine(L"*Cancel*");
  // A command typed at the prompt, with all it drove through acedCommand, is one undo step;
  // what the reactors change at its end belongs to it.
  if (m_depth == 0) {
    AcEditor::instance()->notifyCommandDone(upper(name).c_str(), rc);
    if (AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase())
      db->closeUndoStep(upper(name));
  }
  return rc;
}

int CommandProcessor::runLine(const std::string& line, int lineNo, bool script) {
  const std::string trimmed = zrbase::trimLine(line);
  if (trimmed.empty()) return RTNONE;
  const size_t blank = trimmed.find_first_of(" \t");
  const std::string name = trimmed.substr(0, blank);
  CommandLineSource rest(
      blank == std::string::npos ? std::string() : zrbase::trimLine(trimmed.substr(blank)), lineNo,
      line, script);
  int rc;
  m_failureReason.clear();
  m_lastFailure.reset();
  {
    ScopedAnswerSource scoped(rest);
    rc = run(zrbase::utf8ToWide(name));
  }
  if (rc == RTERROR && !m_unknown) {
    m_lastFailure = m_failureReason.empty()
                        ? L"the command " + upper(zrbase::utf8ToWide(name)) + L" failed"
                        : m_failureReason;
  }
  if (!rest.empty()) printLine(L"Ignored the rest of the line: " + zrbase::utf8ToWide(rest.rest()));
  return rc;
}

void noteCommandFailure(const std::wstring& reason) {
  CommandProcessor::instance().noteFailure(reason);
}

}  // namespace cadrt

namespace {

std::string realText(double v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string pointText(const double* p) {
  return realText(p[0]) + "," + realText(p[1]) + "," + realText(p[2]);
}

// One acedCommand argument as the text a user would type for it; nullopt for
// a type the host cannot take as an answer.
std::optional<std::string> tokenText(int type, const ads_u_val& v) {
  switch (type) {
    case RTSTR:
      return v.rstring ? zrbase::wideToUtf8(v.rstring) : std::string();
    case RTREAL:
      return realText(v.rreal);
    case RTANG:
      return realText(v.rreal / std::numbers::pi * 180.0);
    case RTSHORT:
      return std::to_string(v.rint);
    case RTLONG:
      return std::to_string(v.rlong);
    case RTPOINT:
    case RT3DPOINT:
      return pointText(v.rpoint);
    case RTENAME:
    case RTPICKS:
      return cadrt::selectionAnswer(v.rlname, type == RTPICKS);
    default:
      return std::nullopt;
  }
}

int runTokens(std::deque<std::string> tokens) {
  cadrt::TokenSource source(std::move(tokens));
  cadrt::ScopedAnswerSource scoped(source);
  while (auto name = source.takeToken()) {
    if (name->empty()) continue;  // Enter at the command prompt
    if (*name == cadrt::TokenSource::kPauseText) {
      cadrt::printLine(L"acedCommand: a pause cannot stand for a command name.");
      return RTERROR;
    }
    cadrt::printLine(cadrt::kCommandPrompt + zrbase::utf8ToWide(*name));
    const int rc = cadrt::CommandProcessor::instance().run(zrbase::utf8ToWide(*name));
    if (rc != RTNORM) return rc;
  }
  return RTNORM;
}

void unsupportedToken(int type) {
  cadrt::printLine(L"acedCommand: argument type " + std::to_wstring(type) +
                   L" cannot be used as an answer.");
}

// Reads the value of one argument of the given type; false for a type whose
// size is unknown (nothing after it can be read).
bool readArgument(int type, va_list* args, ads_u_val& v) {
  va_list& ap = *args;
  switch (type) {
    case RTSTR:
      v.rstring = va_arg(ap, ACHAR*);
      return true;
    case RTREAL:
    case RTANG:
      v.rreal = va_arg(ap, double);
      return true;
    case RTSHORT:
      v.rint = static_cast<short>(va_arg(ap, int));
      return true;
    case RTLONG:
      v.rlong = va_arg(ap, Adesk::Int32);
      return true;
    case RTPOINT:
    case RT3DPOINT: {
      const double* p = va_arg(ap, const double*);
      for (int i = 0; i < 3; ++i) v.rpoint[i] = p ? p[i] : 0.0;
      return true;
    }
    case RTENAME:
    case RTPICKS: {
      const Adesk::LongPtr* n = va_arg(ap, const Adesk::LongPtr*);
      v.rlname[0] = n ? n[0] : 0;
      v.rlname[1] = n ? n[1] : 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

int acedCommand(int rtype, ...) {
  std::deque<std::string> tokens;
  va_list ap;
  va_start(ap, rtype);
  bool ok = true;
  for (int type = rtype; type != RTNONE && type != 0;) {
    ads_u_val v{};
    std::optional<std::string> text;
    if (readArgument(type, &ap, v)) text = tokenText(type, v);
    if (!text) {
      unsupportedToken(type);
      ok = false;
      break;
    }
    tokens.push_back(*text);
    type = va_arg(ap, int);
  }
  va_end(ap);
  return ok ? runTokens(std::move(tokens)) : RTERROR;
}

int acedCmd(const resbuf* rbp) {
  std::deque<std::string> tokens;
  for (const resbuf* rb = rbp; rb && rb->restype != RTNONE; rb = rb->rbnext) {
    const auto text = tokenText(rb->restype, rb->resval);
    if (!text) {
      unsupportedToken(rb->restype);
      return RTERROR;
    }
    tokens.push_back(*text);
  }
  return runTokens(std::move(tokens));
}
