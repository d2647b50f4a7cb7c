// A fan's sound power at its operating point: the catalogue's, scaled, or an estimate.
//
// Levels are sound power in dB re 1 pW in the eight octave bands 63 Hz to
// 8 kHz. A catalogue's figures (the eight bands, or only LwA) are moved to the
// operating speed and air density by 50·lg(n/n0) + 20·lg(ρ/ρ0) dB: the change
// the estimate below gives when flow goes with the speed and pressure with its
// square times the density (fan_laws.h), 10·lg of the one plus 20·lg of the
// other. The bands keep their frequencies (a tone at blade-passing frequency
// moves with the speed; this does not). Without catalogue figures the level is
// estimated from flow and pressure, and the result says so.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace fanperf {

inline constexpr std::size_t kOctaveBands = 8;
using OctaveLevels = std::array<double, kOctaveBands>;

// Hz, the bands' centre frequencies.
inline constexpr std::array<double, kOctaveBands> kOctaveCentres = {63,   125,  250,  500,
                                                                    1000, 2000, 4000, 8000};
// dB, IEC 61672-1's A-weighting at those centres, as the table at
// lichtbeeldgeluid.nl/geluid/tabellen and calculatorhub.com's A-weighting page
// give it (rounded to 0.1 dB from the standard's analytic curve).
inline constexpr OctaveLevels kAWeighting = {-26.2, -16.1, -8.6, -3.2, 0, 1.2, 1.0, -1.1};

// The energetic sum of the A-weighted bands, dB(A).
double aWeightedLevel(const OctaveLevels& bands);

enum class BladeShape { BackwardCurved, ForwardCurved, RadialBladed };

struct CatalogueSound {
  std::optional<OctaveLevels> bands;  // dB
  std::optional<double> lwa;          // dB(A), used when there are no bands
  double speed = 0;                   // r/min at which they were measured
  double density = 1.2;               // kg/m³ of the measurement
};

struct SoundAtPoint {
  bool estimated = false;
  std::optional<OctaveLevels> bands;  // absent when the catalogue gives only LwA
  double lwa = 0;                     // dB(A)
  std::string method;                 // what the figures come from, for the schedule
};

// The catalogue's figures at `speed` r/min and `density` kg/m³. Throws
// std::invalid_argument when it has neither bands nor LwA, or a speed or
// density that is not positive.
SoundAtPoint scaledSound(const CatalogueSound& catalogue, double speed, double density);

// An estimate from flow (m³/h) and fan static pressure (Pa), both positive:
// Lw = 40 + 10·lg(Q [m³/s]) + 20·lg(p [Pa]) dB with octave corrections for the
// blade shape. Throws std::invalid_argument otherwise.
SoundAtPoint estimatedSound(double flow, double staticPressure, BladeShape blades);

}  // namespace fanperf
