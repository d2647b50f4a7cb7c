// Model: one catalogue model as the selection by parameters collects it.
#pragma once

#include "base/cstring.h"

struct Model {
  int ID = 0;
  CString BigModel;
  CString DriveMode;
  CString FanNo;
  CString Speed;
  CString LabelModel;
};
