// Dialog units on screen.
//
// A template measures its dialog in dialog units: a quarter of the dialog
// font's average character width across, an eighth of its height down. The
// window layer lays dialogs out with the base units of the template font on
// the screens templates were made for (6 by 12 pixels, window_state.h), and
// every rectangle it keeps (template controls, and the windows handlers make
// at run time, such as the grids over their placeholders) is in those pixels.
// On screen the base units come from the font the dialog is really drawn
// with, and the window layer's pixels are scaled by the ratio of the two, so
// that text written for the template's font fits the controls drawn for it.
#pragma once

#include <QFont>
#include <QRect>

#include "win/geometry.h"

namespace zrgui {

struct DialogMetrics {
  QFont font;
  int baseX = 6;      // pixels per 4 horizontal dialog units
  int baseY = 12;     // pixels per 8 vertical dialog units
  double scaleX = 1;  // screen pixels per window-layer pixel
  double scaleY = 1;

  // The base units of font as the native dialog manager takes them: the
  // average width of the 52 Latin letters, rounded, and the font's height.
  static DialogMetrics forFont(const QFont& font);
  // For a template font (face ignored: the CJK family draws it).
  static DialogMetrics forTemplateFont(int pointSize);

  QRect toScreen(const RECT& r) const;
  int toScreenX(int x) const;
  int toScreenY(int y) const;
};

}  // namespace zrgui
