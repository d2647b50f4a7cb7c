// What the user selects on the drawing canvas at the command prompt, before
// any command: the editor's implied selection (cad/runtime/selection_set.h),
// which the next editing command takes as its objects.
//
// A pick adds the one entity drawn nearest to the cursor within the pick box
// (pickEntity), a window what lies inside, a crossing what it touches;
// nothing is taken away but by clearing (Esc). The selection shows its
// entities highlighted and their grips: a block reference's insertion point,
// a line's ends, an arc's or a circle's centre.
#pragma once

#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <vector>

#include "cad/acdb.h"
#include "gui/drawing_scene.h"

namespace zrgui {

struct Grip {
  QPointF at;  // world point
  AcDbObjectId entity;
  bool insertion = false;  // a block reference's insertion point (it moves the reference)
};

class CanvasSelection {
 public:
  // Adds the entities of the working drawing inside the world box (crossing:
  // meeting it) that are not selected yet; returns how many were added.
  int add(const QRectF& world, bool crossing);
  // Adds what a click at at picks (pickEntity, the same arguments) unless it
  // is selected already; returns how many were added (0 or 1).
  int pick(QPointF at, double half, const QTransform& toBox);
  void clear();
  bool isEmpty() const;
  const std::vector<AcDbObjectId>& entities() const;
  // Drops what is no longer there (erased, undone, of another drawing).
  void prune();

  std::vector<Grip> grips() const;
  // The selected entities as a scene, rebuilt when the selection or the
  // drawing (its change stamp) changed.
  const Scene& highlight(std::uint64_t stamp);

 private:
  int addIds(const std::vector<AcDbObjectId>& found);

  Scene m_highlight;
  std::vector<AcDbObjectId> m_shown;  // what m_highlight holds
  std::uint64_t m_shownStamp = 0;
};

}  // namespace zrgui
