// Host commands of the desktop window at the keyboard: what its panels change
// that the typed commands have no answer for. Scripts and the console do not
// have them, so a script means the same in every mode.
#pragma once

namespace fancad {

// LAYERCOLOR: a colour index (1-255), then a layer's exact name; the layer
// takes that colour (one undo step, as every command is).
int layerColorCommand();

// PLOT: paper (A4/A3), orientation, scale (Fit or 1:N) and colours
// (Colour/Monochrome), each with its default, then the PDF file's name; a
// one-page PDF of the drawing's extents is written there (gui/plot_page.h).
// A file that cannot be written is refused with its reason, and asked again.
int plotCommand();

void registerDesktopCommands();

}  // namespace fancad
