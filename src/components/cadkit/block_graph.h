// Which block definitions some entities lead to through block references, at
// any depth: what the block helpers check before they define a block, so that
// no definition ever ends up containing a reference to itself.
#pragma once

#include <string>
#include <vector>

#include "cad/acdb.h"

namespace zrcadkit {

struct BlockReach {
  std::vector<AcDbObjectId> blocks;  // each block reached, once
  bool cycle = false;                // some reached block leads back to itself
};

// The blocks that the references among these entities lead to.
BlockReach ReachFromEntities(const std::vector<AcDbObjectId>& entityIds);
// The block itself and the blocks its entities lead to.
BlockReach ReachFromBlock(AcDbObjectId blockId);

// Symbol names compare without regard to letter case, as the host compares them.
bool SameSymbolName(const std::wstring& a, const std::wstring& b);
// Whether a reached block other than except is named name.
bool ReachesName(const BlockReach& reach, const std::wstring& name,
                 AcDbObjectId except = AcDbObjectId());

// Whether a definition named name, made of entities that reach these blocks in
// their own drawing, could be defined in target without a cycle: none of the
// blocks is named name, and none of target's definitions that the copy would
// use in their place (same name) leads to a block named name.
bool CanDefineWithout(const BlockReach& reach, AcDbDatabase* target, const std::wstring& name,
                      AcDbObjectId except = AcDbObjectId());

}  // namespace zrcadkit
