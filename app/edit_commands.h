// The editing commands: ERASE, MOVE, ROTATE and COPY on entities of the model
// space, each asking for its objects with the selection prompt first.
//
//   ERASE   Select objects:
//   MOVE    Select objects:  Specify base point:  Specify second point:
//   ROTATE  Select objects:  Specify base point:  Specify rotation angle:
//           (degrees, counter-clockwise; or a point: the angle to it)
//   COPY    Select objects:  Specify base point:  Specify second point:
//           then again "Specify second point or <exit>:" for more copies,
//           until Enter
//
// A selection made before the command (the implied selection: picked in the
// desktop window at the command prompt) is taken as it stands, without the
// prompt.
//
// A moved, turned or copied block reference keeps its attributes and xdata
// with it; a copy is a new entity with a handle of its own and the same data.
#pragma once

#include <vector>

#include "cad/acdb.h"

namespace fancad {

// The implied selection when there is one; else asks for objects with the
// selection prompt (which leaves out entities on frozen layers). Entities on
// locked layers are left out, with their number printed. RTNORM with the
// entities in the order selected; "Nothing selected." and RTNONE when none
// were; RTCAN.
int selectObjects(std::vector<AcDbObjectId>& ids);

void registerEditCommands();

}  // namespace fancad
