// Identical fans working together: in parallel (flows add at equal pressure)
// or in series (pressures add at equal flow), and where the set meets a system.
//
// The fans of a set are taken to share the load equally, each at the same
// point of its curve. That is the stable sharing. A parallel set whose fans
// would run left of their peak can share unevenly instead (one fan pushed back
// onto its rising side while the others take the flow) or hunt between such
// states; the result flags that case rather than computing it.
#pragma once

#include <optional>

#include "fanperf/fan_curve.h"
#include "fanperf/operating_point.h"

namespace fanperf {

enum class Arrangement { Parallel, Series };

inline constexpr int kMaxFansInSet = 4;

// The curve of `count` (1 to kMaxFansInSet) identical fans: in parallel each
// point's flow and shaft power times count, in series its pressure and shaft
// power times count; efficiency unchanged. The monotone cubic through the
// stretched points is the stretched curve. Throws std::invalid_argument for a
// count out of range.
FanCurve combinedCurve(const FanCurve& fan, int count, Arrangement arrangement);

struct SetOperatingPoint {
  OperatingPoint set;            // the set's flow and pressure
  OperatingPoint eachFan;        // one fan's
  bool leftOfPeak = false;       // each fan runs on the rising side of its curve
  bool unstableSharing = false;  // in parallel (two or more) and left of peak
};

// Where the set meets the system; nothing when its curve does not reach it.
std::optional<SetOperatingPoint> setOperatingPoint(const FanCurve& fan, int count,
                                                   Arrangement arrangement,
                                                   const SystemCurve& system);

}  // namespace fanperf
