// The entity kinds a drawing models, by DXF record name.
#include "cad/db/dxf/entity_kinds.h"

#include <algorithm>
#include <array>

#include "cad/db/db_block_reference.h"
#include "cad/db/db_curves.h"
#include "cad/db/db_misc_entities.h"
#include "cad/db/db_text.h"
#include "cad/db/dxf/contexts.h"

namespace zrcad::dxf {
namespace {

struct Kind {
  std::string_view name;
  EntityFactory make;
};

template <class T>
Kind kind() {
  return {T::desc()->dxfName(),
          [](const std::vector<Tag>&, ReadContext&) -> AcDbEntity* { return new T(); }};
}

AcDbEntity* newHeavyPolyline(const std::vector<Tag>& record, ReadContext& ctx) {
  for (const Tag& t : record)
    if (t.code == 70)
      return (ctx.integer(t) & 8) ? static_cast<AcDbEntity*>(new AcDb3dPolyline())
                                  : new AcDb2dPolyline();
  return new AcDb2dPolyline();
}

// Sorted by name once, at the first lookup, so that a lookup takes four comparisons: there
// is one for every entity record read, and the DXF read is benchmarked.
// ATTRIB is left out: attributes are read with the INSERT they follow, never on their own.
auto sortedKinds() {
  std::array kinds{kind<AcDbLine>(),
                   kind<AcDbCircle>(),
                   kind<AcDbArc>(),
                   kind<AcDbEllipse>(),
                   kind<AcDbSpline>(),
                   kind<AcDbPolyline>(),
                   kind<AcDbPoint>(),
                   kind<AcDbSolid>(),
                   kind<AcDbText>(),
                   kind<AcDbMText>(),
                   kind<AcDbAttributeDefinition>(),
                   kind<AcDbBlockReference>(),
                   Kind{AcDbHeavyPolyline::desc()->dxfName(), newHeavyPolyline}};
  std::ranges::sort(kinds, {}, &Kind::name);
  return kinds;
}

}  // namespace

EntityFactory entityFactory(std::string_view dxfName) {
  static const auto kinds = sortedKinds();
  // Entities come in runs of one kind: the kind this thread found last is tried first, one
  // comparison where the search takes five.
  static thread_local const Kind* last __attribute__((tls_model("initial-exec"))) = nullptr;
  if (last != nullptr && last->name == dxfName) return last->make;
  auto it = std::ranges::lower_bound(kinds, dxfName, {}, &Kind::name);
  if (it == kinds.end() || it->name != dxfName) return nullptr;
  last = &*it;
  return it->make;
}

}  // namespace zrcad::dxf
