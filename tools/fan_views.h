// The outlines of a centrifugal fan in its three views, as the blocks of its view drawing
// hold them, and the names of those blocks.
//
// Every block has its base point on the impeller axis: in the front view the axis itself,
// in the side and top views the point where the axis meets the middle plane of the casing.
//   front (F): seen from the motor end; scroll casing, outlet with flange, impeller, motor
//              (or pulleys, belts and motor beside), base frame, centre lines;
//   side  (S): seen from the side the 0-degree outlet faces, motor end to the left for the
//              right hand; casing width, inlet cone, bearings, motor, base;
//   top   (B): seen from above, motor end down; casing width, inlet, drive, base frame.
// The left hand is the mirror image of the right hand in the block's y axis.
#pragma once

#include <string>

#include "drawings/view_names.h"
#include "fan_layout.h"
#include "sketch.h"

namespace fangen {

// Numbered as the module numbers the views of a view drawing (view_names.h).
enum class View { Front = kViewDrawingFront, Side = kViewDrawingSide, Top = kViewDrawingTop };
enum class Hand { Left, Right };
inline constexpr View kAllViews[] = {View::Front, View::Side, View::Top};
inline constexpr Hand kAllHands[] = {Hand::Left, Hand::Right};

// "F_L0", "S_R45", "B_L135": the module's ViewBlockName for the outlet angle.
std::string viewBlockName(View view, Hand hand, int angleDegrees);

// The outline of one block. model is the default text of the MODEL attribute that the front
// and top views carry.
Sketch viewSketch(View view, Hand hand, const FanLayout& layout, const std::string& model);

// The right-hand views (front_view.cpp; side and top: axial_views.cpp).
Sketch frontView(const FanLayout& layout, const std::string& model);
Sketch sideView(const FanLayout& layout);
Sketch topView(const FanLayout& layout, const std::string& model);

// The MODEL attribute, centred under the outline at drawing height y.
Label modelLabel(const FanLayout& layout, double y, const std::string& model);

}  // namespace fangen
