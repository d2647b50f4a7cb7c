// Sub-entity paths: which part of which entity, reached through which nested block
// references. The runtime does not pick sub-entities; modules keep paths as values.
#pragma once

#include "cad/adsdef.h"
#include "cad/db/object_id.h"

namespace AcDb {
enum SubentType { kNullSubentType = 0, kFaceSubentType, kEdgeSubentType, kVertexSubentType };
}  // namespace AcDb

class AcDbSubentId {
 public:
  AcDbSubentId() = default;
  AcDbSubentId(AcDb::SubentType type, Adesk::GsMarker index) : m_type(type), m_index(index) {}
  AcDb::SubentType type() const { return m_type; }
  Adesk::GsMarker index() const { return m_index; }
  bool operator==(const AcDbSubentId& other) const {
    return m_type == other.m_type && m_index == other.m_index;
  }

 private:
  AcDb::SubentType m_type = AcDb::kNullSubentType;
  Adesk::GsMarker m_index = 0;
};

// The entity path from the outermost reference to the entity, and the sub-entity.
class AcDbFullSubentPath {
 public:
  AcDbFullSubentPath() = default;
  AcDbFullSubentPath(AcDbObjectId entity, AcDbSubentId subent) : m_subent(subent) {
    m_ids.append(entity);
  }
  AcDbFullSubentPath(const AcDbObjectIdArray& path, AcDbSubentId subent)
      : m_ids(path), m_subent(subent) {}

  const AcDbObjectIdArray& objectIds() const { return m_ids; }
  AcDbObjectIdArray& objectIds() { return m_ids; }
  const AcDbSubentId& subentId() const { return m_subent; }
  AcDbSubentId& subentId() { return m_subent; }

 private:
  AcDbObjectIdArray m_ids;
  AcDbSubentId m_subent;
};
