// Painting drawing items (win/vector_picture.h) with QPainter: on screen, and
// into PNG files that show what the SVG form of the same items shows.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>

#include "win/vector_picture.h"

namespace zrgui {

// Paints the picture into target, scaled alike across and down to fit and
// centred; the page's background fills the picture's own area only.
void paintPicture(QPainter& painter, const winplat::VectorPicture& picture, const QRectF& target);

// The picture at scale pixels per page unit.
QImage pictureImage(const winplat::VectorPicture& picture, double scale = 1);

// Writes the picture as PNG to file, whole or not at all (a temporary file
// renamed into place). Returns "" or why not.
std::string savePicturePng(const winplat::VectorPicture& picture, const QString& file);

}  // namespace zrgui
