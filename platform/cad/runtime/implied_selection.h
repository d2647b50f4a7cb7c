// The implied selection: entities chosen before a command starts (in the
// desktop window, picked at the command prompt). A command that asks for
// objects takes it instead of prompting, as CAD editors do with a selection
// made first. A new drawing clears it, as it does the selection sets
// (cadrt::clearSelectionSets).
#pragma once

#include <vector>

class AcDbObjectId;

namespace cadrt {

const std::vector<AcDbObjectId>& impliedSelection();
void setImpliedSelection(std::vector<AcDbObjectId> ids);
// The implied selection's entities that are still there (not erased, of the
// working database), in their order; they become the previous selection
// ("P"), and the implied selection is empty afterwards.
std::vector<AcDbObjectId> takeImpliedSelection();

}  // namespace cadrt
