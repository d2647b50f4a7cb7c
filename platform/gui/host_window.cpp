// The host window.
#include "gui/host_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include "cad/acdb.h"
#include "cad/aced.h"
#include "cad/runtime/command_stack.h"
#include "gui/dialog_view.h"
#include "gui/line_inputs.h"
#include "gui/mirror_registry.h"
#include "gui/placed_fans.h"
#include "gui/plot_dialog.h"

namespace zrgui {

namespace {

constexpr int kRecentFiles = 8;
// Commands the right button's menu offers again.
constexpr int kRecentCommands = 6;
const char* const kRecentKey = "recentFiles";
const char* const kStateKey = "window/state";
const char* const kGeometryKey = "window/geometry";

QString documentTitle() {
  const AcApDocument* doc = acDocManagerPtr()->curDocument();
  return doc ? QString::fromStdWString(doc->docTitle()) : QString();
}

QString documentFile() {
  const AcApDocument* doc = acDocManagerPtr()->curDocument();
  return doc ? QString::fromStdWString(doc->fileName()) : QString();
}

bool documentModified() {
  const AcApDocument* doc = acDocManagerPtr()->curDocument();
  return doc && doc->hasUnsavedChanges();
}

// A file name is the rest of its line (DESIGN section 4), so any name fits.
QString withFile(const char* command, const QString& file) {
  return QString::fromUtf8(command) + u' ' + file;
}

}  // namespace

HostWindow::HostWindow()
    : m_canvas(new DrawingCanvas),
      m_commandLine(new CommandLineWidget),
      m_coordinates(new QLabel),
      m_layers(new LayerPanel),
      m_properties(new PropertiesPanel),
      m_schedule(new SchedulePanel) {
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(m_canvas);
  split->addWidget(m_commandLine);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 0);
  split->setSizes({600, 160});
  setCentralWidget(split);
  // Typing anywhere over the drawing goes to the command line.
  m_canvas->setFocusProxy(m_commandLine->input());
  m_canvas->setOnAnswer([this](const QString& line) { submitLine(line); });
  m_canvas->setOnCursor(
      [this](QPointF p) { m_coordinates->setText(QString::asprintf("%.4f, %.4f", p.x(), p.y())); });
  m_canvas->setOnContextMenu([this](QPoint at) {
    if (QMenu* menu = contextMenu()) menu->popup(at);
  });
  m_commandLine->setOnLine([this](const QString& line) { submitTyped(line); });
  m_commandLine->setSpaceEnds([this](const QString& typed) { return spaceEnds(typed); });
  qApp->installEventFilter(this);
  m_commandLine->setOnCancel([this] {
    if (isIdle()) {
      m_canvas->clearSelection();
    } else if (m_input && m_input->isWaiting()) {
      submitLine(QStringLiteral("^C"));
    }
  });
  m_commandLine->setOnDelete([this] {
    if (isIdle() && !m_canvas->selected().empty()) submitLine(QStringLiteral("ERASE"));
  });
  m_coordinates->setMinimumWidth(220);
  statusBar()->addPermanentWidget(m_coordinates);
  askSave = [this](const QString& drawing) {
    return QMessageBox::question(
        this, QStringLiteral("fancad"), tr("Save changes to %1?").arg(drawing),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  };
  askPlot = [](PlotDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
  askFile = [this](const QString& caption, const QString& filter, bool save) {
    return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                : QFileDialog::getOpenFileName(this, caption, QString(), filter);
  };
  buildMenus();
  buildDocks();
  resize(1280, 800);
  const QSettings settings;
  restoreGeometry(settings.value(QString::fromUtf8(kGeometryKey)).toByteArray());
  restoreState(settings.value(QString::fromUtf8(kStateKey)).toByteArray());
  refresh();
}

HostWindow::~HostWindow() {
  QSettings settings;
  settings.setValue(QString::fromUtf8(kGeometryKey), saveGeometry());
  settings.setValue(QString::fromUtf8(kStateKey), saveState());
}

void HostWindow::buildDocks() {
  // A change in the layer panel is the LAYER command's lines, at the command prompt only.
  m_layers->setOnLines([this](const QStringList& lines) {
    if (!isIdle()) return;
    for (const QString& line : lines) submitLine(line);
  });
  m_canvas->setOnSelection([this] { m_properties->showSelection(m_canvas->selected()); });
  const std::pair<QWidget*, const char*> docks[] = {{m_layers, QT_TR_NOOP("Layers")},
                                                    {m_properties, QT_TR_NOOP("Properties")}};
  for (const auto& [panel, title] : docks) {
    auto* dock = new QDockWidget(tr(title), this);
    dock->setObjectName(QString::fromUtf8(title).toLower() + QStringLiteral("Dock"));
    dock->setWidget(panel);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    m_viewMenu->addAction(dock->toggleViewAction());
  }
  // Wide enough for a layer's name beside its switches; the layers get the
  // more room, as a plan has many and a selection few properties.
  const QList<QDockWidget*> made = findChildren<QDockWidget*>();
  resizeDocks(made, {330, 330}, Qt::Horizontal);
  resizeDocks(made, {450, 250}, Qt::Vertical);
  // The schedule is wide: under the drawing, shown when asked for.
  auto* schedule = new QDockWidget(tr("Schedule"), this);
  schedule->setObjectName(QStringLiteral("scheduleDock"));
  schedule->setWidget(m_schedule);
  addDockWidget(Qt::BottomDockWidgetArea, schedule);
  schedule->hide();
  m_viewMenu->addAction(schedule->toggleViewAction());
  connect(schedule, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (shown && isIdle()) m_schedule->refresh();
  });
  m_schedule->onFanClicked = [this](AcDbObjectId fan) {
    if (isIdle()) m_canvas->select({fan});
    m_canvas->zoomTo(fan);
  };
  m_schedule->onExport = [this](bool xlsx) { exportSchedule(xlsx); };
}

QDockWidget* HostWindow::dockOf(QWidget* panel) const {
  for (QDockWidget* dock : findChildren<QDockWidget*>()) {
    if (dock->widget() == panel) return dock;
  }
  return nullptr;
}

void HostWindow::setScheduleSource(SchedulePanel::Source source) {
  m_schedule->setSource(std::move(source));
}

void HostWindow::showSchedule(AcDbObjectId fan) {
  QDockWidget* dock = dockOf(m_schedule);
  dock->show();
  dock->raise();
  m_schedule->refresh(true);
  if (!fan.isNull()) m_schedule->showFan(fan);
}

void HostWindow::exportSchedule(bool xlsx) {
  if (!isIdle() || !cadrt::CommandProcessor::instance().isCommand(L"FANSCHED")) return;
  const QString path =
      askFile(tr("Write the schedule"),
              xlsx ? tr("Excel workbooks (*.xlsx)") : tr("CSV files (*.csv)"), true);
  if (path.isEmpty()) return;
  // FANSCHED's option, then the file: the same lines as typed.
  for (const QString& line :
       {QStringLiteral("FANSCHED"), xlsx ? QStringLiteral("X") : QStringLiteral("C"), path}) {
    submitLine(line);
  }
}

QAction* HostWindow::addCommand(QMenu* menu, const QIcon& icon, const QString& text,
                                const QKeySequence& keys, std::function<void()> fn) {
  QAction* a = menu->addAction(icon, text);
  // The toolbar's text without the menu's mnemonic and "...": Qt drops "&" but keeps a
  // translation's "(&N)" as "(N)".
  static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|&|\\.\\.\\.$"));
  a->setIconText(QString(text).remove(mnemonic));
  if (!keys.isEmpty()) a->setShortcut(keys);
  // What a menu command does happens only at the command prompt of a session
  // the user drives; a script's window shows the commands but takes none.
  connect(a, &QAction::triggered, this, [this, fn = std::move(fn)] {
    if (isIdle()) fn();
  });
  m_promptActions << a;
  return a;
}

void HostWindow::buildMenus() {
  QStyle* st = style();
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* newAct =
      addCommand(file, st->standardIcon(QStyle::SP_FileIcon), tr("&New"), QKeySequence::New,
                 [this] { confirmDiscard(QStringLiteral("NEW")); });
  QAction* openAct = addCommand(file, st->standardIcon(QStyle::SP_DialogOpenButton), tr("&Open..."),
                                QKeySequence::Open, [this] { openDrawing(); });
  m_recentMenu = file->addMenu(tr("Open &Recent"));
  m_promptActions << m_recentMenu->menuAction();
  file->addSeparator();
  QAction* saveAct = addCommand(file, st->standardIcon(QStyle::SP_DialogSaveButton), tr("&Save"),
                                QKeySequence::Save, [this] {
                                  const QString line = saveLine();
                                  if (!line.isEmpty()) submitLine(line);
                                });
  addCommand(file, {}, tr("Save &As..."), QKeySequence::SaveAs, [this] {
    const QString path = askFile(tr("Save drawing as"), tr("Drawings (*.dwg *.dxf)"), true);
    if (!path.isEmpty()) submitLine(withFile("SAVEAS", path));
  });
  file->addSeparator();
  m_plotAction =
      addCommand(file, {}, tr("&Plot..."), QKeySequence::Print, [this] { plotDrawing(); });
  file->addSeparator();
  addCommand(file, {}, tr("&Load Module..."), {}, [this] {
    const QString path = askFile(tr("Load module"), tr("Modules (*.so);;All files (*)"), false);
    if (!path.isEmpty()) submitLine(withFile("APPLOAD", path));
  });
  file->addSeparator();
  file->addAction(tr("E&xit"), QKeySequence::Quit, [this] { close(); });

  QMenu* fan = menuBar()->addMenu(tr("F&an"));
  QAction* fanAct = addCommand(fan, {}, tr("&Fan Selection (FAN) 风机选型布置"), {},
                               [this] { submitLine(QStringLiteral("FAN")); });
  fanAct->setIconText(tr("FAN 风机选型"));

  const QList<QAction*> edits = buildEditMenu();

  QMenu* view = menuBar()->addMenu(tr("&View"));
  m_viewMenu = view;
  QAction* extents = view->addAction(tr("Zoom &Extents"), [this] { m_canvas->zoomExtents(); });
  extents->setIconText(tr("Zoom Extents"));
  view->addAction(tr("Zoom &In"), QKeySequence::ZoomIn, [this] { m_canvas->zoomBy(2); });
  view->addAction(tr("Zoom &Out"), QKeySequence::ZoomOut, [this] { m_canvas->zoomBy(0.5); });
  view->addSeparator();
  // Drawing aids, at any prompt: they change how picks are read, not the drawing.
  QAction* snap = view->addAction(tr("Object &Snap"));
  snap->setShortcut(Qt::Key_F3);
  snap->setCheckable(true);
  snap->setChecked(m_canvas->snapOn());
  connect(snap, &QAction::toggled, this, [this](bool on) { m_canvas->setSnap(on); });
  QAction* ortho = view->addAction(tr("&Ortho"));
  ortho->setShortcut(Qt::Key_F8);
  ortho->setCheckable(true);
  connect(ortho, &QAction::toggled, this, [this](bool on) { m_canvas->setOrtho(on); });
  view->addSeparator();
  for (QAction* aid : {snap, ortho}) {
    auto* button = new QToolButton;
    button->setDefaultAction(aid);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    statusBar()->addPermanentWidget(button);
  }

  QToolBar* bar = addToolBar(tr("Main"));
  bar->setObjectName(QStringLiteral("mainToolBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QList<QAction*> tools{newAct, openAct, saveAct, nullptr};
  tools << edits << nullptr << fanAct << nullptr << extents;
  for (QAction* a : tools) {
    if (a) {
      bar->addAction(a);
    } else {
      bar->addSeparator();
    }
  }
  rebuildRecentMenu();
}

QList<QAction*> HostWindow::buildEditMenu() {
  QStyle* st = style();
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  QAction* undo = addCommand(edit, st->standardIcon(QStyle::SP_ArrowBack), tr("&Undo"),
                             QKeySequence::Undo, [this] { submitLine(QStringLiteral("U")); });
  QAction* redo = addCommand(edit, st->standardIcon(QStyle::SP_ArrowForward), tr("&Redo"),
                             QKeySequence(Qt::CTRL | Qt::Key_Y),
                             [this] { submitLine(QStringLiteral("REDO")); });
  // Ctrl+Y, as CAD programs have it, and the platform's redo keys besides.
  QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
  redoKeys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_Y));
  redoKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Y));
  redo->setShortcuts(redoKeys);
  edit->addSeparator();
  // Delete reaches ERASE through the command line (it edits a typed line too).
  QAction* erase = addCommand(edit, st->standardIcon(QStyle::SP_TrashIcon), tr("&Erase\tDel"), {},
                              [this] { submitLine(QStringLiteral("ERASE")); });
  erase->setIconText(tr("Erase"));
  addCommand(edit, {}, tr("&Move"), {}, [this] { submitLine(QStringLiteral("MOVE")); });
  addCommand(edit, {}, tr("R&otate"), {}, [this] { submitLine(QStringLiteral("ROTATE")); });
  addCommand(edit, {}, tr("&Copy"), {}, [this] { submitLine(QStringLiteral("COPY")); });
  return {undo, redo, erase};
}

