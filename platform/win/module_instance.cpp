// Module instance records and the current resource handle.
#include "module_instance.h"

#include <dlfcn.h>

#include <list>
#include <memory>

namespace winplat {

namespace {

// std::list keeps the address of every record stable: the address is the handle.
std::list<ModuleInstance>& records() {
  static std::list<ModuleInstance> list;
  return list;
}

HINSTANCE g_resourceHandle = nullptr;

}  // namespace

HINSTANCE instanceFromLibrary(void* dlHandle, const std::string& path) {
  ModuleInstance rec;
  rec.name = path;
  rec.dlHandle = dlHandle;
  if (dlHandle) {
    using Getter = const ResourceTable* (*)();
    if (auto fn = reinterpret_cast<Getter>(::dlsym(dlHandle, kResourceSymbol))) {
      rec.resources = fn();
    }
  }
  records().push_back(std::move(rec));
  return reinterpret_cast<HINSTANCE>(&records().back());
}

HINSTANCE instanceFromTable(const ResourceTable* table, const std::string& name) {
  ModuleInstance rec;
  rec.name = name;
  rec.resources = table;
  records().push_back(std::move(rec));
  return reinterpret_cast<HINSTANCE>(&records().back());
}

const ModuleInstance* moduleInstance(HINSTANCE h) {
  for (const auto& rec : records()) {
    if (reinterpret_cast<HINSTANCE>(const_cast<ModuleInstance*>(&rec)) == h) return &rec;
  }
  return nullptr;
}

void releaseInstance(HINSTANCE h) {
  if (g_resourceHandle == h) g_resourceHandle = nullptr;
  records().remove_if(
      [h](const ModuleInstance& rec) { return reinterpret_cast<const void*>(&rec) == h; });
}

}  // namespace winplat

HINSTANCE AfxGetResourceHandle() { return winplat::g_resourceHandle; }
void AfxSetResourceHandle(HINSTANCE h) { winplat::g_resourceHandle = h; }
