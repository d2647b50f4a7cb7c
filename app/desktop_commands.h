// Host commands of the desktop window at the keyboard: what its panels change
// that the typed commands have no answer for. Scripts and the console do not
// have them, so a script means the same in every mode.
#pragma once

namespace fancad {

// LAYERCOLOR: a colour index (1-255), then a layer's exact name; the layer
// takes that colour (one undo step, as every command is).
int layerColorCommand();

void registerDesktopCommands();

}  // namespace fancad
