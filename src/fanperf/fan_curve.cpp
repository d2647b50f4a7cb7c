// A fan's curves from its points: validation, the three interpolants, the peak, scaling.
#include "fanperf/fan_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fanperf/fan_laws.h"

namespace fanperf {

namespace {

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

bool finiteOrAbsent(const std::optional<double>& v) { return !v || std::isfinite(*v); }

bool samePoint(const CurvePoint& a, const CurvePoint& b) {
  return a.flow == b.flow && a.pressure == b.pressure && a.efficiency == b.efficiency &&
         a.shaftPower == b.shaftPower;
}

std::vector<CurvePoint> checkedPoints(std::vector<CurvePoint> points) {
  for (const CurvePoint& p : points) {
    if (!std::isfinite(p.flow) || !std::isfinite(p.pressure) || !finiteOrAbsent(p.efficiency) ||
        !finiteOrAbsent(p.shaftPower)) {
      throw CurveError("a point holds a value that is not a finite number");
    }
    if (p.flow < 0) throw CurveError("a point has a negative flow (" + number(p.flow) + ")");
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const CurvePoint& a, const CurvePoint& b) { return a.flow < b.flow; });
  std::vector<CurvePoint> out;
  for (const CurvePoint& p : points) {
    if (!out.empty() && out.back().flow == p.flow) {
      if (samePoint(out.back(), p)) continue;
      throw CurveError("two points at flow " + number(p.flow) + " differ");
    }
    out.push_back(p);
  }
  if (out.size() < 2) throw CurveError("fewer than two points at different flows");
  return out;
}

MonotoneCubic pressureOf(const std::vector<CurvePoint>& points) {
  std::vector<double> x, y;
  for (const CurvePoint& p : points) {
    x.push_back(p.flow);
    y.push_back(p.pressure);
  }
  return MonotoneCubic(std::move(x), std::move(y));
}

// The curve through the points that have the value, if there are two.
std::optional<MonotoneCubic> optionalCurve(const std::vector<CurvePoint>& points,
                                           std::optional<double> CurvePoint::*value) {
  std::vector<double> x, y;
  for (const CurvePoint& p : points) {
    if (!(p.*value)) continue;
    x.push_back(p.flow);
    y.push_back(*(p.*value));
  }
  if (x.size() < 2) return std::nullopt;
  return MonotoneCubic(std::move(x), std::move(y));
}

}  // namespace

FanCurve::FanCurve(std::vector<CurvePoint> points)
    : m_points(checkedPoints(std::move(points))),
      m_pressure(pressureOf(m_points)),
      m_efficiency(optionalCurve(m_points, &CurvePoint::efficiency)),
      m_shaftPower(optionalCurve(m_points, &CurvePoint::shaftPower)) {}

std::optional<double> FanCurve::efficiencyAt(double flow) const {
  return m_efficiency ? m_efficiency->at(flow) : std::nullopt;
}

std::optional<double> FanCurve::shaftPowerAt(double flow) const {
  return m_shaftPower ? m_shaftPower->at(flow) : std::nullopt;
}

PeakPressure FanCurve::peak() const {
  PeakPressure best{m_points.front().flow, m_points.front().pressure};
  for (const CurvePoint& p : m_points) {
    if (p.pressure >= best.pressure) best = {p.flow, p.pressure};
  }
  return best;
}

FanCurve FanCurve::scaled(double speedRatio, double densityRatio) const {
  const FanLawRatio r{speedRatio, densityRatio};
  std::vector<CurvePoint> points = m_points;
  for (CurvePoint& p : points) {
    p.flow *= r.flow();
    p.pressure *= r.pressure();
    if (p.shaftPower) *p.shaftPower *= r.power();
  }
  return FanCurve(std::move(points));
}

}  // namespace fanperf
