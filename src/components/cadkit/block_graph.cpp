// The walk over nested block references, with cycle detection.
#include "cadkit/block_graph.h"
#include "base/text_case.h"

#include <unordered_map>

namespace zrcadkit {

namespace {

class Walker {
 public:
  void fromEntity(AcDbObjectId entityId) {
    AcDbObjectPointer<AcDbBlockReference> ref(entityId, AcDb::kForRead);
    if (ref && !ref->blockTableRecord().isNull()) visit(ref->blockTableRecord());
  }

  // Depth first; a block met again while its own walk is still open closes a
  // cycle. Iterative, so that a deep chain of nested blocks cannot exhaust
  // the stack.
  void visit(AcDbObjectId root) {
    struct Frame {
      AcDbObjectId block;
      std::vector<AcDbObjectId> entities;
      size_t next = 0;
    };
    std::vector<Frame> stack;
    auto enter = [&](AcDbObjectId block) {
      State& state = m_state[block];
      if (state == State::kOpen) m_reach.cycle = true;
      if (state != State::kNew) return;
      state = State::kOpen;
      AcDbObjectPointer<AcDbBlockTableRecord> rec(block, AcDb::kForRead);
      stack.push_back({block, rec ? rec->entityIds() : std::vector<AcDbObjectId>{}, 0});
    };
    enter(root);
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next == top.entities.size()) {
        m_state[top.block] = State::kDone;
        m_reach.blocks.push_back(top.block);
        stack.pop_back();
        continue;
      }
      AcDbObjectPointer<AcDbBlockReference> ref(top.entities[top.next++], AcDb::kForRead);
      if (ref && !ref->blockTableRecord().isNull()) enter(ref->blockTableRecord());
    }
  }

  BlockReach result() { return std::move(m_reach); }

 private:
  enum class State { kNew, kOpen, kDone };
  std::unordered_map<AcDbObjectId, State> m_state;
  BlockReach m_reach;
};

std::wstring NameOf(AcDbObjectId blockId) {
  AcDbObjectPointer<AcDbBlockTableRecord> rec(blockId, AcDb::kForRead);
  return rec ? rec->name() : std::wstring();
}

}  // namespace

BlockReach ReachFromEntities(const std::vector<AcDbObjectId>& entityIds) {
  Walker walker;
  for (AcDbObjectId id : entityIds) walker.fromEntity(id);
  return walker.result();
}

BlockReach ReachFromBlock(AcDbObjectId blockId) {
  Walker walker;
  walker.visit(blockId);
  return walker.result();
}

bool SameSymbolName(const std::wstring& a, const std::wstring& b) {
  return zrbase::equalsFolded(a, b);
}

bool ReachesName(const BlockReach& reach, const std::wstring& name, AcDbObjectId except) {
  for (AcDbObjectId id : reach.blocks) {
    if (id != except && SameSymbolName(NameOf(id), name)) return true;
  }
  return false;
}

bool CanDefineWithout(const BlockReach& reach, AcDbDatabase* target, const std::wstring& name,
                      AcDbObjectId except) {
  if (reach.cycle || ReachesName(reach, name, except)) return false;
  AcDbBlockTable* table = nullptr;
  if (target == nullptr || target->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
  bool ok = true;
  for (AcDbObjectId id : reach.blocks) {
    if (id == except) continue;
    AcDbObjectId used;
    // Blocks of the target drawing are used as they are in place of the
    // source's blocks of the same name; those are the ones that must not lead
    // to the block being defined.
    if (id.database() != target && table->getAt(NameOf(id).c_str(), used) == Acad::eOk &&
        ReachesName(ReachFromBlock(used), name)) {
      ok = false;
      break;
    }
  }
  table->close();
  return ok;
}

}  // namespace zrcadkit
