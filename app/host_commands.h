// The host's application and session commands: APPLOAD, APPUNLOAD, QUIT; and
// the registration of every host command.
#pragma once

namespace fancad {

class CommandLoop;

// Registers NEW, OPEN, SAVE, SAVEAS, INSERT, LIST, ERASE, MOVE, ROTATE, COPY,
// UNDO, U, REDO, LAYER, PURGE, APPLOAD, APPUNLOAD and QUIT (QUIT ends loop).
void registerHostCommands(CommandLoop& loop);

}  // namespace fancad
