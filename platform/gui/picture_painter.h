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

// Writes the image as PNG to file with the platform's safe writer: whole or not at all,
// links followed, a FIFO, device or read-only file refused. Returns "" or why not.
std::string saveImagePng(const QImage& image, const QString& file);

// The picture as PNG, written as saveImagePng does.
std::string savePicturePng(const winplat::VectorPicture& picture, const QString& file);

}  // namespace zrgui
