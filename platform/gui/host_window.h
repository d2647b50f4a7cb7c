// The host's desktop window: the drawing canvas, the command line below it,
// menus and a toolbar for the file commands, FAN and loading a module, the
// recent files, and a status bar with the cursor's coordinates.
//
// The window drives the host only through lines of the input language, handed
// to the WindowInput: a menu's "Open..." becomes "OPEN path", a click on the
// drawing "x,y", Esc "^C". So whatever the window does, a script can do, and
// the commands behave the same in both modes. Menu commands are offered only
// at the command prompt (nothing running, no dialog up). File > Plot... is the
// plot dialog (gui/plot_dialog.h), then PLOT with the dialog's choices as its
// answers and the file asked for; it is offered where PLOT is a command.
//
// The title names the drawing and marks unsaved changes (as the drawing's undo
// record counts them: undoing back to the drawing as opened or saved clears
// the mark); closing the window with unsaved changes asks first (save,
// discard, or stay), as do NEW and OPEN.
//
// Editing: what is selected on the canvas at the command prompt is the next
// editing command's selection; the Edit menu and its keys are the commands
// typed: Undo (Ctrl+Z) "U", Redo (Ctrl+Y) "REDO", Erase (Delete, with
// something selected) "ERASE", and MOVE, ROTATE, COPY.
//
// Keys, as CAD programs have them: Space ends an answer as Enter does, except
// where a prompt takes free text (one that reads the rest of the line, as a
// file or layer name does: InputRequest::freeText), and except for the selection answers that go on
// with points or handles (w, c, h); Enter or Space on an empty command line
// runs the last command again; Esc cancels the command and, a second time,
// clears the selection. Keys typed while another part of the window has the
// focus (the drawing, the menu bar, the toolbar, the history) go to the
// command line. A command name typed at the command prompt may be an alias
// (setAliases); a command of that name comes first.
//
// Two docks, shown and placed as the user left them (the window's state is
// kept in the user's settings): the layer panel, whose changes are LAYER
// commands like any typed (gui/layer_panel.h), and the properties of the
// selection (gui/properties_panel.h).
//
// A third dock, the schedule (gui/schedule_panel.h; View > Schedule), lists
// the drawing's fans as FANSCHED does, from the source the host hands in
// (setScheduleSource); it is brought up to date at the command prompt only,
// as its rows come from the module. A click on a row selects that fan (at the
// command prompt) and zooms to it; its CSV and XLSX buttons ask for a file
// and run FANSCHED's Csv or Xlsx option with it.
//
// The right button on the drawing opens a menu: at a command's prompt Enter,
// Cancel and the prompt's options; at the command prompt the selection's
// commands (Erase, Move, Rotate, Copy) when something is selected, and for
// one placed fan Edit fan (FANEDIT, offered where it is a command), Show in
// schedule and Properties (the properties dock brought forward); with
// nothing selected the last command again and the commands run before it.
#pragma once

#include <QCoreApplication>
#include <QDockWidget>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStringList>
#include <functional>

#include "gui/command_line_widget.h"
#include "gui/drawing_canvas.h"
#include "gui/layer_panel.h"
#include "gui/properties_panel.h"
#include "gui/schedule_panel.h"

namespace zrgui {

class WindowInput;
class PlotDialog;

class HostWindow : public QMainWindow {
  Q_DECLARE_TR_FUNCTIONS(HostWindow)

 public:
  HostWindow();

  DrawingCanvas* canvas() const { return m_canvas; }
  CommandLineWidget* commandLine() const { return m_commandLine; }
  LayerPanel* layerPanel() const { return m_layers; }
  PropertiesPanel* propertiesPanel() const { return m_properties; }
  SchedulePanel* schedulePanel() const { return m_schedule; }
  // Where the schedule's rows come from (none: the panel says no module makes them).
  void setScheduleSource(SchedulePanel::Source source);
  // The schedule dock shown and up to date, the fan's row selected (when given).
  void showSchedule(AcDbObjectId fan = AcDbObjectId());
  ~HostWindow() override;

