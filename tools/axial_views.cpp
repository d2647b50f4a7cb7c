// The side and top views: the fan seen across its axis.
//
// Both are drawn in two coordinates: t along the axis (the motor end negative, the inlet
// positive, 0 the middle plane of the casing) and c across it (height in the side view,
// the front view's x in the top view). Side view points are (t, c), top view points (c, t),
// so one construction serves both and the parts line up with the front view.
#include "fan_views.h"

#include <algorithm>

namespace fangen {

namespace {

struct Axial {
  const FanLayout& l;
  Sketch& s;
  bool top;  // top view, else side view

  double d() const { return l.shape.impeller; }
  double halfWidth() const { return l.shape.casingWidth / 2; }
  Pt at(double t, double c) const { return top ? Pt{c, t} : Pt{t, c}; }
  void rect(Layer layer, double t0, double c0, double t1, double c1) const {
    s.rect(layer, at(t0, c0), at(t1, c1));
  }
  void line(Layer layer, double t0, double c0, double t1, double c1) const {
    s.line(layer, at(t0, c0), at(t1, c1));
  }
  // The casing's range across the axis: the front view's heights or its widths.
  void across(const Box& b, double& lo, double& hi) const {
    lo = top ? b.minX : b.minY;
    hi = top ? b.maxX : b.maxY;
  }
  double cross(Pt p) const { return top ? p.x : p.y; }
  // How far the outlet points at the viewer: +x for the side view, +y for the top view.
  double towardViewer() const { return top ? l.direction.y : l.direction.x; }
};

void drawCasing(const Axial& a) {
  const double w = a.halfWidth(), d = a.d();
  double lo, hi;
  a.across(a.l.shell, lo, hi);
  a.rect(Layer::Casing, -w, lo, w, hi);
  // The flange stands out of the duct all round; seen edge on it is a thin strip, seen
  // face on (outlet toward or away from the viewer) a frame round the outlet.
  Box flange;
  for (Pt p : a.l.flange) flange.add(p);
  a.across(flange, lo, hi);
  const double lip = 0.05 * d;
  a.rect(Layer::Casing, -w - lip, lo, w + lip, hi);
  if (a.towardViewer() > 0.1) {
    const double c0 = a.cross(a.l.outletInner), c1 = a.cross(a.l.outletOuter);
    const double inset = 0.015 * d;
    a.rect(Layer::Casing, -w + inset, std::min(c0, c1), w - inset, std::max(c0, c1));
  }
  // The inlet cone narrows from the casing to its flange.
  const double cone = 0.1 * d, flangeT = 0.03 * d;
  a.s.polyline(
      Layer::Casing,
      {a.at(w, 0.4 * d), a.at(w + cone, 0.36 * d), a.at(w + cone, -0.36 * d), a.at(w, -0.4 * d)},
      false);
  a.rect(Layer::Casing, w + cone, -0.42 * d, w + cone + flangeT, 0.42 * d);
}

// A motor lying along the axis with its shaft end at t = shaftEnd, its axis at c.
void drawMotor(const Axial& a, double shaftEnd, double c) {
  const FanShape& f = a.l.shape;
  const double rm = f.motorRadius, len = f.motorLength;
  const double body = shaftEnd - 0.8 * len, end = shaftEnd - len;
  a.rect(Layer::Motor, body, c - rm, shaftEnd, c + rm);
  for (double fin : {-0.5, 0.0, 0.5}) {
    a.line(Layer::Motor, body + 0.05 * len, c + fin * rm, shaftEnd - 0.05 * len, c + fin * rm);
  }
  a.s.polyline(Layer::Motor,
               {a.at(body, c + 0.92 * rm), a.at(end, c + 0.8 * rm), a.at(end, c - 0.8 * rm),
                a.at(body, c - 0.92 * rm)},
               false);
  const double box0 = shaftEnd - 0.45 * len, box1 = shaftEnd - 0.2 * len;
  if (a.top) {
    a.rect(Layer::Motor, box0, c - 0.3 * rm, box1, c + 0.3 * rm);
    return;
  }
  a.rect(Layer::Motor, box0, c + rm, box1, c + 1.25 * rm);
  const double feet = c - 1.15 * rm;
  a.rect(Layer::Motor, shaftEnd - 0.7 * len, feet, shaftEnd - 0.1 * len, c - rm);
  if (feet > a.l.baseTop) {
    a.rect(Layer::Base, shaftEnd - 0.75 * len, a.l.baseTop, shaftEnd - 0.05 * len, feet);
  }
}

// The fan's own shaft in two bearings, for the coupling and belt drives; returns where the
// shaft ends.
double drawBearings(const Axial& a) {
  const double w = a.halfWidth(), d = a.d();
  const double r = 0.07 * d;
  const double t0 = -w - 0.45 * d, t1 = -w - 0.1 * d;
  a.rect(Layer::Motor, t0, -r, t1, r);
  a.line(Layer::Motor, t1, 0, -w, 0);
  if (!a.top) a.rect(Layer::Base, t0 + 0.03 * d, a.l.baseTop, t1 - 0.03 * d, -r);
  return t0;
}

// Draws the drive; returns the end of the motor, the lowest t of the fan.
double drawDrive(const Axial& a) {
  const double w = a.halfWidth(), d = a.d();
  const double len = a.l.shape.motorLength;
  switch (a.l.shape.drive) {
    case DriveKind::Direct: {
      const double bracket = -w - 0.06 * d;
      const double r = 0.6 * a.l.shape.motorRadius;
      a.rect(Layer::Motor, bracket, -r, -w, r);
      drawMotor(a, bracket, 0);
      return bracket - len;
    }
    case DriveKind::Coupling: {
      const double shaftEnd = drawBearings(a);
      const double coupling = shaftEnd - 0.05 * d;
      a.line(Layer::Motor, shaftEnd, 0, coupling, 0);
      a.rect(Layer::Motor, coupling - 0.05 * d, -0.1 * d, coupling, 0.1 * d);
      drawMotor(a, coupling - 0.05 * d, 0);
      return coupling - 0.05 * d - len;
    }
    case DriveKind::Belt:
      break;
  }
  const double shaftEnd = drawBearings(a);
  const double p1 = shaftEnd - 0.02 * d, p0 = p1 - 0.08 * d;
  a.line(Layer::Motor, shaftEnd, 0, p1, 0);
  const double fp = a.l.fanPulley, mp = a.l.motorPulley;
  const double cm = a.cross(a.l.motorAxis);
  a.rect(Layer::Motor, p0, -fp, p1, fp);
  a.rect(Layer::Motor, p0, cm - mp, p1, cm + mp);
  const double band = 0.015 * d;
  a.rect(Layer::Motor, p0 + band, std::min(-fp, cm - mp), p1 - band, std::max(fp, cm + mp));
  drawMotor(a, p0 - 0.04 * d, cm);
  return p0 - 0.04 * d - len;
}

// Returns the base's end on the motor side.
double drawBaseAndCentres(const Axial& a, double motorEnd) {
  const double w = a.halfWidth(), d = a.d();
  const double margin = 0.05 * d;
  const double t0 = motorEnd - margin, t1 = w + 0.13 * d + margin;
  if (a.top) {
    a.rect(Layer::Base, t0, a.l.baseMinX, t1, a.l.baseMaxX);
  } else {
    a.rect(Layer::Base, t0, a.l.baseTop - a.l.baseHeight, t1, a.l.baseTop);
  }
  double lo, hi;
  a.across(a.l.casing, lo, hi);
  const double over = 0.06 * d;
  a.line(Layer::Centre, t0 - over, 0, t1 + over, 0);
  a.line(Layer::Centre, 0, lo - over, 0, hi + over);
  if (a.l.shape.drive == DriveKind::Belt) {
    const double cm = a.cross(a.l.motorAxis);
    a.line(Layer::Centre, t0 - over, cm, t0 + a.l.shape.motorLength + 0.2 * d, cm);
  }
  return t0;
}

}  // namespace

Sketch sideView(const FanLayout& l) {
  Sketch s;
  const Axial a{l, s, false};
  drawCasing(a);
  drawBaseAndCentres(a, drawDrive(a));
  return s;
}

Sketch topView(const FanLayout& l, const std::string& model) {
  Sketch s;
  const Axial a{l, s, true};
  drawCasing(a);
  const double baseEnd = drawBaseAndCentres(a, drawDrive(a));
  s.label(modelLabel(l, baseEnd, model));
  return s;
}

}  // namespace fangen
