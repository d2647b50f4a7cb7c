// Walks over the block graph.
#include "cad/db/block_graph.h"

#include <unordered_map>
#include <unordered_set>

#include "cad/db/database_impl.h"

namespace zrcad {

namespace {

const AcDbBlockTableRecord* blockOf(AcDbObjectId id) {
  if (id.isNull() || id.stub()->object == nullptr || id.isErased()) return nullptr;
  return AcDbBlockTableRecord::cast(id.stub()->object);
}

std::wstring nameOf(AcDbObjectId id) {
  const std::wstring* name = recordName(id);
  return name ? *name : L"?";
}

}  // namespace

std::vector<AcDbObjectId> referencedBlocks(const AcDbBlockTableRecord* block) {
  std::vector<AcDbObjectId> out;
  for (AcDbObjectId id : block->allEntityIds()) {
    if (id.isErased() || id.stub()->object == nullptr) continue;
    if (const auto* ref = AcDbBlockReference::cast(id.stub()->object))
      if (!ref->blockTableRecord().isNull()) out.push_back(ref->blockTableRecord());
  }
  return out;
}

bool blockReaches(AcDbObjectId from, AcDbObjectId to) {
  std::vector<AcDbObjectId> todo{from};
  std::unordered_set<AcDbObjectId> seen{from};
  while (!todo.empty()) {
    const AcDbObjectId id = todo.back();
    todo.pop_back();
    if (id == to) return true;
    if (const AcDbBlockTableRecord* block = blockOf(id))
      for (AcDbObjectId next : referencedBlocks(block))
        if (seen.insert(next).second) todo.push_back(next);
  }
  return false;
}

namespace {

// The search of findBlockLoop, with the blocks a block leads to (in order) from next(block).
template <class Next>
std::vector<std::wstring> findLoop(const DatabaseImpl& impl, Next next) {
  const AcDbSymbolTable* blocks = impl.table(impl.blockTable);
  if (blocks == nullptr) return {};
  enum class State { kOpen, kDone };
  std::unordered_map<AcDbObjectId, State> state;
  // Depth-first with an explicit path: each frame is a block and the blocks it leads to.
  struct Frame {
    AcDbObjectId id;
    std::vector<AcDbObjectId> next;
    size_t at = 0;
  };
  for (AcDbObjectId root : blocks->recordIds()) {
    if (blockOf(root) == nullptr || state.count(root)) continue;
    std::vector<Frame> path{{root, next(blockOf(root))}};
    state[root] = State::kOpen;
    while (!path.empty()) {
      Frame& top = path.back();
      if (top.at == top.next.size()) {
        state[top.id] = State::kDone;
        path.pop_back();
        continue;
      }
      const AcDbObjectId to = top.next[top.at++];
      const auto found = state.find(to);
      if (found != state.end() && found->second == State::kOpen) {
        std::vector<std::wstring> names;
        bool inLoop = false;
        for (const Frame& f : path) {
          inLoop = inLoop || f.id == to;
          if (inLoop) names.push_back(nameOf(f.id));
        }
        names.push_back(nameOf(to));
        return names;
      }
      if (found != state.end() || blockOf(to) == nullptr) continue;
      state[to] = State::kOpen;
      path.push_back({to, next(blockOf(to))});
    }
  }
  return {};
}

}  // namespace

std::vector<std::wstring> findBlockLoop(const DatabaseImpl& impl) {
  return findLoop(impl, [](const AcDbBlockTableRecord* block) { return referencedBlocks(block); });
}

std::vector<std::wstring> findBlockLoop(const DatabaseImpl& impl,
                                        const std::vector<const AcDbBlockReference*>& references) {
  // The blocks each block leads to, in the order of its entities, as referencedBlocks gives
  // them: references are in the order they were added to their blocks.
  std::unordered_map<const AcDbStub*, std::vector<AcDbObjectId>> edges;
  for (const AcDbBlockReference* ref : references)
    if (!ref->isErased() && !ref->blockTableRecord().isNull())
      edges[ref->ownerId().stub()].push_back(ref->blockTableRecord());
  const std::vector<AcDbObjectId> none;
  return findLoop(impl, [&](const AcDbBlockTableRecord* block) -> const std::vector<AcDbObjectId>& {
    const auto it = edges.find(block->objectId().stub());
    return it == edges.end() ? none : it->second;
  });
}

std::wstring loopText(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& n : names) text += (text.empty() ? L"'" : L" -> '") + n + L"'";
  return text;
}

}  // namespace zrcad
