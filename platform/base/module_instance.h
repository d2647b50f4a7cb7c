// Module instance handles: what HINSTANCE stands for on this platform, and the
// current resource handle from which dialogs and strings are loaded.
//
// An instance handle points to a ModuleInstance record kept here; the record's
// address is the handle and stays valid until releaseInstance. A module loaded
// from a shared library gets one from the loader. What the window layer needs
// of a module (its resource table) is opaque at this level: the window layer
// finds it through the record (resources.h).
#pragma once

#include <string>

#include "base/windef.h"

namespace zrbase {

struct ModuleInstance {
  std::string name;             // file path or a test's name
  void* dlHandle = nullptr;     // from dlopen, or null
  const void* table = nullptr;  // a resource table given directly, or null
};

// A new handle for a loaded library.
HINSTANCE instanceFromLibrary(void* dlHandle, const std::string& path);
// A new handle over a table given directly (tests, the host program itself).
HINSTANCE instanceFromTable(const void* table, const std::string& name);
// The record behind a handle; null for a null or unknown handle.
const ModuleInstance* moduleInstance(HINSTANCE h);
// Forgets a handle (after the library was unloaded).
void releaseInstance(HINSTANCE h);

}  // namespace zrbase

// The handle from which the framework loads resources now.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE h);
