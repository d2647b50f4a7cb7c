// Handles and object ids.
#include "cad/db/object_id.h"

#include <cwchar>

#include "cad/db/db_object.h"

const AcDbObjectId AcDbObjectId::kNull;

AcDbHandle::AcDbHandle(const ACHAR* hex) {
  std::uint64_t v = 0;
  int digits = 0;
  for (const ACHAR* p = hex; p && *p; ++p, ++digits) {
    ACHAR c = *p;
    int d = (c >= L'0' && c <= L'9')   ? c - L'0'
            : (c >= L'a' && c <= L'f') ? c - L'a' + 10
            : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                                       : -1;
    if (d < 0 || digits >= 16) return;
    v = v * 16 + static_cast<std::uint64_t>(d);
  }
  m_value = v;
}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* buf, size_t len) const {
  if (buf == nullptr || len < 17) return false;
  std::swprintf(buf, len, L"%llX", static_cast<unsigned long long>(m_value));
  return true;
}

bool AcDbObjectId::isValid() const {
  return m_stub != nullptr && m_stub->object != nullptr && !m_stub->object->isErased();
}

bool AcDbObjectId::isErased() const {
  return m_stub != nullptr && m_stub->object != nullptr && m_stub->object->isErased();
}
