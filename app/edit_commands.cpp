// ERASE, MOVE, ROTATE, COPY.
#include "edit_commands.h"

#include <cmath>
#include <string>

#include "base/cstring.h"
#include "cad/aced.h"
#include "cad/runtime/implied_selection.h"
#include "cad/runtime/input_request.h"
#include "cad/runtime/selection_set.h"

namespace fancad {

namespace {

AcGeMatrix3d translation(const ads_point from, const ads_point to) {
  return AcGeMatrix3d::translation(AcGeVector3d(to[0] - from[0], to[1] - from[1], to[2] - from[2]));
}

// Whether xform keeps every coordinate of the entities finite. An affine map sends the
// points of a box between the images of its corners, so the corners of the entities'
// extents (and the insertion points, which a block's base point may put outside them)
// tell for every point of the entities.
bool staysFinite(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform) {
  auto finite = [&xform](AcGePoint3d p) {
    p.transformBy(xform);
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  };
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
    if (!ent) continue;
    if (auto* ref = AcDbBlockReference::cast(ent.object()); ref && !finite(ref->position()))
      return false;
    AcDbExtents e;
    if (ent->getGeomExtents(e) != Acad::eOk) continue;
    const AcGePoint3d lo = e.minPoint(), hi = e.maxPoint();
    for (int corner = 0; corner < 8; ++corner)
      if (!finite(AcGePoint3d(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                              corner & 4 ? hi.z : lo.z)))
        return false;
  }
  return true;
}

// Refuses, with the reason, a move that would take a coordinate past the largest number.
bool refuseOverflow(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform) {
  if (staysFinite(ids, xform)) return false;
  const std::wstring why = L"the result would lie beyond the largest coordinate; nothing changed";
  cadrt::printLine(L"Cannot do that: " + why + L".");
  cadrt::noteCommandFailure(why);
  return true;
}

// Applies xform to each entity; returns how many took it.
int transformAll(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform) {
  int done = 0;
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForWrite);
    if (ent && ent->transformBy(xform) == Acad::eOk) ++done;
  }
  return done;
}

// A new entity like the one of id, moved by xform, in the same block.
bool copyEntity(AcDbObjectId id, const AcGeMatrix3d& xform) {
  AcDbObjectPointer<AcDbEntity> source(id, AcDb::kForRead);
  if (!source) return false;
  auto* copy = static_cast<AcDbEntity*>(source->clone());
  const AcDbObjectId owner = source->ownerId();
  if (copy->transformBy(xform) != Acad::eOk) {
    delete copy;
    return false;
  }
  AcDbObjectPointer<AcDbBlockTableRecord> block(owner, AcDb::kForWrite);
  if (!block || block->appendAcDbEntity(copy) != Acad::eOk) {
    delete copy;
    return false;
  }
  copy->close();
  return true;
}

int askBase(ads_point base) {
  const int rc = acedGetPoint(nullptr, L"Specify base point: ", base);
  return rc == RTNONE ? RTCAN : rc;
}

int eraseCommand() {
  std::vector<AcDbObjectId> ids;
  const int rc = selectObjects(ids);
  if (rc != RTNORM) return rc == RTNONE ? RTNORM : rc;
  const int erased = acdbHostApplicationServices()->workingDatabase()->eraseObjects(ids);
  cadrt::printLine(std::to_wstring(erased) + L" erased");
  return RTNORM;
}

int moveCommand() {
  std::vector<AcDbObjectId> ids;
  int rc = selectObjects(ids);
  if (rc != RTNORM) return rc == RTNONE ? RTNORM : rc;
  ads_point base, to;
  if ((rc = askBase(base)) != RTNORM) return rc;
  {
    const cadrt::ScopedDragPreview dragged(ids);
    rc = acedGetPoint(base, L"Specify second point: ", to);
  }
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  if (refuseOverflow(ids, translation(base, to))) return RTERROR;
  transformAll(ids, translation(base, to));
  return RTNORM;
}

int rotateCommand() {
  std::vector<AcDbObjectId> ids;
  int rc = selectObjects(ids);
  if (rc != RTNORM) return rc == RTNONE ? RTNORM : rc;
  ads_point base;
  if ((rc = askBase(base)) != RTNORM) return rc;
  double angle = 0;
  {
    const cadrt::ScopedDragPreview turned(ids, cadrt::DragMotion::Rotate);
    rc = acedGetAngle(base, L"Specify rotation angle: ", &angle);
  }
  if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
  const AcGeMatrix3d turn =
      AcGeMatrix3d::rotation(angle, AcGeVector3d::kZAxis, AcGePoint3d(base[0], base[1], base[2]));
  if (refuseOverflow(ids, turn)) return RTERROR;
  transformAll(ids, turn);
  return RTNORM;
}

int copyCommand() {
  std::vector<AcDbObjectId> ids;
  int rc = selectObjects(ids);
  if (rc != RTNORM) return rc == RTNONE ? RTNORM : rc;
  ads_point base, to;
  if ((rc = askBase(base)) != RTNORM) return rc;
  const cadrt::ScopedDragPreview dragged(ids);
  for (bool first = true;; first = false) {
    rc = acedGetPoint(base, first ? L"Specify second point: " : L"Specify second point or <exit>: ",
                      to);
    if (rc == RTNONE && !first) return RTNORM;
    if (rc != RTNORM) return rc == RTNONE ? RTCAN : rc;
    if (refuseOverflow(ids, translation(base, to))) return RTERROR;
    int copied = 0;
    for (AcDbObjectId id : ids)
      if (copyEntity(id, translation(base, to))) ++copied;
    if (copied != static_cast<int>(ids.size()))
      cadrt::printLine(std::to_wstring(ids.size() - static_cast<size_t>(copied)) +
                       L" could not be copied");
  }
}

}  // namespace

namespace {

// The implied selection, or what the selection prompt gives.
int selectAny(std::vector<AcDbObjectId>& ids) {
  ids = cadrt::takeImpliedSelection();
  if (!ids.empty()) return RTNORM;
  ads_name ss;
  const int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
  if (rc == RTERROR) {
    cadrt::printLine(L"Nothing selected.");
    return RTNONE;
  }
  if (rc != RTNORM) return rc;
  cadrt::selectionIds(ss, ids);
  acedSSFree(ss);
  return RTNORM;
}

}  // namespace

int selectObjects(std::vector<AcDbObjectId>& ids) {
  const int rc = selectAny(ids);
  if (rc != RTNORM) return rc;
  // Entities on locked layers can be seen and selected but not changed.
  size_t locked = 0;
  ids = cadrt::onUsableLayers(ids, true, true, &locked);
  if (locked) cadrt::printLine(std::to_wstring(locked) + L" on a locked layer.");
  if (ids.empty()) return RTNONE;
  return RTNORM;
}

void registerEditCommands() {
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  proc.addHostCommand(L"ERASE", eraseCommand);
  proc.addHostCommand(L"MOVE", moveCommand);
  proc.addHostCommand(L"ROTATE", rotateCommand);
  proc.addHostCommand(L"COPY", copyCommand);
}

}  // namespace fancad
