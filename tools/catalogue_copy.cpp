// Copying catalogues between SQLite files and PostgreSQL servers.
#include "catalogue_copy.h"

#ifdef FANCAD_POSTGRESQL
#include <libpq-fe.h>
#endif
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>
#include <string_view>
#include <vector>

#include "ado/legacy_stamps.h"
#include "ado/pg_schema.h"
#include "ado/sql_dialect.h"
#include "catalogue_writer.h"

namespace fangen {

void printReplaced(std::ostream& out, const char* program, const CopyCounts& counts) {
  if (counts.replaced.empty()) return;
  out << program << ": replaced " << counts.replaced.size()
      << " tables of the catalogue on the server:";
  for (std::size_t i = 0; i < counts.replaced.size(); ++i) {
    out << (i ? ", " : " ") << counts.replaced[i];
  }
  out << "\n";
}

#ifdef FANCAD_POSTGRESQL

namespace {

using adoimpl::quoteIdentifier;

struct PgResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

// One server connection for the copy.
class Server {
 public:
  explicit Server(const std::string& address) : m_conn(connect(address)) {
    // A constructor that throws gets no destructor: a refused connection is finished here.
    try {
      if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        throw CatalogueError("cannot connect to the server " +
                             adoimpl::addressForMessages(address) + ": " + error());
      }
      run("SET client_encoding = 'UTF8'");
      run("SET extra_float_digits = 3");
    } catch (...) {
      PQfinish(m_conn);
      throw;
    }
  }
  ~Server() { PQfinish(m_conn); }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  PgResult run(const std::string& sql, const std::vector<const char*>& params = {}) {
    // Without parameters a text may hold several statements (a table and its triggers).
    PgResult r(params.empty() ? PQexec(m_conn, sql.c_str())
                              : PQexecParams(m_conn, sql.c_str(), static_cast<int>(params.size()),
                                             nullptr, params.data(), nullptr, nullptr, 0));
    const ExecStatusType s = PQresultStatus(r.get());
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK && s != PGRES_COPY_IN) {
      throw CatalogueError("server: " + sql.substr(0, 200) + ": " + error());
    }
    return r;
  }
  std::string error() const {
    std::string why = m_conn ? PQerrorMessage(m_conn) : "out of memory";
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return why;
  }
  PGconn* handle() { return m_conn; }

  // The schema's name, made when missing, and set as current.
  std::string useSchema();

 private:
  // A server that accepts and never answers is given up after a while (unless the
  // address sets its own connect_timeout, which comes after this one and wins).
  static PGconn* connect(const std::string& address) {
    const char* keys[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"10", address.c_str(), nullptr};
    return PQconnectdbParams(keys, values, 1);
  }

  PGconn* m_conn;
};

std::string Server::useSchema() {
  PgResult r = run("SELECT current_schema(), current_setting('search_path'), current_user");
  if (!PQgetisnull(r.get(), 0, 0)) return PQgetvalue(r.get(), 0, 0);
  std::string first = PQgetvalue(r.get(), 0, 1);
  first = first.substr(0, first.find(','));
  while (!first.empty() && first.front() == ' ') first.erase(0, 1);
  while (!first.empty() && first.back() == ' ') first.pop_back();
  if (first.size() >= 2 && first.front() == '"') first = first.substr(1, first.size() - 2);
  if (first == "$user") first = PQgetvalue(r.get(), 0, 2);
  if (first.empty()) throw CatalogueError("the address names no schema");
  run("CREATE SCHEMA IF NOT EXISTS " + quoteIdentifier(first));
  return first;
}

class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) throw CatalogueError("no file '" + path + "'");
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      throw CatalogueError("cannot open '" + path + "': " + error());
    }
  }
  ~SqliteFile() { sqlite3_close(m_db); }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;
  std::string error() const { return m_db ? sqlite3_errmsg(m_db) : "out of memory"; }
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
      throw CatalogueError(sql + ": " + error());
    }
    return s;
  }

 private:
  sqlite3* m_db = nullptr;
};

