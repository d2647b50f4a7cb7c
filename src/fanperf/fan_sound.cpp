// Sound power scaled from the catalogue or estimated, and its A-weighted sum.
#include "fanperf/fan_sound.h"

#include <cmath>
#include <stdexcept>

namespace fanperf {

namespace {

// The Engineering ToolBox, "Fans and Sound Power Generation"
// (engineeringtoolbox.com/fan-noise-d_61.html), its empirical expression
// (1b) and the octave corrections of its table, 63 Hz to 8 kHz.
constexpr double kEstimateConstant = 40;  // dB
constexpr OctaveLevels kBackwardCurved = {-4, -6, -9, -11, -13, -16, -19, -22};
constexpr OctaveLevels kForwardCurved = {-2, -6, -13, -18, -19, -22, -25, -30};
constexpr OctaveLevels kRadialBladed = {-3, -5, -7, -7, -8, -11, -16, -18};

// dB per decade of speed and of density: 10 from the flow and 20 from the
// pressure's n² (see the header).
constexpr double kSpeedExponent = 50;
constexpr double kDensityExponent = 20;

void requirePositive(double v, const char* what) {
  if (!std::isfinite(v) || v <= 0)
    throw std::invalid_argument(std::string(what) + " must be positive");
}

}  // namespace

double aWeightedLevel(const OctaveLevels& bands) {
  double energy = 0;
  for (std::size_t i = 0; i < kOctaveBands; ++i) {
    energy += std::pow(10.0, (bands[i] + kAWeighting[i]) / 10);
  }
  return 10 * std::log10(energy);
}

SoundAtPoint scaledSound(const CatalogueSound& catalogue, double speed, double density) {
  requirePositive(speed, "the speed");
  requirePositive(density, "the density");
  requirePositive(catalogue.speed, "the catalogue's speed");
  requirePositive(catalogue.density, "the catalogue's density");
  const double shift = kSpeedExponent * std::log10(speed / catalogue.speed) +
                       kDensityExponent * std::log10(density / catalogue.density);
  SoundAtPoint s;
  s.method = "catalogue sound power scaled by 50·lg(n/n0) + 20·lg(ρ/ρ0) dB";
  if (catalogue.bands) {
    OctaveLevels bands = *catalogue.bands;
    for (double& b : bands) b += shift;
    s.bands = bands;
    s.lwa = aWeightedLevel(bands);
  } else if (catalogue.lwa) {
    s.lwa = *catalogue.lwa + shift;
    s.method += "; the catalogue gives LwA only";
  } else {
    throw std::invalid_argument("the catalogue's sound has neither octave bands nor LwA");
  }
  return s;
}

SoundAtPoint estimatedSound(double flow, double staticPressure, BladeShape blades) {
  requirePositive(flow, "the flow");
  requirePositive(staticPressure, "the static pressure");
  const double lw =
      kEstimateConstant + 10 * std::log10(flow / 3600) + 20 * std::log10(staticPressure);
  const OctaveLevels& corrections = blades == BladeShape::BackwardCurved  ? kBackwardCurved
                                    : blades == BladeShape::ForwardCurved ? kForwardCurved
                                                                          : kRadialBladed;
  OctaveLevels bands;
  for (std::size_t i = 0; i < kOctaveBands; ++i) bands[i] = lw + corrections[i];
  SoundAtPoint s;
  s.estimated = true;
  s.bands = bands;
  s.lwa = aWeightedLevel(bands);
  s.method =
      "estimated: Lw = 40 + 10·lg Q + 20·lg p with octave corrections for the blade shape "
      "(Engineering ToolBox, Fans and Sound Power Generation)";
  return s;
}

}  // namespace fanperf