QStringList HostWindow::recentFiles() const {
  return QSettings().value(QString::fromUtf8(kRecentKey)).toStringList();
}

void HostWindow::noteRecent(const QString& file) {
  QStringList list = recentFiles();
  list.removeAll(file);
  list.prepend(file);
  while (list.size() > kRecentFiles) list.removeLast();
  QSettings().setValue(QString::fromUtf8(kRecentKey), list);
  rebuildRecentMenu();
}

void HostWindow::rebuildRecentMenu() {
  m_recentMenu->clear();
  const QStringList list = recentFiles();
  for (const QString& file : list) {
    m_recentMenu->addAction(QFileInfo(file).fileName() + QStringLiteral("  (") + file + u')',
                            [this, file] {
                              if (isIdle()) openRecent(file);
                            });
  }
  m_recentMenu->setEnabled(!list.isEmpty() && isIdle());
}

void HostWindow::openRecent(const QString& file) { confirmDiscard(withFile("OPEN", file)); }

void HostWindow::openDrawing() {
  const QString path =
      askFile(tr("Open drawing"), tr("Drawings (*.dwg *.dxf);;All files (*)"), false);
  if (!path.isEmpty()) confirmDiscard(withFile("OPEN", path));
}

void HostWindow::plotDrawing() {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  PlotDialog dialog(plotScene(db, false), this);
  if (!askPlot(dialog)) return;
  const PlotSettings settings = dialog.settings();
  PlotDialog::keepSettings(settings);
  const QString path = askFile(tr("Plot to PDF"), tr("PDF files (*.pdf)"), true);
  if (path.isEmpty()) return;
  const QStringList answers = plotAnswers(settings);
  for (const QString& line : QStringList{QStringLiteral("PLOT")} + answers + QStringList{path}) {
    submitLine(line);
  }
}

