// ResourceHandleScope: the module's resources made current for one dialog run.
#pragma once

#include "cad/aced.h"

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