  // Interactive use: the input the window's lines go to (null in script mode).
  void setInput(WindowInput* input) { m_input = input; }
  // Brings the window in line with the host: the drawing, the prompt, the
  // title, the commands offered. Called before every line is read.
  void refresh();
  // True at the command prompt with nothing running.
  bool isIdle() const;
  // Hands a line to the host as if typed (false when no line can be taken now).
  bool submitLine(const QString& line);

  // A line typed in the command line: at the command prompt an alias is
  // replaced by its command and an empty line repeats the last command.
  void submitTyped(const QString& line);
  // Aliases (upper case) to the commands they stand for.
  void setAliases(QHash<QString, QString> aliases) { m_aliases = std::move(aliases); }
  // Command names the command line may offer; those the host knows now are offered.
  void setCommandNames(QStringList names) { m_commandNames = std::move(names); }
  // The commands run at the command prompt, newest first, and the last one.
  const QStringList& recentCommands() const { return m_recentCommands; }
  // Whether Space, with this text typed, ends the answer now.
  bool spaceEnds(const QString& typed) const;
  // The menu the right button opens now (the canvas opens it at a point).
  QMenu* contextMenu();
  // The prompt's options: "Enter option [Yes/No] <Yes>:" offers Yes and No.
  static QStringList promptOptions(const QString& prompt);

  // The recent drawings, newest first (kept in the user's settings).
  QStringList recentFiles() const;
  // Questions the window asks the user; tests replace them. askSave returns
  // QMessageBox::Save, Discard or Cancel; the file questions return "" when
  // the user gives none.
  std::function<int(const QString& drawing)> askSave;
  std::function<QString(const QString& caption, const QString& filter, bool save)> askFile;
  // Runs the plot dialog; true when the user chose to plot.
  std::function<bool(PlotDialog& dialog)> askPlot;
  // File > Plot... (offered where PLOT is a command: the interactive desktop).
  QAction* plotAction() const { return m_plotAction; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildDocks();
  // The Edit menu; its undo, redo and erase for the toolbar.
  QList<QAction*> buildEditMenu();
  // A menu command offered at the command prompt.
  QAction* addCommand(QMenu* menu, const QIcon& icon, const QString& text, const QKeySequence& keys,
                      std::function<void()> fn);
  void rebuildRecentMenu();
  void noteRecent(const QString& file);
  // Runs line after asking about unsaved changes; false when the user stayed.
  bool confirmDiscard(const QString& thenLine);
  QString saveLine();
  void openDrawing();
  // The plot dialog, then PLOT with its answers and the file asked for.
  void plotDrawing();
  void openRecent(const QString& file);
  // At the command prompt with no line waiting to be read.
  bool atCommandPromptNow() const;
  QString expandAlias(const QString& line) const;
  // The menu entries for one selected placed fan.
  void addFanEntries(QMenu* menu, AcDbObjectId fan);
  void exportSchedule(bool xlsx);
  QDockWidget* dockOf(QWidget* panel) const;
  void noteCommand(const QString& line);
  QStringList completions() const;

  DrawingCanvas* m_canvas;
  CommandLineWidget* m_commandLine;
  QLabel* m_coordinates;
  LayerPanel* m_layers;
  PropertiesPanel* m_properties;
  SchedulePanel* m_schedule;
  QMenu* m_viewMenu = nullptr;
  QMenu* m_recentMenu = nullptr;
  QAction* m_plotAction = nullptr;
  QList<QAction*> m_promptActions;  // offered at the command prompt only
  WindowInput* m_input = nullptr;
  QString m_lastFile;
  // A line to run once the save asked for has succeeded (the drawing is
  // unmodified at the next prompt); dropped when the save failed.
  QString m_afterSave;
  QHash<QString, QString> m_aliases;
  QStringList m_commandNames;
  QStringList m_recentCommands;
};

}  // namespace zrgui
