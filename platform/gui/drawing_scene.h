// A drawing's model space reduced to what is painted: line segments, filled
// polygons, points and texts in world coordinates, grouped by screen colour.
//
// Building the scene walks the model space once, following block references
// into their blocks (nested ones too, with their transforms, their attributes,
// and layer-0 and BYBLOCK entities taking the reference's layer and colour),
// skipping what a layer that is off or frozen hides, and resolving every
// colour (by index, by layer, by block) against the background. Curves become
// polylines; texts keep their anchor, height, rotation and alignment and are
// laid out with a real font when painted. The scene owns nothing of the
// database and stays valid after it changes; the front ends rebuild it when
// the database's change stamp moves on.
#pragma once

#include <QColor>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

class AcDbDatabase;
class AcDbObjectId;

namespace zrgui {

struct SceneText {
  QString text;
  QPointF anchor;  // world point the alignment refers to
  double height = 0;
  double rotation = 0;  // radians, counter-clockwise
  double widthFactor = 1;
  enum HAlign { Left, Center, Right } hAlign = Left;
  enum VAlign { Baseline, Bottom, Middle, Top } vAlign = Baseline;
  // Texts fitted between two points ("aligned" and "fit"): the end of the
  // baseline; the text is stretched to reach it.
  bool fitted = false;
  QPointF fitEnd;
};

// The allocator of segment lists: a list that resize() lengthens gets its
// new segments unwritten instead of zeroed. The scene's builder sizes each
// list once and then writes every segment itself, from several threads at
// once. For the 79 MB of the benchmark drawing's segments, zeroing took
// 13 ms on one thread (faulting every page in) and two threads' writing
// 7 ms more; left unwritten, two threads fault the pages in as they write,
// in 14 ms in all. Segments added any other way (push_back, emplace_back,
// insert) are made as usual.
template <class T>
struct UnwrittenAllocator : std::allocator<T> {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = UnwrittenAllocator<U>;
  };
  UnwrittenAllocator() = default;
  template <class U>
  UnwrittenAllocator(const UnwrittenAllocator<U>&) noexcept {}
  template <class U>
  void construct(U*) noexcept {
    static_assert(std::is_trivially_copyable_v<U> && std::is_trivially_destructible_v<U>,
                  "only plain values may be left unwritten");
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using SegmentList = std::vector<QLineF, UnwrittenAllocator<QLineF>>;

// A batch's segments sorted by where they lie, so that a view of part of a
// large drawing finds the few it shows without looking at every one. The
// bounds are cut into a grid; each segment is kept once, in the cell of its
// middle, and each cell keeps the box of its own segments (which may reach
// out of the cell), so a cell whose box misses the view holds nothing to draw.
struct SegmentGrid {
  struct Cell {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;  // the box of the cell's segments
    std::uint32_t begin = 0, end = 0;               // its segments in `segments`
  };
  std::vector<Cell> cells;  // the cells that hold segments
  SegmentList segments;     // the batch's segments, cell after cell

  static SegmentGrid of(const SegmentList& segments);
  // Calls fn(first, count) for the runs of segments whose cell box meets
  // world (closed): every segment that meets world is in one of them.
  template <class Fn>
  void forEachRunMeeting(const QRectF& world, Fn fn) const {
    for (const Cell& c : cells) {
      if (c.minX <= world.right() && c.maxX >= world.left() && c.minY <= world.bottom() &&
          c.maxY >= world.top()) {
        fn(segments.data() + c.begin, c.end - c.begin);
      }
    }
  }
};

struct SceneBatch {
  QRgb color = 0;
  SegmentList segments;
  std::vector<QPolygonF> fills;
  std::vector<QPointF> points;
  std::vector<SceneText> texts;
};

struct Scene {
  std::vector<SceneBatch> batches;  // one per colour, in order of first use
  bool hasBounds = false;
  QRectF bounds;        // of everything in the scene, when hasBounds
  int entityCount = 0;  // model-space entities drawn (a reference counts once)

  bool isEmpty() const { return !hasBounds; }
  std::size_t segmentCount() const;
  // The grid of a batch's segments, made the first time it is asked for (a
  // view of the whole drawing never needs it). Changing the batches after
  // that leaves it stale: a scene is built once and then only read.
  const SegmentGrid& gridOf(std::size_t batch) const;
  bool hasGrid(std::size_t batch) const { return batch < m_gridMade.size() && m_gridMade[batch]; }

 private:
  mutable std::vector<SegmentGrid> m_grids;
  mutable std::vector<bool> m_gridMade;
};

// The model space of db as seen on a widget of this background colour. A null
// database gives an empty scene.
Scene buildScene(const AcDbDatabase* db, QRgb background);
// The same for these entities of its model space only (what is selected or
// dragged); erased ones are left out.
Scene buildScene(const AcDbDatabase* db, QRgb background, const std::vector<AcDbObjectId>& only);

// A reference to block placed at the origin with this scale and rotation
// (radians), as the model space would show it: what INSERT is about to place.
// Its layer-0 entities keep layer 0; attributes are not shown.
Scene buildReferenceScene(const AcDbDatabase* db, QRgb background, const AcDbObjectId& block,
                          double scale, double rotation);

// What a click picks: the one model-space entity of db whose drawing comes
// nearest to at among those whose drawing meets the square of half-side half
// around it (the pick box); a null id when none does. The drawing is what the
// scene holds: lines, curves and polyline segments count by their line, a
// block reference by the entities of its block and its attributes, a filled
// solid by its area, a text by its box; so a click inside a closed polyline
// but away from its sides does not pick it. at and half are in the
// coordinates toBox maps world points to (the canvas' screen pixels, or the
// world itself). Of entities at the same distance the one drawn last (on top)
// wins.
AcDbObjectId pickEntity(const AcDbDatabase* db, QPointF at, double half,
                        const QTransform& toBox = QTransform());

}  // namespace zrgui
