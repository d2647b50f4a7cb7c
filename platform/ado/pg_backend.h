// The PostgreSQL back end: a catalogue in one schema of a server, through libpq.
//
// Results are read in binary form (doubles exactly as stored); values are
// written as text parameters that the server converts to the column's type.
// Every connection listens on the change channels (pg_schema.h), so its
// ChangeStamp moves when any client's change to this catalogue commits, with
// no round trip to find out, and it learns which tables the change reached
// (othersChangesSince). A table looked up by text is read whole and answered
// from memory while nothing has changed it (loadFromMemory), so that the
// dialog's heading and model lookups cost one round trip in all. Statements wait for another
// client's lock (lock_timeout) as long as the user action running has left of its budget
// (kBusyTimeoutMs), and then fail, changing nothing. Connecting and every answer
// are bounded the same way: a server that accepts and never answers is given up.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"

struct pg_conn;
struct pg_result;

namespace adoimpl {

class PgBackend : public Backend {
 public:
  // Connects to the address (a postgresql:// URI); throws _com_error when
  // the server cannot be reached or refuses, or the schema does not exist.
  static std::unique_ptr<PgBackend> open(const std::string& address);
  ~PgBackend() override;

  SqlDialect dialect() const override { return SqlDialect::Postgres; }
  void close() override;
  bool reusable() override;
  bool alive() override;
  std::vector<std::string> tableNames() override;
  std::vector<std::string> columnNames(const std::string& table) override;
  void load(const TranslatedStatement& statement, RowSet& rows) override;
  bool loadsMany() const override { return true; }
  std::vector<bool> loadMany(const std::vector<const TranslatedStatement*>& statements,
                             const std::vector<RowSet*>& rows) override;
  long execute(const TranslatedStatement& statement) override;
  long long update(const std::string& table, const std::vector<std::string>& columns,
                   const std::vector<PendingValue>& values, long long rowid) override;
  long long insert(const std::string& table, const std::vector<std::string>& columns,
                   const std::vector<PendingValue>& values) override;
  long long remove(const std::string& table, long long rowid) override;
  bool readRow(const std::string& table, const std::vector<std::string>& columns, long long rowid,
               RowSet& rows, std::size_t row) override;
  void begin() override;
  void commit() override;
  void rollback() override;
  ChangeStamp stamp() override;
  OthersChanges othersChangesSince(long long since) override;
  std::int64_t ownChanges() override { return m_changes; }
  OwnWrites takeOwnWrites() override;
  void schemaChanged() override {
    m_failedAhead.clear();
    m_tables.clear();
    m_schemaRead = false;
    m_schemaFresh = false;
    m_keptTables.clear();
    m_keptCells = 0;
  }

 private:
  struct Column {
    std::string name;
    std::string type;  // as format_type gives it
  };
  struct Table {
    std::string name;
    std::map<int, Column> columns;  // by attnum
    bool inSchema = false;          // read with the catalogue's schema (readSchema())
    long long rows = -1;            // the server's estimate when read (-1: not known)
  };
  struct ResultDeleter {
    void operator()(pg_result* r) const;
  };
  using Result = std::unique_ptr<pg_result, ResultDeleter>;

  explicit PgBackend(pg_conn* conn) : m_conn(conn) {}
  pg_conn* handle() const;
  using Clock = std::chrono::steady_clock;
  // Sends sql (with text parameters, or several statements when params is null) and waits
  // for the answer until the deadline, by default the one the current user action allows
  // (lockWaitBudget()). A server that has not answered by then is given up: the connection
  // is closed and the error says so.
  // The results of the statements before the last go to earlier when it is given.
  Result await(const std::string& sql, const std::vector<const char*>* params = nullptr,
               bool binary = false, std::optional<Clock::time_point> deadline = std::nullopt,
               std::vector<Result>* earlier = nullptr);
  // Runs sql with text parameters (null for NULL); binary results when asked.
  Result run(const std::string& sql, const std::vector<const char*>& params = {},
             bool binary = false);
  [[noreturn]] void fail(const pg_result* result) const;
  // Sets lock_timeout to what the current user action has left of its wait budget
  // (base/user_action.h), when that differs enough from the value set.
  void boundLockWait();
  const Column* columnOf(unsigned table, int column);
  // Reads every table of the catalogue's schema with its columns, in one statement: the
  // table and column names that statements are resolved against and the column types
  // that results are read by (a fresh connection asked per table, twice, before).
  void readSchema();
  // Takes the answer to that statement (text form) as the schema read; connecting asks it.
  void takeSchema(const pg_result* result);
  // Answers a lookup by text in a table of at most kWholeTableRows rows from the table read
  // whole, which is kept while no change to it has been notified since and this connection
  // has not written to it, and only outside a transaction. False, having done nothing, for
  // any other statement, or when a value's text cannot be told here.
  bool loadFromMemory(const TranslatedStatement& statement, RowSet& rows);
  // The text the server matches a value of a result with ILIKE by: a text as it is, a
  // number as the connection prints it (extra_float_digits 0). False for other types.
  bool matchText(const pg_result* result, int row, int column, std::string& out) const;
  // Takes the notifications that have arrived (stamp()).
  void takeNotifications();
  // Whether table may have changed, by another client or this connection, since the kept
  // copy was read.
  bool changedSince(const std::string& table, long long version, std::uint64_t ownWrites,
                    std::uint64_t unknownWrites) const;
  // Fills rows from the result of statement: every row, or only those numbered in only.
  void fill(const TranslatedStatement& statement, const pg_result* res, RowSet& rows,
            const std::vector<int>* only);
  // untyped: the column is zr_any, whose numbers read back as numbers.
  void readCell(const pg_result* result, int row, int column, bool untyped, RowSet& rows,
                Cell& cell) const;
  // Notes one write in the record the result cache takes: of that table; of
  // tables not known when table is empty; of no rows (a transaction's BEGIN,
  // COMMIT, a write that found no row) when changesRows is false.
  void noteWrite(const std::string& table = std::string(), bool changesRows = true);
  // Whether the statement starts or ends a transaction, or marks a savepoint.
  static bool changesNoRows(const std::string& sql);

