// Fan-law performance points and motor selection.
#include "fan_performance.h"

#include <cmath>
#include <utility>

namespace fangen {

namespace {

double round(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}

double interpolate(const std::vector<double>& values, double at) {
  const std::size_t i = static_cast<std::size_t>(at);
  if (i + 1 >= values.size()) return values.back();
  const double t = at - static_cast<double>(i);
  return values[i] + (values[i + 1] - values[i]) * t;
}

using MotorList = std::vector<std::pair<double, const char*>>;

// Y series three-phase motors (kW, frame), by pole count.
const MotorList& motorsFor(int poles) {
  static const MotorList two = {
      {0.75, "Y801-2"},  {1.1, "Y802-2"},   {1.5, "Y90S-2"},   {2.2, "Y90L-2"},  {3, "Y100L-2"},
      {4, "Y112M-2"},    {5.5, "Y132S1-2"}, {7.5, "Y132S2-2"}, {11, "Y160M1-2"}, {15, "Y160M2-2"},
      {18.5, "Y160L-2"}, {22, "Y180M-2"},   {30, "Y200L1-2"},  {37, "Y200L2-2"}, {45, "Y225M-2"},
      {55, "Y250M-2"},   {75, "Y280S-2"},   {90, "Y280M-2"},   {110, "Y315S-2"}, {132, "Y315M-2"},
      {160, "Y315L1-2"}, {200, "Y315L2-2"}, {250, "Y355M-2"},  {315, "Y355L-2"}};
  static const MotorList four = {
      {0.55, "Y801-4"}, {0.75, "Y802-4"},  {1.1, "Y90S-4"},   {1.5, "Y90L-4"},  {2.2, "Y100L1-4"},
      {3, "Y100L2-4"},  {4, "Y112M-4"},    {5.5, "Y132S-4"},  {7.5, "Y132M-4"}, {11, "Y160M-4"},
      {15, "Y160L-4"},  {18.5, "Y180M-4"}, {22, "Y180L-4"},   {30, "Y200L-4"},  {37, "Y225S-4"},
      {45, "Y225M-4"},  {55, "Y250M-4"},   {75, "Y280S-4"},   {90, "Y280M-4"},  {110, "Y315S-4"},
      {132, "Y315M-4"}, {160, "Y315L1-4"}, {200, "Y315L2-4"}, {250, "Y355M-4"}, {315, "Y355L-4"}};
  static const MotorList six = {
      {0.75, "Y90S-6"},   {1.1, "Y90L-6"},   {1.5, "Y100L-6"}, {2.2, "Y112M-6"},  {3, "Y132S-6"},
      {4, "Y132M1-6"},    {5.5, "Y132M2-6"}, {7.5, "Y160M-6"}, {11, "Y160L-6"},   {15, "Y180L-6"},
      {18.5, "Y200L1-6"}, {22, "Y200L2-6"},  {30, "Y225M-6"},  {37, "Y250M-6"},   {45, "Y280S-6"},
      {55, "Y280M-6"},    {75, "Y315S-6"},   {90, "Y315M-6"},  {110, "Y315L1-6"}, {132, "Y315L2-6"},
      {160, "Y355M1-6"},  {200, "Y355M2-6"}, {250, "Y355L-6"}};
  static const MotorList eight = {
      {2.2, "Y132S-8"},  {3, "Y132M-8"},    {4, "Y160M1-8"},   {5.5, "Y160M2-8"}, {7.5, "Y160L-8"},
      {11, "Y180L-8"},   {15, "Y200L-8"},   {18.5, "Y225S-8"}, {22, "Y225M-8"},   {30, "Y250M-8"},
      {37, "Y280S-8"},   {45, "Y280M-8"},   {55, "Y315S-8"},   {75, "Y315M-8"},   {90, "Y315L1-8"},
      {110, "Y315L2-8"}, {132, "Y355M1-8"}, {160, "Y355M2-8"}, {200, "Y355L-8"}};
  static const MotorList ten = {{45, "Y315S-10"},  {55, "Y315M-10"},   {75, "Y315L2-10"},
                                {90, "Y355M1-10"}, {110, "Y355M2-10"}, {132, "Y355L-10"}};
  switch (poles) {
    case 2:
      return two;
    case 4:
      return four;
    case 6:
      return six;
    case 8:
      return eight;
    default:
      return ten;
  }
}

int polesFor(int fanSpeed, bool beltDrive) {
  if (beltDrive) return fanSpeed > 1800 ? 2 : 4;
  if (fanSpeed >= 2800) return 2;
  if (fanSpeed >= 1400) return 4;
  if (fanSpeed >= 940) return 6;
  if (fanSpeed >= 700) return 8;
  return 10;
}

}  // namespace

std::vector<PerformancePoint> performancePoints(const FanCurve& curve, double fanNo, int speed,
                                                int count) {
  const double d = fanNo / 10.0;
  const double n = speed;
  std::vector<PerformancePoint> points;
  const double last = static_cast<double>(curve.flow.size() - 1);
  for (int i = 0; i < count; ++i) {
    const double at = count == 1 ? 0 : last * i / (count - 1);
    PerformancePoint p;
    p.flux = std::round(interpolate(curve.flow, at) * d * d * d * n);
    p.pressure = std::round(interpolate(curve.pressure, at) * d * d * n * n);
    const double eff = interpolate(curve.efficiency, at);
    p.efficiency = round(eff * 100, 1);
    p.shaftPower = round(p.flux * p.pressure / (3.6e6 * eff), 2);
    points.push_back(p);
  }
  return points;
}

Motor chooseMotor(double shaftPower, int speed, bool beltDrive) {
  const MotorList& list = motorsFor(polesFor(speed, beltDrive));
  const double needed = shaftPower * (beltDrive ? 1.2 : 1.15);  // belt losses
  for (const auto& [power, model] : list) {
    if (power >= needed) return {model, power};
  }
  return {list.back().second, list.back().first};
}

int motorSpeed(int fanSpeed, bool beltDrive) {
  switch (polesFor(fanSpeed, beltDrive)) {
    case 2:
      return 2900;
    case 4:
      return 1450;
    case 6:
      return 960;
    case 8:
      return 730;
    default:
      return 580;
  }
}

}  // namespace fangen
