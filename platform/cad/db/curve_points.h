// The curves of a drawing as polylines: the one flattening that the desktop
// canvas draws and the data sheet outlines a fan's view block with.
//
// A curve becomes the points of its chords in the coordinates of the block
// that holds it, consecutive points joined by straight segments; a closed
// curve ends on its first point again. Arcs and circles are cut into chords
// of equal angle, kChordsPerTurn to a full turn (at least two for any arc),
// so a circle 500 pixels across strays from its chords by half a pixel.
#pragma once

#include <vector>

#include "cad/db/db_curves.h"
#include "cad/db/ge_geometry.h"

namespace zrcad {

inline constexpr int kChordsPerTurn = 72;

// Appends the points of e's curve to out and returns true for the entities
// that are curves: lines; circles and arcs (centre in the object coordinate
// system of their normal, as the database keeps it); ellipses; lightweight
// and heavy polylines with the arcs of their bulges (3D polylines have none);
// splines as the clamped uniform B-spline of their control points, or
// through their fit points when they have fewer than two control points.
// Meshes and polyface meshes are curves that append nothing (they are no
// outline), and the frame vertices of a spline-fit polyline (vertex flag 16)
// are left out (they do not lie on the curve). Any other entity (texts,
// points, solids, block references) appends nothing and returns false.
bool curvePoints(const AcDbEntity* e, std::vector<AcGePoint3d>& out);

}  // namespace zrcad
