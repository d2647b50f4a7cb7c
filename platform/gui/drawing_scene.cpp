// Building a scene from a drawing database.
//
// Objects are read in place through their ids rather than opened: the scene
// is a picture of the database as it is, and an entity that a command holds
// open for write while it waits for the user's next point is drawn as well.
#include "gui/drawing_scene.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <mutex>
#include <span>
#include <thread>

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

SegmentGrid SegmentGrid::of(const SegmentList& segments) {
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

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// build's two walks over a part are the same code and must meet the same
// segments; a difference would leave segments unwritten or write past a
// part's range.
[[noreturn]] void countsDisagree() {
  std::fputs("fancad: the scene's second walk met other segments than its count\n", stderr);
  std::abort();
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
  const std::span<const AcDbObjectId> ids =
      m_only ? std::span<const AcDbObjectId>(*m_only) : space->allEntityIds();
  unsigned threads = m_split.threads;
  if (threads == 0) {
    threads = ids.size() < kParallelFrom
                  ? 1
                  : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
  }
  const std::size_t partIds = threads == 1 ? std::max<std::size_t>(ids.size(), 1)
                                           : (m_split.partIds > 0 ? m_split.partIds : kPartIds);
  std::vector<ScenePart> parts((ids.size() + partIds - 1) / partIds);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    parts[i].begin = i * partIds;
    parts[i].end = std::min(ids.size(), parts[i].begin + partIds);
  }
  std::vector<SceneBuilder> helpers(threads - 1, *this);
  for (std::size_t h = 0; h < helpers.size(); ++h) helpers[h].m_id = h + 1;
  // A first walk only counts each colour's segments, so that each batch is
  // allocated once at its size: grown by doubling, the 2.3 million segments of
  // the benchmark drawing's references cost more in fresh pages and copies
  // (profiled: most of the picture's build) than the walk itself. Between the
  // walks: the batches in order of first use over the whole
  // model space (each part's, after those of the parts before it), each
  // allocated once at its size, and each part's range of each of its
  // batches: after the parts before it.
  Scene scene;
  std::vector<std::vector<std::size_t>> batchOf(parts.size());
  auto sizeBatches = [&] {
    std::vector<std::size_t> total;
    std::vector<std::vector<std::size_t>> offset(parts.size());
    // A builder's batch's place in the scene, found by colour the first time.
    std::vector<std::vector<std::size_t>> sceneBatchOf(helpers.size() + 1);
    for (std::size_t p = 0; p < parts.size(); ++p) {
      const ScenePart& part = parts[p];
      std::vector<std::size_t>& known = sceneBatchOf[part.builder];
      batchOf[p].reserve(part.colors.size());
      offset[p].reserve(part.colors.size());
      for (std::size_t k = 0; k < part.colors.size(); ++k) {
        const std::size_t local = part.local[k];
        if (known.size() <= local) known.resize(local + 1, kNone);
        if (known[local] == kNone) {
          std::size_t b = 0;
          while (b < scene.batches.size() && scene.batches[b].color != part.colors[k]) ++b;
          if (b == scene.batches.size()) {
            scene.batches.push_back(SceneBatch{part.colors[k], {}, {}, {}, {}});
            total.push_back(0);
          }
          known[local] = b;
        }
        const std::size_t b = known[local];
        batchOf[p].push_back(b);
        offset[p].push_back(total[b]);
        total[b] += part.counts[k];
      }
    }
    for (std::size_t b = 0; b < scene.batches.size(); ++b) {
      SegmentList& segments = scene.batches[b].segments;
      segments.reserve(total[b]);
      preferHugePages(segments.data(), segments.capacity() * sizeof(QLineF));
      segments.resize(total[b]);  // left unwritten: the second walk writes every one
    }
    for (std::size_t p = 0; p < parts.size(); ++p) {
      parts[p].out.reserve(batchOf[p].size());
      for (std::size_t k = 0; k < batchOf[p].size(); ++k)
        parts[p].out.push_back(scene.batches[batchOf[p][k]].segments.data() + offset[p][k]);
    }
  };
  walkParts(parts, helpers, ids, sizeBatches);
  // What else each part made joins its batches in the parts' order (moved
  // from the builder that walked it), and the bounds are taken as one walk
  // would grow them.
  auto madeIn = [&](std::size_t p, std::size_t k) -> SceneBatch& {
    const ScenePart& part = parts[p];
    SceneBuilder& b = part.builder == 0 ? *this : helpers[part.builder - 1];
    return b.m_scene.batches[part.made[k].batch];
  };
  auto join = [&](auto list, std::size_t kind) {
    std::vector<std::size_t> size(scene.batches.size());
    for (std::size_t p = 0; p < parts.size(); ++p) {
      if (!parts[p].madeMore) continue;
      for (std::size_t k = 0; k < parts[p].made.size(); ++k)
        size[batchOf[p][k]] += parts[p].made[k].to[kind] - parts[p].made[k].from[kind];
    }
    for (std::size_t p = 0; p < parts.size(); ++p) {
      if (!parts[p].madeMore) continue;
      for (std::size_t k = 0; k < parts[p].made.size(); ++k) {
        const std::size_t from = parts[p].made[k].from[kind], to = parts[p].made[k].to[kind];
        if (from == to) continue;
        auto& source = madeIn(p, k).*list;
        auto& target = scene.batches[batchOf[p][k]].*list;
        const std::size_t total = size[batchOf[p][k]];
        if (target.empty() && from == 0 && to == source.size() && to == total) {
          target = std::move(source);
          continue;
        }
        target.reserve(total);
        target.insert(target.end(), std::make_move_iterator(source.begin() + from),
                      std::make_move_iterator(source.begin() + to));
      }
    }
  };
  join(&SceneBatch::fills, 0);
  join(&SceneBatch::points, 1);
  join(&SceneBatch::texts, 2);
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (const ScenePart& part : parts) {
    scene.entityCount += part.entityCount;
    if (!part.hasBounds) continue;
    if (!scene.hasBounds) {
      minX = part.minX, minY = part.minY, maxX = part.maxX, maxY = part.maxY;
      scene.hasBounds = true;
      continue;
    }
    minX = std::min(minX, part.minX);
    minY = std::min(minY, part.minY);
    maxX = std::max(maxX, part.maxX);
    maxY = std::max(maxY, part.maxY);
  }
  if (scene.hasBounds) scene.bounds = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
  return scene;
}

