// Object snap.
#include "gui/object_snap.h"

#include <cmath>

#include "cad/acdb.h"

namespace zrgui {

namespace {

QPointF flat(const AcGePoint3d& p) { return QPointF(p.x, p.y); }

}  // namespace

std::optional<SnapPoint> findSnap(const AcDbDatabase* db, QPointF screen, double aperture,
                                  const QTransform& toScreen) {
  if (!db) return std::nullopt;
  const AcDbObjectId spaceId = db->modelSpaceId();
  // Read in place, as the scene is: a command may hold an entity open.
  const auto* space = AcDbBlockTableRecord::cast(spaceId.stub() ? spaceId.stub()->object : nullptr);
  if (!space) return std::nullopt;
  std::optional<SnapPoint> best;
  double bestDistance = 0;
  auto consider = [&](QPointF at, SnapKind kind) {
    const QPointF d = toScreen.map(at) - screen;
    if (std::abs(d.x()) > aperture || std::abs(d.y()) > aperture) return;
    const double distance = std::hypot(d.x(), d.y());
    if (!best || distance < bestDistance) {
      best = SnapPoint{at, kind};
      bestDistance = distance;
    }
  };
  for (AcDbObjectId id : space->entityIds()) {
    if (id.isErased()) continue;
    const AcDbObject* obj = id.stub() ? id.stub()->object : nullptr;
    if (const auto* ref = AcDbBlockReference::cast(obj)) {
      consider(flat(ref->position()), SnapKind::Insertion);
    } else if (const auto* line = AcDbLine::cast(obj)) {
      const QPointF a = flat(line->startPoint()), b = flat(line->endPoint());
      consider(a, SnapKind::Endpoint);
      consider(b, SnapKind::Endpoint);
      consider((a + b) / 2, SnapKind::Midpoint);
    } else if (const auto* circle = AcDbCircle::cast(obj)) {  // arcs too
      consider(flat(circle->center()), SnapKind::Centre);
    }
  }
  return best;
}

QPointF orthoPoint(QPointF base, QPointF to) {
  const QPointF d = to - base;
  return std::abs(d.x()) >= std::abs(d.y()) ? QPointF(to.x(), base.y()) : QPointF(base.x(), to.y());
}

}  // namespace zrgui
