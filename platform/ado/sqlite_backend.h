// The SQLite back end: a catalogue file opened with the SQLite C API.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backend.h"
#include "page_changes.h"
#include "statement_cache.h"

namespace adoimpl {

class SqliteBackend : public Backend {
 public:
  // Opens the file (a native path); path is the name shown in messages.
  // Throws _com_error when it is not an SQLite database.
  static std::unique_ptr<SqliteBackend> open(const std::string& native, const std::wstring& path);
  ~SqliteBackend() override;

  SqlDialect dialect() const override { return SqlDialect::Sqlite; }
  void close() override;
  std::vector<std::string> tableNames() override;
  void load(const TranslatedStatement& statement, RowSet& rows) override;
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
  std::int64_t ownChanges() override;
  OwnWrites takeOwnWrites() override;
  bool followsOthers() override;
  OthersChanges othersChangesSince(long long since) override;
  void schemaChanged() override { m_statements.clear(); }
  bool reusable() override;
  // How many statement texts are kept prepared (for tests).
  std::size_t keptStatements() const { return m_statements.size(); }

 private:
  explicit SqliteBackend(sqlite3* db) : m_db(db) {}
  // Opens name with the flags and reads its schema; null with SQLite's code and
  // message when either fails.
  static std::unique_ptr<SqliteBackend> tryOpen(const std::string& name, int flags, int& rc,
                                                std::wstring& why);
  // Why the catalogue cannot be written ("" when neither it nor its folder is
  // read-only).
  std::wstring readOnlyReason() const;
  sqlite3* handle() const;
  StatementPtr prepare(const std::string& sql) const;
  // The kept statement of sql, prepared and kept on first use; spare holds
  // a statement of its own while the kept one is running.
  PreparedStatement& statement(const std::string& sql, PreparedStatement& spare);
  [[noreturn]] void fail(int rc) const;
  void run(const char* sql);
  bool noStatementRunning() const;
  void readCell(sqlite3_stmt* stmt, int column, RowSet& rows, Cell& cell);
  // PRAGMA data_version now; -1 when it cannot be read.
  long long readDataVersion();
  // SQLite's busy handler: 1 to try the lock again, 0 to fail the statement.
  static int onBusy(void* backend, int count);
  // SQLite's authorizer: notes the tables of the statement being compiled
  // (m_noting) and allows everything.
  static int onAuthorize(void* backend, int action, const char* name, const char* detail,
                         const char* database, const char* trigger);

  // Notes in m_writes what one run of a kept statement changed, however the
  // run ends.
  class RunNote {
   public:
    RunNote(SqliteBackend& backend, const PreparedStatement& prepared);
    ~RunNote();
    RunNote(const RunNote&) = delete;
    RunNote& operator=(const RunNote&) = delete;

   private:
    SqliteBackend& m_backend;
    const PreparedStatement& m_prepared;
    std::int64_t m_changesBefore;
    bool m_inTransaction;
  };

  sqlite3* m_db;
  std::string m_native;                                  // the file
  std::wstring m_path;                                   // its name in messages
  std::chrono::steady_clock::time_point m_busyDeadline;  // of the lock waited for now
  StatementPtr m_dataVersion;
  // The file's version as last read, and the user action that read it
  // (0: none); within one action it is read once (stamp()).
  long long m_version = -1;
  unsigned long long m_versionAction = 0;
  StatementCache m_statements;
  StatementEffects* m_noting = nullptr;  // of the statement being prepared
  OwnWrites m_writes;                    // since takeOwnWrites()
  // The file's identity when it was opened: the pages hashed must be the
  // ones this connection reads, not a file put in its place since.
  unsigned long long m_device = 0, m_inode = 0;
  // The file's pages as hashed at version m_pagesVersion (-1: none).
  std::unique_ptr<FilePages> m_pages;
  long long m_pagesVersion = -1;
  long long m_schemaVersion = -1;  // as othersChangesSince last read it
};

}  // namespace adoimpl
