// APPLOAD, APPUNLOAD, QUIT.
#include "host_commands.h"

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/aced.h"
#include "command_loop.h"
#include "drawing_commands.h"
#include "edit_commands.h"
#include "insert_command.h"
#include "layer_command.h"
#include "list_command.h"
#include "purge_command.h"
#include "undo_commands.h"

namespace fancad {

namespace {

CommandLoop* g_loop = nullptr;

int appLoadCommand() {
  std::string path;
  const int rc = cadrt::promptChecked(
      L"Application to load: ", cadrt::AnswerSpan::RestOfLine,
      [](const std::string& text) {
        const CString file = CString::FromUtf8(text);
        return PathFileExists(file) ? std::string() : "no such file: " + text;
      },
      path);
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  return AcRxDynamicLinker::instance()->loadModule(CString::FromUtf8(path), true) ? RTNORM
                                                                                  : RTERROR;
}

int appUnloadCommand() {
  ACHAR name[1024];
  const int rc = acedGetString(1, L"Application to unload: ", name, 1024);
  if (rc != RTNORM) return rc;
  if (!*name) return RTCAN;
  return AcRxDynamicLinker::instance()->unloadModule(name) ? RTNORM : RTERROR;
}

int quitCommand() {
  if (g_loop) g_loop->requestQuit();
  return RTNORM;
}

}  // namespace

void registerHostCommands(CommandLoop& loop) {
  g_loop = &loop;
  registerDrawingCommands();
  registerInsertCommand();
  registerListCommand();
  registerEditCommands();
  registerUndoCommands();
  registerLayerCommand();
  registerPurgeCommand();
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  proc.addHostCommand(L"APPLOAD", appLoadCommand);
  proc.addHostCommand(L"APPUNLOAD", appUnloadCommand);
  proc.addHostCommand(L"QUIT", quitCommand);
}

}  // namespace fancad
