// Per-table change stamps kept in a catalogue file, so that a connection can
// tell which tables other connections wrote.
//
// SQLite tells a connection only that the file changed (data_version), not
// what: without more, every cached result goes after any other connection's
// commit, and the next dialog action scans the large tables again. So the
// file keeps a table, zr_table_changes, of one stamp per table, and each
// table three triggers (after insert, update and delete) that give its stamp
// a new random value. They are in the file's schema: every writer fires them,
// whatever program it is. A connection compares the stamps when data_version
// moves and forgets only the results of the tables whose stamps changed.
// Random stamps, not counts: a copy of the file written apart from it (a
// backup put back, a catalogue copied over it) cannot come to the same stamp
// with other rows.
//
// The stamps are set up by the first connection that opens the file for
// writing and finds them missing (a file that cannot be written, or is
// locked at that moment, goes without until a later one). Whatever the stamps
// cannot vouch for makes every table count as changed: a table without its
// triggers (one made since, a virtual table), a trigger of another text, a
// missing stamp, a changed schema. SQLite's own tables (sqlite_sequence and
// the like) take no triggers: they count as changed whenever another table
// did.
#pragma once

#include <map>
#include <string>
#include <vector>

struct sqlite3;

namespace adoimpl {

// The table of stamps, left out of the catalogue's tables wherever they are
// listed.
inline constexpr const char* kChangeLogTable = "zr_table_changes";

class ChangeLog {
 public:
  // Reads which tables are stamped; when some are not, and install is set,
  // adds the stamps and triggers they lack (in a transaction of its own; a
  // file that cannot be written or is locked is left as it is).
  void attach(sqlite3* db, bool install);
  // The schema version the file has now (-1 when it cannot be read).
  static long long schemaVersion(sqlite3* db);
  // The schema version that attach() read.
  long long attachedVersion() const { return m_schemaVersion; }
  // Adds to tables those whose stamps changed since the last call; false
  // when that is not known (the first call after attach(), a table not
  // stamped, a stamp missing): then any table may have changed.
  bool changedSince(sqlite3* db, std::vector<std::string>& tables);
  // True when every table of the file is stamped and the schema is still the
  // one attach() read: then changedSince() can tell what other connections
  // wrote, however much they wrote.
  bool vouches(sqlite3* db) const { return m_complete && schemaVersion(db) == m_schemaVersion; }

  // The text of the trigger that stamps one kind of change ("insert",
  // "update", "delete") of table, as it stands in the schema.
  static std::string triggerName(const std::string& table, const char* kind);
  static std::string triggerSql(const std::string& table, const char* kind);

 private:
  long long m_schemaVersion = -1;
  bool m_complete = false;
  std::vector<std::string> m_tables;        // stamped
  std::vector<std::string> m_systemTables;  // SQLite's own, never stamped
  std::map<std::string, long long> m_stamps;
  bool m_primed = false;  // m_stamps were read since attach()
};

}  // namespace adoimpl
