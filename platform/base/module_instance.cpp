// Module instance records and the current resource handle.
#include "base/module_instance.h"

#include <list>

namespace zrbase {

namespace {

// std::list keeps the address of every record stable: the address is the handle.
std::list<ModuleInstance>& records() {
  static std::list<ModuleInstance> list;
  return list;
}

HINSTANCE g_resourceHandle = nullptr;

HINSTANCE addRecord(ModuleInstance rec) {
  records().push_back(std::move(rec));
  return reinterpret_cast<HINSTANCE>(&records().back());
}

}  // namespace

HINSTANCE instanceFromLibrary(void* dlHandle, const std::string& path) {
  ModuleInstance rec;
  rec.name = path;
  rec.dlHandle = dlHandle;
  return addRecord(std::move(rec));
}

HINSTANCE instanceFromTable(const void* table, const std::string& name) {
  ModuleInstance rec;
  rec.name = name;
  rec.table = table;
  return addRecord(std::move(rec));
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

}  // namespace zrbase

HINSTANCE AfxGetResourceHandle() { return zrbase::g_resourceHandle; }
void AfxSetResourceHandle(HINSTANCE h) { zrbase::g_resourceHandle = h; }
