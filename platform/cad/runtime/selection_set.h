// Selection sets and entity names: acedSSGet and its companions, and the
// conversion between the editor's entity names (ads_name) and object ids.
//
// An entity name stands for one entity of a database for the whole session;
// a selection set name stands for a set until acedSSFree. Both are kept in
// tables here, so a stale or forged name is refused (RTERROR /
// eInvalidAdsName) rather than followed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/adsdef.h"

class AcDbObjectId;

// Selects entities of the working database's model space. str:
//   null  the "Select objects:" prompt; each line adds to the set: "all",
//         "last", "w x1,y1 x2,y2" (window: extents wholly inside), "c x1,y1
//         x2,y2" (crossing: extents meeting the box), "h HANDLE..."; an empty
//         line ends. "^C" or the end of input cancels. Entities on frozen layers
//         are left out, as they cannot be seen.
//   "X"   every entity; "L" the last one; "W"/"C" with pt1 and pt2 (ads_point)
//   "P"   the previous selection.
//   "I"   the implied selection (implied_selection.h), taken: it is empty afterwards.
//   ":$"  the prompt as for null, but asking with prompts[0] (pt1 is const ACHAR* prompts[2])
//         in place of "Select objects: ".
// filter (may be null): group 0 entity type, 8 layer, 2 block name, with
// wildcards, case-insensitive; -4 operators are not supported (RTERROR).
// Returns RTNORM with a new set, RTCAN, or RTERROR when nothing was selected.
int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss);
int acedSSLength(const ads_name sname, Adesk::Int32* len);
int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entres);
int acedSSFree(const ads_name sname);
// Adds ename to the set sname (a new set when sname is null); result names the set.
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);
Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId);
// The last entity of the working database's model space that is not erased.
int acdbEntLast(ads_name result);

namespace cadrt {

// The selection-prompt answer that selects the entity (isSet false) or every
// entity of the set (isSet true): "h HANDLE ...". nullopt for an unknown name.
std::optional<std::string> selectionAnswer(const Adesk::LongPtr* name, bool isSet);

// The entities of a selection set, in the order of selection; false for an
// unknown set.
bool selectionIds(const ads_name ss, std::vector<AcDbObjectId>& ids);

// Forgets all selection sets (a new drawing makes them meaningless).
void clearSelectionSets();

// The entities of ids whose layer is neither frozen (when frozen) nor locked (when
// locked), in their order; how many were left out goes to *leftOut when given.
std::vector<AcDbObjectId> onUsableLayers(const std::vector<AcDbObjectId>& ids, bool frozen,
                                         bool locked, size_t* leftOut = nullptr);

}  // namespace cadrt
