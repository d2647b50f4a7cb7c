// Dictionaries and the system registry.
#include "cad/runtime/rx_dictionary.h"

#include "cad/runtime/command_stack.h"
#include "cad/runtime/dynamic_linker.h"

ZRCAD_DEFINE_MEMBERS(AcRxDictionary, AcRxObject, "")

AcRxDictionary::~AcRxDictionary() {
  for (auto& [key, e] : m_entries) {
    if (e.owned) delete e.obj;
  }
}

AcRxObject* AcRxDictionary::at(const ACHAR* key) const {
  if (!key) return nullptr;
  const auto it = m_entries.find(key);
  return it == m_entries.end() ? nullptr : it->second.obj;
}

AcRxObject* AcRxDictionary::atPut(const ACHAR* key, AcRxObject* obj) {
  if (!key) return nullptr;
  AcRxObject* previous = remove(key);
  m_entries[key] = Entry{obj, true};
  return previous;
}

void AcRxDictionary::atPutUnowned(const ACHAR* key, AcRxObject* obj) {
  if (!key) return;
  delete remove(key);
  m_entries[key] = Entry{obj, false};
}

AcRxObject* AcRxDictionary::remove(const ACHAR* key) {
  if (!key) return nullptr;
  const auto it = m_entries.find(key);
  if (it == m_entries.end()) return nullptr;
  AcRxObject* obj = it->second.owned ? it->second.obj : nullptr;
  m_entries.erase(it);
  return obj;
}

AcRxDictionary* acrxSysRegistry() {
  // Filled on first use, so the services are there whatever the order in which
  // the libraries that ask for them were initialised.
  static AcRxDictionary registry;
  static const bool filled = [] {
    registry.atPutUnowned(ACRX_DYNAMIC_LINKER, AcRxDynamicLinker::instance());
    registry.atPutUnowned(ACRX_COMMAND_DOCK, AcEdCommandStack::instance());
    return true;
  }();
  (void)filled;
  return &registry;
}
