// The clock that dates drawings: $TDCREATE when a new drawing is made, $TDUPDATE at every
// save. It is a seam: tests set a fixed clock to check the dates written.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace zrcad::dxf {

using TimePoint = std::chrono::system_clock::time_point;
using DrawingClock = std::function<TimePoint()>;

// The time now by the clock in use: the system's unless one was set.
TimePoint drawingTime();
// Puts clock in use (an empty one brings back the system's) and returns the one it replaces.
// Not thread-safe: set it before drawings are made or saved.
DrawingClock setDrawingClock(DrawingClock clock);

// The date format of AutoCAD's date variables: the Julian day number of the calendar day,
// a point and the fraction of the day since midnight ("2451544.91568287" is 31 December
// 1999, 21:58:35), of local time when local is set, else of universal time. Whole seconds.
std::string julianDateText(TimePoint t, bool local);

// Uses a clock while it lives and restores the one before it.
class ScopedDrawingClock {
 public:
  explicit ScopedDrawingClock(DrawingClock clock) : m_previous(setDrawingClock(std::move(clock))) {}
  ~ScopedDrawingClock() { setDrawingClock(std::move(m_previous)); }
  ScopedDrawingClock(const ScopedDrawingClock&) = delete;
  ScopedDrawingClock& operator=(const ScopedDrawingClock&) = delete;

 private:
  DrawingClock m_previous;
};

}  // namespace zrcad::dxf
