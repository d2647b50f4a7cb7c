// INSERT: a block reference in the model space of the current drawing.
//
//   Enter block name:                               a block of the drawing, or a
//                                                   drawing file that becomes one
//   Specify insertion point or [Scale/Rotate]:      S and R set the uniform scale
//                                                   and the rotation (degrees) first
//   Enter scale factor <1>:                         asked unless S was given
//   Specify rotation angle <0>:                     asked unless R was given
//
// The reference goes on the current layer and gets an attribute, with its
// default value, for each attribute definition of the block that is not
// constant.
#pragma once

namespace fancad {

int insertCommand();
void registerInsertCommand();

}  // namespace fancad