QString HostWindow::saveLine() {
  if (!documentFile().isEmpty()) return QStringLiteral("SAVE");
  const QString path = askFile(tr("Save drawing as"), tr("Drawings (*.dwg *.dxf)"), true);
  return path.isEmpty() ? QString() : withFile("SAVEAS", path);
}

bool HostWindow::confirmDiscard(const QString& thenLine) {
  if (!isIdle()) return false;
  if (!documentModified()) return submitLine(thenLine);
  const int answer = askSave(documentTitle());
  if (answer == QMessageBox::Discard) {
    // Asked here: the command does not ask again at the command line.
    if (AcApDocument* doc = acDocManagerPtr()->curDocument()) doc->allowDiscard();
    return submitLine(thenLine);
  }
  if (answer != QMessageBox::Save) return false;
  const QString save = saveLine();
  if (save.isEmpty()) return false;
  m_afterSave = thenLine;
  return submitLine(save);
}

bool HostWindow::isIdle() const {
  return m_input && m_input->isWaiting() && cadrt::CommandProcessor::instance().depth() == 0 &&
         cadrt::currentInputRequest().kind == cadrt::InputKind::Line &&
         !MirrorRegistry::instance().topVisible();
}

bool HostWindow::submitLine(const QString& line) {
  if (!m_input || !m_input->isWaiting()) return false;
  if (atCommandPromptNow()) noteCommand(line);
  m_input->submit(line.toStdString());
  return true;
}

