// The drawing area of the host window: the model space of the working
// database, and the mouse as the editor's pointing device.
//
// The canvas shows the working drawing and follows it: when another drawing
// becomes current, or the current one changes (its change stamp moves on),
// the picture is rebuilt; a new drawing, and the first content of an empty
// one, are shown whole (zoom to extents). The view moves without changing the
// drawing: the wheel zooms about the cursor, the middle button pans (the left
// one too while nothing is asked for).
//
// What a click means depends on what the editor waits for (cad/runtime/
// input_request.h), and every click becomes an answer in the input language:
//   point, angle, distance  a left click answers "x,y"; with a base point a
//                           rubber band runs from it to the cursor
//   selection               a drag from left to right selects what lies
//                           inside ("w x1,y1 x2,y2"), from right to left what
//                           it touches ("c ..."); a click picks the one entity
//                           drawn nearest to the cursor ("h HANDLE"); the
//                           right button ends the selection
//   a command's prompt      the right button opens the window's menu for the
//                           prompt (setOnContextMenu): Enter, Cancel, the
//                           prompt's options; at the command prompt the menu of
//                           the selection or of the commands run before
//   the command prompt      picks, windows and crossings as at a selection
//                           prompt build the selection for the next command
//                           (gui/canvas_selection.h), drawn highlighted with
//                           its grips; dragging a block reference's insertion
//                           grip moves that reference: "MOVE" with it as the
//                           selection, then the two points, one command
//
// A point picked near an end or the middle of a line, a centre or an
// insertion point is that point (object snap, shown by a marker while the
// cursor is there; setSnap); with ortho on (setOrtho) a point measured from a
// base point is kept level or plumb with it.
//
// While a command drags entities from a base point (MOVE, COPY), they follow
// the cursor; a drag that answered the base point with its press answers the
// second point with its release. While ROTATE asks for the angle they are
// shown turned about the base point towards the cursor, and while INSERT asks
// for the insertion point the block, at the scale and rotation given so far,
// is shown at the cursor (cad/runtime/input_request.h): ghosts in the
// highlight colour, never part of the drawing.
#pragma once

#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "cad/runtime/input_request.h"
#include "gui/canvas_selection.h"
#include "gui/drawing_scene.h"
#include "gui/object_snap.h"
#include "gui/scene_painter.h"
#include "gui/view_transform.h"

class AcDbDatabase;

namespace zrgui {

class DrawingCanvas : public QWidget {
 public:
  // The drawing area's background (dark, as CAD programs have it).
  static QColor backgroundColor();

  explicit DrawingCanvas(QWidget* parent = nullptr);

  // Shows the working database as it is now (cheap when nothing changed).
  void refresh();
  // What the editor waits for; waiting false while nothing is read (a
  // command runs, or a dialog has the input); inCommand true for the prompts
  // of a command, false at the command prompt.
  void setRequest(const cadrt::InputRequest& request, bool waiting, bool inCommand);
  void setOnAnswer(std::function<void(const QString&)> fn) { m_onAnswer = std::move(fn); }
  void setOnCursor(std::function<void(QPointF)> fn) { m_onCursor = std::move(fn); }
  // The right button outside a selection prompt, at this global position.
  void setOnContextMenu(std::function<void(QPoint)> fn) { m_onContextMenu = std::move(fn); }
  // The selection made at the command prompt may have changed.
  void setOnSelection(std::function<void()> fn) { m_onSelection = std::move(fn); }

  void setSnap(bool on);
  bool snapOn() const { return m_snapOn; }
  void setOrtho(bool on) { m_orthoOn = on; }
  bool orthoOn() const { return m_orthoOn; }
  static QColor snapColor() { return QColor(255, 160, 0); }
  // Screen pixels round the cursor in which a snap point is taken.
  static constexpr int kAperture = 8;

  void zoomExtents();
  void zoomWindow(const QRectF& world);
  void zoomBy(double factor);

  const ViewTransform& view() const { return m_view; }
  const Scene& scene() const { return m_scene; }
  QPointF toWorld(QPoint p) const { return m_view.toWorld(p); }
  QPoint toScreen(QPointF world) const { return m_view.toScreen(world).toPoint(); }
  // The picture of the drawing alone, as painted now.
  QImage picture();

