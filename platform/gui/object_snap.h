// Object snap: the point of the drawing a pick means when it lands near one
// (an end or the middle of a line, the centre of a circle or an arc, a block
// reference's insertion point), and ortho, which keeps a point level or
// plumb with the base point it is measured from.
#pragma once

#include <QPointF>
#include <QTransform>
#include <optional>

class AcDbDatabase;

namespace zrgui {

enum class SnapKind { Endpoint, Midpoint, Centre, Insertion };

struct SnapPoint {
  QPointF at;  // world point
  SnapKind kind = SnapKind::Endpoint;
};

// The snap point of the model space of db whose screen position (toScreen) is
// nearest to screen and no farther than aperture pixels across and down, if any.
std::optional<SnapPoint> findSnap(const AcDbDatabase* db, QPointF screen, double aperture,
                                  const QTransform& toScreen);

// to moved onto the level or the plumb line through base, whichever is nearer.
QPointF orthoPoint(QPointF base, QPointF to);

}  // namespace zrgui
