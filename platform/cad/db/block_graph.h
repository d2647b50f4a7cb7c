// Block definitions as a graph: a block leads to the blocks its references name. A drawing
// whose graph has a loop (block A holds a reference to A, or to B that holds one to A) cannot
// be drawn, listed or exploded: the reader refuses it and insert refuses to make one.
//
// The walks keep their own stacks: nesting runs as deep as the file says (60,000 blocks, one
// inside the next, are a real test), deeper than the call stack would go.
#pragma once

#include <string>
#include <vector>

#include "cad/db/object_id.h"

class AcDbBlockReference;
class AcDbBlockTableRecord;

namespace zrcad {

struct DatabaseImpl;

// The blocks named by the live block references of a block, in order (repeats included).
std::vector<AcDbObjectId> referencedBlocks(const AcDbBlockTableRecord* block);

// Whether `to` is `from` or is reached from it through block references.
bool blockReaches(AcDbObjectId from, AcDbObjectId to);

// A loop among the database's blocks, as the names along it with the first repeated at the
// end ("A", "B", "A"); empty when there is none.
std::vector<std::wstring> findBlockLoop(const DatabaseImpl& impl);
// The same for a database whose block references are all in references, each in the block
// that owns it: a reader that has just made them spares the walk over every entity.
std::vector<std::wstring> findBlockLoop(const DatabaseImpl& impl,
                                        const std::vector<const AcDbBlockReference*>& references);

// "A -> B -> A", for messages.
std::wstring loopText(const std::vector<std::wstring>& names);

}  // namespace zrcad
