// The catalogue's SQL dialect, translated into SQLite's or PostgreSQL's.
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
//
// For PostgreSQL, whose names are case-sensitive once quoted and folded to
// lower case when not, and whose LIKE neither ignores case nor takes numbers,
// the same tokens are written differently:
// - a bare word that names a column of the statement's tables (in any letter
//   case) is written as that column's quoted name, an alias after AS quoted
//   as written, so result fields keep the names SQLite gives them;
// - [name] and `name` are quoted names; "text" is a name when it names a
//   column or table, else a string (as SQLite takes it);
// - LIKE is ILIKE, whose operators for numbers the catalogue's schema
//   defines (pg_schema.h): a number is matched through its displayed text;
// - CREATE TABLE maps the column types onto the schema's and gives the table
//   its row identity column, rowid (the INTEGER PRIMARY KEY column's value
//   when there is one, as in SQLite, else a sequence).
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace adoimpl {

class DialectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class SqlDialect { Sqlite, Postgres };

struct TranslatedStatement {
  std::string sql;        // for the back end, UTF-8
  bool isSelect = false;  // starts with SELECT
  std::string table;      // the one table a SELECT reads (resolved), when rowidColumn
  bool rowidColumn = false;
  bool changesSchema = false;  // CREATE, DROP or ALTER
  // The table an INSERT, UPDATE or DELETE writes (resolved); empty for others.
  std::string writtenTable;
  // A SELECT with the row identity (table) and no subquery: it reads table alone.
  bool readsOnlyTable = false;
  // PostgreSQL: the table a CREATE TABLE makes, and its INTEGER PRIMARY KEY
  // column (empty when none), for the triggers the back end adds.
  std::string createdTable;
  std::string integerKey;
};

// Maps a table name as written to the table's own name (or returns it as is).
using TableResolver = std::function<std::string(const std::string&)>;
// The own spelling of a column named (in any letter case) among the
// statement's tables (resolved names), or nothing.
using ColumnResolver = std::function<std::optional<std::string>(
    const std::vector<std::string>& tables, std::string_view name)>;

// Throws DialectError for text the dialect refuses.
TranslatedStatement translateStatement(std::string_view sql, const TableResolver& resolve,
                                       bool wantRowid);
TranslatedStatement translateStatement(std::string_view sql, SqlDialect dialect,
                                       const TableResolver& resolve,
                                       const ColumnResolver& resolveColumn, bool wantRowid);

// The one way names and texts are written into SQL, for SQLite and PostgreSQL
// alike (both double the quote inside): "name" as an identifier, 'text' as a
// string literal.
std::string quoteIdentifier(std::string_view name);
std::string quoteLiteral(std::string_view text);

}  // namespace adoimpl
