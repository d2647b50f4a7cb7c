// Block references (INSERT) with their attributes, and the iterator over those attributes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cad/db/db_entity.h"
#include "cad/db/db_text.h"

// Walks a list of object ids (a snapshot taken when it was made), skipping erased objects.
class AcDbObjectIterator {
 public:
  explicit AcDbObjectIterator(std::vector<AcDbObjectId> ids);
  void start(bool atEnd = false);
  bool done() const;
  bool step(bool backwards = false, bool skipErased = true);
  AcDbObjectId objectId() const;
  AcDbEntity* entity() { return nullptr; }  // objects are reached through their ids here

 private:
  void skipErasedForward();
  std::vector<AcDbObjectId> m_ids;
  int m_pos = 0;
};

class AcDbBlockReference : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbBlockReference)
 public:
  AcDbBlockReference() = default;
  AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
  ~AcDbBlockReference() override;

  AcDbObjectId blockTableRecord() const { return m_block; }
  Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
  AcGePoint3d position() const { return m_position; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGeScale3d scaleFactors() const { return m_scale; }
  Acad::ErrorStatus setScaleFactors(const AcGeScale3d& s);
  double rotation() const { return m_rotation; }
  Acad::ErrorStatus setRotation(double r);
  AcGeVector3d normal() const { return m_normal; }
  // Block coordinates to world: minus the block's origin, scaled, rotated, moved to position.
  AcGeMatrix3d blockTransform() const;

  // The reference owns its attributes. While the reference is in no database an appended
  // attribute waits and joins the database with it.
  Acad::ErrorStatus appendAttribute(AcDbAttribute* attr);
  Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attr);
  // A new iterator (delete it) over the attribute ids.
  AcDbObjectIterator* attributeIterator() const;
  int attributeCount() const { return static_cast<int>(m_attributes.size()); }

  // Extents of the block's entities through blockTransform(), plus the attributes; nested
  // references are followed, and a reference that leads back to a block it is inside of
  // contributes nothing (a circular drawing cannot make this recurse forever).
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

  // DXF reading and writing support.
  void dxfSetSeqend(AcDbHandle handle, std::shared_ptr<const zrcad::dxf::ObjectData> data);
  void assignSubHandles(AcDbDatabase* db);
  const std::vector<AcDbObjectId>& attributeIds() const { return m_attributes; }
  AcDbHandle seqendHandle() const { return m_seqendHandle; }
  const zrcad::dxf::ObjectData* seqendData() const { return m_seqend.get(); }

 protected:
  AcDbBlockReference(const AcDbBlockReference& other);
  AcDbObject* cloneRaw() const override { return new AcDbBlockReference(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;
  void resolveDxfReferences(zrcad::dxf::ReadContext& ctx) override;
  void onAddedToDatabase(AcDbDatabase* db) override;

 private:
  friend class zrcad::DbAccess;
  AcDbObjectId m_block;
  std::wstring m_pendingBlockName;  // the name read from a file, until blocks are all known
  AcGePoint3d m_position;
  AcGeScale3d m_scale;
  double m_rotation = 0;
  AcGeVector3d m_normal{0, 0, 1};
  std::vector<AcDbObjectId> m_attributes;
  std::vector<AcDbAttribute*> m_pendingAttributes;  // owned while the reference is in no db
  AcDbHandle m_seqendHandle;
  std::shared_ptr<const zrcad::dxf::ObjectData> m_seqend;
};
