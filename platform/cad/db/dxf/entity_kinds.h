// The entity kinds a drawing models, looked up by their DXF record name. The names are the
// ones the classes give themselves (ZRCAD_DEFINE_MEMBERS): no list of names to keep in step.
#pragma once

#include <string_view>
#include <vector>

#include "cad/db/dxf/dxf_tags.h"

class AcDbEntity;

namespace zrcad::dxf {

class ReadContext;

// Makes an empty entity for a record; the record's tags pick among kinds that share a name
// (POLYLINE: 3D when flag 8 is set, else 2D).
using EntityFactory = AcDbEntity* (*)(const std::vector<Tag>& record, ReadContext& ctx);

// The factory for a record name; nullptr for a kind that is not modeled (kept as read).
EntityFactory entityFactory(std::string_view dxfName);

}  // namespace zrcad::dxf
