// Where a fan meets its system: the system curve through the duty point, the
// operating point on a fan curve or in a catalogue's range box, and the speed
// at which a fan meets the duty point exactly.
#pragma once

#include <optional>

#include "fanperf/fan_curve.h"

namespace fanperf {

// The pressure the system needs at a flow: the losses of ducts and fittings
// grow with the square of the velocity, p = p0 + k·Q², where p0 is what the
// system needs before anything flows (a stack, a held room pressure), 0 unless
// given.
class SystemCurve {
 public:
  // Through the duty point (flow m³/h and pressure Pa, both positive and
  // finite). Throws std::invalid_argument otherwise.
  static SystemCurve throughPoint(double flow, double pressure);
  // p0 (Pa, finite, not negative) and k (Pa/(m³/h)², positive and finite).
  // Throws std::invalid_argument otherwise.
  static SystemCurve withOffset(double p0, double k);

  double p0() const { return m_p0; }
  double k() const { return m_k; }
  double pressureAt(double flow) const { return m_p0 + m_k * flow * flow; }
  double flowAt(double pressure) const;

 private:
  SystemCurve(double p0, double k) : m_p0(p0), m_k(k) {}
  double m_p0;
  double m_k;
};

struct OperatingPoint {
  double flow = 0;      // m³/h
  double pressure = 0;  // Pa
};

// Where the fan curve meets the system curve, within the curve's flows; no
// answer when they do not meet there. Of several meeting points (a system
// curve that cuts the rising, unstable side of a curve and the falling side
// again) the one of the largest flow: a fan started against the system runs
// up to it and settles there.
std::optional<OperatingPoint> intersect(const FanCurve& fan, const SystemCurve& system);

// A point of the curve lies on its unstable side when it is left of the peak.
bool isUnstable(const FanCurve& fan, const OperatingPoint& point);

// The speed (r/min) at which the fan, now at `speed` and meeting the system at
// `point`, meets it at the duty flow instead. Changing the speed moves every
// point of the curve along a parabola p ∝ Q² (flow with speed, pressure with
// its square), and the system curve is such a parabola: the operating point
// slides along the system curve in proportion to the speed.
double speedForDutyFlow(double speed, const OperatingPoint& point, double dutyFlow);

// A row of a range-style catalogue: the fan covers flows and pressures in
// this box rather than along a curve.
struct DutyBox {
  double flowLow = 0;
  double flowHigh = 0;
  double pressureLow = 0;
  double pressureHigh = 0;

  DutyBox scaled(double speedRatio, double densityRatio) const;
};

// The point of the system curve inside the box with the smallest flow in
// [fromFlow, toFlow]; no answer when the system curve misses that part of
// the box. Box edges count as inside.
std::optional<OperatingPoint> systemCurveInBox(const DutyBox& box, const SystemCurve& system,
                                               double fromFlow, double toFlow);

}  // namespace fanperf
