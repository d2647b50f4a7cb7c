// View blocks flattened into polylines for the data sheet.
#include "duty/duty_outline.h"

#include <algorithm>
#include <memory>

#include "cad/db/curve_points.h"
#include "drawings/fan_placement.h"
#include "drawings/view_drawing_cache.h"

namespace duty {

namespace {

// References nested deeper than this are not followed (a drawing whose blocks
// contain themselves is refused on reading; this is the guard for the rest).
constexpr int kMaxDepth = 16;

class Flattener {
 public:
  explicit Flattener(ViewOutline& out) : m_out(out) {}

  void block(AcDbObjectId id, const AcGeMatrix3d& xform, int depth) {
    if (depth > kMaxDepth) return;
    AcDbObjectPointer<AcDbBlockTableRecord> record(id, AcDb::kForRead);
    if (!record) return;
    for (AcDbObjectId entityId : record->entityIds()) {
      AcDbObjectPointer<AcDbEntity> e(entityId, AcDb::kForRead);
      if (e) entity(e.object(), xform, depth);
    }
  }

 private:
  void entity(const AcDbEntity* e, const AcGeMatrix3d& xform, int depth) {
    const std::size_t before = m_out.strokes.size();
    if (const auto* ref = AcDbBlockReference::cast(e)) {
      block(ref->blockTableRecord(), xform * ref->blockTransform(), depth + 1);
      return;
    }
    m_points.clear();
    // Texts, attribute definitions, hatches, meshes, ... are not drawn nor measured.
    if (!zrcad::curvePoints(e, m_points) || m_points.size() < 2) return;
    std::vector<OutlinePoint>& stroke = m_out.strokes.emplace_back();
    stroke.reserve(m_points.size());
    for (const AcGePoint3d& p : m_points) {
      // The sheet is a plan: points are taken in the plane of the block.
      AcGePoint3d w(p.x, p.y, 0);
      w.transformBy(xform);
      stroke.push_back({w.x, w.y});
    }
    // The extents: the curve's own where it is drawn as it is (exact for
    // arcs whose extremes fall between chords), else the chords'.
    AcDbExtents box;
    if (depth == 0 && e->getGeomExtents(box) == Acad::eOk && !box.isEmpty()) {
      include({box.minPoint().x, box.minPoint().y});
      include({box.maxPoint().x, box.maxPoint().y});
    } else {
      for (std::size_t i = before; i < m_out.strokes.size(); ++i) {
        for (const OutlinePoint& p : m_out.strokes[i]) include(p);
      }
    }
  }

  void include(const OutlinePoint& p) {
    if (!m_any) {
      m_out.low = m_out.high = p;
      m_any = true;
      return;
    }
    m_out.low = {std::min(m_out.low.x, p.x), std::min(m_out.low.y, p.y)};
    m_out.high = {std::max(m_out.high.x, p.x), std::max(m_out.high.y, p.y)};
  }

  ViewOutline& m_out;
  std::vector<AcGePoint3d> m_points;  // the curve being added, kept to save allocations
  bool m_any = false;
};

}  // namespace

ViewOutline blockOutline(AcDbObjectId blockId) {
  ViewOutline out;
  {
    AcDbObjectPointer<AcDbBlockTableRecord> record(blockId, AcDb::kForRead);
    if (!record) {
      out.problem = L"无法打开视图块";
      return out;
    }
    out.block = record->name().c_str();
  }
  Flattener(out).block(blockId, AcGeMatrix3d(), 0);
  if (out.strokes.empty()) out.problem = L"视图块 " + out.block + L" 中没有可画的图线";
  return out;
}

ViewOutline libraryOutline(FanView fan) {
  ViewOutline out;
  CViewDrawingCache drawings;
  AcDbDatabase* db = drawings.Get(fan.DwgPath(), _SH_DENYNO);
  if (db == nullptr) {
    out.problem = L"图库中没有此型号的视图图纸 " + ViewDrawingFileName(fan.BaseName());
    return out;
  }
  if (fan.strAngle.IsEmpty()) {
    const std::vector<CString> angles = OfferedAngles(db, HandLetter(fan.strHand));
    if (!angles.empty()) fan.strAngle = angles.front();
  }
  const CString name = fan.ViewBlock();
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (!name.IsEmpty() && db->getBlockTable(table, AcDb::kForRead) == Acad::eOk) {
    AcDbBlockTableRecord* record = nullptr;
    if (table->getAt(name, record, AcDb::kForRead) == Acad::eOk) {
      id = record->objectId();
      record->close();
    }
    table->close();
  }
  if (id.isNull()) {
    out.problem = L"视图图纸 " + ViewDrawingFileName(fan.BaseName()) + L" 中没有视图块 " +
                  (name.IsEmpty() ? CString(L"(无)") : name);
    return out;
  }
  return blockOutline(id);
}

}  // namespace duty
