// APPLOAD, APPUNLOAD, QUIT.
#include "host_commands.h"

#include <sys/stat.h>

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
#include "zoom_command.h"

namespace fancad {

namespace {

CommandLoop* g_loop = nullptr;

// Why a module cannot be loaded from the file at all; "" when it can be tried. Only a
// regular file is tried: the loader would wait on a FIFO for good.
std::string whyNotLoadable(const std::string& text) {
  struct stat st {};
  if (::stat(zrbase::nativePath(zrbase::pathFromBytes(text)).c_str(), &st) != 0)
    return "no such file: " + text;
  if (!S_ISREG(st.st_mode)) return "not a module file: " + text;
  return {};
}

// The linker has printed why; a script stops with the same reason.
int linkerResult(bool ok) {
  if (ok) return RTNORM;
  cadrt::noteCommandFailure(AcRxDynamicLinker::instance()->lastError());
  return RTERROR;
}

int appLoadCommand() {
  std::string path;
  const int rc = cadrt::promptChecked(L"Application to load: ", cadrt::AnswerSpan::RestOfLine,
                                      whyNotLoadable, path);
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  return linkerResult(
      AcRxDynamicLinker::instance()->loadModule(zrbase::pathFromBytes(path).c_str(), true));
}

int appUnloadCommand() {
  ACHAR name[1024];
  const int rc = acedGetString(1, L"Application to unload: ", name, 1024);
  if (rc != RTNORM) return rc;
  if (!*name) return RTCAN;
  return linkerResult(AcRxDynamicLinker::instance()->unloadModule(name));
}

int quitCommand() {
  if (const int rc = askToKeepUnsavedWork(); rc != RTNORM) return rc;
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
  registerZoomCommand();
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  proc.addHostCommand(L"APPLOAD", appLoadCommand);
  proc.addHostCommand(L"APPUNLOAD", appUnloadCommand);
  proc.addHostCommand(L"QUIT", quitCommand);
}

}  // namespace fancad