struct FileColumn {
  std::string name, type, defaultValue;
  bool notNull = false, primaryKey = false;
};

std::string text(sqlite3_stmt* s, int c) {
  const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
  return t ? t : "";
}

std::vector<FileColumn> fileColumns(SqliteFile& db, const std::string& table) {
  sqlite3_stmt* s = db.prepare("PRAGMA table_info(" + quoteIdentifier(table) + ")");
  std::vector<FileColumn> out;
  while (sqlite3_step(s) == SQLITE_ROW) {
    out.push_back({text(s, 1), text(s, 2), text(s, 4), sqlite3_column_int(s, 3) != 0,
                   sqlite3_column_int(s, 5) != 0});
  }
  sqlite3_finalize(s);
  return out;
}

// A value in COPY's text form; what cannot go to the server (the reason) is thrown.
void appendCopyValue(std::string& line, sqlite3_stmt* s, int c) {
  switch (sqlite3_column_type(s, c)) {
    case SQLITE_NULL:
      line += "\\N";
      return;
    case SQLITE_INTEGER:
      line += std::to_string(sqlite3_column_int64(s, c));
      return;
    case SQLITE_FLOAT: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", sqlite3_column_double(s, c));
      line += buffer;
      return;
    }
    case SQLITE_BLOB:
      throw CatalogueError("it holds " + std::to_string(sqlite3_column_bytes(s, c)) +
                           " bytes of binary data (a BLOB), which the server's catalogue has "
                           "no column type for");
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
      const std::string_view v(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
      if (v.find('\0') != std::string_view::npos) {
        throw CatalogueError("its text holds a NUL byte at byte " + std::to_string(v.find('\0')) +
                             ", which the server's text cannot hold");
      }
      for (const char ch : v) {
        if (ch == '\\') {
          line += "\\\\";
        } else if (ch == '\t') {
          line += "\\t";
        } else if (ch == '\n') {
          line += "\\n";
        } else if (ch == '\r') {
          line += "\\r";
        } else {
          line += ch;
        }
      }
    }
  }
}

long long copyRows(SqliteFile& db, Server& server, const std::string& table,
                   const std::vector<FileColumn>& columns) {
  std::string names, select;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + quoteIdentifier(columns[i].name);
  }
  server.run("COPY " + quoteIdentifier(table) + " (" + names + ") FROM STDIN");
  sqlite3_stmt* s = db.prepare("SELECT " + names + (names.empty() ? "" : ", ") + "rowid FROM " +
                               quoteIdentifier(table) + " ORDER BY rowid");
  long long rows = 0;
  std::string line, refused;
  const int count = static_cast<int>(columns.size());
  while (refused.empty() && sqlite3_step(s) == SQLITE_ROW) {
    line.clear();
    for (int c = 0; c < count && refused.empty(); ++c) {
      if (c) line += '\t';
      try {
        appendCopyValue(line, s, c);
      } catch (const CatalogueError& e) {
        refused = "table " + table + ", row " + std::to_string(rows + 1) + " (rowid " +
                  std::to_string(sqlite3_column_int64(s, count)) + "), column " +
                  columns[static_cast<std::size_t>(c)].name + ": " + e.what();
      }
    }
    line += '\n';
    if (!refused.empty()) break;
    if (PQputCopyData(server.handle(), line.data(), static_cast<int>(line.size())) != 1) break;
    ++rows;
  }
  sqlite3_finalize(s);
  // A refused value ends the copy with an error: the server takes none of it.
  PQputCopyEnd(server.handle(), refused.empty() ? nullptr : "refused");
  PgResult r(PQgetResult(server.handle()));
  while (PGresult* more = PQgetResult(server.handle())) PQclear(more);
  if (!refused.empty()) throw CatalogueError("cannot copy " + refused);
  if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
    throw CatalogueError("copying rows of " + table + ": " + server.error());
  }
  return rows;
}

