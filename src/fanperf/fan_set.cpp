// Combined curves of identical fans in parallel or series, and their operating point.
#include "fanperf/fan_set.h"

#include <stdexcept>

namespace fanperf {

FanCurve combinedCurve(const FanCurve& fan, int count, Arrangement arrangement) {
  if (count < 1 || count > kMaxFansInSet) {
    throw std::invalid_argument("a set holds 1 to 4 fans");
  }
  std::vector<CurvePoint> points = fan.points();
  for (CurvePoint& p : points) {
    if (arrangement == Arrangement::Parallel) {
      p.flow *= count;
    } else {
      p.pressure *= count;
    }
    if (p.shaftPower) *p.shaftPower *= count;
  }
  return FanCurve(std::move(points));
}

std::optional<SetOperatingPoint> setOperatingPoint(const FanCurve& fan, int count,
                                                   Arrangement arrangement,
                                                   const SystemCurve& system) {
  const auto op = intersect(combinedCurve(fan, count, arrangement), system);
  if (!op) return std::nullopt;
  SetOperatingPoint r;
  r.set = *op;
  r.eachFan = arrangement == Arrangement::Parallel ? OperatingPoint{op->flow / count, op->pressure}
                                                   : OperatingPoint{op->flow, op->pressure / count};
  r.leftOfPeak = isUnstable(fan, r.eachFan);
  r.unstableSharing = r.leftOfPeak && arrangement == Arrangement::Parallel && count > 1;
  return r;
}

}  // namespace fanperf