bool HostWindow::atCommandPromptNow() const { return isIdle() && !m_input->hasPending(); }

QString HostWindow::expandAlias(const QString& line) const {
  const QString trimmed = line.trimmed();
  const qsizetype blank = trimmed.indexOf(u' ');
  const QString name = trimmed.left(blank < 0 ? trimmed.size() : blank);
  const auto alias = m_aliases.constFind(name.toUpper());
  if (alias == m_aliases.constEnd() ||
      cadrt::CommandProcessor::instance().isCommand(name.toStdWString())) {
    return line;
  }
  return *alias + trimmed.mid(name.size());
}

void HostWindow::noteCommand(const QString& line) {
  const QString name = line.trimmed().section(u' ', 0, 0).toUpper();
  if (name.isEmpty() || !cadrt::CommandProcessor::instance().isCommand(name.toStdWString())) return;
  m_recentCommands.removeAll(name);
  m_recentCommands.prepend(name);
  while (m_recentCommands.size() > kRecentCommands) m_recentCommands.removeLast();
}

void HostWindow::submitTyped(const QString& line) {
  if (!atCommandPromptNow()) {
    submitLine(line);
  } else if (line.trimmed().isEmpty()) {
    // Enter on an empty command line runs the last command again, by its name alone.
    if (!m_recentCommands.isEmpty()) submitLine(m_recentCommands.front());
  } else {
    submitLine(expandAlias(line));
  }
}

