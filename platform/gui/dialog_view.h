// A dialog of the window layer on screen.
//
// The view mirrors one CDialog: its caption and client size, and one widget
// per child window, in template order (so the tab order is the template's).
// sync() brings the widgets in line with the window records when the window
// layer's state generation has moved on: new child windows (the grids that
// OnInitDialog creates) get widgets, destroyed ones lose them, a record that
// became another kind of control (a static subclassed into a preview) gets a
// new widget, and the dialog hides and shows as its window does (so
// BeginEditorCommand hands the screen to the drawing and
// CompleteEditorCommand brings the dialog back).
//
// A dialog with grids may be made larger than its template (never smaller):
// the grids grow and the other controls follow as gui/dialog_stretch.h says;
// the window records keep the template's size. Where the view remembers its
// size (setRemembersSize: the interactive desktop, never a script, whose
// pictures are the template's), it opens at the size the user left that
// dialog at, kept in the user's settings by template id. Dialogs without
// grids keep the template's size.
//
// Keys as in the native dialog manager: Esc and the close box send IDCANCEL,
// Enter clicks the focused push button or else the default button.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "gui/control_mirrors.h"
#include "gui/dialog_metrics.h"
#include "gui/dialog_stretch.h"

class CDialog;

namespace zrgui {

class DialogView : public QDialog {
 public:
  // resources: the module whose resources the dialog came from (null: the
  // current resource module).
  DialogView(CDialog& dlg, QWidget* parent, HINSTANCE resources = nullptr);
  ~DialogView() override;

  CDialog& dialog() const { return m_dlg; }
  const DialogMetrics& metrics() const { return m_metrics; }

  // Brings the view in line with the dialog when anything changed.
  void sync();
  // The widget of the control with this id (null when there is none).
  QWidget* controlWidget(int id) const;
  // Every control widget with its window record, in template order.
  std::vector<std::pair<HWND, QWidget*>> controls() const;

  // The modal run: waits until the dialog ends (see event_loops.h).
  void runModal();

  // Opens at, and keeps, the size the user leaves a resizable dialog at.
  void setRemembersSize(bool on);
  bool isResizable() const { return m_resizable; }
  // The size the template lays the dialog out at.
  QSize templateSize() const { return m_templateSize; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;

 private:
  void syncChildren();
  // Fixed at the template's size, or resizable from it when there are grids.
  void syncSize(const QSize& templateSize);
  DialogStretch stretch() const;
  QString sizeKey() const;
  void sendCommand(int id);
  void pressEnter();

  CDialog& m_dlg;
  HINSTANCE m_resources;
  DialogMetrics m_metrics;
  std::vector<std::unique_ptr<ControlMirror>> m_mirrors;
  unsigned long m_generation = 0;
  bool m_synced = false;
  QSize m_templateSize;
  bool m_resizable = false;
  bool m_remembers = false;
};

}  // namespace zrgui
