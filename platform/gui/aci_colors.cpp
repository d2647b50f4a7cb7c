// The standard ACI palette, computed rather than tabled: indices 10 to 249 are
// 24 hues 15 degrees apart, each in five brightnesses (255, 204, 153, 127, 76)
// at full and at half saturation; 250 to 255 are greys; 1 to 9 are the named
// colours.
#include "gui/aci_colors.h"

#include <algorithm>
#include <array>

namespace zrgui {

namespace {

// Hue (degrees), brightness (0..255) and the weakest channel's share of it.
QRgb hsv(int hue, int value, double floorShare) {
  const double v = value;
  const double low = v * floorShare;
  const double sector = hue / 60.0;
  const int i = static_cast<int>(sector) % 6;
  const double f = sector - static_cast<int>(sector);
  const double rising = low + (v - low) * f;
  const double falling = v - (v - low) * f;
  double r = v, g = v, b = v;
  switch (i) {
    case 0:
      r = v, g = rising, b = low;
      break;
    case 1:
      r = falling, g = v, b = low;
      break;
    case 2:
      r = low, g = v, b = rising;
      break;
    case 3:
      r = low, g = falling, b = v;
      break;
    case 4:
      r = rising, g = low, b = v;
      break;
    default:
      r = v, g = low, b = falling;
      break;
  }
  return qRgb(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
}

}  // namespace

bool isDarkBackground(QRgb background) { return qGray(background) < 128; }

QRgb aciColor(int index, QRgb background) {
  static constexpr std::array<QRgb, 10> kNamed = {
      0,          0xFFFF0000, 0xFFFFFF00, 0xFF00FF00, 0xFF00FFFF,
      0xFF0000FF, 0xFFFF00FF, 0,          0xFF808080, 0xFFC0C0C0,
  };
  static constexpr std::array<int, 6> kGreys = {51, 91, 132, 173, 214, 255};
  static constexpr std::array<int, 5> kValues = {255, 204, 153, 127, 76};
  const QRgb foreground = isDarkBackground(background) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
  if (index <= 0 || index == 7 || index >= 256) return foreground;
  if (index < 10) return kNamed[static_cast<std::size_t>(index)];
  if (index >= 250) {
    const int g = kGreys[static_cast<std::size_t>(index - 250)];
    return qRgb(g, g, g);
  }
  const int hue = (index / 10 - 1) * 15;
  const int shade = index % 10;
  return hsv(hue, kValues[static_cast<std::size_t>(shade / 2)], shade % 2 ? 0.5 : 0.0);
}

}  // namespace zrgui
