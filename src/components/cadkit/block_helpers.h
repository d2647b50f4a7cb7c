// Block helpers of the CAD component library: copying a block definition
// between drawings, making one from selected entities, deleting one, adding
// an entity to the current drawing and bringing a drawing file in as a block.
//
// Every helper returns 1 on success and 0 on failure; a failure changes
// nothing. Names are matched without regard to letter case. Nested block
// definitions and the layers the entities use come along with a copy; a
// nested definition whose name the target already has is used as the target
// has it. No helper ever makes a block definition that contains, at any depth,
// a reference to itself: such a request fails.
#pragma once

#include "cad/acdb.h"

// Copies block sourceName of pSourceDb into pTargetDb as block targetName, with
// the source block's origin. A target block of that name is redefined in place
// (its old entities go; references to it keep their id and show the new
// content). Fails for a missing source block, an empty or invalid target name,
// a target layout (*Model_Space, *Paper_Space...), and a source that leads
// back to itself or to a block named targetName.
int CopyBlockTableRecord(AcDbDatabase* pSourceDb, ACHAR* sourceName, AcDbDatabase* pTargetDb,
                         ACHAR* targetName);

// ArxWriteBlock flags.
// The selected entities stay in the drawing (without it they are erased once
// the block is made).
constexpr int kWriteBlockKeepEntities = 0x1;
// A block of that name that exists already is redefined (without it the call
// fails and leaves it).
constexpr int kWriteBlockRedefine = 0x2;

// Defines block blockName in the current drawing from copies of the entities
// ids (in their order) with basePoint as the block's origin. description is
// kept for callers of the host library and not stored: pass "". Other flag
// bits are ignored. Fails for no entities, ids that are not live entities of
// the current drawing, a layout's name, and entities that lead to a block named
// blockName (the block would contain itself).
int ArxWriteBlock(const AcDbObjectIdArray& ids, const AcGePoint3d& basePoint, ACHAR* blockName,
                  const ACHAR* description, int flags);

// Removes block blockName from pDb, and with it the references to it that
// stand in the drawing's layouts. Fails (nothing removed) for a missing block,
// a layout, and a block that another block definition still references. The
// caller may hold the block table open for reading.
int DeleteBlockRec(AcDbDatabase*& pDb, const ACHAR* blockName);

// Appends pEntity (new, in no database) to the model space of the current
// drawing and returns its id; the entity stays open for write and the caller
// closes it. A null id when it could not be added: the entity is then still
// the caller's to delete.
AcDbObjectId PutEntityToDatabase(AcDbEntity* pEntity);

// Reads drawing file fileName and defines block blockName in the current
// drawing from its model space, with the drawing's insertion base as origin;
// blockId receives the definition's id (null on failure). A block of that
// name is redefined from the file. Fails for a file that cannot be read, an
// empty or invalid name, a layout's name, and a drawing that leads back to a
// block named blockName.
int InsertDwgToCurrDwgBlockTableRecord(ACHAR* blockName, ACHAR* fileName, AcDbObjectId& blockId);
