// Extension modules: the record an extension library keeps of itself, and the
// chain of CDynLinkLibrary objects through which the framework finds resources
// that are not in the current resource module.
//
// Resource search order (findDialogTemplate, AfxLoadString): the current
// resource handle (AfxGetResourceHandle), then the libraries of the chain
// that are not system libraries, newest first, then the system libraries,
// newest first.
#pragma once

#include <string>
#include <vector>

#include "base/windef.h"

namespace winplat {
struct DialogTemplate;
struct MenuTemplate;
}  // namespace winplat

// Zero-filled by static initialisation; AfxInitExtensionModule fills it.
struct AFX_EXTENSION_MODULE {
  BOOL bInitialized;
  HMODULE hModule;
  HMODULE hResource;
  void* pFirstSharedClass;
  void* pFirstSharedFactory;
};

// Records the module's handle as its code and resource module. Once
// initialised, a second call does nothing and returns TRUE; a null handle
// fails (FALSE).
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Deletes the module's CDynLinkLibrary objects (every library's with bAll).
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class CDynLinkLibrary {
 public:
  // Joins the resource chain; AfxTermExtensionModule (or delete) takes it out.
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
  CDynLinkLibrary(HINSTANCE hModule, HINSTANCE hResource);
  virtual ~CDynLinkLibrary();
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
};

namespace winplat {

// The libraries of the chain, newest first.
std::vector<CDynLinkLibrary*> dynLinkLibraries();
// The template with this id, searched in the order above starting with
// hFirst when it is not null; null when no module has it.
const DialogTemplate* findDialogTemplate(UINT id, HINSTANCE hFirst = nullptr);
// The string with this id, searched in the same order; null when none has it.
const std::wstring* findStringResource(UINT id, HINSTANCE hFirst = nullptr);
// The menu with this id, searched in the same order; null when none has it.
const MenuTemplate* findMenuResource(UINT id, HINSTANCE hFirst = nullptr);

}  // namespace winplat