QStringList HostWindow::promptOptions(const QString& prompt) {
  static const QRegularExpression options(QStringLiteral("\\[([^\\]]*)\\]"));
  const QRegularExpressionMatch m = options.match(prompt);
  if (!m.hasMatch()) return {};
  QStringList list = m.captured(1).split(u'/', Qt::SkipEmptyParts);
  for (QString& o : list) o = o.trimmed();
  list.removeAll(QString());
  return list;
}

bool HostWindow::spaceEnds(const QString& typed) const {
  if (!m_input || !m_input->isWaiting() || m_input->hasPending() ||
      MirrorRegistry::instance().topVisible()) {
    return false;
  }
  if (typed.trimmed().isEmpty()) return true;
  const cadrt::InputRequest& request = cadrt::currentInputRequest();
  switch (request.kind) {
    case cadrt::InputKind::Point:
    case cadrt::InputKind::Angle:
    case cadrt::InputKind::Distance:
      return true;
    case cadrt::InputKind::Selection: {
      // These go on with corners or handles after a blank.
      static const QStringList goOn{QStringLiteral("W"),        QStringLiteral("C"),
                                    QStringLiteral("H"),        QStringLiteral("WINDOW"),
                                    QStringLiteral("CROSSING"), QStringLiteral("HANDLE")};
      return !goOn.contains(typed.trimmed().section(u' ', 0, 0).toUpper());
    }
    case cadrt::InputKind::Line:
      break;
  }
  // A command name is one word, as is the answer of a prompt that reads a
  // word; a prompt that reads the rest of the line takes its blanks.
  return !request.freeText;
}

