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
// Keys as in the native dialog manager: Esc and the close box send IDCANCEL,
// Enter clicks the focused push button or else the default button.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "gui/control_mirrors.h"
#include "gui/dialog_metrics.h"

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

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void syncChildren();
  void sendCommand(int id);
  void pressEnter();

  CDialog& m_dlg;
  HINSTANCE m_resources;
  DialogMetrics m_metrics;
  std::vector<std::unique_ptr<ControlMirror>> m_mirrors;
  unsigned long m_generation = 0;
  bool m_synced = false;
};

}  // namespace zrgui
