// The catalogue's SQL dialect, translated into SQLite's.
//
// The module sends statements written for the Access ODBC driver. What
// differs from SQLite is rewritten here, and what the driver refuses is
// refused here, before SQLite sees the text:
// - one statement per call: text after the first ';' other than blanks is an error;
// - "delete * from T" is "delete from T";
// - a bare table name after FROM, INTO, UPDATE, JOIN and TABLE is one run of
//   letters (any script), digits, '_', '-' and '.' ("4-72_Parameter",
//   "T4-72_直联_Accessory"); it is quoted for SQLite and resolved to the
//   table's own spelling without regard to case. A name that runs into a
//   quote, a bracket or other punctuation is an error;
// - a SELECT of '*' or columns from one table gets that table's rowid as an
//   extra last column, and rowid order unless it has an ORDER BY, so that a
//   recordset can write its rows back and rows come in insertion order.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace adoimpl {

class DialectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TranslatedStatement {
  std::string sql;        // for SQLite, UTF-8
  bool isSelect = false;  // starts with SELECT
  std::string table;      // the one table a SELECT reads (resolved), when rowidColumn
  bool rowidColumn = false;
};

// Maps a table name as written to the table's own name (or returns it as is).
using TableResolver = std::function<std::string(const std::string&)>;

// Throws DialectError for text the dialect refuses.
TranslatedStatement translateStatement(std::string_view sql, const TableResolver& resolve,
                                       bool wantRowid);

// "name" with embedded quotes doubled.
std::string quoteIdentifier(std::string_view name);

}  // namespace adoimpl