  pg_conn* m_conn;
  std::wstring m_address;  // as messages show it: without a password
  std::wstring m_lost;     // why the connection was given up, when it was
  std::string m_schema;
  unsigned m_boolType = 0;  // the oids of zr_bool, zr_any and zr_int
  unsigned m_anyType = 0;
  unsigned m_intType = 0;
  long long m_version = 0;
  std::int64_t m_changes = 0;
  OwnWrites m_writes;           // since takeOwnWrites()
  bool m_writesSpread = false;  // writes may reach tables they do not name
  std::optional<std::chrono::milliseconds> m_lockTimeout;  // as set on the server
  unsigned long long m_syncedAction = 0;  // the user action that last asked for changes
  std::map<unsigned, Table> m_tables;     // by oid, as results name them
  bool m_schemaRead = false;              // m_tables holds the whole schema, as last read
  bool m_schemaFresh = false;             // read since tableNames() last asked
  // The rows of a kept table by the text a column's value matches by (matchText), ASCII
  // letters folded: row numbers in row order.
  using TextIndex = std::unordered_map<std::string, std::vector<int>>;
  // A table read whole for lookups, and what had changed when it was read.
  struct KeptTable {
    Result rows;  // SELECT * with rowid, in rowid order
    // By column number, made at the first lookup by that column; nothing where a value's
    // text cannot be told here (its lookups are left to the server).
    std::map<int, std::optional<TextIndex>> byText;
    long long version = 0;
    std::uint64_t ownWrites = 0;      // m_tableWrites[table] then
    std::uint64_t unknownWrites = 0;  // m_unknownWrites then
    std::size_t cells = 0;
    unsigned long long used = 0;  // for dropping the least recently used
    unsigned served = 0;          // lookups answered from it
  };
  // A table whose copy answered at most one lookup before this connection wrote to it (a
  // grid edit looks up the rows it then writes): its lookups are asked of the server one
  // by one until kLookupsToReadWhole come with no write of this connection between, rather
  // than the table read whole again for each.
  struct WrittenTable {
    std::uint64_t ownWrites = 0;  // m_tableWrites[table] when lookups were last counted
    int lookups = 0;              // since then
  };
  std::map<std::string, WrittenTable> m_writtenTables;
  std::map<std::string, KeptTable> m_keptTables;  // by table name
  std::set<std::string> m_failedAhead;            // statements loadMany could not read, as sent
  // Keeps whole, the whole of table read just now, in place of any copy kept.
  std::map<std::string, KeptTable>::iterator keep(const std::string& table, Result whole);
  // The index of a kept table's column, made the first time it is asked for (and counted
  // among the cells kept); null when a value's text cannot be told here.
  const TextIndex* textIndex(KeptTable& kept, int column);
  std::size_t m_keptCells = 0;
  unsigned long long m_keptUse = 0;
  // This connection's writes by table, and those whose tables are not known.
  std::map<std::string, std::uint64_t> m_tableWrites;
  std::uint64_t m_unknownWrites = 0;
  // Other clients' commits as notified. Each foreign transaction's first note names a
  // table and its transaction (the trigger sends it before the schema's note); a schema
  // note that does not follow such a note comes from a trigger that names no tables.
  struct NoteState {
    std::string transaction;  // the last transaction that named a table
    bool counted = true;      // its schema note has come
  };
  std::map<int, NoteState> m_notes;  // by server process
  // m_version's moves since m_logBase: the version each reached, and the tables changed
  // (none known: any table).
  struct LoggedChange {
    long long version;
    std::optional<std::vector<std::string>> tables;
  };
  std::vector<LoggedChange> m_changeLog;
  long long m_logBase = 0;
};

}  // namespace adoimpl