// The table's own CREATE TABLE translated as the data layer translates the
// module's (constraints and all), with its triggers; a statement the
// translation cannot take is made from the columns alone.
std::string pgCreateTable(const std::string& table, const std::string& create,
                          const std::vector<FileColumn>& columns) {
  const std::size_t open = create.find('(');
  if (open != std::string::npos) {
    try {
      const adoimpl::TranslatedStatement t =
          adoimpl::translateStatement("CREATE TABLE " + table + " " + create.substr(open),
                                      adoimpl::SqlDialect::Postgres, nullptr, nullptr, false);
      std::string sql = t.sql;
      for (const std::string& trigger : adoimpl::pgTableTriggers(table, t.integerKey)) {
        sql += "; " + trigger;
      }
      return sql;
    } catch (const adoimpl::DialectError&) {
    }
  }
  int keys = 0;
  for (const FileColumn& c : columns) keys += c.primaryKey ? 1 : 0;
  std::string integerKey, body;
  for (const FileColumn& c : columns) {
    std::string type = c.type;
    for (char& ch : type) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
    if (keys == 1 && c.primaryKey && type == "INTEGER") integerKey = c.name;
    body += ", " + quoteIdentifier(c.name) + " " + adoimpl::pgColumnType(c.type);
    if (c.primaryKey && keys == 1) body += " PRIMARY KEY";
    if (c.notNull) body += " NOT NULL";
    if (!c.defaultValue.empty()) body += " DEFAULT " + c.defaultValue;
  }
  std::string sql = "CREATE TABLE " + quoteIdentifier(table) + " (" +
                    adoimpl::pgRowidColumn(integerKey) + body + ")";
  for (const std::string& trigger : adoimpl::pgTableTriggers(table, integerKey)) {
    sql += "; " + trigger;
  }
  return sql;
}

}  // namespace

namespace {

// The longest name the server keeps: it cuts longer ones (NAMEDATALEN - 1 bytes).
constexpr std::size_t kMaxServerName = 63;

void checkName(const std::string& what, const std::string& name) {
  if (name.size() > kMaxServerName) {
    throw CatalogueError("cannot copy " + what + " '" + name + "': its name is " +
                         std::to_string(name.size()) + " bytes long, the server keeps at most " +
                         std::to_string(kMaxServerName));
  }
}

// The tables of the catalogue already on the server beyond the file's own: the fixed
// ones, and the parameter and accessory tables its Model table names.
std::set<std::string> knownServerTables(Server& server) {
  std::set<std::string> out = {"Model", "Model_Table_Parameter_Style", "IndexTableName",
                               adoimpl::kLegacyStampTable};
  server.run("SAVEPOINT known_tables");
  try {
    PgResult r = server.run(
        "SELECT DISTINCT \"BigModel\", \"DriveMode\" FROM \"Model\" WHERE \"BigModel\" IS "
        "NOT NULL");
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      const std::string series = PQgetvalue(r.get(), i, 0);
      out.insert(parameterTableName(series));
      if (!PQgetisnull(r.get(), i, 1)) {
        out.insert(accessoryTableName(series, PQgetvalue(r.get(), i, 1)));
      }
    }
    server.run("RELEASE SAVEPOINT known_tables");
  } catch (const CatalogueError&) {
    // No Model table of the catalogue's shape: only the fixed names are known.
    server.run("ROLLBACK TO SAVEPOINT known_tables");
  }
  return out;
}

}  // namespace

