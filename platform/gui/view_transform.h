// Where a drawing's world coordinates land on a widget.
//
// A view is a centre in world coordinates, a scale in pixels per drawing unit
// and a twist (the view turned by that angle, radians). The drawing's y axis
// points up, the screen's down. A view with scale 0 is not set yet: it is set
// by fitting it to the drawing's bounds once the widget knows its size.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>

namespace zrgui {

class ViewTransform {
 public:
  void setViewport(QSize size) { m_viewport = size; }
  QSize viewport() const { return m_viewport; }
  bool isSet() const { return m_scale > 0; }
  void reset() { m_scale = 0; }

  // The whole of bounds in view with a margin (a share of the viewport on
  // each side), the twist kept. A box without area (a point) is shown around
  // its centre at one pixel per unit.
  void fit(const QRectF& bounds, double margin = 0.05);
  // The world rectangle of this size around this centre fills the viewport.
  void setView(QPointF center, double width, double height, double twist);
  void setCenter(QPointF center) { m_center = center; }

  QPointF center() const { return m_center; }
  double scale() const { return m_scale; }
  double twist() const { return m_twist; }

  QTransform toScreenTransform() const;
  QPointF toScreen(QPointF world) const { return toScreenTransform().map(world); }
  QPointF toWorld(QPointF screen) const;
  // The world box that the viewport shows (its axis-aligned hull when twisted).
  QRectF visibleWorld() const;

  // The world point under screen stays there; factor > 1 zooms in.
  void zoomAt(QPointF screen, double factor);
  // Moves the drawing with the mouse by a screen distance.
  void pan(QPointF screenDelta);
  // Turns the view about its centre.
  void rotateBy(double radians) { m_twist += radians; }

 private:
  QSize m_viewport;
  QPointF m_center;
  double m_scale = 0;
  double m_twist = 0;
};

}  // namespace zrgui
