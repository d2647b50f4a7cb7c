// View arithmetic.
#include "gui/view_transform.h"

#include <algorithm>
#include <cmath>

namespace zrgui {

namespace {
// Scales are kept within what double arithmetic and the raster engine take
// without losing lines to overflow.
constexpr double kMinScale = 1e-9;
constexpr double kMaxScale = 1e9;
}  // namespace

void ViewTransform::fit(const QRectF& bounds, double margin) {
  const double w = std::max(1, m_viewport.width());
  const double h = std::max(1, m_viewport.height());
  m_center = bounds.center();
  // Fitting a twisted view takes the box's extent along the view's axes.
  const double c = std::abs(std::cos(m_twist));
  const double s = std::abs(std::sin(m_twist));
  const double bw = bounds.width() * c + bounds.height() * s;
  const double bh = bounds.width() * s + bounds.height() * c;
  const double usable = std::max(0.1, 1.0 - 2 * margin);
  double scale = 0;
  if (bw > 0 && bh > 0) {
    scale = std::min(w * usable / bw, h * usable / bh);
  } else if (bw > 0 || bh > 0) {
    scale = std::min(w, h) * usable / std::max(bw, bh);
  } else {
    scale = 1;
  }
  m_scale = std::clamp(scale, kMinScale, kMaxScale);
}

void ViewTransform::setView(QPointF center, double width, double height, double twist) {
  m_center = center;
  m_twist = twist;
  const double w = std::max(1, m_viewport.width());
  const double h = std::max(1, m_viewport.height());
  if (width <= 0 || height <= 0) {
    m_scale = 0;
    return;
  }
  m_scale = std::clamp(std::min(w / width, h / height), kMinScale, kMaxScale);
}

QTransform ViewTransform::toScreenTransform() const {
  QTransform t;
  t.translate(m_viewport.width() / 2.0, m_viewport.height() / 2.0);
  t.scale(m_scale, -m_scale);
  t.rotateRadians(-m_twist);
  t.translate(-m_center.x(), -m_center.y());
  return t;
}

QPointF ViewTransform::toWorld(QPointF screen) const {
  bool invertible = false;
  const QTransform inv = toScreenTransform().inverted(&invertible);
  return invertible ? inv.map(screen) : m_center;
}

QRectF ViewTransform::visibleWorld() const {
  bool invertible = false;
  const QTransform inv = toScreenTransform().inverted(&invertible);
  if (!invertible) return QRectF(m_center, QSizeF(0, 0));
  return inv.mapRect(QRectF(QPointF(0, 0), QSizeF(m_viewport)));
}

void ViewTransform::zoomAt(QPointF screen, double factor) {
  if (!isSet() || factor <= 0) return;
  const QPointF before = toWorld(screen);
  m_scale = std::clamp(m_scale * factor, kMinScale, kMaxScale);
  const QPointF after = toWorld(screen);
  m_center += before - after;
}

void ViewTransform::pan(QPointF screenDelta) {
  if (!isSet()) return;
  const QPointF a = toWorld(QPointF(0, 0));
  const QPointF b = toWorld(screenDelta);
  m_center -= b - a;
}

}  // namespace zrgui
