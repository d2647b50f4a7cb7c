// Fan tags: the names a drawing gives its placed fans (F-1, F-2, ...), unique
// in the drawing, shown beside each fan.
//
// A fan's tag lives in its record (drawings/fan_record.h) and is shown by an
// attribute TAG of the fan's reference on the layer FAN_TAG, so it moves,
// turns, is copied and erased with the fan and can be switched off with its
// layer. The prefix is a setting of the drawing, kept as the xdata PREFIX of
// application ZRFAN_RECORD on the FAN_TAG layer's record, so it is saved with
// the drawing; without it the prefix is "F-". A new tag takes the number
// after the highest one in use, so a tag once erased is not given again while
// a fan after it remains.
#pragma once

#include <optional>
#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "drawings/fan_record.h"

inline constexpr const ACHAR* kFanTagLayer = L"FAN_TAG";
inline constexpr const ACHAR* kFanTagAttribute = L"ZRFAN_TAG";
inline constexpr const ACHAR* kDefaultTagPrefix = L"F-";

// The number of a tag with this prefix (F-12 is 12); 0 when the tag is not
// the prefix followed by digits alone.
int TagNumber(const CString& tag, const CString& prefix);

CString TagPrefix(AcDbDatabase* pDb);
// Stores the prefix in the drawing (making FAN_TAG when missing); false for
// an empty prefix or a layer table that cannot be written.
bool SetTagPrefix(AcDbDatabase* pDb, const CString& prefix);

// The placed fans of the model space, in the order they were made (handle
// order): references carrying the placement's Model entry or a record.
std::vector<AcDbObjectId> PlacedFans(AcDbDatabase* pDb);

// The text of an application's first string on the object (a placement
// entry's value: "Model" gives 4-72No4.5A_2900); empty when it has none.
CString PlacementEntry(const AcDbObject* pObject, const ACHAR* app);

// The placed fans of a selection set, in its order.
std::vector<AcDbObjectId> PlacedFansIn(const ads_name ss);

// What the drawing holds of a placed fan: its record (none for fans placed
// before records), the placement entries a command reads, and its block.
struct PlacedFanFacts {
  std::optional<FanRecord> record;
  CString modelEntry;  // "Model"
  CString label;       // "LabelModel"
  CString plan;        // "PLAN"
  AcDbObjectId block;
  CString blockName;
};
// Empty facts when id is no block reference.
PlacedFanFacts ReadPlacedFan(AcDbObjectId id);

// The one placed fan selected before the command, else the one the user
// selects at prompt (asked again while the selection holds no fan or several);
// nullopt when the user ends or cancels.
std::optional<AcDbObjectId> ChoosePlacedFan(const ACHAR* prompt);

// The extents of the fan's block as placed there, its attributes left out;
// false when they cannot be computed.
bool FanOutline(AcDbObjectId fanId, AcDbExtents& outline);
// After the fan's block changed from one whose outline was oldOutline: its
// tag attribute (when it has one) keeps its place beside the outline's upper
// right corner and its size relative to the outline, as tagging the fan anew
// would give.
bool RefitTag(AcDbObjectId fanId, const AcDbExtents& oldOutline);

// Gives the fan just placed the next tag, stores its record with that tag and
// shows it. The tag given; empty when the record could not be stored.
CString TagNewFan(AcDbObjectId fanId, FanRecord record);

// Stores the record of a fan edited in place and shows its tag; a record
// without a tag takes the next one, as TagNewFan. The tag; empty when the
// record could not be stored.
CString TagEditedFan(AcDbObjectId fanId, const FanRecord& record);

// After COPY: every fan whose tag an earlier fan already has (the copies come
// after their originals) takes the next free tag, in its record and its
// attribute. The number of fans renumbered.
int RenumberCopiedTags(AcDbDatabase* pDb);
