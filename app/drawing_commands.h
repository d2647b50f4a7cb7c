// The host's drawing commands (NEW, OPEN, SAVE, SAVEAS) and the document
// operations behind them, which the host also uses at start.
#pragma once

#include <string>

namespace fancad {

// Replaces the current document by the drawing read from path. Returns "" on
// success, else why (the current document then stays as it was).
std::string openDrawing(const std::wstring& path);
// Replaces the current document by a new, empty drawing that will be saved
// under fileName ("" for a drawing without a name yet).
void newDrawing(const std::wstring& fileName = L"");
// Saves the current drawing under path (atomically; applications get
// kSaveMsg first) and names the document after it. Returns "" on success,
// else why.
std::string saveDrawing(const std::wstring& path);

// Before a command closes the drawing: at the keyboard, unsaved work is not thrown away
// without asking (Yes saves it, No lets it go, Cancel keeps the drawing open); a script
// goes on as written. Returns RTNORM to go on, else the result that ends the command.
int askToKeepUnsavedWork();

void registerDrawingCommands();

}  // namespace fancad
