// The per-table change stamps of a catalogue file.
#include "change_log.h"

#include <sqlite3.h>

#include <set>

#include "sql_dialect.h"

namespace adoimpl {

namespace {

constexpr const char* kKinds[] = {"insert", "update", "delete"};

// Runs a query and calls row(stmt) for each row; false when it fails.
template <class Row>
bool eachRow(sqlite3* db, const char* sql, Row&& row) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) row(stmt);
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE;
}

std::string textOf(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text ? std::string(text) : std::string();
}

std::string quoteLiteral(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

bool exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

std::string ChangeLog::triggerName(const std::string& table, const char* kind) {
  return "zr_changes_" + table + "_" + kind;
}

std::string ChangeLog::triggerSql(const std::string& table, const char* kind) {
  std::string event = kind;
  for (char& c : event) c = static_cast<char>(c - 'a' + 'A');
  return "CREATE TRIGGER " + quoteIdentifier(triggerName(table, kind)) + " AFTER " + event +
         " ON " + quoteIdentifier(table) + " BEGIN UPDATE " + kChangeLogTable +
         " SET stamp = random() WHERE name = " + quoteLiteral(table) + "; END";
}

long long ChangeLog::schemaVersion(sqlite3* db) {
  long long version = -1;
  eachRow(db, "PRAGMA schema_version",
          [&](sqlite3_stmt* s) { version = sqlite3_column_int64(s, 0); });
  return version;
}

void ChangeLog::attach(sqlite3* db, bool install) {
  m_complete = false;
  m_primed = false;
  m_tables.clear();
  m_stamps.clear();
  m_schemaVersion = schemaVersion(db);
  std::vector<std::string> tables;
  std::set<std::string> triggers;  // name + '\n' + text, as they stand
  bool hasLog = false;
  bool virtualTables = false;
  m_systemTables = {"sqlite_master", "sqlite_schema"};
  const bool read =
      eachRow(db, "SELECT type, name, sql FROM sqlite_master WHERE type IN ('table', 'trigger')",
              [&](sqlite3_stmt* s) {
                const std::string type = textOf(s, 0), name = textOf(s, 1);
                if (type == "trigger") {
                  triggers.insert(name + '\n' + textOf(s, 2));
                } else if (name == kChangeLogTable) {
                  hasLog = true;
                } else if (sqlite3_strnicmp(name.c_str(), "sqlite_", 7) == 0) {
                  m_systemTables.push_back(name);  // SQLite's own: no triggers
                } else if (sqlite3_strnicmp(textOf(s, 2).c_str(), "CREATE VIRTUAL", 14) == 0) {
                  virtualTables = true;  // no triggers either
                } else {
                  tables.push_back(name);
                }
              });
  if (!read || m_schemaVersion < 0) return;
  std::vector<std::string> unstamped;
  for (const std::string& table : tables) {
    bool stamped = hasLog;
    for (const char* kind : kKinds) {
      stamped =
          stamped && triggers.count(triggerName(table, kind) + '\n' + triggerSql(table, kind));
    }
    (stamped ? m_tables : unstamped).push_back(table);
  }
  if (!unstamped.empty() && install && sqlite3_db_readonly(db, "main") == 0 &&
      sqlite3_get_autocommit(db) != 0 && exec(db, "BEGIN IMMEDIATE")) {
    bool ok = exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + kChangeLogTable +
                           " (name TEXT PRIMARY KEY, stamp INTEGER NOT NULL)");
    for (const std::string& table : unstamped) {
      ok = ok && exec(db, std::string("INSERT OR IGNORE INTO ") + kChangeLogTable +
                              " (name, stamp) VALUES (" + quoteLiteral(table) + ", random())");
      for (const char* kind : kKinds) {
        ok = ok && exec(db, "DROP TRIGGER IF EXISTS " + quoteIdentifier(triggerName(table, kind)));
        ok = ok && exec(db, triggerSql(table, kind));
      }
    }
    if (ok && exec(db, "COMMIT")) return attach(db, false);
    exec(db, "ROLLBACK");
  }
  m_complete = unstamped.empty() && hasLog && !virtualTables;
}

bool ChangeLog::changedSince(sqlite3* db, std::vector<std::string>& tables) {
  if (!m_complete) return false;
  std::map<std::string, long long> stamps;
  const std::string sql = std::string("SELECT name, stamp FROM ") + kChangeLogTable;
  if (!eachRow(db, sql.c_str(),
               [&](sqlite3_stmt* s) { stamps[textOf(s, 0)] = sqlite3_column_int64(s, 1); })) {
    m_primed = false;
    return false;
  }
  const bool primed = m_primed;
  std::map<std::string, long long> before = std::move(m_stamps);
  m_stamps = std::move(stamps);
  m_primed = true;
  if (!primed) return false;
  std::vector<std::string> changed;
  for (const std::string& table : m_tables) {
    const auto now = m_stamps.find(table);
    const auto then = before.find(table);
    if (now == m_stamps.end() || then == before.end()) return false;
    if (now->second != then->second) changed.push_back(table);
  }
  // SQLite's own tables change with the others' (the AUTOINCREMENT counters
  // with an insert, the schema with the statistics): what read them goes.
  if (!changed.empty()) tables.insert(tables.end(), m_systemTables.begin(), m_systemTables.end());
  tables.insert(tables.end(), changed.begin(), changed.end());
  return true;
}

}  // namespace adoimpl
