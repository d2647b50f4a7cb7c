// A fan's view drawing as the data sheet draws it: the curves of one view
// block flattened to polylines, with the block's overall width and height.
//
// Lines, arcs, circles, ellipses, polylines (with their bulges) and splines
// are drawn as the canvas draws them (cad/db/curve_points.h: a spline is the
// B-spline of its control points), and the blocks a view block holds, through
// their transforms. Meshes, texts and attribute definitions (the tag's place)
// are neither drawn nor measured: the overall dimensions are the fan's, from
// the extents of its curves, in drawing units (millimetres in the drawing
// library).
#pragma once

#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "drawings/fan_view.h"

namespace duty {

struct OutlinePoint {
  double x = 0, y = 0;
};

struct ViewOutline {
  CString block;  // the view block's name
  // Polylines in the block's coordinates.
  std::vector<std::vector<OutlinePoint>> strokes;
  OutlinePoint low, high;  // the extents of the curves
  // Why there is nothing to draw (no view drawing, no such block, a block
  // without curves); empty when there are strokes.
  CString problem;

  double width() const { return high.x - low.x; }
  double height() const { return high.y - low.y; }
};

// The outline of the block blockId names (a view block, or a placed fan's
// copy of one in the working drawing).
ViewOutline blockOutline(AcDbObjectId blockId);

// The outline of fan's view block in the drawing library. With no angle, the
// first the drawing offers for the hand, as the FAN dialog opens on a model.
ViewOutline libraryOutline(FanView fan);

}  // namespace duty
