// The CAD colour index (ACI) as screen colours.
#pragma once

#include <QColor>

namespace zrgui {

// The colour of index 1..255 of the standard palette. Index 7 (and the
// indices that mean BYBLOCK, 0, and BYLAYER, 256, when nothing else decides)
// is the foreground: white on a dark background, black on a light one.
QRgb aciColor(int index, QRgb background);

// Whether a background counts as dark for the foreground colour.
bool isDarkBackground(QRgb background);

}  // namespace zrgui
