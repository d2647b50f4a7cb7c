// The change notice of custom controls' models.
#include "ui_models.h"

#include "window_state.h"

namespace winplat {

void ControlModel::modelChanged() { noteStateChange(); }

}  // namespace winplat
