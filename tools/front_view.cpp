// The front view: the fan seen along its axis from the motor end.
#include "fan_views.h"

#include <cmath>
#include <numbers>

namespace fangen {

namespace {

constexpr int kBlades = 12;

void drawCasing(Sketch& s, const FanLayout& l) {
  // One closed outline: round the scroll from the cut-off, out along the outlet's outer
  // wall, across the outlet's end and back along its inner wall to the cut-off.
  std::vector<Pt> outline = l.scroll;
  outline.push_back(l.outletOuter);
  outline.push_back(l.outletInner);
  s.polyline(Layer::Casing, std::move(outline), true);
  s.polyline(Layer::Casing, l.flange, true);
}

// Backward-curved blades: each leans back against the clockwise rotation, its tip trailing
// its root.
void drawImpeller(Sketch& s, const FanLayout& l) {
  const double d = l.shape.impeller;
  s.circle(Layer::Impeller, {0, 0}, d / 2);
  s.circle(Layer::Impeller, {0, 0}, 0.1 * d);
  const double root = 0.3 * d, tip = 0.49 * d;
  for (int i = 0; i < kBlades; ++i) {
    const double a = l.angle + 2 * std::numbers::pi * i / kBlades;
    const double b = a + 0.45;
    s.polyline(Layer::Impeller,
               {{root * std::cos(a), root * std::sin(a)}, {tip * std::cos(b), tip * std::sin(b)}},
               false, {-0.12, 0});
  }
}

// The arrow of rotation, clockwise, in the wide part of the scroll opposite the cut-off.
void drawRotationArrow(Sketch& s, const FanLayout& l) {
  const double d = l.shape.impeller;
  const double r = 0.62 * d;
  const double head = l.angle + 220 * kDegree, tail = l.angle + 260 * kDegree;
  s.arc(Layer::Impeller, {0, 0}, r, head, tail);
  const Pt h{r * std::cos(head), r * std::sin(head)};
  // Back along the path the arrow came: against the clockwise tangent at the head.
  const double back = std::atan2(std::cos(head), -std::sin(head));
  for (double barb : {-0.4, 0.4}) {
    s.line(Layer::Impeller, h,
           {h.x + 0.06 * d * std::cos(back + barb), h.y + 0.06 * d * std::sin(back + barb)});
  }
}

// The end of a motor seen along its shaft: frame, fan cowl grille, terminal box on top, feet,
// and the stand that carries it on the base frame.
void drawMotorEnd(Sketch& s, const FanLayout& l, Pt axis) {
  const double rm = l.shape.motorRadius;
  s.circle(Layer::Motor, axis, rm);
  s.circle(Layer::Motor, axis, 0.65 * rm);
  s.rect(Layer::Motor, {axis.x - 0.3 * rm, axis.y + 0.92 * rm},
         {axis.x + 0.3 * rm, axis.y + 1.25 * rm});
  const double feet = axis.y - 1.15 * rm;
  s.polyline(Layer::Motor,
             {{axis.x - 0.7 * rm, axis.y - 0.71 * rm},
              {axis.x - 1.0 * rm, feet},
              {axis.x + 1.0 * rm, feet},
              {axis.x + 0.7 * rm, axis.y - 0.71 * rm}},
             false);
  if (feet > l.baseTop) {
    s.rect(Layer::Base, {axis.x - 0.85 * rm, l.baseTop}, {axis.x + 0.85 * rm, feet});
  }
}

// The outer tangents of two pulleys: the two runs of the belt.
void drawBelt(Sketch& s, Pt c1, double r1, Pt c2, double r2) {
  const double dx = c2.x - c1.x, dy = c2.y - c1.y;
  const double phi = std::atan2(dy, dx);
  const double alpha = std::acos((r1 - r2) / std::hypot(dx, dy));
  for (double side : {-1.0, 1.0}) {
    const double a = phi + side * alpha;
    s.line(Layer::Motor, {c1.x + r1 * std::cos(a), c1.y + r1 * std::sin(a)},
           {c2.x + r2 * std::cos(a), c2.y + r2 * std::sin(a)});
  }
}

void drawBeltDrive(Sketch& s, const FanLayout& l) {
  const double d = l.shape.impeller;
  const double bearing = 0.07 * d;
  s.circle(Layer::Motor, {0, 0}, l.fanPulley);
  s.circle(Layer::Motor, {0, 0}, bearing);
  s.rect(Layer::Base, {-0.1 * d, l.baseTop}, {0.1 * d, -bearing});
  drawMotorEnd(s, l, l.motorAxis);
  s.circle(Layer::Motor, l.motorAxis, l.motorPulley);
  drawBelt(s, {0, 0}, l.fanPulley, l.motorAxis, l.motorPulley);
}

void drawBase(Sketch& s, const FanLayout& l) {
  const double bottom = l.baseTop - l.baseHeight;
  s.rect(Layer::Base, {l.baseMinX, bottom}, {l.baseMaxX, l.baseTop});
  // The inner edge of the channel's top flange.
  const double flange = l.baseTop - 0.25 * l.baseHeight;
  s.line(Layer::Base, {l.baseMinX, flange}, {l.baseMaxX, flange});
}

void drawCentreLines(Sketch& s, const FanLayout& l) {
  const double over = 0.06 * l.shape.impeller;
  s.line(Layer::Centre, {l.casing.minX - over, 0}, {l.casing.maxX + over, 0});
  s.line(Layer::Centre, {0, l.casing.minY - over}, {0, l.casing.maxY + over});
}

}  // namespace

Sketch frontView(const FanLayout& l, const std::string& model) {
  Sketch s;
  drawCasing(s, l);
  drawImpeller(s, l);
  drawRotationArrow(s, l);
  if (l.shape.drive == DriveKind::Belt) {
    drawBeltDrive(s, l);
  } else {
    drawMotorEnd(s, l, {0, 0});
  }
  drawBase(s, l);
  drawCentreLines(s, l);
  s.label(modelLabel(l, l.baseTop - l.baseHeight, model));
  return s;
}

}  // namespace fangen
