// A picture of drawing items on screen.
#include "gui/picture_widget.h"

#include <QPainter>
#include <algorithm>

#include "gui/picture_painter.h"

namespace zrgui {

namespace {

// Below half size the chart's 12-pixel labels become unreadable.
constexpr double kSmallestScale = 0.5;

}  // namespace

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PictureWidget::setPicture(winplat::VectorPicture picture) {
  m_picture = std::move(picture);
  updateGeometry();
  update();
}

QRectF PictureWidget::pictureRect() const {
  if (m_picture.width <= 0 || m_picture.height <= 0) return {};
  const double scale = std::min(width() / m_picture.width, height() / m_picture.height);
  const QSizeF size(m_picture.width * scale, m_picture.height * scale);
  return {QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

QSize PictureWidget::sizeHint() const {
  if (m_picture.width <= 0) return {440, 290};
  return {static_cast<int>(m_picture.width), static_cast<int>(m_picture.height)};
}

QSize PictureWidget::minimumSizeHint() const {
  if (m_picture.width <= 0) return {220, 145};
  return {static_cast<int>(m_picture.width * kSmallestScale),
          static_cast<int>(m_picture.height * kSmallestScale)};
}

void PictureWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  paintPicture(p, m_picture, QRectF(rect()));
}

}  // namespace zrgui
