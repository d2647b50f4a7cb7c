// Building a scene from a drawing database.
//
// Objects are read in place through their ids rather than opened: the scene
// is a picture of the database as it is, and an entity that a command holds
// open for write while it waits for the user's next point is drawn as well.
#include "gui/drawing_scene.h"

#include <algorithm>
#include <cmath>

#include "cad/acdb.h"
#include "gui/aci_colors.h"
#include "gui/scene_builder.h"

namespace zrgui {

std::size_t Scene::segmentCount() const {
  std::size_t n = 0;
  for (const SceneBatch& b : batches) n += b.segments.size();
  return n;
}

namespace detail {

namespace {

// Nesting deeper than this is taken for a drawing that refers to itself.
constexpr int kMaxDepth = 32;

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
  for (AcDbObjectId id : m_only ? *m_only : space->allEntityIds()) {
    const auto* e = AcDbEntity::cast(objectOf(id));
    if (!e) continue;
    addEntity(e, top);
    ++m_scene.entityCount;
  }
  return finish();
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
  const AcGePoint3d q = ctx.xform * p;
  return {q.x, q.y};
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
  for (std::size_t i = 1; i < pts.size(); ++i) segment(pts[i - 1], pts[i]);
  if (closed && pts.size() > 2) segment(pts.back(), pts.front());
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
    segment(map(line->startPoint(), ctx), map(line->endPoint(), ctx));
    return;
  }
  useColor(color);
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
    for (AcDbObjectId id : block->allEntityIds()) {
      if (const auto* e = AcDbEntity::cast(objectOf(id))) addEntity(e, inner);
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
