// Building a scene from a drawing database.
//
// Objects are read in place through their ids rather than opened: the scene
// is a picture of the database as it is, and an entity that a command holds
// open for write while it waits for the user's next point is drawn as well.
#include "gui/drawing_scene.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cad/acdb.h"
#include "gui/aci_colors.h"
#include "gui/scene_builder.h"

namespace zrgui {

std::size_t Scene::segmentCount() const {
  std::size_t n = 0;
  for (const SceneBatch& b : batches) n += b.segments.size();
  return n;
}

const SegmentGrid& Scene::gridOf(std::size_t batch) const {
  if (m_grids.size() != batches.size()) {
    m_grids.assign(batches.size(), SegmentGrid());
    m_gridMade.assign(batches.size(), false);
  }
  if (!m_gridMade[batch]) {
    m_grids[batch] = SegmentGrid::of(batches[batch].segments);
    m_gridMade[batch] = true;
  }
  return m_grids[batch];
}

SegmentGrid SegmentGrid::of(const std::vector<QLineF>& segments) {
  SegmentGrid grid;
  if (segments.empty()) return grid;
  // The box of the segments' middles (ends that are not finite are left to
  // the one cell that takes what lies nowhere).
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool any = false;
  for (const QLineF& s : segments) {
    const QPointF m = (s.p1() + s.p2()) / 2;
    if (!std::isfinite(m.x()) || !std::isfinite(m.y())) continue;
    if (!any) {
      minX = maxX = m.x();
      minY = maxY = m.y();
      any = true;
    }
    minX = std::min(minX, m.x());
    maxX = std::max(maxX, m.x());
    minY = std::min(minY, m.y());
    maxY = std::max(maxY, m.y());
  }
  // About 16 segments a cell, the cells about square, at most 256 a side.
  const double w = std::max(maxX - minX, 1e-300);
  const double h = std::max(maxY - minY, 1e-300);
  const double cells = std::max(1.0, static_cast<double>(segments.size()) / 16.0);
  const double aspect = std::clamp(w / h, 1.0 / cells, cells);
  const int cols = std::clamp(static_cast<int>(std::sqrt(cells * aspect)), 1, 256);
  const int rows = std::clamp(static_cast<int>(cells / cols), 1, 256);
  const double kx = cols / w;
  const double ky = rows / h;
  // Cells are numbered along a Z curve (the bits of column and row
  // interleaved), so that cells next to each other in the list are next to
  // each other in the drawing too.
  std::size_t side = 1;
  while (side < static_cast<std::size_t>(std::max(cols, rows))) side *= 2;
  const std::size_t count = side * side + 1;
  const std::size_t nowhere = count - 1;
  auto spread = [](std::size_t v) {
    std::size_t out = 0;
    for (int bit = 0; bit < 8; ++bit) out |= ((v >> bit) & 1u) << (2 * bit);
    return out;
  };
  auto cellOf = [&](const QLineF& s) -> std::size_t {
    const QPointF m = (s.p1() + s.p2()) / 2;
    if (!std::isfinite(m.x()) || !std::isfinite(m.y())) return nowhere;
    const int cx = std::clamp(static_cast<int>((m.x() - minX) * kx), 0, cols - 1);
    const int cy = std::clamp(static_cast<int>((m.y() - minY) * ky), 0, rows - 1);
    return spread(static_cast<std::size_t>(cx)) | (spread(static_cast<std::size_t>(cy)) << 1);
  };
  // A counting sort of the segments by cell.
  std::vector<std::uint32_t> cellIndex(segments.size());
  std::vector<std::uint32_t> start(count + 1, 0);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    cellIndex[i] = static_cast<std::uint32_t>(cellOf(segments[i]));
    ++start[cellIndex[i] + 1];
  }
  for (std::size_t c = 0; c < count; ++c) start[c + 1] += start[c];
  grid.segments.resize(segments.size());
  std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < segments.size(); ++i)
    grid.segments[next[cellIndex[i]]++] = segments[i];
  for (std::size_t c = 0; c < count; ++c) {
    if (start[c] == start[c + 1]) continue;
    Cell cell;
    cell.begin = start[c];
    cell.end = start[c + 1];
    // Within a cell the lines more across than up come first: the painter
    // steps the two kinds apart, and a run of one kind lets the processor
    // guess which (a wrong guess a line cost about 5% of a whole redraw).
    std::partition(grid.segments.begin() + cell.begin, grid.segments.begin() + cell.end,
                   [](const QLineF& s) { return std::abs(s.dx()) >= std::abs(s.dy()); });
    if (c == nowhere) {
      // Whatever is not finite may be anywhere.
      const double inf = std::numeric_limits<double>::infinity();
      cell.minX = cell.minY = -inf;
      cell.maxX = cell.maxY = inf;
    } else {
      cell.minX = cell.maxX = grid.segments[cell.begin].x1();
      cell.minY = cell.maxY = grid.segments[cell.begin].y1();
      for (std::uint32_t i = cell.begin; i < cell.end; ++i) {
        const QLineF& s = grid.segments[i];
        cell.minX = std::min({cell.minX, s.x1(), s.x2()});
        cell.maxX = std::max({cell.maxX, s.x1(), s.x2()});
        cell.minY = std::min({cell.minY, s.y1(), s.y2()});
        cell.maxY = std::max({cell.maxY, s.y1(), s.y2()});
      }
    }
    grid.cells.push_back(cell);
  }
  return grid;
}

