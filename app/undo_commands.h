// UNDO, U and REDO: stepping back and forward through the commands run on the
// current drawing (the drawing's own undo record; a FAN placement is one
// step, as is every host command that changed the drawing).
//
//   UNDO   Enter the number of operations to undo <1>:
//          prints "Undone: NAME ..." (most recent first), or "Everything has
//          been undone" when the history ran out
//   U      UNDO 1
//   REDO   redoes the last step undone: "Redone: NAME", or "Nothing to redo."
//
// SAVE keeps the history; the drawing counts as modified whenever undo or
// redo leave it different from the state last opened or saved.
#pragma once

namespace fancad {

void registerUndoCommands();

}  // namespace fancad