  // The selection made at the command prompt, and its grips.
  const std::vector<AcDbObjectId>& selected() const { return m_selection.entities(); }
  std::vector<Grip> grips() const { return m_selection.grips(); }
  void clearSelection();
  // Makes these entities the selection (what a pick would have made it).
  void select(std::vector<AcDbObjectId> ids);
  // Shows the entity in the middle of the view with its surroundings (a
  // window three times its size); false when it has no extents.
  bool zoomTo(AcDbObjectId id);
  // Screen pixels of a grip's square on each side of its point.
  static constexpr int kGripHalf = 4;
  static QColor gripColor() { return QColor(40, 110, 255); }
  static QColor highlightColor() { return QColor(255, 220, 60); }

  // An answer's text for a world point ("x,y", shortest exact form up to 4 decimals).
  static QString pointText(QPointF world);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void answer(const QString& text);
  // The world point a pick at this screen position gives (snap, then ortho).
  QPointF pickedPoint(QPoint screen) const;
  void paintSnap(QPainter& p) const;
  void renderCache();
  void paintAxesIcon(QPainter& p) const;
  bool picksPoints() const;
  // At the command prompt, with nothing running.
  bool atCommandPrompt() const;
  void finishSelection(QPoint end);
  void finishIdleSelection(QPoint end);
  void finishGripDrag(QPoint end);
  std::optional<Grip> gripAt(QPoint p) const;
  // Whether a selection gesture from m_selectStart ending at end is a click
  // (a drag from left to right is a window, from right to left a crossing).
  bool isClick(QPoint end) const;
  // The entity a click at end picks (pickEntity), or a null id.
  AcDbObjectId pickAt(QPoint end) const;
  void paintSelection(QPainter& p);
  void paintDragged(QPainter& p);
  void paintInserted(QPainter& p);
  // Outlines of a scene moved by move (world to world), in one pen.
  void paintOutline(QPainter& p, const Scene& scene, const QTransform& move = {}) const;

  Scene m_scene;
  ScenePainter m_painter;
  ViewTransform m_view;
  QImage m_cache;
  bool m_cacheValid = false;  // m_cache shows the scene through m_view
  // m_cache holds a picture of the scene as it is now, drawn through
  // m_cacheTransform (a pan moves it along rather than drawing it again).
  bool m_cacheDrawn = false;
  QTransform m_cacheTransform;
  bool m_prepared = false;  // the scene's grids are made or on their way (ScenePainter::prepare)
  QTimer m_prepareTimer;    // makes them once the first picture is up
  const AcDbDatabase* m_db = nullptr;
  std::uint64_t m_stamp = 0;
  bool m_fitPending = true;
  bool m_moved = false;  // the user moved the view since it was last fitted

  cadrt::InputRequest m_request;
  bool m_waiting = false;
  bool m_inCommand = false;
  std::function<void(const QString&)> m_onAnswer;
  std::function<void(QPointF)> m_onCursor;
  std::function<void(QPoint)> m_onContextMenu;
  std::function<void()> m_onSelection;

  bool m_snapOn = true;
  bool m_orthoOn = false;
  bool m_hasCursor = false;
  QPoint m_cursor;
  bool m_panning = false;
  QPoint m_panLast;
  bool m_selecting = false;
  QPoint m_selectStart;
  CanvasSelection m_selection;
  // A grip being dragged at the command prompt: its entity and where it started.
  bool m_gripDragging = false;
  Grip m_grip;
  // After a grip move the selection comes back as it was.
  std::vector<AcDbObjectId> m_restore;
  bool m_restorePending = false;
  // A press answered a point: its release far enough away answers the next.
  bool m_pointPressed = false;
  QPoint m_pressAt;
  // Prompts shown so far (each setRequest is the next one), and at the press.
  std::uint64_t m_prompts = 0;
  std::uint64_t m_pressPrompt = 0;
  // The scene of what is dragged, and what it was built of.
  Scene m_dragged;
  std::vector<AcDbObjectId> m_draggedIds;
  std::uint64_t m_draggedStamp = 0;
  // The scene of the block being inserted, and what it was built of.
  Scene m_inserted;
  cadrt::InsertPreview m_insertedOf;
  std::uint64_t m_insertedStamp = 0;
};

}  // namespace zrgui
