// Records that are written as entities but are not database objects of their own:
// VERTEX and SEQEND of polylines and block references, BLOCK and ENDBLK around blocks.
#pragma once

#include <memory>
#include <string>

#include "cad/db/db_curves.h"
#include "cad/db/db_entity.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_tags.h"

namespace zrcad::dxf {

// A record read or written through the field tables: its handle is its own, not a stub's.
class SubRecord : public AcDbEntity {
 public:
  explicit SubRecord(const char* dxfName) : m_dxfName(dxfName) {}
  const char* dxfName() const override { return m_dxfName; }
  std::uint64_t handleValue = 0;
  const char* marker = "AcDbUnknown";

 protected:
  std::uint64_t dxfHandleValue() const override { return handleValue; }
  const char* dxfSubclassMarker(int) const override { return marker; }

 private:
  const char* m_dxfName;
};

class VertexRecord : public SubRecord {
 public:
  VertexRecord() : SubRecord("VERTEX") {}
  PolylineVertex vertex;

 protected:
  const ClassTable& dxfTable() const override;
};

class SeqendRecord : public SubRecord {
 public:
  SeqendRecord() : SubRecord("SEQEND") {}
};

class BlockBeginRecord : public SubRecord {
 public:
  BlockBeginRecord() : SubRecord("BLOCK") {}
  std::wstring name;
  std::wstring description;
  short flags = 0;
  AcGePoint3d origin;

 protected:
  const ClassTable& dxfTable() const override;
  void writeDxfCustom(WriteContext& ctx, int section) const override;
  bool readDxfCustom(ReadContext& ctx, const Tag& tag, int section) override;
};

class BlockEndRecord : public SubRecord {
 public:
  BlockEndRecord() : SubRecord("ENDBLK") {}

 protected:
  const ClassTable& dxfTable() const override;
};

// Reads a record into a sub-record; returns the data kept from it.
std::shared_ptr<const ObjectData> readSubRecord(ReadContext& ctx, SubRecord& rec,
                                                const std::vector<Tag>& tags);
// Writes a sub-record with the given handle, owner, layer and kept data.
void writeSubRecord(WriteContext& ctx, SubRecord& rec, std::uint64_t handle, AcDbObjectId owner,
                    AcDbObjectId layer, const ObjectData* data);

}  // namespace zrcad::dxf