template <class Between>
void SceneBuilder::walkParts(std::vector<ScenePart>& parts, std::vector<SceneBuilder>& helpers,
                             std::span<const AcDbObjectId> ids, Between between) {
  // Each walk's parts are taken in turn, so a thread that met light ones
  // takes more. The threads are started once for both walks: under load a
  // new thread waited milliseconds for the processor.
  const std::size_t threads = helpers.size() + 1;
  std::atomic<std::size_t> next[2] = {0, 0};
  std::atomic<bool> stop{false};
  std::mutex failing;
  std::exception_ptr failed;
  auto fail = [&] {
    std::lock_guard<std::mutex> hold(failing);
    if (!failed) failed = std::current_exception();
    stop = true;
  };
  auto walk = [&](SceneBuilder& b, int pass) {
    try {
      b.startWalk(pass == 0);
      for (std::size_t i; !stop && (i = next[pass].fetch_add(1)) < parts.size();)
        b.walkPart(parts[i], ids);
    } catch (...) {
      fail();
    }
  };
  // Once every part is counted, on the thread that counted last.
  auto counted = [&]() noexcept {
    if (stop) return;
    try {
      between();
    } catch (...) {
      fail();
    }
  };
  std::barrier<decltype(counted)> sync(static_cast<std::ptrdiff_t>(threads), counted);
  auto both = [&](SceneBuilder& b) {
    walk(b, 0);
    sync.arrive_and_wait();
    walk(b, 1);
  };
  {
    std::vector<std::jthread> started;
    try {
      for (SceneBuilder& helper : helpers) started.emplace_back([&, h = &helper] { both(*h); });
    } catch (...) {
      // The helpers that did not start leave their parts to the others.
      for (std::size_t h = started.size(); h < helpers.size(); ++h) sync.arrive_and_drop();
    }
    both(*this);
  }  // joined here
  if (failed) std::rethrow_exception(failed);
}

void SceneBuilder::startWalk(bool counting) {
  m_scene = Scene();
  m_batchOfAci = filledWith(-1);
  m_lastLayer = nullptr;  // a helper's copy would point into this builder's layers
  m_lastInfo = nullptr;
  m_counting = counting;
  m_filling = !counting;
  m_segmentCounts.clear();
  m_out.clear();
  m_room.clear();
  m_usedIn.clear();
}

void SceneBuilder::walkPart(ScenePart& part, std::span<const AcDbObjectId> ids) {
  m_part = &part;
  ++m_partNumber;
  m_partBatches.clear();
  m_scene.hasBounds = false;
  if (m_filling) part.builder = m_id;
  int entities = 0;
  const Context top;
  for (std::size_t i = part.begin; i < part.end; ++i) {
    const auto* e = AcDbEntity::cast(objectOf(ids[i]));
    if (!e) continue;
    addEntity(e, top);
    ++entities;
  }
  m_part = nullptr;
  if (m_counting) {
    part.builder = m_id;
    part.local = m_partBatches;
    part.colors.reserve(m_partBatches.size());
    part.counts.reserve(m_partBatches.size());
    for (std::size_t b : m_partBatches) {
      part.colors.push_back(m_scene.batches[b].color);
      part.counts.push_back(m_segmentCounts[b]);
      m_segmentCounts[b] = 0;
    }
    return;
  }
  // The same walk as the count's: it makes the same batches and writes
  // exactly the segments it counted.
  if (m_partBatches.size() != part.colors.size() ||
      std::any_of(m_partBatches.begin(), m_partBatches.end(),
                  [this](std::size_t b) { return m_room[b] != 0; })) {
    countsDisagree();
  }
  for (ScenePart::Made& made : part.made) {
    const SceneBatch& b = m_scene.batches[made.batch];
    made.to = {b.fills.size(), b.points.size(), b.texts.size()};
    part.madeMore = part.madeMore || made.to != made.from;
  }
  part.entityCount = entities;
  part.hasBounds = m_scene.hasBounds;
  part.minX = m_minX, part.minY = m_minY, part.maxX = m_maxX, part.maxY = m_maxY;
}

