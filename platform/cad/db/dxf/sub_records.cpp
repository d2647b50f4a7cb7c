// VERTEX, SEQEND, BLOCK and ENDBLK records.
#include "cad/db/dxf/sub_records.h"

#include "cad/db/database_impl.h"
#include "cad/db/dxf/dxf_fields.h"

namespace zrcad::dxf {

const ClassTable& VertexRecord::dxfTable() const {
  static const ClassTable table([] {
    auto s = entitySections();
    s.push_back({"AcDbVertex", {}});
    s.push_back({"*",
                 {ZR_FIELD(VertexRecord, 10, kPoint, vertex.point, ZR_REQUIRED),
                  ZR_FIELD(VertexRecord, 40, kReal, vertex.startWidth, ZR_OPTIONAL(0)),
                  ZR_FIELD(VertexRecord, 41, kReal, vertex.endWidth, ZR_OPTIONAL(0)),
                  ZR_FIELD(VertexRecord, 42, kReal, vertex.bulge, ZR_OPTIONAL(0)),
                  ZR_FIELD(VertexRecord, 70, kShort, vertex.flags, ZR_REQUIRED)}});
    return s;
  }());
  return table;
}

const ClassTable& BlockBeginRecord::dxfTable() const {
  static const ClassTable table([] {
    auto s = entitySections();
    s.push_back({"AcDbBlockBegin",
                 {ZR_FIELD(BlockBeginRecord, 2, kString, name, ZR_REQUIRED),
                  ZR_FIELD(BlockBeginRecord, 70, kShort, flags, ZR_REQUIRED),
                  ZR_FIELD(BlockBeginRecord, 10, kPoint, origin, ZR_REQUIRED)}});
    return s;
  }());
  return table;
}

// The name is given twice (2 and 3); the second is written from the first.
bool BlockBeginRecord::readDxfCustom(ReadContext& ctx, const Tag& tag, int section) {
  if (tag.code == 3) return true;
  if (tag.code == 4) {
    description = ctx.wide(tag);
    return true;
  }
  return SubRecord::readDxfCustom(ctx, tag, section);
}

void BlockBeginRecord::writeDxfCustom(WriteContext& ctx, int section) const {
  SubRecord::writeDxfCustom(ctx, section);
  if (section != kEntitySection + 1) return;
  ctx.out.wstr(3, name);
  if (!description.empty()) ctx.out.wstr(4, description);
}

const ClassTable& BlockEndRecord::dxfTable() const {
  static const ClassTable table([] {
    auto s = entitySections();
    s.push_back({"AcDbBlockEnd", {}});
    return s;
  }());
  return table;
}

std::shared_ptr<const ObjectData> readSubRecord(ReadContext& ctx, SubRecord& rec,
                                                const std::vector<Tag>& tags) {
  std::uint64_t handle = 0;
  readObject(ctx, &rec, tags, &handle);
  rec.handleValue = handle;
  std::unique_ptr<ObjectData>& data = DbAccess::dataPtr(&rec);
  std::shared_ptr<const ObjectData> kept(std::move(data));
  return kept;
}

void writeSubRecord(WriteContext& ctx, SubRecord& rec, std::uint64_t handle, AcDbObjectId owner,
                    AcDbObjectId layer, const ObjectData* data) {
  rec.handleValue = handle;
  rec.setOwnerId(owner);
  DbAccess::setLayerId(&rec, layer);
  DbAccess::dataPtr(&rec) = data ? std::make_unique<ObjectData>(*data) : nullptr;
  writeObject(ctx, &rec);
}

}  // namespace zrcad::dxf