namespace detail {

namespace {

// Nesting deeper than this is taken for a drawing that refers to itself.
constexpr int kMaxDepth = 32;

// Asks the kernel to back the whole 2 MB pages of a fresh buffer (not yet
// written) with huge pages. The first write to each 4 KB page of the 74 MB of
// segments of the benchmark drawing (bench/gui/first_paint.sh) cost a page
// fault, most of the picture's build in the profile; with huge pages the
// kernel zeroes the memory 2 MB at a time. Only advice: where the kernel
// declines, the buffer is as before.
void preferHugePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
  if (bytes < 2 * kHuge) return;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (at + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t end = (at + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

template <class T>
const T* exactly(const AcDbObject* obj) {
  return obj->isA() == T::desc() ? static_cast<const T*>(obj) : nullptr;
}

}  // namespace

const AcDbObject* objectOf(AcDbObjectId id) {
  const AcDbStub* stub = id.stub();
  if (!stub || !stub->object || stub->object->isErased()) return nullptr;
  return stub->object;
}

Scene SceneBuilder::build() {
  if (!m_db) return {};
  readLayers();
  const auto* space = AcDbBlockTableRecord::cast(objectOf(m_db->modelSpaceId()));
  if (!space) return {};
  const Context top;
  const std::vector<AcDbObjectId>& ids = m_only ? *m_only : space->allEntityIds();
  // A first walk only counts each colour's segments, so that each batch is
  // allocated once at its size: grown by doubling, the 2.3 million segments of
  // the benchmark drawing's references cost more in fresh pages and copies
  // (profiled: most of the picture's build) than the walk itself.
  m_counting = true;
  for (AcDbObjectId id : ids) {
    if (const auto* e = AcDbEntity::cast(objectOf(id))) addEntity(e, top);
  }
  m_counting = false;
  m_segmentCounts.resize(m_scene.batches.size());
  for (std::size_t i = 0; i < m_scene.batches.size(); ++i) {
    std::vector<QLineF>& segments = m_scene.batches[i].segments;
    segments.reserve(m_segmentCounts[i]);
    preferHugePages(segments.data(), segments.capacity() * sizeof(QLineF));
  }
  for (AcDbObjectId id : ids) {
    const auto* e = AcDbEntity::cast(objectOf(id));
    if (!e) continue;
    addEntity(e, top);
    ++m_scene.entityCount;
  }
  return finish();
}

void SceneBuilder::countSegments(std::size_t n) {
  if (m_segmentCounts.size() <= m_batch) m_segmentCounts.resize(m_batch + 1);
  m_segmentCounts[m_batch] += n;
}

Scene SceneBuilder::buildReference(const AcDbBlockReference& ref) {
  if (!m_db) return {};
  readLayers();
  addReference(&ref, Context(), 7, nullptr);
  m_scene.entityCount = 1;
  return finish();
}

Scene SceneBuilder::finish() {
  if (m_scene.hasBounds) m_scene.bounds = QRectF(QPointF(m_minX, m_minY), QPointF(m_maxX, m_maxY));
  return std::move(m_scene);
}

void SceneBuilder::readLayers() {
  const auto* table = AcDbLayerTable::cast(objectOf(m_db->layerTableId()));
  if (!table) return;
  AcDbObjectId zero;
  if (table->getAt(L"0", zero) == Acad::eOk) m_layerZero = zero.stub();
  AcDbLayerTableIterator* it = nullptr;
  if (table->newIterator(it) != Acad::eOk || !it) return;
  for (; !it->done(); it->step()) {
    AcDbObjectId id;
    if (it->getRecordId(id) != Acad::eOk) continue;
    const auto* rec = AcDbLayerTableRecord::cast(objectOf(id));
    if (!rec) continue;
    LayerInfo info;
    info.color = std::abs(rec->color().colorIndex());
    info.off = rec->isOff();
    info.frozen = rec->isFrozen();
    m_layers[id.stub()] = info;
  }
  delete it;
}

const AcDbStub* SceneBuilder::effectiveLayer(const AcDbEntity* e, const Context& ctx) const {
  const AcDbStub* own = e->layerId().stub();
  return own == m_layerZero && ctx.layer ? ctx.layer : own;
}

const LayerInfo* SceneBuilder::layerInfo(const AcDbStub* layer) const {
  // Entities come in runs on one layer: the last answer is usually the next.
  if (layer == m_lastLayer) return m_lastInfo;
  auto it = m_layers.find(layer);
  m_lastLayer = layer;
  m_lastInfo = it == m_layers.end() ? nullptr : &it->second;
  return m_lastInfo;
}

bool SceneBuilder::visible(const AcDbEntity* e, const AcDbStub* layer) const {
  const LayerInfo* own = layerInfo(e->layerId().stub());
  if (own && own->frozen) return false;
  const LayerInfo* eff = layerInfo(layer);
  return !eff || !(eff->off || eff->frozen);
}

int SceneBuilder::colorIndex(const AcDbEntity* e, const Context& ctx, const AcDbStub* layer) const {
  const int ci = e->colorIndex();
  if (ci == 256) {
    const LayerInfo* info = layerInfo(layer);
    return info ? info->color : 7;
  }
  return ci == 0 ? ctx.byBlockColor : ci;
}

void SceneBuilder::useColor(int aci) {
  const bool indexed = aci >= 0 && aci < static_cast<int>(m_batchOfAci.size());
  if (indexed && m_batchOfAci[static_cast<std::size_t>(aci)] >= 0) {
    m_batch = static_cast<std::size_t>(m_batchOfAci[static_cast<std::size_t>(aci)]);
    return;
  }
  const QRgb c = aciColor(aci, m_background);
  auto& batches = m_scene.batches;
  std::size_t found = batches.size();
  for (std::size_t i = 0; i < batches.size(); ++i) {
    if (batches[i].color == c) found = i;
  }
  if (found == batches.size()) batches.push_back(SceneBatch{c, {}, {}, {}, {}});
  m_batch = found;
  if (indexed) m_batchOfAci[static_cast<std::size_t>(aci)] = static_cast<int>(found);
}

QPointF SceneBuilder::map(const AcGePoint3d& p, const Context& ctx) const {
  if (ctx.identity) return {p.x, p.y};
  // AcGePoint3d::transformBy's sums, term for term and in its order (so the
  // same doubles), without the call into the database library or the z that
  // the scene drops: most points of a drawing with references pass here.
  const auto& e = ctx.xform.entry;
  return {e[0][0] * p.x + e[0][1] * p.y + e[0][2] * p.z + e[0][3],
          e[1][0] * p.x + e[1][1] * p.y + e[1][2] * p.z + e[1][3]};
}

void SceneBuilder::grow(QPointF p) {
  if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return;
  if (!m_scene.hasBounds) {
    m_minX = m_maxX = p.x();
    m_minY = m_maxY = p.y();
    m_scene.hasBounds = true;
    return;
  }
  m_minX = std::min(m_minX, p.x());
  m_maxX = std::max(m_maxX, p.x());
  m_minY = std::min(m_minY, p.y());
  m_maxY = std::max(m_maxY, p.y());
}

void SceneBuilder::segment(QPointF a, QPointF b) {
  batch().segments.emplace_back(a, b);
  grow(a);
  grow(b);
}

void SceneBuilder::polyline(const std::vector<QPointF>& pts, bool closed) {
  if (pts.size() < 2) return;
  // Each point ends one segment and starts the next: the bounds take it once.
  for (QPointF p : pts) grow(p);
  auto& segments = batch().segments;
  for (std::size_t i = 1; i < pts.size(); ++i) segments.emplace_back(pts[i - 1], pts[i]);
  if (closed && pts.size() > 2) segments.emplace_back(pts.back(), pts.front());
}

void SceneBuilder::addEntity(const AcDbEntity* e, const Context& ctx) {
  const AcDbStub* layer = effectiveLayer(e, ctx);
  if (const auto* ref = AcDbBlockReference::cast(e)) {
    // A reference on a frozen layer hides all of its block; on a layer that
    // is off only what takes that layer (its layer-0 entities).
    auto it = m_layers.find(layer);
    if (it == m_layers.end() || !it->second.frozen) {
      addReference(ref, ctx, colorIndex(e, ctx, layer), layer);
    }
    return;
  }
  if (!visible(e, layer)) return;
  const int color = colorIndex(e, ctx, layer);
  if (const auto* line = exactly<AcDbLine>(e)) {
    useColor(color);
    if (m_counting) return countSegments(1);
    segment(map(line->startPoint(), ctx), map(line->endPoint(), ctx));
    return;
  }
  useColor(color);
  if (m_counting) {
    // Only curves make segments; a curve's points are its segments and one.
    m_points.clear();
    if (zrcad::curvePoints(e, m_points) && m_points.size() > 1) countSegments(m_points.size() - 1);
    return;
  }
  if (const auto* def = exactly<AcDbAttributeDefinition>(e)) {
    // Inside a block a definition only says what its references get; alone
    // in model space it shows its tag.
    if (ctx.depth > 0 || def->isInvisible()) return;
    AcDbText tag(def->position(), def->tagConst(), AcDbObjectId(), def->height(), def->rotation());
    tag.setWidthFactor(def->widthFactor());
    addText(&tag, ctx);
    return;
  }
  if (const auto* attr = AcDbAttribute::cast(e)) {
    if (!attr->isInvisible()) addText(attr, ctx);
    return;
  }
  if (const auto* text = AcDbText::cast(e)) {
    addText(text, ctx);
    return;
  }
  if (const auto* mtext = AcDbMText::cast(e)) {
    addMText(mtext, ctx);
    return;
  }
  if (const auto* point = AcDbPoint::cast(e)) {
    const QPointF p = map(point->position(), ctx);
    batch().points.push_back(p);
    grow(p);
    return;
  }
  if (const auto* solid = AcDbSolid::cast(e)) {
    QPolygonF poly;
    for (int i : {0, 1, 3, 2}) {
      AcGePoint3d p;
      if (solid->getPointAt(i, p) != Acad::eOk) return;
      poly << map(p, ctx);
      grow(poly.back());
    }
    batch().fills.push_back(poly);
    return;
  }
  addCurve(e, ctx);
}

const BlockCurves& SceneBuilder::blockCurves(const AcDbStub* stub,
                                             const AcDbBlockTableRecord* block) {
  auto [it, made] = m_blocks.try_emplace(stub);
  BlockCurves& curves = it->second;
  if (!made) return curves;
  for (AcDbObjectId id : block->allEntityIds()) {
    const auto* e = AcDbEntity::cast(objectOf(id));
    if (!e) continue;
    BlockCurves::Item item;
    item.entity = e;
    item.begin = static_cast<std::uint32_t>(curves.points.size());
    item.curve = zrcad::curvePoints(e, curves.points);
    item.end = static_cast<std::uint32_t>(curves.points.size());
    curves.items.push_back(item);
  }
  return curves;
}

void SceneBuilder::addPlacedCurve(const BlockCurves& curves, const BlockCurves::Item& item,
                                  const Context& ctx) {
  // What addEntity decides for a curve, with the points ready.
  const AcDbEntity* e = item.entity;
  const AcDbStub* layer = effectiveLayer(e, ctx);
  if (!visible(e, layer)) return;
  useColor(colorIndex(e, ctx, layer));
  if (m_counting) {
    if (item.end - item.begin > 1) countSegments(item.end - item.begin - 1);
    return;
  }
  m_mapped.clear();
  for (std::uint32_t i = item.begin; i < item.end; ++i)
    m_mapped.push_back(map(curves.points[i], ctx));
  polyline(m_mapped, false);
}

void SceneBuilder::addReference(const AcDbBlockReference* ref, const Context& ctx, int color,
                                const AcDbStub* layer) {
  const AcDbObjectId blockId = ref->blockTableRecord();
  const auto* block = AcDbBlockTableRecord::cast(objectOf(blockId));
  if (block && ctx.depth < kMaxDepth &&
      std::find(m_blockPath.begin(), m_blockPath.end(), blockId.stub()) == m_blockPath.end()) {
    Context inner;
    inner.xform = ctx.identity ? ref->blockTransform() : ctx.xform * ref->blockTransform();
    inner.identity = false;
    inner.byBlockColor = color;
    inner.layer = layer;
    inner.depth = ctx.depth + 1;
    m_blockPath.push_back(blockId.stub());
    const BlockCurves& curves = blockCurves(blockId.stub(), block);
    for (const BlockCurves::Item& item : curves.items) {
      if (item.curve) {
        addPlacedCurve(curves, item, inner);
      } else {
        addEntity(item.entity, inner);
      }
    }
    m_blockPath.pop_back();
  }
  // Attributes belong to the reference, placed where the reference's own
  // coordinates put them.
  for (AcDbObjectId id : ref->attributeIds()) {
    if (const auto* attr = AcDbAttribute::cast(objectOf(id))) addEntity(attr, ctx);
  }
}

}  // namespace detail

Scene buildScene(const AcDbDatabase* db, QRgb background) {
  return detail::SceneBuilder(db, background).build();
}

Scene buildScene(const AcDbDatabase* db, QRgb background, const std::vector<AcDbObjectId>& only) {
  return detail::SceneBuilder(db, background, &only).build();
}

Scene buildReferenceScene(const AcDbDatabase* db, QRgb background, const AcDbObjectId& block,
                          double scale, double rotation) {
  AcDbBlockReference ref(AcGePoint3d::kOrigin, block);
  ref.setScaleFactors(AcGeScale3d(scale));
  ref.setRotation(rotation);
  return detail::SceneBuilder(db, background).buildReference(ref);
}

}  // namespace zrgui