QMenu* HostWindow::contextMenu() {
  if (!m_input || !m_input->isWaiting() || MirrorRegistry::instance().topVisible()) return nullptr;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (!isIdle()) {
    menu->addAction(tr("&Enter"), this, [this] { submitLine(QString()); });
    menu->addAction(tr("&Cancel"), this, [this] { submitLine(QStringLiteral("^C")); });
    const QStringList options = promptOptions(m_commandLine->prompt());
    if (!options.isEmpty()) menu->addSeparator();
    for (const QString& o : options) {
      menu->addAction(o, this, [this, o] { submitLine(o); });
    }
  } else if (!m_canvas->selected().empty()) {
    const std::pair<const char*, const char*> commands[] = {{"ERASE", QT_TR_NOOP("Erase")},
                                                            {"MOVE", QT_TR_NOOP("Move")},
                                                            {"ROTATE", QT_TR_NOOP("Rotate")},
                                                            {"COPY", QT_TR_NOOP("Copy")}};
    for (const auto& [name, text] : commands) {
      const QString command = QString::fromUtf8(name);
      menu->addAction(tr(text), this, [this, command] { submitLine(command); });
    }
    if (m_canvas->selected().size() == 1 && isPlacedFan(m_canvas->selected().front())) {
      addFanEntries(menu, m_canvas->selected().front());
    }
  } else if (!m_recentCommands.isEmpty()) {
    const QString last = m_recentCommands.front();
    menu->addAction(tr("&Repeat %1").arg(last), this, [this, last] { submitLine(last); });
    QMenu* recent = menu->addMenu(tr("Recent &Commands"));
    for (const QString& c : m_recentCommands) {
      recent->addAction(c, this, [this, c] { submitLine(c); });
    }
  } else {
    delete menu;
    return nullptr;
  }
  return menu;
}

void HostWindow::addFanEntries(QMenu* menu, AcDbObjectId fan) {
  menu->addSeparator();
  // FANEDIT takes the one fan selected, as ERASE takes the selection.
  QAction* edit =
      menu->addAction(tr("E&dit Fan"), this, [this] { submitLine(QStringLiteral("FANEDIT")); });
  edit->setEnabled(cadrt::CommandProcessor::instance().isCommand(L"FANEDIT"));
  // FANSHEET too: it asks for the PDF file at the command line.
  QAction* sheet = menu->addAction(tr("Data S&heet..."), this,
                                   [this] { submitLine(QStringLiteral("FANSHEET")); });
  sheet->setEnabled(cadrt::CommandProcessor::instance().isCommand(L"FANSHEET"));
  menu->addAction(tr("Show in &Schedule"), this, [this, fan] { showSchedule(fan); });
  menu->addAction(tr("&Properties"), this, [this] {
    QDockWidget* dock = dockOf(m_properties);
    dock->show();
    dock->raise();
  });
}

