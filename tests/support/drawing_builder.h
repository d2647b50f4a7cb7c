// Builds small drawings for the host's tests and makes them the current
// document.
#pragma once

#include <string>
#include <vector>

#include "cad/acdb.h"

namespace apptest {

// A new empty drawing as the current document; returns its database.
AcDbDatabase* newCurrentDrawing();

// Adds a line to the model space of db; returns its id.
AcDbObjectId addLine(AcDbDatabase* db, AcGePoint3d from, AcGePoint3d to);
AcDbObjectId addCircle(AcDbDatabase* db, AcGePoint3d center, double radius);

// Defines block name in db: a 10 x 5 rectangle of lines from its origin, and,
// when tag is given, an attribute definition at (2,1) with height 2.5, that
// tag, the prompt "Prompt of TAG" and the default value "default".
AcDbObjectId addBlock(AcDbDatabase* db, const wchar_t* name, const wchar_t* tag = nullptr);

// Adds a layer and returns its id.
AcDbObjectId addLayer(AcDbDatabase* db, const wchar_t* name);

// The block references in the model space of db, in order.
std::vector<AcDbObjectId> references(AcDbDatabase* db);
// Adds a reference to block at the origin of the block record owner; returns its id.
AcDbObjectId addReference(AcDbObjectId owner, AcDbObjectId block);

// The block of that name in db, null when there is none.
AcDbObjectId blockId(AcDbDatabase* db, const wchar_t* name);
// The names of the blocks of db, layouts aside, in the order of the block table.
std::vector<std::wstring> blockNames(AcDbDatabase* db);
// The entities of a block record, -1 when it cannot be opened.
int entityCount(AcDbObjectId block);
// The strings (group 1000) of the extended data of app on an object.
std::vector<std::wstring> xdataStrings(AcDbObjectId id, const wchar_t* app);

std::wstring handleOf(AcDbObjectId id);

}  // namespace apptest
