// The clock that dates drawings, and the Julian dates AutoCAD writes.
#include "cad/db/dxf/drawing_clock.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>

namespace zrcad::dxf {
namespace {

DrawingClock& clockInUse() {
  static DrawingClock clock;
  return clock;
}

// The Julian day number of 1 January 1970, the first day of Unix time.
constexpr std::int64_t kJulianDayOfUnixEpoch = 2440588;
constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

TimePoint drawingTime() {
  const DrawingClock& clock = clockInUse();
  return clock ? clock() : std::chrono::system_clock::now();
}

DrawingClock setDrawingClock(DrawingClock clock) {
  DrawingClock previous = std::move(clockInUse());
  clockInUse() = std::move(clock);
  return previous;
}

// Counted in whole seconds with integers, so that the same time always gives the same text
// and no rounding of a double carries the fraction over into the next day.
std::string julianDateText(TimePoint t, bool local) {
  std::int64_t seconds = std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
  if (local) {
    std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&tt, &tm) != nullptr) seconds += tm.tm_gmtoff;
  }
  std::int64_t days = seconds / kSecondsPerDay, rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  // Eight decimals, as AutoCAD writes them: a unit of the last one is under a millisecond.
  std::int64_t fraction = (rest * 100000000 + kSecondsPerDay / 2) / kSecondsPerDay;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%" PRId64 ".%08" PRId64, kJulianDayOfUnixEpoch + days, fraction);
  return buf;
}

}  // namespace zrcad::dxf
