// The system curve, the fan curve's meeting point with it, and range boxes.
#include "fanperf/operating_point.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "fanperf/fan_laws.h"

namespace fanperf {

namespace {

// Enough halvings of [0, 1] to reach the resolution of a double.
constexpr int kBisections = 64;
constexpr double kEdgeTolerance = 1e-12;

// The polynomial in t of fan pressure minus system pressure on one segment.
struct Difference {
  double c[4];
  double at(double t) const { return c[0] + t * (c[1] + t * (c[2] + t * c[3])); }
};

Difference differenceOn(const MonotoneCubic::Segment& s, const SystemCurve& system) {
  // p0 + k·(x0 + h·t)² = p0 + k·x0² + 2·k·x0·h·t + k·h²·t²
  const double k = system.k();
  return {{s.c[0] - system.p0() - k * s.x0 * s.x0, s.c[1] - 2 * k * s.x0 * s.h,
           s.c[2] - k * s.h * s.h, s.c[3]}};
}

// The turning points of the cubic inside (0, 1), ascending: between them
// (and the ends) it is monotone, so a root there is bracketed by a change of
// sign, and none is missed where the cubic dips below zero and back.
int turningPoints(const Difference& f, double out[2]) {
  // f'(t) = c1 + 2·c2·t + 3·c3·t²
  const double a = 3 * f.c[3], b = 2 * f.c[2], c = f.c[1];
  double roots[2];
  int n = 0;
  if (std::abs(a) < 1e-14 * (std::abs(b) + std::abs(c))) {
    if (b != 0) roots[n++] = -c / b;
  } else {
    const double disc = b * b - 4 * a * c;
    if (disc >= 0) {
      // The form that avoids cancellation between -b and the root.
      const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
      if (q != 0) roots[n++] = c / q;
      roots[n++] = q / a;
    }
  }
  int m = 0;
  for (int i = 0; i < n; ++i) {
    if (roots[i] > 0 && roots[i] < 1) out[m++] = roots[i];
  }
  if (m == 2 && out[0] > out[1]) std::swap(out[0], out[1]);
  return m;
}

// The root of f in [lo, hi] where f is monotone and changes sign (or is zero
// at an end).
double bisect(const Difference& f, double lo, double hi) {
  double flo = f.at(lo);
  for (int i = 0; i < kBisections && lo < hi; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (mid <= lo || mid >= hi) break;
    const double fmid = f.at(mid);
    if (fmid == 0) return mid;
    if ((fmid < 0) == (flo < 0)) {
      lo = mid;
      flo = fmid;
    } else {
      hi = mid;
    }
  }
  return 0.5 * (lo + hi);
}

// The largest root of f in [0, 1], or a negative number when there is none.
double largestRoot(const Difference& f) {
  double inner[2];
  const int n = turningPoints(f, inner);
  double bounds[4];
  int count = 0;
  bounds[count++] = 0;
  for (int i = 0; i < n; ++i) bounds[count++] = inner[i];
  bounds[count++] = 1;
  for (int i = count - 1; i > 0; --i) {
    const double lo = bounds[i - 1], hi = bounds[i];
    const double flo = f.at(lo), fhi = f.at(hi);
    if (fhi == 0) return hi;
    if (flo == 0) return lo;
    if ((flo < 0) != (fhi < 0)) return bisect(f, lo, hi);
  }
  return -1;
}

}  // namespace

SystemCurve SystemCurve::throughPoint(double flow, double pressure) {
  if (!std::isfinite(flow) || !std::isfinite(pressure) || flow <= 0 || pressure <= 0) {
    throw std::invalid_argument("the duty point needs a positive flow and pressure");
  }
  return SystemCurve(0, pressure / (flow * flow));
}

SystemCurve SystemCurve::withOffset(double p0, double k) {
  if (!std::isfinite(p0) || !std::isfinite(k) || p0 < 0 || k <= 0) {
    throw std::invalid_argument("a system curve needs p0 >= 0 and a positive k");
  }
  return SystemCurve(p0, k);
}

double SystemCurve::flowAt(double pressure) const {
  return pressure <= m_p0 ? 0 : std::sqrt((pressure - m_p0) / m_k);
}

std::optional<OperatingPoint> intersect(const FanCurve& fan, const SystemCurve& system) {
  const MonotoneCubic& curve = fan.pressureCurve();
  for (std::size_t i = curve.segmentCount(); i-- > 0;) {
    const MonotoneCubic::Segment s = curve.segment(i);
    const double t = largestRoot(differenceOn(s, system));
    if (t < 0) continue;
    const double flow = std::clamp(s.x0 + s.h * t, fan.minFlow(), fan.maxFlow());
    return OperatingPoint{flow, s.atT(t)};
  }
  return std::nullopt;
}

bool isUnstable(const FanCurve& fan, const OperatingPoint& point) {
  return point.flow < fan.peak().flow;
}

double speedForDutyFlow(double speed, const OperatingPoint& point, double dutyFlow) {
  return speed * dutyFlow / point.flow;
}

DutyBox DutyBox::scaled(double speedRatio, double densityRatio) const {
  const FanLawRatio r{speedRatio, densityRatio};
  return {flowLow * r.flow(), flowHigh * r.flow(), pressureLow * r.pressure(),
          pressureHigh * r.pressure()};
}

std::optional<OperatingPoint> systemCurveInBox(const DutyBox& box, const SystemCurve& system,
                                               double fromFlow, double toFlow) {
  // The system curve rises with flow, so inside the box's pressures it spans
  // one interval of flows.
  const double lo = std::max({box.flowLow, system.flowAt(box.pressureLow), fromFlow});
  const double hi = std::min({box.flowHigh, system.flowAt(box.pressureHigh), toFlow});
  // A duty point on the box's edge stays inside although the square root
  // may land a unit in the last place outside.
  if (!(lo <= hi * (1 + kEdgeTolerance))) return std::nullopt;
  // The pressure of the lowest flow, held inside the box against rounding in
  // the square root.
  const double pressure = std::clamp(system.pressureAt(lo), box.pressureLow, box.pressureHigh);
  return OperatingPoint{lo, pressure};
}

}  // namespace fanperf
