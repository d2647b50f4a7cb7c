// AcDbEntity: an object that lives in a block (model space included) and has graphics.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cad/db/cm_color.h"
#include "cad/db/db_extents.h"
#include "cad/db/db_object.h"
#include "cad/db/ge_geometry.h"

class AcDbEntity : public AcDbObject {
  ZRCAD_DECLARE_MEMBERS(AcDbEntity)
 public:
  AcDbEntity() = default;

  AcDbObjectId blockId() const { return ownerId(); }

  // A copy of the layer name, allocated for the caller: free it with acutDelString.
  ACHAR* layer() const;
  AcDbObjectId layerId() const { return m_layerId; }
  // Looks the name up in the entity's database, or the working database while the entity is
  // in none; eKeyNotFound when no such layer exists there.
  Acad::ErrorStatus setLayer(const ACHAR* newVal, bool doSubents = true,
                             bool allowHiddenLayer = false);
  Acad::ErrorStatus setLayer(AcDbObjectId newVal, bool doSubents = true,
                             bool allowHiddenLayer = false);

  // 0 = BYBLOCK, 256 = BYLAYER, 1..255 the palette.
  Adesk::UInt16 colorIndex() const { return static_cast<Adesk::UInt16>(m_color); }
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, bool doSubents = true);
  AcCmColor color() const;
  Acad::ErrorStatus setColor(const AcCmColor& color, bool doSubents = true);

  // Layer, colour, and the other general properties kept from a file (line type, line
  // weight, line type scale, visibility, true colour, transparency).
  Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);
  // Current layer of db (the working database when null), colour BYLAYER.
  Acad::ErrorStatus setDatabaseDefaults(AcDbDatabase* db = nullptr);

  // eInvalidExtents when the entity has no extent (an empty block, say).
  virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
  virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);

 protected:
  AcDbEntity(const AcDbEntity&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbEntity(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;
  void onAddedToDatabase(AcDbDatabase* db) override;
  // Index of the AcDbEntity section in every entity table.
  static constexpr int kEntitySection = 1;

 private:
  friend class zrcad::DbAccess;
  // A layer name given before the entity joined a database. Few entities ever have one, so
  // it is kept out of line: a pointer in each entity where a string took 32 bytes.
  class PendingName {
   public:
    PendingName() = default;
    PendingName(const PendingName& other) { *this = other; }
    PendingName& operator=(const PendingName& other) {
      if (this != &other)
        m_name = other.m_name ? std::make_unique<std::wstring>(*other.m_name) : nullptr;
      return *this;
    }
    PendingName& operator=(std::wstring_view name) {
      m_name = name.empty() ? nullptr : std::make_unique<std::wstring>(name);
      return *this;
    }
    bool empty() const { return m_name == nullptr; }
    void clear() { m_name.reset(); }
    const std::wstring& str() const {
      static const std::wstring kNone;
      return m_name ? *m_name : kNone;
    }
    operator const std::wstring&() const { return str(); }
    const wchar_t* c_str() const { return str().c_str(); }

   private:
    std::unique_ptr<std::wstring> m_name;
  };
  // First, so that it takes the padding at the end of AcDbObject: 8 bytes less per entity.
  short m_color = 256;
  AcDbObjectId m_layerId;
  PendingName m_pendingLayer;
};

// Opens an entity; eNotAnEntity (nothing stays open) when the id names another object.
inline Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                            bool openErased = false) {
  Acad::ErrorStatus es = acdbOpenObject(ent, id, mode, openErased);
  return es == Acad::eNotThatKindOfClass ? Acad::eNotAnEntity : es;
}

inline Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                            bool openErased = false) {
  return acdbOpenObject(obj, id, mode, openErased);
}
