// Proportions of the fans and the arrangement of casing, drive and base at an outlet angle.
#include "fan_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace fangen {

namespace {

// Fans of this number and up have the large fans' three outlet positions whatever drives
// them.
constexpr double kLargeFanNo = 8;

// Where the scroll starts (polar angle of the cut-off, before the casing is turned) and how
// far round it runs to meet the outlet at the top: 330 degrees, the usual wrap of a volute.
constexpr double kTonguePolar = 60 * kDegree;
constexpr double kScrollWrap = 330 * kDegree;
constexpr int kScrollSteps = 44;  // 7.5 degrees a step: smooth at any preview size

// The specific speed from the last run of digits of a series name.
double specificSpeed(const std::string& series) {
  std::size_t end = series.size();
  while (end > 0 && !std::isdigit(static_cast<unsigned char>(series[end - 1]))) --end;
  std::size_t begin = end;
  while (begin > 0 && std::isdigit(static_cast<unsigned char>(series[begin - 1]))) --begin;
  if (begin == end) return 50;
  return std::clamp(std::stod(series.substr(begin, end - begin)), 15.0, 80.0);
}

Pt turned(Pt p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

void layOutCasing(FanLayout& l) {
  const FanShape& f = l.shape;
  const double d = f.impeller;
  const double growth = std::log(f.scrollEnd / f.tongueRadius) / kScrollWrap;
  // A logarithmic spiral: the air leaves the impeller at a constant angle, so the casing
  // widens in proportion to its radius. It turns clockwise with the impeller.
  for (int i = 0; i <= kScrollSteps; ++i) {
    const double travel = kScrollWrap * i / kScrollSteps;
    const double r = f.tongueRadius * std::exp(growth * travel);
    const double polar = kTonguePolar - travel;
    l.scroll.push_back(turned({r * std::cos(polar), r * std::sin(polar)}, l.angle));
  }
  const Pt tongue{f.tongueRadius * std::cos(kTonguePolar), f.tongueRadius * std::sin(kTonguePolar)};
  const double outletEnd = 0.78 * d;
  const double lip = 0.05 * d;         // how far the flange stands out of the duct
  const double thickness = 0.025 * d;  // of the flange
  l.tongue = turned(tongue, l.angle);
  l.outletInner = turned({outletEnd, tongue.y}, l.angle);
  l.outletOuter = turned({outletEnd, f.scrollEnd}, l.angle);
  l.direction = turned({1, 0}, l.angle);
  for (Pt p : {Pt{outletEnd - thickness, tongue.y - lip}, Pt{outletEnd, tongue.y - lip},
               Pt{outletEnd, f.scrollEnd + lip}, Pt{outletEnd - thickness, f.scrollEnd + lip}}) {
    l.flange.push_back(turned(p, l.angle));
  }
  for (Pt p : l.scroll) l.body.add(p);
  l.shell = l.body;
  l.shell.add(l.outletInner);
  l.shell.add(l.outletOuter);
  l.casing = l.shell;
  for (Pt p : l.flange) l.casing.add(p);
}

void layOutDrive(FanLayout& l) {
  const FanShape& f = l.shape;
  const double d = f.impeller;
  const double rm = f.motorRadius;
  // The casing rests on the frame at its lowest point: the scroll, or the outlet flange of
  // an outlet pointing down (the fan then stands on the duct it blows into).
  const double clearance = 0.02 * d;
  l.baseHeight = 0.08 * d;
  Box all = l.casing;
  if (f.drive == DriveKind::Belt) {
    l.fanPulley = 0.2 * d;
    l.motorPulley = 0.1 * d;
    l.baseTop = std::min(l.casing.minY, -l.fanPulley - clearance);
    // The motor stands beside the fan, on the side away from the outlet, low on the frame
    // so the belts run down to it.
    const double outletMid = (l.outletInner.x + l.outletOuter.x) / 2;
    const double side = outletMid > 0 ? -1 : 1;
    const double edge = side > 0 ? l.body.maxX : l.body.minX;
    l.motorAxis = {edge + side * 0.1 * d, l.baseTop + 0.04 * d + 1.15 * rm};
    all.add(Pt{l.motorAxis.x - 1.2 * rm, l.motorAxis.y});
    all.add(Pt{l.motorAxis.x + 1.2 * rm, l.motorAxis.y});
  } else {
    l.baseTop = std::min(l.casing.minY, -1.15 * rm - clearance);
  }
  l.baseMinX = all.minX - 0.05 * d;
  l.baseMaxX = all.maxX + 0.05 * d;
}

}  // namespace

DriveKind driveKind(const DriveSpec& drive) {
  if (drive.belt) return DriveKind::Belt;
  return drive.mode == "D" ? DriveKind::Coupling : DriveKind::Direct;
}

std::vector<int> outletAngles(DriveKind drive, double fanNo) {
  if (drive == DriveKind::Belt || fanNo >= kLargeFanNo) return {0, 90, 180};
  std::vector<int> angles;
  for (int a = 0; a < 360; a += 45) angles.push_back(a);
  return angles;
}

FanShape fanShape(const std::string& series, double fanNo, DriveKind drive) {
  const double ns = specificSpeed(series);
  FanShape f;
  f.impeller = fanNo * 100;
  f.drive = drive;
  const double d = f.impeller;
  f.casingWidth = std::clamp(0.2 + ns / 120, 0.3, 0.85) * d;
  f.tongueRadius = 0.56 * d;
  f.scrollEnd = f.tongueRadius * (1.55 + ns / 250);
  // Belt-driven fans run slower than their motors, so the motor is the smaller.
  f.motorRadius = (drive == DriveKind::Belt ? 0.22 : 0.28) * d;
  f.motorLength = (drive == DriveKind::Belt ? 0.8 : 0.9) * d;
  return f;
}

FanLayout fanLayout(const FanShape& shape, int angleDegrees) {
  FanLayout l;
  l.shape = shape;
  l.angle = angleDegrees * kDegree;
  layOutCasing(l);
  layOutDrive(l);
  return l;
}

}  // namespace fangen
