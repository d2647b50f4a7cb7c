// The module's instance handle, set once at load and read by the dialogs and commands.
#include "res/module_resources.h"

namespace {

HINSTANCE g_hInstance = nullptr;

}  // namespace

HINSTANCE ModuleInstanceHandle() { return g_hInstance; }

void SetModuleInstanceHandle(HINSTANCE hInstance) { g_hInstance = hInstance; }