QStringList HostWindow::completions() const {
  QStringList names;
  const cadrt::CommandProcessor& commands = cadrt::CommandProcessor::instance();
  for (const QString& n : m_commandNames) {
    if (commands.isCommand(n.toStdWString())) names << n;
  }
  // The stack lists "GROUP.NAME".
  for (const std::wstring& full : acedRegCmds->commandNames()) {
    const QString n = QString::fromStdWString(full).section(u'.', -1);
    if (!names.contains(n, Qt::CaseInsensitive)) names << n.toUpper();
  }
  for (auto a = m_aliases.constBegin(); a != m_aliases.constEnd(); ++a) {
    if (!names.contains(a.key()) && commands.isCommand(a.value().toStdWString())) names << a.key();
  }
  return names;
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  QLineEdit* input = m_commandLine->input();
  if (widget == input || widget->window() != this) return false;
  // Fields that take text keep their keys.
  if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
      (qobject_cast<QComboBox*>(widget) && static_cast<QComboBox*>(widget)->isEditable())) {
    return false;
  }
  if (auto* text = qobject_cast<QTextEdit*>(widget); text && !text->isReadOnly()) return false;
  if (auto* text = qobject_cast<QPlainTextEdit*>(widget); text && !text->isReadOnly()) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool command =
      (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) !=
      Qt::NoModifier;
  const int k = key->key();
  const bool forCommandLine = k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter ||
                              k == Qt::Key_Backspace ||
                              (!command && !key->text().isEmpty() && key->text().at(0).isPrint());
  if (!forCommandLine) return false;
  input->setFocus(Qt::OtherFocusReason);
  QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                 static_cast<ushort>(key->count()));
  QApplication::sendEvent(input, &copy);
  return true;
}

void HostWindow::refresh() {
  m_canvas->refresh();
  m_layers->refresh();
  m_properties->showSelection(m_canvas->selected());
  const bool waiting = m_input && !m_input->ended();
  // In a script every line answers a prompt; at the keyboard the prompt is
  // the one waited at.
  if (!m_input || m_input->isWaiting()) m_commandLine->showPrompt();
  m_canvas->setRequest(cadrt::currentInputRequest(), waiting,
                       cadrt::CommandProcessor::instance().depth() > 0);
  // At the command prompt, in either mode: the commands are offered.
  const bool atPrompt = cadrt::CommandProcessor::instance().depth() == 0 &&
                        cadrt::currentInputRequest().kind == cadrt::InputKind::Line &&
                        !MirrorRegistry::instance().topVisible();
  const bool idle = atPrompt && (waiting || !m_input);
  for (QAction* a : m_promptActions) a->setEnabled(idle);
  m_plotAction->setEnabled(idle && cadrt::CommandProcessor::instance().isCommand(L"PLOT"));
  m_schedule->setExportEnabled(idle && m_input &&
                               cadrt::CommandProcessor::instance().isCommand(L"FANSCHED"));
  // The rows come from the module: asked for only with no command of its running.
  if (atPrompt) m_schedule->refresh();
  m_commandLine->setCompletions(idle && m_input ? completions() : QStringList());
  // A prompt of a command (a dialog stepped aside for a point, say) has the
  // user's attention: the window comes forward with the command line ready.
  if (waiting && !atPrompt && !MirrorRegistry::instance().topVisible() && isVisible()) {
    activateWindow();
    m_commandLine->input()->setFocus(Qt::OtherFocusReason);
  }
  m_recentMenu->setEnabled(idle && !recentFiles().isEmpty());
  const QString title = documentTitle();
  setWindowTitle(
      (title.isEmpty() ? QStringLiteral("fancad") : title + QStringLiteral("[*] - fancad")));
  setWindowModified(documentModified());
  const QString file = documentFile();
  if (!file.isEmpty() && file != m_lastFile && QFileInfo::exists(file)) noteRecent(file);
  m_lastFile = file;
  if (idle && !m_afterSave.isEmpty()) {
    const QString next = m_afterSave;
    m_afterSave.clear();
    // The save ran; only a save that left nothing unsaved lets the next step go on.
    if (!documentModified()) m_input->submit(next.toStdString());
  }
}

void HostWindow::closeEvent(QCloseEvent* event) {
  // The window goes when the host ends; closing asks the host to end.
  event->ignore();
  if (!m_input || m_input->ended()) return;
  if (!isIdle()) {
    statusBar()->showMessage(tr("Finish or cancel (Esc) the command that is running, then close."),
                             5000);
    return;
  }
  confirmDiscard(QStringLiteral("QUIT"));
}

}  // namespace zrgui
