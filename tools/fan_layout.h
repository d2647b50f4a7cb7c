// The proportions and the arrangement of a centrifugal fan as its view drawings show it:
// one casing turned to its outlet angle, its drive and its base, worked out once and shared
// by the front, side and top views so that the three agree.
//
// Coordinates are those of the right-hand fan seen from the motor end: x to the right, y
// up, the impeller axis at the origin, millimetres. The impeller turns clockwise. At 0
// degrees the outlet leaves the top of the casing horizontally to the right; a larger angle
// turns the casing counter-clockwise, against the rotation (90: straight up from the left
// side, 180: horizontally to the left from the bottom). The left-hand fan is the mirror
// image, which the view code makes at the end.
#pragma once

#include <numbers>
#include <string>
#include <vector>

#include "sample_catalogue.h"
#include "sketch.h"

namespace fangen {

inline constexpr double kDegree = std::numbers::pi / 180;

// How the motor turns the impeller: on the motor's own shaft (A, 直联), through a coupling
// to a shaft in bearings (D), or by belts from a motor beside the fan (C, 皮带).
enum class DriveKind { Direct, Coupling, Belt };

DriveKind driveKind(const DriveSpec& drive);

// The outlet angles a casing is offered in, in degrees. A small fan (below No.8) on a direct
// drive is bolted to its motor bracket and can be turned to any of eight positions; a belt
// drive, or a fan of No.8 and up, stands on a floor frame built for three.
std::vector<int> outletAngles(DriveKind drive, double fanNo);

// The sizes of one fan, all in proportion to the impeller diameter, so that the drawings of
// a series scale with the fan number.
struct FanShape {
  double impeller = 0;      // D = fan number x 100
  double casingWidth = 0;   // along the axis
  double tongueRadius = 0;  // the scroll's radius at the cut-off
  double scrollEnd = 0;     // and where it runs into the outlet
  DriveKind drive = DriveKind::Direct;
  double motorRadius = 0;
  double motorLength = 0;
};

// The series name gives the shape: its last number is the specific speed of the series
// (4-72: 72, 9-19: 19), and a high specific speed means a wide impeller and a casing that
// widens fast. Names without a number get the middle of the range.
FanShape fanShape(const std::string& series, double fanNo, DriveKind drive);

// The casing of one fan at one outlet angle, and where its drive and base go.
struct FanLayout {
  FanShape shape;
  double angle = 0;  // radians

  // The scroll from the cut-off round to the top of the outlet, turned to the angle.
  std::vector<Pt> scroll;
  Pt tongue;                    // the cut-off: the outlet's inner wall starts here
  Pt outletInner, outletOuter;  // the outlet's end, inner and outer wall
  Pt direction;                 // unit vector of the air leaving the outlet
  std::vector<Pt> flange;       // the outlet flange, a closed outline
  Box body;                     // the scroll alone
  Box shell;                    // scroll and outlet duct
  Box casing;                   // scroll, duct and flange

  double baseTop = 0;  // the top of the base frame
  double baseHeight = 0;
  double baseMinX = 0, baseMaxX = 0;  // the frame's length across the front view
  // Belt drive: the motor's axis in the front view, the two pulleys' radii.
  Pt motorAxis;
  double fanPulley = 0, motorPulley = 0;
};

FanLayout fanLayout(const FanShape& shape, int angleDegrees);

}  // namespace fangen
