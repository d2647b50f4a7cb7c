// Change stamps that earlier versions of the data layer put into catalogue files: a table
// of one stamp per table and three triggers on every table. The data layer no longer adds
// anything to a catalogue; it takes these away again when it opens one for writing, and
// leaves the stamp table out wherever the catalogue's tables are listed meanwhile.
#pragma once

struct sqlite3;

namespace adoimpl {

inline constexpr const char* kLegacyStampTable = "zr_table_changes";

// Drops the stamp table and the triggers that fed it, in one transaction, without waiting
// for a lock (a file that is locked, or cannot be written, keeps them until a later open).
// Triggers of other texts, the user's own, are left as they are.
void removeLegacyStamps(sqlite3* db);

}  // namespace adoimpl
