// A preview control on screen, drawn from its preview model (win/ui_models.h):
// the model space of the database it shows, on the background it asks for,
// fitted to the control (or in the view the model gives), nothing when it is
// erased.
//
// The user moves the view without changing the model: the wheel zooms about
// the cursor, a drag pans (or zooms, or turns the view, or zooms into a
// window, after the context menu's command of that name), and "initial view"
// goes back to the first view. The context menu is the one the dialog's
// module keeps for previews (the first menu of its resources that carries the
// preview commands, ui_models.h).
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>

#include "base/windef.h"
#include "gui/drawing_scene.h"
#include "gui/scene_painter.h"
#include "gui/view_transform.h"
#include "win/ui_models.h"

namespace zrgui {

class PreviewWidget : public QWidget {
 public:
  enum class DragMode { Pan, ZoomRealtime, ZoomWindow, Orbit };

  PreviewWidget(const winplat::PreviewModel& model, HINSTANCE resources, QWidget* parent);

  // Rebuilds the picture when the model shows another database, the same one
  // changed, or the background or the shown state changed.
  void sync();
  // Runs a command of the context menu.
  void runCommand(UINT id);
  DragMode dragMode() const { return m_mode; }
  const ViewTransform& view() const { return m_view; }
  const Scene& scene() const { return m_scene; }
  // The picture as it is painted now.
  QImage picture();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void initialView();
  QColor background() const;

  const winplat::PreviewModel& m_model;
  HINSTANCE m_resources;
  Scene m_scene;
  ScenePainter m_painter;
  ViewTransform m_view;
  const void* m_db = nullptr;
  std::uint64_t m_stamp = 0;
  bool m_shown = false;
  COLORREF m_background = 0;
  bool m_initialPending = true;
  bool m_moved = false;  // the user moved the view since its first one
  DragMode m_mode = DragMode::Pan;
  bool m_dragging = false;
  QPoint m_dragStart;
  QPoint m_dragLast;
};

}  // namespace zrgui