void SceneBuilder::firstUseInPart() {
  m_usedIn[m_batch] = m_partNumber;
  const std::size_t k = m_partBatches.size();
  m_partBatches.push_back(m_batch);
  if (m_counting) {
    if (m_segmentCounts.size() <= m_batch) m_segmentCounts.resize(m_batch + 1);
    return;
  }
  if (k >= m_part->out.size() || batch().color != m_part->colors[k]) countsDisagree();
  if (m_out.size() <= m_batch) {
    m_out.resize(m_batch + 1);
    m_room.resize(m_batch + 1);
  }
  m_out[m_batch] = m_part->out[k];
  m_room[m_batch] = m_part->counts[k];
  const SceneBatch& b = batch();
  ScenePart::Made made;
  made.batch = m_batch;
  made.from = made.to = {b.fills.size(), b.points.size(), b.texts.size()};
  m_part->made.push_back(made);
}

void SceneBuilder::countSegments(std::size_t n) { m_segmentCounts[m_batch] += n; }

QLineF* SceneBuilder::segmentsFor(std::size_t n) {
  if (!m_filling) {
    SegmentList& segments = batch().segments;
    segments.resize(segments.size() + n);
    return segments.data() + segments.size() - n;
  }
  if (m_room[m_batch] < n) countsDisagree();
  m_room[m_batch] -= n;
  QLineF* at = m_out[m_batch];
  m_out[m_batch] += n;
  return at;
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
  } else {
    const QRgb c = aciColor(aci, m_background);
    auto& batches = m_scene.batches;
    std::size_t found = batches.size();
    for (std::size_t i = 0; i < batches.size(); ++i) {
      if (batches[i].color == c) found = i;
    }
    if (found == batches.size()) {
      batches.push_back(SceneBatch{c, {}, {}, {}, {}});
      if (m_part) m_usedIn.push_back(0);
    }
    m_batch = found;
    if (indexed) m_batchOfAci[static_cast<std::size_t>(aci)] = static_cast<int>(found);
  }
  if (m_part && m_usedIn[m_batch] != m_partNumber) firstUseInPart();
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
  *segmentsFor(1) = QLineF(a, b);
  grow(a);
  grow(b);
}

void SceneBuilder::polyline(const std::vector<QPointF>& pts, bool closed) {
  if (pts.size() < 2) return;
  // Each point ends one segment and starts the next: the bounds take it once.
  for (QPointF p : pts) grow(p);
  const bool closing = closed && pts.size() > 2;
  QLineF* out = segmentsFor(pts.size() - 1 + (closing ? 1 : 0));
  for (std::size_t i = 1; i < pts.size(); ++i) *out++ = QLineF(pts[i - 1], pts[i]);
  if (closing) *out = QLineF(pts.back(), pts.front());
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
  const BlockCurves*& known = m_blockOf[stub];
  if (known) return *known;
  BlockCache::Entry* entry = nullptr;
  {
    std::lock_guard<std::mutex> hold(m_blocks->lock);
    entry = &m_blocks->entries[stub];  // stays where it is as the map grows
  }
  std::call_once(entry->chorded, [&] {
    BlockCurves curves;  // kept only once whole (a throw leaves the block to the next caller)
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
    entry->curves = std::move(curves);
  });
  known = &entry->curves;
  return *known;
}

void SceneBuilder::addPlacedCurve(const BlockCurves& curves, const BlockCurves::Item& item,
                                  const Context& ctx) {
  // What addEntity decides for a curve, with the points ready.
  const AcDbEntity* e = item.entity;
  const AcDbStub* layer = effectiveLayer(e, ctx);
  if (!visible(e, layer)) return;
  useColor(colorIndex(e, ctx, layer));
  const std::uint32_t n = item.end - item.begin;
  if (n < 2) return;  // as polyline: no segment, and no bounds
  if (m_counting) return countSegments(n - 1);
  // polyline's segments and bounds, each point mapped once on the way.
  const AcGePoint3d* p = curves.points.data() + item.begin;
  QLineF* out = segmentsFor(n - 1);
  QPointF from = map(*p, ctx);
  grow(from);
  for (const AcGePoint3d* end = p + n; ++p != end;) {
    const QPointF to = map(*p, ctx);
    grow(to);
    *out++ = QLineF(from, to);
    from = to;
  }
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

Scene detail::buildScene(const AcDbDatabase* db, QRgb background, Split split) {
  return SceneBuilder(db, background, nullptr, split).build();
}

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
