// Renumbering of handles beyond the range a drawing keeps (database_impl.h).
#include <unordered_map>

#include "cad/db/database_impl.h"

namespace zrcad {

namespace {

using Moves = std::unordered_map<std::uint64_t, std::uint64_t>;

// A reference kept as text to a handle beyond the range: to its object's new handle, or to
// nothing ("0") when no object had it.
void follow(dxf::StoredTags& tags, const Moves& moved) {
  for (dxf::StoredTag& t : tags) {
    if (dxf::groupType(t.code) != dxf::GroupType::kHandle) continue;
    std::uint64_t h = 0;
    if (!dxf::parseHandle(t.value, h) || h <= dxf::kMaxHandle) continue;
    const auto it = moved.find(h);
    t.value = it == moved.end() ? "0" : dxf::handleText(it->second);
  }
}

}  // namespace

void DatabaseImpl::renumberBeyondRange() {
  Moves moved;
  for (AcDbStub& s : stubs) {
    const std::uint64_t old = s.handle.value();
    if (old <= dxf::kMaxHandle) continue;
    byHandle.erase(old);
    // A handle referred to but given to no object: the references to it become null.
    if (s.object == nullptr) {
      s.handle = AcDbHandle();
      continue;
    }
    s.handle = allocateHandle();
    byHandle.insert(&s);
    moved.emplace(old, s.handle.value());
  }
  for (AcDbStub& s : stubs) {
    if (s.object == nullptr) continue;
    if (std::unique_ptr<dxf::ObjectData>& data = DbAccess::dataPtr(s.object)) {
      follow(data->appData, moved);
      follow(data->extras, moved);
      follow(data->xdata, moved);
    }
  }
  for (HeaderVar& v : header) follow(v.tags, moved);
  handlesBeyondRange = false;
}

}  // namespace zrcad
