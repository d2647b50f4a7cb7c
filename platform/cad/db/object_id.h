// Handles and object ids: how objects of a drawing database are named.
#pragma once

#include <cstdint>
#include <functional>

#include "cad/adsdef.h"
#include "cad/db/ac_array.h"

class AcDbDatabase;
class AcDbObject;

// The persistent name of an object in its drawing: a 64-bit number, written as hex in DXF.
class AcDbHandle {
 public:
  AcDbHandle() = default;
  AcDbHandle(std::uint64_t value) : m_value(value) {}  // NOLINT: as the host allows
  // Parses hex text ("1F"); text that is not hex gives the null handle.
  explicit AcDbHandle(const ACHAR* hex);

  bool isNull() const { return m_value == 0; }
  std::uint64_t value() const { return m_value; }
  // Writes the hex text (upper case, no leading zeros) into buf; buf holds at least 17 chars.
  bool getIntoAsciiBuffer(ACHAR* buf, size_t len = 17) const;
  AcDbHandle& operator++() {
    ++m_value;
    return *this;
  }
  bool operator==(const AcDbHandle& h) const { return m_value == h.m_value; }
  bool operator!=(const AcDbHandle& h) const { return m_value != h.m_value; }
  bool operator<(const AcDbHandle& h) const { return m_value < h.m_value; }

 private:
  std::uint64_t m_value = 0;
};

// One entry of a database's handle table. The database owns its stubs; they live as long as
// the database, so an id stays valid (and keeps naming an erased object) until it is deleted.
struct AcDbStub {
  AcDbDatabase* database = nullptr;
  AcDbHandle handle;
  AcDbObject* object = nullptr;  // null for a handle referred to but not (yet) defined
  std::uint32_t undoMark = 0;    // the undo step that recorded the object last
};

class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  explicit AcDbObjectId(AcDbStub* stub) : m_stub(stub) {}

  static const AcDbObjectId kNull;

  bool isNull() const { return m_stub == nullptr; }
  void setNull() { m_stub = nullptr; }
  // True when the id names an object that exists and is not erased.
  bool isValid() const;
  bool isErased() const;
  AcDbHandle handle() const { return m_stub ? m_stub->handle : AcDbHandle(); }
  AcDbDatabase* database() const { return m_stub ? m_stub->database : nullptr; }
  AcDbDatabase* originalDatabase() const { return database(); }

  // The pointer-sized form used by ads_name and old-style ids.
  Adesk::LongPtr asOldId() const { return reinterpret_cast<Adesk::LongPtr>(m_stub); }
  AcDbObjectId& setFromOldId(Adesk::LongPtr oldId) {
    m_stub = reinterpret_cast<AcDbStub*>(oldId);
    return *this;
  }
  AcDbStub* stub() const { return m_stub; }

  bool operator==(const AcDbObjectId& id) const { return m_stub == id.m_stub; }
  bool operator!=(const AcDbObjectId& id) const { return m_stub != id.m_stub; }
  bool operator<(const AcDbObjectId& id) const { return std::less<>()(m_stub, id.m_stub); }

 private:
  AcDbStub* m_stub = nullptr;
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;

template <>
struct std::hash<AcDbObjectId> {
  size_t operator()(const AcDbObjectId& id) const noexcept {
    return std::hash<const void*>()(id.stub());
  }
};
