// FanView: one view of one catalogue model, as the drawing library names it.
// The fan dialog describes its current choice with one; placement and the
// preview take it and know nothing of the dialog.
#pragma once

#include "base/cstring.h"
#include "drawings/view_names.h"

struct FanView {
  CString strBigModel;
  CString strFanNo;
  CString strDriveMode;
  CString strSpeed;
  int nView = kViewDrawingFront;
  CString strHand;
  CString strAngle;

  // 4-72No4.5A, its file in the drawing library's Fan folder, the view block
  // F_L0, the block a placement copies it to, 4-72No4.5AF_L0, and the model
  // label 4-72No4.5A_2900 (drawings/view_names.h).
  CString BaseName() const;
  CString DwgPath() const;
  CString ViewBlock() const;
  CString PlacedBlock() const;
  CString Label() const;
};