CopyCounts copyFileToServer(const std::string& file, const std::string& address,
                            const CopyOptions& options) {
  SqliteFile db(file);
  std::vector<std::pair<std::string, std::string>> tables;  // name, CREATE TABLE
  {
    sqlite3_stmt* s = db.prepare(
        "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
        "ORDER BY rowid");
    // The file's change counts are its own: a server tells its changes otherwise.
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (text(s, 0) != adoimpl::kLegacyStampTable) tables.emplace_back(text(s, 0), text(s, 1));
    }
    sqlite3_finalize(s);
  }
  // Names the server would cut are refused before anything is sent.
  for (const auto& [table, create] : tables) {
    checkName("table", table);
    for (const FileColumn& c : fileColumns(db, table)) checkName("column " + table + ".", c.name);
  }
  Server server(address);
  // The schema too is made in the transaction: a copy that fails leaves no trace.
  server.run("BEGIN");
  const std::string schema = server.useSchema();
  CopyCounts counts;
  for (const std::string& sql : adoimpl::pgSchemaSetupStatements()) server.run(sql);
  {
    // The catalogue's own tables are replaced; any other table of the schema (someone
    // else's data beside the catalogue) is left as it is, and without --replace it makes
    // the copy refuse: the schema may not be the one meant.
    std::set<std::string> own = knownServerTables(server);
    for (const auto& table : tables) own.insert(table.first);
    PgResult old = server.run(
        "SELECT relname, relkind = 'r' OR relkind = 'p' FROM pg_class WHERE relkind IN "
        "('r', 'p', 'v', 'm', 'f') AND relnamespace = current_schema()::regnamespace "
        "ORDER BY oid");
    std::string others;
    for (int i = 0; i < PQntuples(old.get()); ++i) {
      const std::string name = PQgetvalue(old.get(), i, 0);
      if (own.count(name) == 0) {
        others += (others.empty() ? "" : ", ") + name;
      } else if (std::string(PQgetvalue(old.get(), i, 1)) == "t") {
        counts.replaced.push_back(name);
      }
    }
    if (!others.empty() && !options.replace) {
      throw CatalogueError("the schema " + schema +
                           " holds tables that are not the catalogue's: " + others +
                           "; nothing was changed (with --replace only the catalogue's own "
                           "tables are replaced and these are left as they are)");
    }
    // Without CASCADE: a table of someone else's that depends on one of them (a foreign
    // key, a view) makes the server refuse, and the transaction changes nothing.
    for (const std::string& name : counts.replaced) {
      try {
        server.run("DROP TABLE " + quoteIdentifier(name));
      } catch (const CatalogueError& e) {
        const std::string why = e.what();
        const std::size_t detail = why.find("DETAIL:");
        throw CatalogueError(
            "cannot replace the catalogue's table " + name +
            ": something else on the server depends on it" +
            (detail == std::string::npos
                 ? std::string()
                 : " (" + why.substr(detail + 9, why.find('\n', detail) - detail - 9) + ")") +
            "; nothing was changed");
      }
    }
  }
  for (const auto& [table, create] : tables) {
    const std::vector<FileColumn> columns = fileColumns(db, table);
    server.run(pgCreateTable(table, create, columns));
    counts.rows += copyRows(db, server, table, columns);
    ++counts.tables;
  }
  // Tables may have gone as well as changed: the note names no table, which clients take
  // as every table changed.
  server.run("SELECT pg_notify(" + adoimpl::quoteLiteral(adoimpl::kPgTableChannel) +
             ", current_schema() || E'\\t' || pg_current_xact_id()::text || E'\\t')");
  server.run("SELECT pg_notify(" + adoimpl::quoteLiteral(adoimpl::kPgChangeChannel) +
             ", current_schema())");
  server.run("COMMIT");
  return counts;
}

namespace {

Value valueOf(PGresult* r, int row, int column, const std::string& sqliteType) {
  if (PQgetisnull(r, row, column)) return {};
  const std::string v = PQgetvalue(r, row, column);
  if (sqliteType == "INTEGER" || sqliteType == "BIGINT" || sqliteType == "BOOLEAN" ||
      sqliteType == "INTEGER PRIMARY KEY") {
    return std::strtoll(v.c_str(), nullptr, 10);
  }
  if (sqliteType == "DOUBLE") return std::strtod(v.c_str(), nullptr);
  if (sqliteType.empty() && !v.empty() &&
      v.find_first_not_of("+-0123456789.eE") == std::string::npos) {
    char* end = nullptr;
    const long long i = std::strtoll(v.c_str(), &end, 10);
    if (*end == '\0') return i;
    const double d = std::strtod(v.c_str(), &end);
    if (*end == '\0') return d;
  }
  return v;
}

}  // namespace

