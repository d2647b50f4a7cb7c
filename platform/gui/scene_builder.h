// Inside of buildScene: the walk over a database that fills a Scene. Shared by
// drawing_scene.cpp (the walk, layers, colours, block references) and
// scene_geometry.cpp (curves and texts).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

#include "cad/acdb.h"
#include "cad/db/curve_points.h"
#include "gui/drawing_scene.h"

namespace zrgui::detail {

using zrcad::kChordsPerTurn;

// The object an id names when it exists and is not erased, else null.
const AcDbObject* objectOf(AcDbObjectId id);

// The text of a single-line text as shown: the control codes %%c, %%d, %%p
// and %%% become their characters, %%o and %%u (over- and underline) go.
QString plainText(const std::wstring& text);
// The lines of a multiline text as shown, its format codes taken out.
std::vector<QString> mtextLines(const std::wstring& contents);

struct LayerInfo {
  int color = 7;
  bool off = false;
  bool frozen = false;
};

// What an entity inside a block takes from the reference that shows it.
struct Context {
  AcGeMatrix3d xform;
  bool identity = true;
  int byBlockColor = 7;             // colour of BYBLOCK entities
  const AcDbStub* layer = nullptr;  // layer of layer-0 entities (null at the top)
  int depth = 0;
};

// A block's entities with its curves already chorded, in the block's own
// coordinates. A drawing places the same block many times (5,000 references
// to 1,000 blocks in the benchmark drawing): each reference maps these points
// instead of chording its circles and arcs again. Only the geometry is kept;
// whether an entity shows and in what colour depends on the reference (its
// layer for layer-0 entities, its colour for BYBLOCK ones) and is decided for
// each reference as before.
struct BlockCurves {
  struct Item {
    const AcDbEntity* entity = nullptr;
    bool curve = false;                // else placed by addEntity like any entity
    std::uint32_t begin = 0, end = 0;  // a curve's points in `points`
  };
  std::vector<Item> items;  // the block's entities in drawing order, erased ones left out
  std::vector<AcGePoint3d> points;
};

// The chorded blocks of one build, shared by its threads: each block is
// chorded once, by the first thread that meets a reference to it; the others
// wait for it then.
struct BlockCache {
  struct Entry {
    std::once_flag chorded;
    BlockCurves curves;
  };
  std::mutex lock;  // over `entries` (not over an entry's curves)
  std::unordered_map<const AcDbStub*, Entry> entries;
};

// How build() shares the model space among threads. It cuts the entity ids
// into parts of partIds ids, counts each part's segments by colour (first
// pass) and fills each part's own range of its colours' segment lists
// (second pass), the parts taken in turn by `threads` threads; the parts are
// then joined in order, so the scene is the same as one thread walking the
// whole model space. threads 0 (the default) takes one thread below
// kParallelFrom entities and otherwise the machine's cores, at most
// kMaxThreads; partIds 0 takes kPartIds.
struct Split {
  unsigned threads = 0;
  std::size_t partIds = 0;
};
// Below this the threads cost more than they save (a model space of lines is
// built at about ten million entities a second).
inline constexpr std::size_t kParallelFrom = 4096;
inline constexpr unsigned kMaxThreads = 4;
// Small enough that a run of block references, each hundreds of segments,
// spreads over several parts (the last part to finish keeps its thread
// alone), large enough that a part's own lists (one entry for each colour it
// uses) cost little beside its walk. Measured on the benchmark drawing, on
// the same with its references first, and on 200,000 lines cycling through
// 16 or 255 colours: 256 ids took 5 to 10 ms longer on the 255 colours,
// 1024 up to 10 ms longer on the references first.
inline constexpr std::size_t kPartIds = 512;

// One run of model-space ids, walked on its own by whichever thread takes it.
struct ScenePart {
  std::size_t begin = 0, end = 0;  // the ids
  // The first pass: the part's batches, in order of first use within it,
  // and which batches of the builder that counted them they were.
  std::vector<QRgb> colors;
  std::vector<std::size_t> counts;  // their segments
  std::vector<std::size_t> local;
  // The second pass: where each of the part's batches writes its segments,
  // and where what it made besides lies: in which builder (0 the one that
  // build() was called on, then its helpers), in which of its batches, and
  // from where to where in that batch's fills, points and texts.
  std::vector<QLineF*> out;
  struct Made {
    std::size_t batch = 0;
    std::array<std::size_t, 3> from{}, to{};  // fills, points, texts
  };
  std::size_t builder = 0;  // the one that walked it last: counted it, then filled it
  std::vector<Made> made;
  bool madeMore = false;  // any fill, point or text
  bool hasBounds = false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  int entityCount = 0;
};

inline std::array<int, 257> filledWith(int v) {
  std::array<int, 257> a;
  a.fill(v);
  return a;
}

// Hidden from outside the library, so that calls among its members are bound
// directly and GCC may inline them: a public member of a shared library is
// kept callable through the symbol table, in case another library replaces
// it. Building the benchmark drawing's scene took 14% fewer instructions.
class __attribute__((visibility("hidden"))) SceneBuilder {
 public:
  // only: these entities rather than the whole model space.
  SceneBuilder(const AcDbDatabase* db, QRgb background,
               const std::vector<AcDbObjectId>* only = nullptr, Split split = {})
      : m_db(db), m_background(background), m_only(only), m_split(split) {}

