// The desktop window in-process for tests: a session over a drawing of the
// test's, the window, its input and the host's commands, and steps that act
// on the window (type, click, drag) when their prompt comes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/console_input.h"
#include "base/module_instance.h"
#include "cad/aced.h"
#include "cad/runtime/editor_input_stack.h"
#include "canvas_zoom.h"
#include "catalogue_builder.h"
#include "command_loop.h"
#include "gui/event_loops.h"
#include "gui/gui_ui_service.h"
#include "gui/host_window.h"
#include "gui/line_inputs.h"
#include "gui/output_tee.h"
#include "gui_test_support.h"
#include "host/fan_module.h"
#include "host_commands.h"
#include "test_drawing.h"
#include "win/resources.h"

namespace guitest {

// The module over the sample catalogue in a folder of the test's (ZR_DATALIB,
// and ZR_DWGLIB its dwg folder), its resources attached and current.
class SampleModule {
 public:
  explicit SampleModule(const char* name)
      : m_module(winplat::instanceFromTable(fancadModuleResources(), name)) {
    testsupport::writeSampleCatalogue(lib.path());
    ::setenv("ZR_DATALIB", lib.path().c_str(), 1);
    ::setenv("ZR_DWGLIB", (lib.path() + "/dwg").c_str(), 1);
    EXPECT_TRUE(DllMain(m_module, DLL_PROCESS_ATTACH, nullptr));
    AfxSetResourceHandle(m_module);
  }
  ~SampleModule() {
    AfxSetResourceHandle(m_previous);
    EXPECT_TRUE(DllMain(m_module, DLL_PROCESS_DETACH, nullptr));
    zrbase::releaseInstance(m_module);
    ::unsetenv("ZR_DATALIB");
    ::unsetenv("ZR_DWGLIB");
  }
  testsupport::TempDir lib;

 private:
  HINSTANCE m_previous = AfxGetResourceHandle();
  HINSTANCE m_module;
};

// A desktop session over a drawing of the test's: the window, its input, the
// host's commands; steps act on the window when their moment comes.
class DesktopSession : public ::testing::Test {
 protected:
  void SetUp() override {
    zrbase::setConsoleOut(&m_out);
    zrbase::setCurrentInput(&input);
    input.setBeforeWait([this] {
      m_out.flush();
      window.refresh();
    });
    window.setInput(&input);
    zrgui::setRefreshHook([this] { window.refresh(); });
    fancad::registerHostCommands(loop);
    fancad::setZoomCanvas(window.canvas());
    cadrt::EditorInput::instance().setEchoLines(true);
    window.resize(1000, 700);
    window.show();
  }
  void TearDown() override {
    fancad::setZoomCanvas(nullptr);
    acDocManagerPtr()->closeDocument();
    zrgui::setRefreshHook({});
    window.setInput(nullptr);
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
    cadrt::EditorInput::instance().setEchoLines(false);
  }

  // Makes the drawing current, saved as it is: no unsaved changes yet.
  void open(guitest::TestDrawing& d) {
    const std::wstring file = QString::fromStdString(m_dir.file("start.dxf")).toStdWString();
    ASSERT_EQ(d.db()->saveAs(file.c_str()), Acad::eOk);
    acDocManagerPtr()->replaceDocument(std::make_unique<AcApDocument>(d.release(), file));
  }
  // Makes the drawing current as a new one that was never saved.
  void openUnsaved(guitest::TestDrawing& d) {
    acDocManagerPtr()->replaceDocument(std::make_unique<AcApDocument>(d.release(), L""));
  }
  AcDbDatabase* db() const { return acdbHostApplicationServices()->workingDatabase(); }

  // The next step runs when the prompt shown ends with this text and the
  // prompt came anew after the step before acted ("Command:" follows
  // "Command:").
  void at(const QString& prompt, std::function<void()> action) {
    m_steps.push_back({prompt, nullptr, std::move(action)});
  }
  // The next step runs when ready() holds (a dialog is up, say).
  void when(std::function<bool()> ready, std::function<void()> action) {
    m_steps.push_back({QString(), std::move(ready), std::move(action)});
  }
  // The step after a QUIT with unsaved changes: the question, answered No.
  void discardAtQuit() {
    at(QStringLiteral("<Yes>:"), [this] { type(QStringLiteral("N")); });
  }
  // Runs the command loop until QUIT (the last step should type it).
  void run() {
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, [this] {
      if (m_steps.empty()) return;
      Step& next = m_steps.front();
      const std::string t = transcript();
      const size_t shown = t.rfind(next.prompt.toStdString());
      if (next.ready ? !next.ready()
                     : (!input.isWaiting() || shown == std::string::npos || shown < m_mark ||
                        !window.commandLine()->prompt().trimmed().endsWith(next.prompt))) {
        return;
      }
      Step step = std::move(next);
      m_steps.pop_front();
      m_mark = t.size();
      // Run from a timer of its own: an action that waits (a dialog's button
      // whose handler asks for a point) must not hold up this one, which Qt
      // does not fire again while its slot runs.
      QTimer::singleShot(0, qApp, std::move(step.action));
    });
    stepper.start(10);
    loop.run();
    EXPECT_FALSE(watchdog.fired()) << "the session so far:\n" << transcript();
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " steps left, the next at '"
                                 << m_steps.front().prompt.toStdString() << "'; prompt was '"
                                 << window.commandLine()->prompt().toStdString() << "'";
  }

  void type(const QString& line) {
    QLineEdit* edit = window.commandLine()->input();
    QTest::keyClicks(edit, line);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  QPoint screenOf(double x, double y) const { return window.canvas()->toScreen(QPointF(x, y)); }
  void clickAt(double x, double y) {
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, screenOf(x, y));
  }
  // A move of the mouse over the canvas with these buttons held.
  void hover(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), window.canvas()->mapToGlobal(QPointF(at)),
                     Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(window.canvas(), &move);
  }
  void drag(QPoint from, QPoint to) {
    QTest::mousePress(window.canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(window.canvas(), to);
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, {}, to);
  }
  std::string transcript() const { return m_transcript.str(); }
  // The entities of the model space, in drawing order.
  std::vector<AcDbObjectId> modelSpace() const {
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db()->modelSpaceId(), AcDb::kForRead), Acad::eOk);
    if (!space) return {};
    const auto ids = space->entityIds();
    space->close();
    return ids;
  }
  // Pixels of this colour round a drawing point in the canvas's picture.
  int pixelsAt(QColor color, double x, double y, int half = 2) {
    return countColor(window.canvas()->picture(), around(screenOf(x, y), half), color);
  }

  zrgui::HostWindow window;
  zrgui::WindowInput input;
  fancad::CommandLoop loop;
  zrgui::GuiUiService ui{&window, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog{30000};

 private:
  testsupport::TempDir m_dir;
  std::ostringstream m_transcript;
  zrgui::OutputTee m_tee{m_transcript,
                         [this](const QString& t) { window.commandLine()->appendOutput(t); }};
  std::ostream m_out{&m_tee};
  struct Step {
    QString prompt;
    std::function<bool()> ready;
    std::function<void()> action;
  };
  std::deque<Step> m_steps;
  size_t m_mark = 0;  // the transcript's length when the last step acted
};

}  // namespace guitest
