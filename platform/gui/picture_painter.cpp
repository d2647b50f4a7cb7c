// Drawing items painted with QPainter.
#include "gui/picture_painter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

#include "base/file_functions.h"
#include "base/safe_file.h"
#include "base/utf8.h"
#include "gui/gui_fonts.h"

namespace zrgui {

namespace {

using winplat::PictureItem;
using winplat::PictureKind;

QColor colourOf(winplat::PictureColour c, double opacity = 1) {
  QColor q((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  q.setAlphaF(static_cast<float>(opacity));
  return q;
}

QPointF pointOf(const winplat::PicturePoint& p) { return {p.x, p.y}; }

void usePaint(QPainter& p, const PictureItem& item) {
  if (item.stroked) {
    QPen pen(colourOf(item.stroke), item.strokeWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (!item.dash.empty()) {
      // Qt measures dashes in pen widths, SVG in user units.
      QList<qreal> pattern;
      for (double d : item.dash) pattern << d / std::max(item.strokeWidth, 1e-9);
      pen.setDashPattern(pattern);
    }
    p.setPen(pen);
  } else {
    p.setPen(Qt::NoPen);
  }
  p.setBrush(item.filled ? QBrush(colourOf(item.fill, item.fillOpacity)) : QBrush(Qt::NoBrush));
}

void paintText(QPainter& p, const PictureItem& item) {
  QFont font = cjkFont();
  font.setPixelSize(std::max(1, static_cast<int>(item.fontSize + 0.5)));
  p.setFont(font);
  p.setPen(colourOf(item.fill));
  const QString text = QString::fromStdWString(item.text);
  const double width = QFontMetricsF(font).horizontalAdvance(text);
  QPointF at = pointOf(item.points[0]);
  if (item.anchor == winplat::TextAnchor::Middle) at.rx() -= width / 2;
  if (item.anchor == winplat::TextAnchor::End) at.rx() -= width;
  p.drawText(at, text);
}

void paintItem(QPainter& p, const PictureItem& item) {
  const auto& pts = item.points;
  switch (item.kind) {
    case PictureKind::Group:
      for (const PictureItem& child : item.children) paintItem(p, child);
      return;
    case PictureKind::Text:
      paintText(p, item);
      return;
    default:
      break;
  }
  usePaint(p, item);
  switch (item.kind) {
    case PictureKind::Line:
      p.drawLine(pointOf(pts[0]), pointOf(pts[1]));
      break;
    case PictureKind::Polyline: {
      QPolygonF poly;
      for (const auto& q : pts) poly << pointOf(q);
      p.drawPolyline(poly);
      break;
    }
    case PictureKind::Circle:
      p.drawEllipse(pointOf(pts[0]), item.radius, item.radius);
      break;
    case PictureKind::Rect:
      p.drawRect(QRectF(pointOf(pts[0]), pointOf(pts[1])));
      break;
    default:
      break;
  }
}

}  // namespace

void paintPicture(QPainter& painter, const winplat::VectorPicture& picture, const QRectF& target) {
  if (picture.width <= 0 || picture.height <= 0) return;
  const double scale = std::min(target.width() / picture.width, target.height() / picture.height);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(target.x() + (target.width() - picture.width * scale) / 2,
                    target.y() + (target.height() - picture.height * scale) / 2);
  painter.scale(scale, scale);
  painter.fillRect(QRectF(0, 0, picture.width, picture.height), colourOf(picture.background));
  for (const PictureItem& item : picture.items) paintItem(painter, item);
  painter.restore();
}

QImage pictureImage(const winplat::VectorPicture& picture, double scale) {
  const QSize size(std::max(1, static_cast<int>(picture.width * scale + 0.5)),
                   std::max(1, static_cast<int>(picture.height * scale + 0.5)));
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(colourOf(picture.background));
  QPainter p(&image);
  paintPicture(p, picture, QRectF(QPointF(0, 0), QSizeF(size)));
  return image;
}

std::string saveImagePng(const QImage& image, const QString& file) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "cannot encode the picture as PNG";
  std::wstring why;
  const std::string path = zrbase::nativePath(file.toStdWString());
  if (zrbase::saveFileSafely(path, std::string_view(bytes.constData(), bytes.size()), why) ==
      zrbase::SaveStatus::ok)
    return {};
  return "cannot write picture '" + file.toStdString() + "': " + zrbase::wideToUtf8(why);
}

std::string savePicturePng(const winplat::VectorPicture& picture, const QString& file) {
  return saveImagePng(pictureImage(picture), file);
}

}  // namespace zrgui
