// Run-time class descriptions.
#include "cad/db/rx_object.h"

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  for (const AcRxClass* c = this; c != nullptr; c = c->m_parent)
    if (c == other) return true;
  return false;
}

AcRxClass* AcRxObject::desc() {
  static AcRxClass cls(L"AcRxObject", "", nullptr);
  return &cls;
}
