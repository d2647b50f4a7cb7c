// The desktop mode.
#include "desktop_mode.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

#include "base/console_input.h"
#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/aced.h"
#include "cad/runtime/editor_input_stack.h"
#include "canvas_zoom.h"
#include "command_aliases.h"
#include "desktop_commands.h"
#include "desktop_schedule.h"
#include "gui/event_loops.h"
#include "gui/gui_fonts.h"
#include "gui/gui_ui_service.h"
#include "gui/host_translation.h"
#include "gui/host_window.h"
#include "gui/line_inputs.h"
#include "gui/output_tee.h"
#include "host.h"

namespace fancad {

namespace {

// QApplication keeps argc by reference for its whole life.
int g_argc = 1;
char g_arg0[] = "fancad";
char* g_argv[] = {g_arg0, nullptr};

// Qt's warnings are about the platform (a plugin that lacks a feature, a
// runtime folder not set), not about the user's work, and standard error
// carries the host's own messages (a script's stop among them). Critical and
// fatal messages still go there.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::cerr << "fancad: qt: " << text.toStdString() << std::endl;
  }
}

// The window's line input: a script's lines or the user's.
class DesktopInput {
 public:
  DesktopInput(std::istream* script, zrgui::HostWindow& window, std::function<void()> beforeRead)
      : m_window(window) {
    if (script) {
      m_lines = std::make_unique<zrbase::StreamInput>(*script, true);
      m_scripted = std::make_unique<zrgui::ScriptInput>(*m_lines, std::move(beforeRead));
      zrbase::setCurrentInput(m_scripted.get());
    } else {
      m_interactive.setBeforeWait(std::move(beforeRead));
      window.setInput(&m_interactive);
      zrbase::setCurrentInput(&m_interactive);
    }
  }
  ~DesktopInput() {
    m_window.setInput(nullptr);
    zrbase::setCurrentInput(nullptr);
  }
  DesktopInput(const DesktopInput&) = delete;
  DesktopInput& operator=(const DesktopInput&) = delete;

 private:
  zrgui::HostWindow& m_window;
  std::unique_ptr<zrbase::StreamInput> m_lines;
  std::unique_ptr<zrgui::ScriptInput> m_scripted;
  zrgui::WindowInput m_interactive;
};

// The bundled aliases and the user's (aliases.txt in the configuration
// folder, if there is one); a line that is not an alias is reported on err.
QHash<QString, QString> loadAliases(std::ostream& err) {
  AliasTable table = bundledAliases();
  const QString file = QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                           .filePath(QStringLiteral("aliases.txt"));
  QFile in(file);
  if (in.open(QIODevice::ReadOnly)) {
    for (const std::string& problem :
         readAliases(in.readAll().toStdString(), file.toStdString(), table)) {
      err << "fancad: " << problem << "\n";
    }
  }
  QHash<QString, QString> aliases;
  for (const auto& [alias, command] : table) {
    aliases.insert(QString::fromStdWString(alias), QString::fromStdWString(command));
  }
  return aliases;
}

QStringList commandNames() {
  QStringList names;
  for (const std::wstring& n : hostCommandNames()) names << QString::fromStdWString(n);
  return names;
}

bool envSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

int runDesktopHost(const HostOptions& options, const std::string& programPath, std::ostream& err) {
  // Without a display Qt would abort the process; say what is missing
  // instead. A platform named by QT_QPA_PLATFORM (offscreen) needs none.
  if (!envSet("QT_QPA_PLATFORM") && !envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY")) {
    err << "fancad: the desktop mode (--gui) needs a display (DISPLAY or WAYLAND_DISPLAY), "
           "or QT_QPA_PLATFORM=offscreen; use --headless without one\n";
    return 2;
  }
  std::ifstream script;
  if (!options.script.empty()) {
    script.open(zrbase::nativePath(zrbase::utf8ToWide(options.script).c_str()));
    if (!script) {
      err << "fancad: cannot read script '" << options.script << "'\n";
      return 2;
    }
  }
  const bool fromScript = script.is_open();
  const QtMessageHandler previousHandler = qInstallMessageHandler(qtMessages);
  QApplication app(g_argc, g_argv);
  QCoreApplication::setOrganizationName(QStringLiteral("fancad"));
  QCoreApplication::setApplicationName(QStringLiteral("fancad"));
  // The window closes when the session ends, never on its own.
  app.setQuitOnLastWindowClosed(false);
  app.setFont(zrgui::cjkFont());
  const zrgui::HostTranslation translation(QLocale::system());

  zrgui::HostWindow window;
  // A script means the same in either mode: aliases are the user's typing only.
  if (!fromScript) {
    window.setAliases(loadAliases(err));
    registerDesktopCommands();
    // The module's catalogue opens for the rows; a script's output stays as it was.
    window.setScheduleSource(moduleScheduleCells);
  }
  window.setCommandNames(commandNames());
  zrgui::OutputTee tee(
      std::cout, [&window](const QString& text) { window.commandLine()->appendOutput(text); });
  std::ostream out(&tee);
  zrbase::setConsoleOut(&out);
  auto beforeRead = [&] {
    out.flush();
    window.refresh();
  };
  std::string shotError;
  int status = 0;
  {
    DesktopInput input(fromScript ? &script : nullptr, window, beforeRead);
    zrgui::setRefreshHook([&window] { window.refresh(); });
    zrgui::GuiUiService ui(&window, fromScript);
    winplat::ScopedUiService scopedUi(ui);
    // The command line shows every answer after its prompt, as a transcript.
    cadrt::EditorInput::instance().setEchoLines(true);
    setZoomCanvas(window.canvas());
    window.show();
    status = runSession(options, programPath, err, [&] {
      beforeRead();
      QCoreApplication::processEvents();
      if (!options.screenshot.empty()) {
        shotError = zrgui::saveWindowPicture(window, QString::fromStdString(options.screenshot));
      }
    });
    zrgui::setRefreshHook({});
    setZoomCanvas(nullptr);
  }
  zrbase::setConsoleOut(nullptr);
  qInstallMessageHandler(previousHandler);
  if (!shotError.empty()) {
    err << "fancad: " << shotError << "\n";
    return status != 0 ? status : 1;
  }
  return status;
}

}  // namespace fancad
