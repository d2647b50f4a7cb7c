// Symbol tables and their records: named entries (layers, blocks, applications, ...)
// matched without regard to letter case, as the host matches them.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "cad/db/cm_color.h"
#include "cad/db/db_object.h"

class AcDbSymbolTableIterator;

class AcDbSymbolTableRecord : public AcDbObject {
  ZRCAD_DECLARE_MEMBERS(AcDbSymbolTableRecord)
 public:
  AcDbSymbolTableRecord() = default;

  // The name as the record keeps it (valid while the record is unchanged).
  Acad::ErrorStatus getName(const ACHAR*& name) const;
  // A copy allocated for the caller; free it with acutDelString (or free).
  Acad::ErrorStatus getName(ACHAR*& name) const;
  // eInvalidSymbolTableName for an empty name or one with <>/\":;?*|,=`;
  // eDuplicateRecordName when another record of the table has it.
  Acad::ErrorStatus setName(const ACHAR* name);
  const std::wstring& name() const { return m_name; }
  bool isDependent() const { return false; }

 protected:
  AcDbSymbolTableRecord(const AcDbSymbolTableRecord&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbSymbolTableRecord(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  // Writes the name at the start of the record's own subclass (section 2).
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;
  void onAddedToDatabase(AcDbDatabase* db) override;

 private:
  friend class zrcad::DbAccess;
  friend class AcDbSymbolTable;
  std::wstring m_name;
};

// A record of a table the runtime does not model (LTYPE, STYLE, DIMSTYLE, ...): its name is
// known, its tags are kept as read.
class AcDbRawSymbolTableRecord : public AcDbSymbolTableRecord {
  ZRCAD_DECLARE_MEMBERS(AcDbRawSymbolTableRecord)
 public:
  explicit AcDbRawSymbolTableRecord(std::string dxfName) : m_dxfName(std::move(dxfName)) {}
  const char* dxfName() const override { return m_dxfName.c_str(); }

 protected:
  AcDbRawSymbolTableRecord(const AcDbRawSymbolTableRecord&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbRawSymbolTableRecord(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;

 private:
  std::string m_dxfName;
};

// A table owns its records (they are database objects whose owner is the table); it keeps
// them in the order they were added, erased ones included.
class AcDbSymbolTable : public AcDbObject {
  ZRCAD_DECLARE_MEMBERS(AcDbSymbolTable)
 public:
  // recordType is the DXF name of the table and its records ("LAYER", "LTYPE", ...).
  explicit AcDbSymbolTable(std::string recordType = "") : m_recordType(std::move(recordType)) {}

  Acad::ErrorStatus getAt(const ACHAR* name, AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                          bool openErasedRec = false) const;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErasedRecord = false) const;
  bool has(const ACHAR* name) const;
  bool has(AcDbObjectId id) const;
  // The table must be open for write and in a database; the record gets an id, is owned by
  // the database and stays open for write. eDuplicateRecordName when the name is taken.
  Acad::ErrorStatus add(AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;

  const std::string& recordType() const { return m_recordType; }
  const char* dxfName() const override { return "TABLE"; }
  // All record ids in order, erased ones included.
  const std::vector<AcDbObjectId>& recordIds() const { return m_records; }
  // Takes a record into the table during reading or copying (no open-state checks).
  void attachRecord(AcDbSymbolTableRecord* rec, AcDbObjectId id);
  void invalidateIndex() const { m_indexValid = false; }

 protected:
  AcDbSymbolTable(const AcDbSymbolTable&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbSymbolTable(*this); }
  AcDbObjectId lookup(const ACHAR* name, bool includeErased) const;

 private:
  std::string m_recordType;
  std::vector<AcDbObjectId> m_records;
  mutable std::unordered_map<std::wstring, AcDbObjectId> m_index;  // upper-case name -> id
  mutable bool m_indexValid = false;
};

class AcDbSymbolTableIterator {
 public:
  AcDbSymbolTableIterator(const std::vector<AcDbObjectId>* records, bool atBeginning,
                          bool skipDeleted);
  virtual ~AcDbSymbolTableIterator() = default;
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
  Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                              bool openErasedRec = false) const;
  Acad::ErrorStatus seek(AcDbObjectId id);

 protected:
  template <class T>
  Acad::ErrorStatus getTyped(T*& rec, AcDb::OpenMode mode, bool openErased) const {
    AcDbObjectId id;
    rec = nullptr;
    Acad::ErrorStatus es = getRecordId(id);
    return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErased) : es;
  }

 private:
  void skip(bool forward);
  const std::vector<AcDbObjectId>* m_records;  // the table's live list
  int m_pos = 0;
  bool m_skipDeleted = true;
};

// Layers: flags frozen (1), frozen in new viewports (2), locked (4); off is a negative colour.
class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
  ZRCAD_DECLARE_MEMBERS(AcDbLayerTableRecord)
 public:
  AcDbLayerTableRecord() = default;
  bool isFrozen() const { return (m_flags & 1) != 0; }
  Acad::ErrorStatus setIsFrozen(bool frozen);
  bool isOff() const { return m_off; }
  void setIsOff(bool off) { m_off = off; }
  bool VPDFLT() const { return (m_flags & 2) != 0; }
  void setVPDFLT(bool frozen);
  bool isLocked() const { return (m_flags & 4) != 0; }
  void setIsLocked(bool locked);
  AcCmColor color() const;
  void setColor(const AcCmColor& color);
  const ACHAR* linetypeName() const { return m_linetype.c_str(); }
  void setLinetypeName(const ACHAR* name) { m_linetype = name ? name : L"Continuous"; }

 protected:
  AcDbLayerTableRecord(const AcDbLayerTableRecord&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbLayerTableRecord(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;

 private:
  short m_flags = 0;
  short m_color = 7;
  bool m_off = false;
  std::wstring m_linetype = L"Continuous";
};

class AcDbLayerTableIterator : public AcDbSymbolTableIterator {
 public:
  using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
  using AcDbSymbolTableIterator::getRecord;
  Acad::ErrorStatus getRecord(AcDbLayerTableRecord*& rec, AcDb::OpenMode mode,
                              bool openErased = false) const {
    return getTyped(rec, mode, openErased);
  }
};

class AcDbLayerTable : public AcDbSymbolTable {
  ZRCAD_DECLARE_MEMBERS(AcDbLayerTable)
 public:
  AcDbLayerTable() : AcDbSymbolTable("LAYER") {}
  using AcDbSymbolTable::add;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbLayerTableRecord*& rec, AcDb::OpenMode mode,
                          bool openErasedRec = false) const;
  Acad::ErrorStatus add(AcDbLayerTableRecord* rec) { return AcDbSymbolTable::add(rec); }
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbLayerTableRecord* rec) {
    return AcDbSymbolTable::add(id, rec);
  }
  Acad::ErrorStatus newIterator(AcDbLayerTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;

 protected:
  AcDbLayerTable(const AcDbLayerTable&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbLayerTable(*this); }
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
  ZRCAD_DECLARE_MEMBERS(AcDbRegAppTableRecord)
 public:
  AcDbRegAppTableRecord() = default;

 protected:
  AcDbRegAppTableRecord(const AcDbRegAppTableRecord&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbRegAppTableRecord(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  short m_flags = 0;
};

class AcDbRegAppTableIterator : public AcDbSymbolTableIterator {
 public:
  using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
  using AcDbSymbolTableIterator::getRecord;
  Acad::ErrorStatus getRecord(AcDbRegAppTableRecord*& rec, AcDb::OpenMode mode,
                              bool openErased = false) const {
    return getTyped(rec, mode, openErased);
  }
};

class AcDbRegAppTable : public AcDbSymbolTable {
  ZRCAD_DECLARE_MEMBERS(AcDbRegAppTable)
 public:
  AcDbRegAppTable() : AcDbSymbolTable("APPID") {}
  using AcDbSymbolTable::add;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbRegAppTableRecord*& rec, AcDb::OpenMode mode,
                          bool openErasedRec = false) const;
  Acad::ErrorStatus add(AcDbRegAppTableRecord* rec) { return AcDbSymbolTable::add(rec); }
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbRegAppTableRecord* rec) {
    return AcDbSymbolTable::add(id, rec);
  }
  Acad::ErrorStatus newIterator(AcDbRegAppTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;

 protected:
  AcDbRegAppTable(const AcDbRegAppTable&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbRegAppTable(*this); }
};
