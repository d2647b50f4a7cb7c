// AcDbObject: what every object of a drawing database has (id, owner, open state, xdata).
//
// Ownership: an object appended to a database belongs to it and is freed with it; close()
// only ends the caller's access. An object that is in no database belongs to whoever created
// it and is freed with delete. Open state: any number of readers (up to 256) or one writer;
// a new object counts as open for write until it is closed after being added to a database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cad/adsdef.h"
#include "cad/db/object_id.h"
#include "cad/db/rx_object.h"

namespace zrcad {
class DbAccess;
namespace dxf {
struct ObjectData;
class ClassTable;
class TagWriter;
struct Tag;
class ReadContext;
class WriteContext;
}  // namespace dxf
}  // namespace zrcad

class AcDbObject : public AcRxObject {
  ZRCAD_DECLARE_MEMBERS(AcDbObject)
 public:
  AcDbObject();
  ~AcDbObject() override;
  AcDbObject& operator=(const AcDbObject&) = delete;
  // Objects are made in the pool of drawing memory (cad/db/object_pool.h).
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;

  AcDbObjectId objectId() const { return AcDbObjectId(m_stub); }
  AcDbObjectId ownerId() const { return m_owner; }
  Acad::ErrorStatus setOwnerId(AcDbObjectId owner);
  AcDbDatabase* database() const;
  void getAcDbHandle(AcDbHandle& handle) const;

  // Ends the caller's access; fails with eNotInDatabase for an object in no database
  // (such an object is deleted by its owner instead).
  Acad::ErrorStatus close();
  Acad::ErrorStatus upgradeOpen();
  Acad::ErrorStatus downgradeOpen();
  bool isReadEnabled() const { return m_readers > 0 || m_write; }
  bool isWriteEnabled() const { return m_write; }
  // Marks the object erased (or unerased); it stays in memory until the database goes and is
  // not written out. The object must be open for write.
  Acad::ErrorStatus erase(bool erasing = true);
  bool isErased() const { return m_erased; }
  bool isNewObject() const { return m_stub == nullptr; }

  // The xdata of one registered application (or of all when app is null) as a new chain of
  // group-code buffers starting with 1001; null when there is none. Free with acutRelRb.
  resbuf* xData(const ACHAR* regappName = nullptr) const;
  // Replaces the xdata of each application named by a 1001 buffer of the chain; an
  // application followed by no data loses its xdata. Strings (1000) are limited to 255 bytes
  // and all xdata of the object to 16383 bytes, as DXF readers require.
  Acad::ErrorStatus setXData(const resbuf* xdata);

  AcRxObject* clone() const override;
  // The record name this object is written under in DXF ("LINE", "LAYER", ...).
  virtual const char* dxfName() const;

 protected:
  AcDbObject(const AcDbObject& other);  // copy for clone(): no id, no owner, open for write
  virtual AcDbObject* cloneRaw() const { return new AcDbObject(*this); }

  // DXF I/O. The table lists the modeled group codes per subclass; readDxfCustom and
  // writeDxfCustom take the repeated groups a table cannot express.
  virtual const zrcad::dxf::ClassTable& dxfTable() const;
  virtual bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag, int section);
  virtual void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const;
  // The marker of a section whose table marker is "*" (it depends on the object's state).
  virtual const char* dxfSubclassMarker(int section) const;
  // The handle written for the object (records written without being database objects
  // override it).
  virtual std::uint64_t dxfHandleValue() const;
  // Called after the whole file was read, to turn names into ids.
  virtual void resolveDxfReferences(zrcad::dxf::ReadContext& ctx);
  // Called when the object joins a database (directly or by an owner being added).
  virtual void onAddedToDatabase(AcDbDatabase* db);

  zrcad::dxf::ObjectData& dxfData();
  const zrcad::dxf::ObjectData* dxfDataIfAny() const { return m_dxf.get(); }

 private:
  friend class zrcad::DbAccess;
  AcDbStub* m_stub = nullptr;
  AcDbObjectId m_owner;
  std::unique_ptr<zrcad::dxf::ObjectData> m_dxf;  // tags kept from the file, xdata
  short m_readers = 0;
  bool m_write = true;
  bool m_erased = false;
};

// Opens the object named by id. Errors: eNullObjectId, eUnknownHandle (no such object),
// eWasErased (erased and openErased is false), eWasOpenForWrite (already open for write),
// eWasOpenForRead (open for read and asked for write), eAtMaxReaders.
Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false);

// Opens and checks the class: eNotThatKindOfClass (nothing stays open) when it differs.
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) {
  obj = nullptr;
  AcDbObject* p = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(p, id, mode, openErased);
  if (es != Acad::eOk) return es;
  obj = T::cast(p);
  if (obj == nullptr) {
    p->close();
    return Acad::eNotThatKindOfClass;
  }
  return Acad::eOk;
}

// Opens an object for read or write and closes it when the pointer goes.
template <class T>
class AcDbObjectPointer {
 public:
  AcDbObjectPointer(AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    m_status = acdbOpenObject(m_obj, id, mode, openErased);
  }
  ~AcDbObjectPointer() {
    if (m_obj) m_obj->close();
  }
  AcDbObjectPointer(const AcDbObjectPointer&) = delete;
  AcDbObjectPointer& operator=(const AcDbObjectPointer&) = delete;
  Acad::ErrorStatus openStatus() const { return m_status; }
  T* operator->() const { return m_obj; }
  T* object() const { return m_obj; }
  explicit operator bool() const { return m_obj != nullptr; }

 private:
  T* m_obj = nullptr;
  Acad::ErrorStatus m_status = Acad::eNullObjectId;
};
