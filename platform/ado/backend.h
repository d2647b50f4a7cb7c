// The executor under a session: SQLite for a catalogue file, PostgreSQL for a
// catalogue on a server.
//
// Everything above this line is shared: the statement layer translates the
// module's SQL once (sql_dialect.h, with the back end's dialect), the row set
// holds results and converts written values, the result cache decides when
// to ask again. A back end only runs what it is given: a translated
// statement, a result read into a row set, one row written through its row
// identity, and the stamp that tells whether anything has changed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "row_values.h"
#include "sql_dialect.h"

namespace adoimpl {

class RowSet;

// How long one user action (base/user_action.h) waits, in all, for other connections'
// locks: the statement that finds the catalogue locked waits up to this long, and once an
// action has spent it, its further statements fail at once instead of waiting again (a
// series change runs some twenty statements). A statement outside any action waits this
// long on its own.
constexpr int kBusyTimeoutMs = 5000;

// What the result cache compares: `version` moves when any connection has
// written (-1: unknown, which validates nothing), `changes` counts this
// connection's own writes.
struct ChangeStamp {
  long long version = -1;
  std::int64_t changes = -1;
  bool operator==(const ChangeStamp&) const = default;
};

// What this connection's own writes changed since the result cache last
// asked: the tables written (a trigger's tables among them) and the rows
// changed, counted as ChangeStamp::changes counts them. `unknown` when a write
// may have changed more than rows of those tables (a rolled-back transaction,
// a pragma, a statement SQLite compiled again). A back end that tells nothing
// reports no tables and no rows: then any change it made does not add up, and
// the cache forgets every result.
struct OwnWrites {
  std::vector<std::string> tables;
  std::int64_t changes = 0;
  bool unknown = false;

  // Notes n rows changed in the written tables.
  void add(const std::vector<std::string>& written, std::int64_t n) {
    changes += n;
    for (const std::string& table : written) {
      if (std::find(tables.begin(), tables.end(), table) == tables.end()) tables.push_back(table);
    }
  }
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual SqlDialect dialect() const = 0;
  virtual void close() = 0;

  // The catalogue's tables as they are spelled, and (for a dialect that
  // resolves column names) each table's columns.
  virtual std::vector<std::string> tableNames() = 0;
  virtual std::vector<std::string> columnNames(const std::string& table) {
    (void)table;
    return {};
  }

  // Runs a statement that returns rows and reads them all into rows.
  virtual void load(const TranslatedStatement& statement, RowSet& rows) = 0;
  // Runs several SELECT statements at once where that saves (on a server: one round trip
  // for all of them), each into its row set; true for each read. A statement that failed,
  // or was left to be run later, is false: its caller runs it the plain way, which reports
  // any error. The default reads none, and says so by loadsMany().
  virtual bool loadsMany() const { return false; }
  virtual std::vector<bool> loadMany(const std::vector<const TranslatedStatement*>& statements,
                                     const std::vector<RowSet*>& rows) {
    (void)rows;
    return std::vector<bool>(statements.size(), false);
  }
  // Runs any statement; returns the rows changed, -1 when it returned rows.
  virtual long execute(const TranslatedStatement& statement) = 0;

  // One row of table, found by its row identity. columns are the table
  // columns written (in values' order). update and remove return the rows
  // changed (0: the row is gone); insert returns the new row's identity.
  virtual long long update(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<PendingValue>& values, long long rowid) = 0;
  virtual long long insert(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<PendingValue>& values) = 0;
  virtual long long remove(const std::string& table, long long rowid) = 0;
  // Reads columns of that row into cells (one per column); false when it is gone.
  virtual bool readRow(const std::string& table, const std::vector<std::string>& columns,
                       long long rowid, RowSet& rows, std::size_t row) = 0;

  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual void rollback() = 0;

  virtual ChangeStamp stamp() = 0;
  virtual std::int64_t ownChanges() = 0;
  // This connection's writes since the last call, which starts a new record.
  virtual OwnWrites takeOwnWrites() { return {}; }
  // After a statement that changed the schema.
  virtual void schemaChanged() {}
  // True when the connection holds nothing of a caller's (no transaction, no
  // statement running) and may serve the next connection to the catalogue.
  virtual bool reusable() { return false; }
  // Whether a connection kept since then still works (a server may have
  // closed it).
  virtual bool alive() { return true; }
  // Whether the connection has seen, by its change stamp, what other
  // connections wrote since it was last used: then a kept connection to a
  // file that was written meanwhile may serve again (its results are all
  // forgotten, as after any other connection's write).
  virtual bool followsOthers() { return false; }
  // What other connections' commits changed since the catalogue stood at
  // `since` (a ChangeStamp::version of this back end): the tables that may
  // have changed, and the version that answer holds for (the version now).
  // No tables when the back end cannot tell; each call takes the catalogue as
  // it stands for the next. A version of -1: the back end keeps no such record.
  struct OthersChanges {
    long long version = -1;
    std::optional<std::vector<std::string>> tables;
  };
  virtual OthersChanges othersChangesSince(long long /*since*/) { return {}; }
};

}  // namespace adoimpl
