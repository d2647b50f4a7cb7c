// A-weighting, the catalogue's sound scaled to speed and density, and the estimate,
// worked by hand from the tables cited in fan_sound.h and fan_sound.cpp.
#include "fanperf/fan_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace fanperf;

TEST(FanSound, TheAWeightingTableFollowsIec61672sCurve) {
  // A(f) = 20·lg(12194²·f⁴ / ((f² + 20.6²)·√((f² + 107.7²)(f² + 737.9²))·(f² + 12194²)))
  // + 2.00 dB at the exact centres 1000·10^(n/10): a mistyped entry is off by 0.1 or more.
  for (std::size_t i = 0; i < kOctaveBands; ++i) {
    const double f =
        1000 * std::pow(10.0, std::round(10 * std::log10(kOctaveCentres[i] / 1000)) / 10);
    const double f2 = f * f;
    const double r = 12194.0 * 12194 * f2 * f2 /
                     ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                      (f2 + 12194.0 * 12194));
    EXPECT_NEAR(kAWeighting[i], 20 * std::log10(r) + 2.0, 0.05) << kOctaveCentres[i];
  }
}

TEST(FanSound, CatalogueFiguresMoveWithSpeedAndDensity) {
  // From 1450 to 2900 r/min and from 1.2 to 1.0 kg/m³: 50·lg 2 + 20·lg(1/1.2) = 13.467875 dB
  // in every band, and so in LwA too.
  const OctaveLevels bands = {85, 88, 86, 83, 80, 76, 71, 65};
  const auto s = scaledSound({bands, {}, 1450, 1.2}, 2900, 1.0);
  ASSERT_TRUE(s.bands);
  for (std::size_t i = 0; i < kOctaveBands; ++i)
    EXPECT_NEAR((*s.bands)[i], bands[i] + 13.467875, 1e-6);
  EXPECT_NEAR(s.lwa, aWeightedLevel(bands) + 13.467875, 1e-6);
  const auto lwaOnly = scaledSound({{}, 78.0, 1450, 1.2}, 2900, 1.0);
  EXPECT_FALSE(lwaOnly.bands);
  EXPECT_NEAR(lwaOnly.lwa, 91.467875, 1e-6);
  EXPECT_THROW(scaledSound({{}, {}, 1450, 1.2}, 2900, 1.0), std::invalid_argument);
}

TEST(FanSound, WithoutCatalogueFiguresTheEstimateIsLabelled) {
  // 2 m³/s at 500 Pa: 40 + 3.010300 + 53.979400 = 96.989700 dB, then -4 ... -22 dB for
  // backward-curved blades; their A-weighted sum is 89.203750 dB(A).
  const auto s = estimatedSound(7200, 500, BladeShape::BackwardCurved);
  EXPECT_TRUE(s.estimated);
  ASSERT_TRUE(s.bands);
  EXPECT_NEAR((*s.bands)[0], 92.989700, 1e-6);
  EXPECT_NEAR((*s.bands)[7], 74.989700, 1e-6);
  EXPECT_NEAR(s.lwa, 89.203750, 1e-6);
  EXPECT_NE(s.method.find("estimated"), std::string::npos);
  EXPECT_NEAR((*estimatedSound(7200, 500, BladeShape::ForwardCurved).bands)[3], 78.989700, 1e-6);
  EXPECT_THROW(estimatedSound(0, 500, BladeShape::RadialBladed), std::invalid_argument);
}
