// The canvas' selection.
#include "gui/canvas_selection.h"

#include <algorithm>

#include "cad/runtime/implied_selection.h"
#include "cad/runtime/selection_set.h"

namespace zrgui {

namespace {

bool live(AcDbObjectId id, const AcDbDatabase* db) {
  return db && id.database() == db && !id.isErased();
}

QPointF flat(const AcGePoint3d& p) { return QPointF(p.x, p.y); }

}  // namespace

int CanvasSelection::add(const QRectF& world, bool crossing) {
  const ads_point a = {world.left(), world.top(), 0};
  const ads_point b = {world.right(), world.bottom(), 0};
  ads_name ss;
  if (acedSSGet(crossing ? L"C" : L"W", a, b, nullptr, ss) != RTNORM) return 0;
  std::vector<AcDbObjectId> found;
  cadrt::selectionIds(ss, found);
  acedSSFree(ss);
  return addIds(found);
}

int CanvasSelection::pick(QPointF at, double half, const QTransform& toBox) {
  const AcDbObjectId id =
      pickEntity(acdbHostApplicationServices()->workingDatabase(), at, half, toBox);
  return id.isNull() ? 0 : addIds({id});
}

int CanvasSelection::addIds(const std::vector<AcDbObjectId>& found) {
  std::vector<AcDbObjectId> ids = cadrt::impliedSelection();
  int added = 0;
  for (AcDbObjectId id : found) {
    if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
    ids.push_back(id);
    ++added;
  }
  if (added > 0) cadrt::setImpliedSelection(std::move(ids));
  return added;
}

void CanvasSelection::clear() { cadrt::setImpliedSelection({}); }

bool CanvasSelection::isEmpty() const { return cadrt::impliedSelection().empty(); }

const std::vector<AcDbObjectId>& CanvasSelection::entities() const {
  return cadrt::impliedSelection();
}

void CanvasSelection::prune() {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const std::vector<AcDbObjectId>& ids = cadrt::impliedSelection();
  if (std::all_of(ids.begin(), ids.end(), [db](AcDbObjectId id) { return live(id, db); })) return;
  std::vector<AcDbObjectId> kept;
  for (AcDbObjectId id : ids)
    if (live(id, db)) kept.push_back(id);
  cadrt::setImpliedSelection(std::move(kept));
}

std::vector<Grip> CanvasSelection::grips() const {
  std::vector<Grip> out;
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  for (AcDbObjectId id : cadrt::impliedSelection()) {
    if (!live(id, db)) continue;
    // Read in place, as the scene is: a command may hold the entity open.
    const AcDbObject* obj = id.stub() ? id.stub()->object : nullptr;
    if (const auto* ref = AcDbBlockReference::cast(obj)) {
      out.push_back({flat(ref->position()), id, true});
    } else if (const auto* line = AcDbLine::cast(obj)) {
      out.push_back({flat(line->startPoint()), id, false});
      out.push_back({flat(line->endPoint()), id, false});
    } else if (const auto* circle = AcDbCircle::cast(obj)) {  // arcs too
      out.push_back({flat(circle->center()), id, false});
    }
  }
  return out;
}

const Scene& CanvasSelection::highlight(std::uint64_t stamp) {
  const std::vector<AcDbObjectId>& ids = cadrt::impliedSelection();
  if (ids != m_shown || stamp != m_shownStamp) {
    m_shown = ids;
    m_shownStamp = stamp;
    m_highlight = buildScene(acdbHostApplicationServices()->workingDatabase(), 0, ids);
  }
  return m_highlight;
}

}  // namespace zrgui
