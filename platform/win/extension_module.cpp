// Extension module records and the CDynLinkLibrary resource chain.
#include "extension_module.h"

#include <algorithm>

#include "base/module_instance.h"
#include "resources.h"

namespace {

// Newest first, as the framework keeps its library list.
std::vector<CDynLinkLibrary*>& chain() {
  static std::vector<CDynLinkLibrary*> list;
  return list;
}

template <class Find>
auto searchModules(HINSTANCE hFirst, Find find) -> decltype(find(nullptr)) {
  for (HINSTANCE h : {hFirst, AfxGetResourceHandle()}) {
    if (!h) continue;
    if (const winplat::ResourceTable* t = winplat::resourcesOf(h)) {
      if (auto found = find(t)) return found;
    }
  }
  for (bool system : {false, true}) {
    for (CDynLinkLibrary* lib : chain()) {
      if ((lib->m_bSystem != FALSE) != system) continue;
      if (const winplat::ResourceTable* t = winplat::resourcesOf(lib->m_hResource)) {
        if (auto found = find(t)) return found;
      }
    }
  }
  return nullptr;
}

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
  if (state.bInitialized) return TRUE;
  if (!hModule) return FALSE;
  state.bInitialized = TRUE;
  state.hModule = hModule;
  state.hResource = hModule;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
  if (!state.bInitialized) return;
  const std::vector<CDynLinkLibrary*> libs = chain();
  for (CDynLinkLibrary* lib : libs) {
    if (bAll || lib->m_hModule == state.hModule) delete lib;
  }
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem) {
  chain().insert(chain().begin(), this);
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE hModule, HINSTANCE hResource)
    : m_hModule(hModule), m_hResource(hResource), m_bSystem(FALSE) {
  chain().insert(chain().begin(), this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
  auto& list = chain();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

namespace winplat {

std::vector<CDynLinkLibrary*> dynLinkLibraries() { return chain(); }

const DialogTemplate* findDialogTemplate(UINT id, HINSTANCE hFirst) {
  return searchModules(hFirst,
                       [id](const ResourceTable* t) { return t ? t->findDialog(id) : nullptr; });
}

const std::wstring* findStringResource(UINT id, HINSTANCE hFirst) {
  return searchModules(hFirst,
                       [id](const ResourceTable* t) { return t ? t->findString(id) : nullptr; });
}

const MenuTemplate* findMenuResource(UINT id, HINSTANCE hFirst) {
  return searchModules(hFirst,
                       [id](const ResourceTable* t) { return t ? t->findMenu(id) : nullptr; });
}

}  // namespace winplat
