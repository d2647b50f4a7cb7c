// Colours of entities and layers: an AutoCAD colour index or a true colour.
#pragma once

#include <cstdint>

class AcCmColor {
 public:
  enum ColorMethod { kByLayer = 0xC0, kByBlock = 0xC1, kByColor = 0xC2, kByACI = 0xC3 };

  AcCmColor() = default;
  ColorMethod colorMethod() const { return m_method; }
  // Colour index 0 is BYBLOCK, 256 BYLAYER, 1..255 the palette.
  short colorIndex() const { return m_index; }
  void setColorIndex(short index);
  bool isByLayer() const { return m_method == kByLayer; }
  bool isByBlock() const { return m_method == kByBlock; }
  void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  std::uint8_t red() const { return static_cast<std::uint8_t>(m_rgb >> 16); }
  std::uint8_t green() const { return static_cast<std::uint8_t>(m_rgb >> 8); }
  std::uint8_t blue() const { return static_cast<std::uint8_t>(m_rgb); }
  bool operator==(const AcCmColor& c) const {
    return m_method == c.m_method && m_index == c.m_index && m_rgb == c.m_rgb;
  }

 private:
  ColorMethod m_method = kByLayer;
  short m_index = 256;
  std::uint32_t m_rgb = 0;
};

inline void AcCmColor::setColorIndex(short index) {
  m_index = index;
  m_rgb = 0;
  m_method = index == 256 ? kByLayer : (index == 0 ? kByBlock : kByACI);
}

inline void AcCmColor::setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  m_method = kByColor;
  m_rgb = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}
