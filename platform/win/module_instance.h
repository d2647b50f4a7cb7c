// Module instance handles: what HINSTANCE stands for on this platform, and the
// current resource handle from which dialogs and strings are loaded.
//
// An instance handle points to a ModuleInstance record kept here. A module
// loaded from a shared library gets one from the loader; its resources are
// the table that the library exports under kResourceSymbol. Tests that link
// the module's code directly make one from the table itself.
#pragma once

#include <string>

#include "windef.h"

namespace winplat {

struct ResourceTable;  // dialog templates, menus and strings (resources.h)

// Exported by a module with resources, C linkage:
//   extern "C" const winplat::ResourceTable* fancadModuleResources();
inline constexpr const char* kResourceSymbol = "fancadModuleResources";

struct ModuleInstance {
  std::string name;                          // file path or a test's name
  void* dlHandle = nullptr;                  // from dlopen, or null
  const ResourceTable* resources = nullptr;  // null when the module has none
};

// A new handle for a loaded library; looks its resource table up by symbol.
HINSTANCE instanceFromLibrary(void* dlHandle, const std::string& path);
// A new handle over a resource table (tests, the host program itself).
HINSTANCE instanceFromTable(const ResourceTable* table, const std::string& name);
// The record behind a handle; null for a null or unknown handle.
const ModuleInstance* moduleInstance(HINSTANCE h);
// Forgets a handle (after the library was unloaded).
void releaseInstance(HINSTANCE h);

}  // namespace winplat

// The handle from which the framework loads resources now.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE h);
