// PURGE: removes the block definitions and layers that nothing in the drawing
// refers to, and says what it removed.
//
//   Enter type of unused objects to purge [Blocks/LAyers/All] <All>:
//   prints `Deleting block "NAME".` / `Deleting layer "NAME".` for each, then
//   "N blocks, M layers deleted." or "No unreferenced blocks or layers found."
//
// A block used only inside blocks that are purged goes too (the purge is
// repeated until nothing more can go). One PURGE is one undo step.
#pragma once

namespace fancad {

void registerPurgeCommand();

}  // namespace fancad
