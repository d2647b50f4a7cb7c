// Dictionaries of named runtime objects, and the system registry
// (acrxSysRegistry) through which applications find the host's services.
#pragma once

#include <map>
#include <string>

#include "cad/adsdef.h"
#include "cad/db/rx_object.h"

// Keys are case-sensitive, as in the host. The dictionary owns what it holds,
// except objects put in with atPutUnowned (the registry's own services, which
// live as long as the process).
class AcRxDictionary : public AcRxObject {
  ZRCAD_DECLARE_MEMBERS(AcRxDictionary)

  AcRxDictionary() = default;
  ~AcRxDictionary() override;
  AcRxDictionary(const AcRxDictionary&) = delete;
  AcRxDictionary& operator=(const AcRxDictionary&) = delete;

  // The object stored under key, or null.
  AcRxObject* at(const ACHAR* key) const;
  // Stores obj under key; returns the object it replaced (now the caller's) or
  // null.
  AcRxObject* atPut(const ACHAR* key, AcRxObject* obj);
  void atPutUnowned(const ACHAR* key, AcRxObject* obj);
  // Takes the entry out; returns its object when the dictionary owned it (now
  // the caller's), else null.
  AcRxObject* remove(const ACHAR* key);
  bool has(const ACHAR* key) const { return at(key) != nullptr; }
  Adesk::UInt32 numEntries() const { return static_cast<Adesk::UInt32>(m_entries.size()); }

 private:
  struct Entry {
    AcRxObject* obj = nullptr;
    bool owned = false;
  };
  std::map<std::wstring, Entry> m_entries;
};

// The system registry: "DynamicLinker" and "ACAD_REGISTERED_COMMANDS".
AcRxDictionary* acrxSysRegistry();

#define ACRX_DYNAMIC_LINKER L"DynamicLinker"
#define ACRX_COMMAND_DOCK L"ACAD_REGISTERED_COMMANDS"
