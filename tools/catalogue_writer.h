// CatalogueWriter: writes the tables and rows of a new catalogue file (SQLite).
//
// The catalogue's schema lives here, in one place: the three fixed tables,
// and the column sets of the per-series parameter tables (point and range
// styles) and the per-series-and-drive-mode accessory tables. Column types
// are the ones the data-access layer converts written values to: TEXT,
// INTEGER, DOUBLE and BOOLEAN. Every table is an ordinary rowid table
// without indexes, so rows read back in insertion order.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace fangen {

// NULL, INTEGER, DOUBLE or TEXT (UTF-8).
using Value = std::variant<std::monostate, long long, double, std::string>;

struct Column {
  std::string name;
  std::string type;  // TEXT, INTEGER, DOUBLE, BOOLEAN, or "INTEGER PRIMARY KEY"
};

enum class TableStyle { Point, Range };

std::string parameterTableName(const std::string& series);
std::string accessoryTableName(const std::string& series, const std::string& driveMode);

// ID (automatic number), ModelID, then the performance columns of the style.
std::vector<Column> parameterColumns(TableStyle style);
// ID (automatic number), ModelID, ItemName, Spec, Quantity, Remark.
std::vector<Column> accessoryColumns();
// The heading of every column the grids show, as IndexTableName holds them.
std::vector<std::pair<std::string, std::string>> standardHeadings();

class CatalogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A catalogue file written whole under a temporary name beside its target and moved into
// place once complete, keeping the old file's mode. The target is the file a chain of
// symbolic links leads to; one that exists must be a regular file that may be written (a
// folder, device, FIFO or read-only file is refused before anything is written). The
// temporary is removed unless commit() moved it into place.
class CatalogueFileSave {
 public:
  // Throws CatalogueError.
  explicit CatalogueFileSave(const std::string& file);
  ~CatalogueFileSave();
  CatalogueFileSave(const CatalogueFileSave&) = delete;
  CatalogueFileSave& operator=(const CatalogueFileSave&) = delete;

  const std::string& temporary() const { return m_temporary; }
  void commit();

 private:
  std::string m_file, m_target, m_temporary;
};

class CatalogueWriter {
 public:
  // Creates the file (an existing one is replaced). Throws CatalogueError.
  explicit CatalogueWriter(const std::string& path);
  ~CatalogueWriter();
  CatalogueWriter(const CatalogueWriter&) = delete;
  CatalogueWriter& operator=(const CatalogueWriter&) = delete;

  // Model, Model_Table_Parameter_Style, IndexTableName.
  void createFixedTables();
  void createTable(const std::string& name, const std::vector<Column>& columns);
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values);
  void exec(const std::string& sql);
  void begin();
  void commit();
  // Finishes the file: commits, and closes it so it can be renamed.
  void close();

 private:
  sqlite3_stmt* statementFor(const std::string& table, const std::vector<std::string>& columns);
  [[noreturn]] void fail(const std::string& what) const;

  std::string m_path;
  sqlite3* m_db = nullptr;
  std::map<std::string, sqlite3_stmt*> m_statements;
};

}  // namespace fangen
