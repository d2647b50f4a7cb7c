// The window and dialog framework in one include, as the module's code expects
// it: windows, controls, dialogs, data exchange, message maps, resources,
// extension modules, the host's dialog classes and message boxes.
#pragma once

#include "acui_dialog.h"
#include "afx_object.h"
#include "combo_box.h"
#include "containers.h"
#include "controls.h"
#include "cstring.h"
#include "data_exchange.h"
#include "dialog.h"
#include "exception.h"
#include "extension_module.h"
#include "geometry.h"
#include "message_box.h"
#include "message_map.h"
#include "module_instance.h"
#include "resources.h"
#include "ui_models.h"
#include "windef.h"
#include "window_state.h"
#include "winuser.h"
#include "wnd.h"
