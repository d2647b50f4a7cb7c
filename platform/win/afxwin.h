// The window and dialog framework in one include, as the module's code expects
// it: windows, controls, dialogs, data exchange, message maps, resources,
// extension modules, the host's dialog classes and message boxes.
#pragma once

#include "acui_dialog.h"
#include "afx_object.h"
#include "base/containers.h"
#include "base/cstring.h"
#include "base/exception.h"
#include "base/module_instance.h"
#include "base/windef.h"
#include "combo_box.h"
#include "controls.h"
#include "data_exchange.h"
#include "dialog.h"
#include "extension_module.h"
#include "geometry.h"
#include "message_box.h"
#include "message_map.h"
#include "resources.h"
#include "ui_models.h"
#include "window_state.h"
#include "winuser.h"
#include "wnd.h"
