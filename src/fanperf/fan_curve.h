// FanCurve: one fan's performance at one speed and air density, from its measured points.
//
// Total pressure (Pa), efficiency (%) and shaft power (kW) against flow
// (m³/h), each a monotone cubic through the points that give it. Pressure is
// required at every point; efficiency and power are optional, and each of
// their curves covers only the stretch between the first and last point that
// has a value (a curve with fewer than two such points is absent). Nothing is
// extrapolated: outside its range a curve has no value.
//
// Between points the monotone cubic has no extreme of its own, so the peak
// of the pressure curve is its highest measured point, and the flow of that
// point divides the unstable side (lower flows, where pressure rises with
// flow) from the stable one.
#pragma once

#include <optional>
#include <stdexcept>
#include <vector>

#include "fanperf/monotone_cubic.h"

namespace fanperf {

struct CurvePoint {
  CurvePoint() = default;
  CurvePoint(double q, double p, std::optional<double> eta = {}, std::optional<double> power = {})
      : flow(q), pressure(p), efficiency(eta), shaftPower(power) {}

  double flow = 0;                   // m³/h
  double pressure = 0;               // Pa, total
  std::optional<double> efficiency;  // %
  std::optional<double> shaftPower;  // kW
};

struct PeakPressure {
  double flow = 0;
  double pressure = 0;
};

// Measured points that do not make a curve: fewer than two, a value that is
// not a finite number, a negative flow, or two points at one flow with
// different values.
class CurveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FanCurve {
 public:
  // The points in any order; they are sorted by flow, and a point repeated
  // exactly is taken once. Throws CurveError.
  explicit FanCurve(std::vector<CurvePoint> points);

  double minFlow() const { return m_pressure.xMin(); }
  double maxFlow() const { return m_pressure.xMax(); }
  // Sorted by flow, repeats dropped.
  const std::vector<CurvePoint>& points() const { return m_points; }

  std::optional<double> pressureAt(double flow) const { return m_pressure.at(flow); }
  std::optional<double> efficiencyAt(double flow) const;
  std::optional<double> shaftPowerAt(double flow) const;
  bool hasEfficiency() const { return m_efficiency.has_value(); }
  bool hasShaftPower() const { return m_shaftPower.has_value(); }
  const MonotoneCubic& pressureCurve() const { return m_pressure; }

  // The highest point; of several equally high, the one of the largest flow,
  // where the stable side begins.
  PeakPressure peak() const;

  // The same fan at speedRatio times the speed and densityRatio times the air
  // density, by the fan laws (fan_laws.h). The monotone cubic through scaled
  // points is the scaled curve, so nothing is lost by rebuilding.
  FanCurve scaled(double speedRatio, double densityRatio) const;

 private:
  std::vector<CurvePoint> m_points;
  MonotoneCubic m_pressure;
  std::optional<MonotoneCubic> m_efficiency;
  std::optional<MonotoneCubic> m_shaftPower;
};

}  // namespace fanperf
