// Performance of a centrifugal fan from its series' dimensionless curve, by the fan laws.
//
// A series is geometrically similar across its sizes, so one curve serves
// them all: at impeller diameter D (m, the fan number over ten) and speed n
// (r/min), flow = q·D³·n (m³/h), total pressure = p·D²·n² (Pa) and internal
// power = flow·pressure / (3.6e6·efficiency) (kW). Flow then grows with
// speed, pressure with its square and power with its cube.
#pragma once

#include <string>
#include <vector>

namespace fangen {

// Coefficients along the curve, from the lowest flow to the highest.
struct FanCurve {
  std::vector<double> flow;        // q
  std::vector<double> pressure;    // p
  std::vector<double> efficiency;  // 0..1
};

struct PerformancePoint {
  double flux = 0;        // m³/h, whole numbers
  double pressure = 0;    // Pa, whole numbers
  double efficiency = 0;  // %, one decimal
  double shaftPower = 0;  // kW, two decimals
};

// `count` points spread evenly along the curve (interpolated between its points).
std::vector<PerformancePoint> performancePoints(const FanCurve& curve, double fanNo, int speed,
                                                int count);

struct Motor {
  std::string model;  // Y series, e.g. "Y132S1-2"
  double power = 0;   // kW
};

// The smallest standard motor with a 15 % margin over shaftPower, with the
// pole count that suits the drive: the fan's own speed for a direct drive,
// 2 or 4 poles for a belt drive. The largest listed motor when none suffices.
Motor chooseMotor(double shaftPower, int speed, bool beltDrive);

// The motor's synchronous-ish running speed (r/min) for that choice.
int motorSpeed(int fanSpeed, bool beltDrive);

}  // namespace fangen
