// Reading a catalogue back for its summary.
#include "catalogue_summary.h"

#include <sqlite3.h>

#include <sstream>
#include <vector>

#include "ado/legacy_stamps.h"
#include "ado/sql_dialect.h"
#include "catalogue_writer.h"

namespace fangen {

using adoimpl::quoteIdentifier;

namespace {

class ReadOnlyDb {
 public:
  explicit ReadOnlyDb(const std::string& path) : m_path(path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      fail("cannot open");
    }
  }
  ~ReadOnlyDb() { sqlite3_close(m_db); }
  ReadOnlyDb(const ReadOnlyDb&) = delete;
  ReadOnlyDb& operator=(const ReadOnlyDb&) = delete;

  // Every row of the query, each column as text ("" for NULL).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail(sql);
    std::vector<std::vector<std::string>> out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        row.emplace_back(text ? text : "");
      }
      out.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) fail(sql);
    return out;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw CatalogueError("catalogue '" + m_path + "': " + what + ": " +
                         (m_db ? sqlite3_errmsg(m_db) : "out of memory"));
  }

  std::string m_path;
  sqlite3* m_db = nullptr;
};

}  // namespace

std::string catalogueSummary(const std::string& path) {
  ReadOnlyDb db(path);
  std::ostringstream out;
  const auto models = db.rows("SELECT count(*) FROM Model");
  const auto series = db.rows(
      "SELECT s.BigModel, s.TableStyle, (SELECT count(*) FROM Model m WHERE m.BigModel = "
      "s.BigModel) FROM Model_Table_Parameter_Style s ORDER BY s.rowid");
  out << path << ": " << series.size() << " series, " << models[0][0] << " models\n";
  for (const auto& s : series) {
    const char* style = s[1] == "1" ? "point table" : s[1] == "0" ? "range table" : "no style";
    out << "  series " << s[0] << ": " << style << ", " << s[2] << " models\n";
  }
  for (const auto& t :
       db.rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> " +
               adoimpl::quoteLiteral(adoimpl::kLegacyStampTable) + " ORDER BY rowid")) {
    const auto n = db.rows("SELECT count(*) FROM " + quoteIdentifier(t[0]));
    out << "  table " << t[0] << ": " << n[0][0] << " rows\n";
  }
  return out.str();
}

}  // namespace fangen
