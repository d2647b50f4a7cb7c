// The module's own resources: its instance handle, stored at process attach,
// and ResourceHandleScope, which makes them current for one dialog run. The
// dialogs and the commands use these; the entry points in host/ store the
// handle.
#pragma once

#include "base/windef.h"
#include "cad/aced.h"

// The module's instance handle, stored at process attach.
HINSTANCE ModuleInstanceHandle();
// Stores the handle that ModuleInstanceHandle gives; called at process attach.
void SetModuleInstanceHandle(HINSTANCE hInstance);

// Pushes a resource handle as the host's current one and pops it when the
// scope ends, also when the dialog run inside it ends by an exception, so the
// host never goes on with this module's resources current.
class ResourceHandleScope {
 public:
  explicit ResourceHandleScope(HINSTANCE hInstance) {
    acDocManagerPtr()->pushResourceHandle(hInstance);
  }
  ~ResourceHandleScope() { acDocManagerPtr()->popResourceHandle(); }
  ResourceHandleScope(const ResourceHandleScope&) = delete;
  ResourceHandleScope& operator=(const ResourceHandleScope&) = delete;
};
