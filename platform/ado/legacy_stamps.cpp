// Taking away the change stamps of earlier versions.
#include "legacy_stamps.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "sql_dialect.h"

namespace adoimpl {

namespace {

bool exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

void removeLegacyStamps(sqlite3* db) {
  if (sqlite3_db_readonly(db, "main") != 0 || sqlite3_get_autocommit(db) == 0) return;
  // The stamping triggers: named zr_changes_<table>_<kind>, and writing the stamp table.
  std::vector<std::string> triggers;
  bool hasTable = false;
  sqlite3_stmt* stmt = nullptr;
  const char* sql =
      "SELECT type, name, sql FROM sqlite_master WHERE (type = 'trigger' AND "
      "substr(name, 1, 11) = 'zr_changes_') OR (type = 'table' AND name = 'zr_table_changes')";
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
    if (!type || !name) continue;
    if (std::string(type) == "table") {
      hasTable = true;
    } else if (text && std::string(text).find(std::string("UPDATE ") + kLegacyStampTable +
                                              " SET stamp = random()") != std::string::npos) {
      triggers.emplace_back(name);
    }
  }
  sqlite3_finalize(stmt);
  if (!hasTable && triggers.empty()) return;
  // Without waiting: the busy handler is off for this one transaction.
  sqlite3_busy_handler(db, nullptr, nullptr);
  bool ok = exec(db, "BEGIN IMMEDIATE");
  if (ok) {
    for (const std::string& t : triggers) ok = ok && exec(db, "DROP TRIGGER " + quoteIdentifier(t));
    if (hasTable) ok = ok && exec(db, std::string("DROP TABLE ") + kLegacyStampTable);
    if (!(ok && exec(db, "COMMIT"))) exec(db, "ROLLBACK");
  }
}

}  // namespace adoimpl
