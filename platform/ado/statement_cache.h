// Prepared SQLite statements kept per SQL text, with the fields of a result.
//
// The dialog sends the same few dozen statement texts over and over (a
// heading lookup per grid column, the model's ID, its rows); preparing one
// parses the text and looks up the schema, which on the dialog's actions cost
// as much as running them. A kept statement is reset, with its parameters
// cleared, as soon as its user is done with it (StatementUse), so it holds no
// read transaction, and no lock, between calls. SQLite prepares a kept
// statement again by itself when the schema changed; the fields noted for it
// are read again then too (its reprepare count moves).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "row_values.h"

struct sqlite3;
struct sqlite3_stmt;

namespace adoimpl {

struct StatementDeleter {
  void operator()(sqlite3_stmt* stmt) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The tables a statement reads and writes, as SQLite reported them while it
// compiled it (a view's tables and a trigger's writes included).
struct StatementEffects {
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  // Effects beyond rows of those tables: schema, pragma, attach, rollback.
  bool unknown = false;
  bool commits = false;  // COMMIT or END: a transaction ending that way is kept
  // Notes one compiled action (SQLite's authorizer codes).
  void note(int action, const char* name);
};

struct PreparedStatement {
  StatementPtr stmt;
  StatementEffects effects;
  // The result's fields as load() reads them, valid while fieldsEpoch is the
  // statement's reprepare count; -1: not read yet.
  std::vector<FieldInfo> fields;
  int fieldsEpoch = -1;
};

class StatementCache {
 public:
  // The kept statement of sql, or null (also when it is running now: a
  // caller that needs it then prepares its own).
  PreparedStatement* find(const std::string& sql);
  // Keeps prepared for sql and returns it; past the bound the least recently
  // used texts go. Null, and prepared left with the caller, while the
  // statement kept for sql is running.
  PreparedStatement* keep(const std::string& sql, PreparedStatement& prepared);
  // Finalizes every kept statement (before the connection closes).
  void clear();
  std::size_t size() const { return m_entries.size(); }

 private:
  // The dialog's statements name a model or a series in their text: a session
  // of browsing makes new texts all the time. 256 holds every text of several
  // user actions; the oldest half goes when it is full.
  static constexpr std::size_t kMaxStatements = 256;
  struct Entry {
    std::unique_ptr<PreparedStatement> prepared;
    unsigned long long lastUse = 0;
  };
  void dropOldest();

  std::unordered_map<std::string, Entry> m_entries;
  unsigned long long m_uses = 0;
};

// Resets a statement (and clears its parameters) when the scope ends, however
// it ends: a statement left stepped would keep its read transaction open.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* stmt) : m_stmt(stmt) {}
  ~StatementUse();
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  sqlite3_stmt* m_stmt;
};

}  // namespace adoimpl