  Scene build();
  // The entities ref shows (ref need not be in the database).
  Scene buildReference(const AcDbBlockReference& ref);
  // pickEntity's answer over the model space.
  AcDbObjectId pick(QPointF at, double half, const QTransform& toBox);

 private:
  void readLayers();
  Scene finish();
  // Starts one of build()'s walks on this builder: its batches made afresh.
  void startWalk(bool counting);
  // That walk over a part. The builder's batches are kept from part to part
  // (the part notes which it used, in order of first use), so that a colour
  // is looked up once a walk, not once a part.
  void walkPart(ScenePart& part, std::span<const AcDbObjectId> ids);
  // A batch used for the first time in the current part.
  void firstUseInPart();
  // build's two walks over every part, on this builder and its helpers (one
  // thread each), with between() run once all parts are counted.
  template <class Between>
  void walkParts(std::vector<ScenePart>& parts, std::vector<SceneBuilder>& helpers,
                 std::span<const AcDbObjectId> ids, Between between);
  void addEntity(const AcDbEntity* e, const Context& ctx);
  void addReference(const AcDbBlockReference* ref, const Context& ctx, int color,
                    const AcDbStub* layer);
  // Lines, arcs, circles, ellipses, splines and polylines (zrcad::curvePoints);
  // false for any other entity.
  bool addCurve(const AcDbEntity* e, const Context& ctx);
  // The block's curves, chorded the first time a reference asks for them.
  const BlockCurves& blockCurves(const AcDbStub* stub, const AcDbBlockTableRecord* block);
  // A block's curve as a reference shows it (if its layer shows it).
  void addPlacedCurve(const BlockCurves& curves, const BlockCurves::Item& item, const Context& ctx);
  void addText(const AcDbText* t, const Context& ctx);
  void addMText(const AcDbMText* t, const Context& ctx);
  void addSceneText(SceneText text, const Context& ctx);

  const LayerInfo* layerInfo(const AcDbStub* layer) const;
  // The layer an entity is shown with, and whether it is shown at all.
  const AcDbStub* effectiveLayer(const AcDbEntity* e, const Context& ctx) const;
  bool visible(const AcDbEntity* e, const AcDbStub* layer) const;
  int colorIndex(const AcDbEntity* e, const Context& ctx, const AcDbStub* layer) const;
  void useColor(int aci);
  // Counts n segments for the current batch (the first of build's two walks).
  void countSegments(std::size_t n);
  // Where the current batch's next n segments go: its list's end (pick and
  // buildReference), or its part's range in build's second walk.
  QLineF* segmentsFor(std::size_t n);
  SceneBatch& batch() { return m_scene.batches[m_batch]; }

  QPointF map(const AcGePoint3d& p, const Context& ctx) const;
  void segment(QPointF a, QPointF b);
  void polyline(const std::vector<QPointF>& pts, bool closed);
  void grow(QPointF p);

  const AcDbDatabase* m_db;
  QRgb m_background;
  const std::vector<AcDbObjectId>* m_only;
  Split m_split;
  Scene m_scene;
  std::size_t m_batch = 0;
  std::unordered_map<const AcDbStub*, LayerInfo> m_layers;
  mutable const AcDbStub* m_lastLayer = nullptr;
  mutable const LayerInfo* m_lastInfo = nullptr;
  std::array<int, 257> m_batchOfAci = filledWith(-1);  // ACI 0..256 to its batch
  const AcDbStub* m_layerZero = nullptr;
  std::vector<const AcDbStub*> m_blockPath;
  double m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
  std::vector<QPointF> m_mapped;      // a curve's points mapped, kept for the next curve
  std::vector<AcGePoint3d> m_points;  // a curve's points, kept for the next curve
  // build's first walk: batches are made and their segments counted, nothing is drawn.
  bool m_counting = false;
  std::vector<std::size_t> m_segmentCounts;  // by batch, in the current part
  // build's second walk: where each batch's segments go, and how many more
  // the first walk counted in the current part.
  bool m_filling = false;
  std::vector<QLineF*> m_out;
  std::vector<std::size_t> m_room;
  // The part being walked (null outside build's walks), its number (from
  // 1, never reused by this builder), the batches it used in order of first
  // use, and by batch the number of the last part that used it.
  std::size_t m_id = 0;  // 0 for the builder build() was called on, then its helpers
  ScenePart* m_part = nullptr;
  std::size_t m_partNumber = 0;
  std::vector<std::size_t> m_partBatches;
  std::vector<std::size_t> m_usedIn;
  // Kept for the whole build (the database does not change during one) and
  // shared with the builder's helpers; m_blockOf remembers what this
  // builder found there, to look again without the lock.
  std::shared_ptr<BlockCache> m_blocks = std::make_shared<BlockCache>();
  std::unordered_map<const AcDbStub*, const BlockCurves*> m_blockOf;
};

// buildScene on the whole model space, shared among threads as split says.
Scene buildScene(const AcDbDatabase* db, QRgb background, Split split);

}  // namespace zrgui::detail
