// CatalogueWriter: writes the tables and rows of a new catalogue file (SQLite).
//
// The catalogue's schema lives here, in one place: the three fixed tables,
// and the column sets of the per-series parameter tables (point and range
// styles) and the per-series-and-drive-mode accessory tables. Column types
// are the ones the data-access layer converts written values to: TEXT,
// INTEGER, DOUBLE and BOOLEAN. Every table is an ordinary rowid table
// without indexes, so rows read back in insertion order.
#pragma once

#include <functional>
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

// Writes a catalogue file with the platform's safe writer (base/safe_file.h): fill makes
// it whole under the temporary name it is given, beside the target (the file a chain of
// links leads to), which then takes its place keeping the old file's mode; a folder,
// device, FIFO or read-only target is refused before anything is written, and a fill that
// throws leaves nothing behind. Throws CatalogueError (or what fill threw).
void saveCatalogueFile(const std::string& file,
                       const std::function<void(const std::string& temporary)>& fill);

class CatalogueWriter {
 public:
  // Creates the file (an existing one with content is replaced; an empty one, as the
  // safe writer makes, is written into). Throws CatalogueError.
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
