// LIST: prints entities of the current drawing's model space.
//
//   Select objects [Last/All/handle]:   LAST, ALL, or one entity's handle
//
// Each entity is printed as
//   INSERT  Handle: 2F  Layer: "AC_EQUIPMENT"
//     Block name: "4-72No4.5AF_L0"          (block references only, with the
//     Position: X=10 Y=20 Z=0                next three lines; numbers with up
//     Rotation: 30 deg                       to ten significant digits)
//     Scale: X=1 Y=1 Z=1
//     Attribute "TAG": "value"              (one line per attribute)
//     Xdata "Model": "4-72No4.5A_2900"      (one line per application: strings
//                                            quoted, numbers bare, points as
//                                            (x,y,z), separated by ", ")
#pragma once

#include <string>

class AcDbObjectId;

namespace fancad {

// The listing of one entity, lines ended by '\n'.
std::wstring listEntity(AcDbObjectId id);

int listCommand();
void registerListCommand();

}  // namespace fancad
