// Inside of buildScene: the walk over a database that fills a Scene. Shared by
// drawing_scene.cpp (the walk, layers, colours, block references) and
// scene_geometry.cpp (curves and texts).
#pragma once

#include <array>
#include <cstdint>
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

inline std::array<int, 257> filledWith(int v) {
  std::array<int, 257> a;
  a.fill(v);
  return a;
}

class SceneBuilder {
 public:
  // only: these entities rather than the whole model space.
  SceneBuilder(const AcDbDatabase* db, QRgb background,
               const std::vector<AcDbObjectId>* only = nullptr)
      : m_db(db), m_background(background), m_only(only) {}

  Scene build();
  // The entities ref shows (ref need not be in the database).
  Scene buildReference(const AcDbBlockReference& ref);
  // pickEntity's answer over the model space.
  AcDbObjectId pick(QPointF at, double half, const QTransform& toBox);

 private:
  void readLayers();
  Scene finish();
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
  SceneBatch& batch() { return m_scene.batches[m_batch]; }

  QPointF map(const AcGePoint3d& p, const Context& ctx) const;
  void segment(QPointF a, QPointF b);
  void polyline(const std::vector<QPointF>& pts, bool closed);
  void grow(QPointF p);

  const AcDbDatabase* m_db;
  QRgb m_background;
  const std::vector<AcDbObjectId>* m_only;
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
  std::vector<std::size_t> m_segmentCounts;  // by batch
  // Kept for the whole build: the database does not change during one.
  std::unordered_map<const AcDbStub*, BlockCurves> m_blocks;
};

}  // namespace zrgui::detail
