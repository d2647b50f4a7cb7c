// The controls of a dialog on screen: one Qt widget per window record of the
// window layer, kept in line with the record and turning what the user does
// into the window layer's user actions (which send the notifications).
//
// A mirror never changes a record itself: on a click it asks the window layer
// to click (winplat::clickButton), on a choice to select (winplat::userSelect),
// on typing to type (winplat::userType), on a grid edit the grid model to
// edit; the record changes, the notification reaches the handlers, and the
// next sync shows the outcome, whatever the handlers made of it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "gui/dialog_metrics.h"
#include "gui/dialog_stretch.h"
#include "win/window_state.h"

namespace zrgui {

class ControlMirror {
 public:
  explicit ControlMirror(HWND hwnd) : m_hwnd(hwnd) {}
  // The widget goes with its mirror (later: the mirror may be dropped while a
  // signal of its widget is being handled).
  virtual ~ControlMirror();
  ControlMirror(const ControlMirror&) = delete;
  ControlMirror& operator=(const ControlMirror&) = delete;

  HWND hwnd() const { return m_hwnd; }
  QWidget* widget() const { return m_widget; }
  // What the record is, as far as the choice of widget goes; a record whose
  // key changes (a static subclassed into a preview) gets a new mirror.
  const std::string& key() const { return m_key; }
  void setKey(std::string key) { m_key = std::move(key); }

  // Geometry (the template's, placed by stretch in a resized dialog), enabled
  // and visible state, then the kind's own state.
  void sync(const DialogMetrics& metrics, const DialogStretch& stretch = {});

 protected:
  virtual void syncState(const DialogMetrics& metrics) = 0;
  // The widget's rectangle for the record's (a combo box shows its field,
  // not the height of its list).
  virtual QRect screenRect(const DialogMetrics& metrics) const;
  // Derived classes name their widget once they made it.
  void setWidget(QWidget* w) { m_widget = w; }

  HWND m_hwnd;

 private:
  std::string m_key;
  QPointer<QWidget> m_widget;
};

// The key of a record (see ControlMirror::key).
std::string mirrorKey(const HWND__& w);

// A mirror for a child window of a dialog, its widget a child of parent.
// resources is the module whose resources the dialog came from (the preview
// looks for its menu there).
std::unique_ptr<ControlMirror> makeMirror(HWND hwnd, QWidget* parent, HINSTANCE resources);

}  // namespace zrgui
