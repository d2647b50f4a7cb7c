// One open catalogue file: the SQLite connection behind an ADO connection.
//
// A Session is shared by its connection and the recordsets opened on it; the
// connection's Close closes it, after which every use raises the "object is
// closed" error. It owns the table-name cache used to resolve names written
// in another letter case.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com_error.h"
#include "sql_dialect.h"

struct sqlite3;
struct sqlite3_stmt;

namespace adoimpl {

class ResultCache;

struct StatementDeleter {
  void operator()(sqlite3_stmt* stmt) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// How long one user action (base/user_action.h) waits, in all, for other connections'
// locks: the statement that finds the catalogue locked waits up to this long, and once an
// action has spent it, its further statements fail at once instead of waiting again (a
// series change runs some twenty statements). A statement outside any action waits this
// long on its own.
constexpr int kBusyTimeoutMs = 5000;

class Session {
 public:
  // Opens the file that the connection string's DBQ (or "Data Source") names.
  // Throws _com_error when there is none, when it does not exist, or when it
  // is not an SQLite database.
  static std::shared_ptr<Session> open(std::wstring_view connectionString);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool isOpen() const { return m_db != nullptr; }
  void close();
  // The SQLite handle; throws the "object is closed" error after close().
  sqlite3* handle() const;

  TranslatedStatement translate(std::wstring_view sql, bool wantRowid);
  // Prepares one translated statement; throws _com_error naming the cause.
  StatementPtr prepare(const std::string& sql) const;
  // Throws the _com_error for an SQLite result code, with its message.
  [[noreturn]] void fail(int rc) const;
  // Forgets the cached table names and results (after a statement that
  // changes the schema).
  void schemaChanged();
  // Recent SELECT results (result_cache.h).
  ResultCache& results() { return *m_results; }

 private:
  explicit Session(sqlite3* db);
  std::string resolveTable(const std::string& name);
  // SQLite's busy handler: 1 to try the lock again, 0 to fail the statement.
  static int onBusy(void* session, int count);

  sqlite3* m_db;
  std::chrono::steady_clock::time_point m_busyDeadline;  // of the lock waited for now
  std::vector<std::string> m_tables;
  bool m_tablesLoaded = false;
  std::unique_ptr<ResultCache> m_results;
};

// The value of one key of an ODBC "key=value;..." string (keys compared
// without regard to case, values may be wrapped in braces); empty when absent.
std::wstring connectionStringValue(std::wstring_view connectionString, std::wstring_view key);

}  // namespace adoimpl
