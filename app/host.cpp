// The host program.
#include "host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "base/console_input.h"
#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/aced.h"
#include "cad/runtime/editor_input_stack.h"
#include "command_loop.h"
#include "drawing_commands.h"
#include "host_commands.h"
#include "win/message_box.h"

namespace fancad {

namespace {

// Opens the drawing of the command line, or starts a new one (under that
// name when the file does not exist yet). False when it cannot be read.
bool startDrawing(const std::string& drawing, std::ostream& err) {
  if (drawing.empty()) {
    newDrawing();
    return true;
  }
  const std::wstring path = zrbase::pathFromBytes(drawing);
  std::error_code ec;
  if (!std::filesystem::exists(zrbase::nativePath(path.c_str()), ec)) {
    newDrawing(path);
    return true;
  }
  const std::string why = openDrawing(path);
  if (why.empty()) return true;
  err << "fancad: " << why << "\n";
  return false;
}

bool loadModule(const HostOptions& options, const std::string& programPath, std::ostream& err) {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::instance();
  if (!options.module.empty()) {
    if (linker->loadModule(zrbase::pathFromBytes(options.module).c_str(), false)) return true;
    err << "fancad: " << zrbase::wideToUtf8(linker->lastError()) << "\n";
    return false;
  }
  const std::string path = defaultModulePath(programPath);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    err << "fancad: warning: the module " << path << " is not there; FAN is not available\n";
  } else if (!linker->loadModule(zrbase::pathFromBytes(path).c_str(), false)) {
    err << "fancad: warning: " << zrbase::wideToUtf8(linker->lastError()) << "\n";
  }
  return true;
}

// Opens the script file; "" or why it cannot be read. A folder opens like a file but
// reads as nothing, which would run an empty script: it is refused as a missing file is.
std::string openScript(const std::string& name, std::ifstream& script) {
  const std::string path = zrbase::nativePath(zrbase::pathFromBytes(name));
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  script.open(path);
  return script ? std::string() : std::strerror(errno ? errno : EIO);
}

// Has the module's FANSCHED write the drawing's schedule to the file of the
// command line (the command finds it under the setting FANSCHEDFILE and leaves
// why it failed under FANSCHEDERROR, sched/sched_command.h).
int writeSchedule(const std::string& file, std::ostream& err) {
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  if (!proc.isCommand(L"FANSCHED")) {
    err << "fancad: cannot write the schedule: the module's FANSCHED command is not loaded\n";
    return 2;
  }
  acedSetEnv(L"FANSCHEDERROR", L"");
  acedSetEnv(L"FANSCHEDFILE", zrbase::utf8ToWide(file).c_str());
  const int rc = proc.run(L"FANSCHED");
  cadrt::ensureLineStart();
  std::vector<ACHAR> why(4096);
  if (acedGetEnv(L"FANSCHEDERROR", why.data(), why.size()) == RTNORM && why[0]) {
    err << "fancad: cannot write the schedule '" << file << "': " << zrbase::wideToUtf8(why.data())
        << "\n";
    return 1;
  }
  return rc == RTNORM ? 0 : 1;
}

void shutDown() {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::instance();
  linker->sendAcrxMessage(AcRx::kQuitMsg);
  acDocManagerPtr()->closeDocument();
  linker->unloadAll();
}

}  // namespace

int runSession(const HostOptions& options, const std::string& programPath, std::ostream& err,
               const std::function<void()>& beforeShutdown) {
  CommandLoop loop;
  registerHostCommands(loop);
  int status = 0;
  try {
    if (!startDrawing(options.drawing, err) || !loadModule(options, programPath, err)) {
      status = 2;
    } else if (!options.schedule.empty()) {
      status = writeSchedule(options.schedule, err);
    } else {
      loop.run();
    }
  } catch (const zrbase::ScriptAbort& e) {
    cadrt::ensureLineStart();
    err << e.what() << "\n";
    status = 1;
  }
  if (beforeShutdown) beforeShutdown();
  shutDown();
  return status;
}

bool desktopModeBuilt() {
#ifdef FANCAD_HAVE_GUI
  return true;
#else
  return false;
#endif
}

HostOptions::Mode chosenMode(const HostOptions& options) {
  if (options.mode != HostOptions::Mode::Default) return options.mode;
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return desktopModeBuilt() && (set("DISPLAY") || set("WAYLAND_DISPLAY"))
             ? HostOptions::Mode::Gui
             : HostOptions::Mode::Headless;
}

std::string defaultModulePath(const std::string& programPath) {
  return (std::filesystem::path(programPath).parent_path() / "libzrfan.so").string();
}

int runHost(const HostOptions& options, const std::string& programPath, std::ostream& err) {
  if (options.help) {
    std::cout << usageText();
    return 0;
  }
  if (options.mode == HostOptions::Mode::Gui && !desktopModeBuilt()) {
    err << "fancad: this build has no desktop mode (--gui); use --headless\n";
    return 2;
  }
  if (!options.screenshot.empty()) {
    err << "fancad: --screenshot needs the desktop mode (--gui)\n";
    return 2;
  }
  if (!options.schedule.empty()) {
    std::error_code ec;
    if (options.drawing.empty() ||
        !std::filesystem::is_regular_file(
            zrbase::nativePath(zrbase::pathFromBytes(options.drawing).c_str()), ec)) {
      err << "fancad: --schedule needs the drawing to read"
          << (options.drawing.empty() ? std::string() : " ('" + options.drawing + "' is no file)")
          << "\n";
      return 2;
    }
  }
  std::ifstream script;
  if (!options.script.empty()) {
    const std::string why = openScript(options.script, script);
    if (!why.empty()) {
      err << "fancad: cannot read script '" << options.script << "': " << why << "\n";
      return 2;
    }
  }
  // The module's FANDUTY finds the file under this setting (duty_command.h).
  if (!options.csv.empty()) acedSetEnv(L"FANDUTYCSV", zrbase::utf8ToWide(options.csv).c_str());
  for (const auto& [name, value] : options.settings)
    acedSetEnv(zrbase::utf8ToWide(name).c_str(), zrbase::utf8ToWide(value).c_str());
  // Writing a schedule reads no input: a message box on the way takes its default.
  std::istringstream noInput;
  const bool fromScript = script.is_open() || !options.schedule.empty();
  zrbase::StreamInput input(script.is_open() ? static_cast<std::istream&>(script)
                            : fromScript     ? static_cast<std::istream&>(noInput)
                                             : std::cin,
                            fromScript);
  zrbase::setCurrentInput(&input);
  winplat::ConsoleUiService boxes;
  winplat::ScopedUiService scopedBoxes(boxes);
  // Input that nobody types on this terminal is shown after its prompt, so the
  // output reads as a transcript.
  cadrt::EditorInput::instance().setEchoLines(fromScript || !::isatty(STDIN_FILENO));
  const int status = runSession(options, programPath, err);
  zrbase::setCurrentInput(nullptr);
  return status;
}

}  // namespace fancad