// The server's catalogue copied into a new file at temporary.
static CopyCounts copyServerToTemporary(const std::string& address, const std::string& temporary) {
  Server server(address);
  PgResult check = server.run("SELECT current_schema() IS NOT NULL");
  if (std::string(PQgetvalue(check.get(), 0, 0)) != "t") {
    throw CatalogueError("the schema the address names does not exist");
  }
  server.run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
  PgResult tables = server.run(
      "SELECT c.oid, c.relname FROM pg_class c WHERE c.relkind = 'r' AND "
      "c.relnamespace = current_schema()::regnamespace ORDER BY c.oid");
  CopyCounts counts;
  {
    CatalogueWriter writer(temporary);
    writer.begin();
    for (int t = 0; t < PQntuples(tables.get()); ++t) {
      const std::string name = PQgetvalue(tables.get(), t, 1);
      PgResult cols = server.run(
          "SELECT a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
          "pg_get_expr(d.adbin, d.adrelid), coalesce(p.conkey = ARRAY[a.attnum], false) "
          "FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND "
          "d.adnum = a.attnum LEFT JOIN pg_constraint p ON p.conrelid = a.attrelid AND "
          "p.contype = 'p' WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT "
          "a.attisdropped AND a.attname <> 'rowid' ORDER BY a.attnum",
          {PQgetvalue(tables.get(), t, 0)});
      std::vector<Column> columns;
      std::vector<std::string> types, names;
      std::string select;
      for (int c = 0; c < PQntuples(cols.get()); ++c) {
        const std::string column = PQgetvalue(cols.get(), c, 0);
        const std::string serverType = PQgetvalue(cols.get(), c, 1);
        // Bytes would come as the text of their hex digits.
        if (serverType == "bytea") {
          throw CatalogueError("cannot copy table " + name + ", column " + column +
                               ": it holds binary data (bytea), which a catalogue column has "
                               "no type for");
        }
        std::string type = adoimpl::sqliteColumnType(serverType);
        const bool key = std::string(PQgetvalue(cols.get(), c, 4)) == "t";
        types.push_back(type);
        if (key) type += " PRIMARY KEY";
        // A key is NOT NULL on the server by being the key.
        if (!key && std::string(PQgetvalue(cols.get(), c, 2)) == "t") type += " NOT NULL";
        if (!PQgetisnull(cols.get(), c, 3)) {
          type += std::string(" DEFAULT ") + PQgetvalue(cols.get(), c, 3);
        }
        columns.push_back({column, type});
        names.push_back(column);
        select += (c ? ", " : "") + quoteIdentifier(column);
      }
      writer.createTable(name, columns);
      if (select.empty()) select = "rowid";
      PgResult rows =
          server.run("SELECT " + select + " FROM " + quoteIdentifier(name) + " ORDER BY rowid");
      for (int r = 0; r < PQntuples(rows.get()); ++r) {
        std::vector<Value> values;
        for (std::size_t c = 0; c < names.size(); ++c) {
          values.push_back(valueOf(rows.get(), r, static_cast<int>(c), types[c]));
        }
        writer.insert(name, names, values);
        ++counts.rows;
      }
      ++counts.tables;
    }
    writer.commit();
    writer.close();
  }
  server.run("COMMIT");
  return counts;
}

CopyCounts copyServerToFile(const std::string& address, const std::string& file) {
  CopyCounts counts;
  saveCatalogueFile(file, [&](const std::string& temporary) {
    counts = copyServerToTemporary(address, temporary);
  });
  return counts;
}

#else  // built without libpq: there is no server to copy to or from

namespace {

[[noreturn]] void noServer(const std::string& address) {
  throw CatalogueError("cannot connect to the server " + adoimpl::addressForMessages(address) +
                       ": this build has no PostgreSQL support");
}

}  // namespace

CopyCounts copyFileToServer(const std::string&, const std::string& address, const CopyOptions&) {
  noServer(address);
}

CopyCounts copyServerToFile(const std::string& address, const std::string&) { noServer(address); }

#endif  // FANCAD_POSTGRESQL

}  // namespace fangen
