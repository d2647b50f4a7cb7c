// Creating catalogue tables and inserting rows.
#include "catalogue_writer.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "ado/sql_dialect.h"
#include "base/safe_file.h"
#include "base/utf8.h"

namespace fangen {

using adoimpl::quoteIdentifier;

std::string parameterTableName(const std::string& series) { return series + "_Parameter"; }

std::string accessoryTableName(const std::string& series, const std::string& driveMode) {
  return series + "_" + driveMode + "_Accessory";
}

std::vector<Column> parameterColumns(TableStyle style) {
  std::vector<Column> columns = {{"ID", "INTEGER PRIMARY KEY"}, {"ModelID", "INTEGER"}};
  if (style == TableStyle::Point) {
    columns.insert(columns.end(), {{"PointNo", "INTEGER"},
                                   {"Speed", "INTEGER"},
                                   {"Flux", "DOUBLE"},
                                   {"AllPress", "DOUBLE"},
                                   {"Efficiency", "DOUBLE"},
                                   {"ShaftPower", "DOUBLE"}});
  } else {
    columns.insert(columns.end(), {{"Speed", "INTEGER"},
                                   {"FluxLow", "DOUBLE"},
                                   {"FluxHigh", "DOUBLE"},
                                   {"AllPressLow", "DOUBLE"},
                                   {"AllPressHigh", "DOUBLE"},
                                   {"Efficiency", "DOUBLE"},
                                   {"ShaftPower", "DOUBLE"}});
  }
  columns.insert(columns.end(), {{"MotorModel", "TEXT"}, {"MotorPower", "DOUBLE"}});
  return columns;
}

std::vector<Column> accessoryColumns() {
  return {{"ID", "INTEGER PRIMARY KEY"}, {"ModelID", "INTEGER"},
          {"ItemName", "TEXT"},          {"Spec", "TEXT"},
          {"Quantity", "INTEGER"},       {"Remark", "TEXT"}};
}

std::vector<std::pair<std::string, std::string>> standardHeadings() {
  return {
      {"ModelID", "风机编号"},
      {"PointNo", "序号"},
      {"Speed", "转速r/min"},
      {"Flux", "风量m³/h"},
      {"AllPress", "全压Pa"},
      {"FluxLow", "风量下限m³/h"},
      {"FluxHigh", "风量上限m³/h"},
      {"AllPressLow", "全压下限Pa"},
      {"AllPressHigh", "全压上限Pa"},
      {"Efficiency", "内效率(%)"},
      {"ShaftPower", "内功率kW"},
      {"MotorModel", "电机型号"},
      {"MotorPower", "电机功率kW"},
      {"ItemName", "附件名称"},
      {"Spec", "规格型号"},
      {"Quantity", "数量"},
      {"Remark", "备注"},
  };
}

void saveCatalogueFile(const std::string& file,
                       const std::function<void(const std::string& temporary)>& fill) {
  std::exception_ptr failed;
  std::wstring why;
  const zrbase::SaveStatus status = zrbase::saveFileByName(
      file,
      [&fill, &failed](const std::string& temporary, std::wstring&) {
        try {
          fill(temporary);
          return 0;
        } catch (...) {
          failed = std::current_exception();
          return -1;
        }
      },
      why, L"a catalogue file");
  if (failed) std::rethrow_exception(failed);
  if (status != zrbase::SaveStatus::ok) {
    throw CatalogueError("cannot write the catalogue to '" + file +
                         "': " + zrbase::wideToUtf8(why));
  }
}

CatalogueWriter::CatalogueWriter(const std::string& path) : m_path(path) {
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) > 0 && !ec) std::remove(path.c_str());
  if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    const std::string why = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    sqlite3_close(m_db);
    m_db = nullptr;
    throw CatalogueError("cannot create catalogue '" + path + "': " + why);
  }
  // The file is new and is renamed into place only when complete, so a crash
  // cannot leave a half-written catalogue where the module looks for one.
  exec("PRAGMA journal_mode=OFF");
  exec("PRAGMA synchronous=OFF");
}

CatalogueWriter::~CatalogueWriter() {
  for (auto& [key, stmt] : m_statements) sqlite3_finalize(stmt);
  if (m_db) sqlite3_close(m_db);
}

void CatalogueWriter::fail(const std::string& what) const {
  throw CatalogueError("catalogue '" + m_path + "': " + what + ": " +
                       (m_db ? sqlite3_errmsg(m_db) : "closed"));
}

void CatalogueWriter::exec(const std::string& sql) {
  if (!m_db) throw CatalogueError("catalogue '" + m_path + "' is closed");
  if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
}

void CatalogueWriter::begin() { exec("BEGIN"); }
void CatalogueWriter::commit() { exec("COMMIT"); }

void CatalogueWriter::close() {
  for (auto& [key, stmt] : m_statements) sqlite3_finalize(stmt);
  m_statements.clear();
  if (m_db && sqlite3_close(m_db) != SQLITE_OK) fail("close");
  m_db = nullptr;
}

void CatalogueWriter::createFixedTables() {
  createTable("Model", {{"ID", "INTEGER"},
                        {"BigModel", "TEXT"},
                        {"DriveMode", "TEXT"},
                        {"FanNo", "DOUBLE"},
                        {"Speed", "INTEGER"},
                        {"LabelModel", "TEXT"}});
  createTable("Model_Table_Parameter_Style", {{"BigModel", "TEXT"}, {"TableStyle", "BOOLEAN"}});
  createTable("IndexTableName", {{"IndexName", "TEXT"}, {"TableHead", "TEXT"}});
}

void CatalogueWriter::createTable(const std::string& name, const std::vector<Column>& columns) {
  std::string sql = "CREATE TABLE " + quoteIdentifier(name) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + quoteIdentifier(columns[i].name) + " " + columns[i].type;
  }
  exec(sql + ")");
}

sqlite3_stmt* CatalogueWriter::statementFor(const std::string& table,
                                            const std::vector<std::string>& columns) {
  std::string key = table;
  for (const std::string& c : columns) key += '\x1f' + c;
  auto it = m_statements.find(key);
  if (it != m_statements.end()) return it->second;
  std::string names, marks;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + quoteIdentifier(columns[i]);
    marks += i ? ", ?" : "?";
  }
  const std::string sql =
      "INSERT INTO " + quoteIdentifier(table) + " (" + names + ") VALUES (" + marks + ")";
  sqlite3_stmt* stmt = nullptr;
  if (!m_db || sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail(sql);
  m_statements.emplace(key, stmt);
  return stmt;
}

void CatalogueWriter::insert(const std::string& table, const std::vector<std::string>& columns,
                             const std::vector<Value>& values) {
  if (columns.size() != values.size()) {
    throw CatalogueError("insert into " + table + ": columns and values differ in number");
  }
  sqlite3_stmt* stmt = statementFor(table, columns);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    const Value& v = values[i];
    if (std::holds_alternative<long long>(v)) {
      sqlite3_bind_int64(stmt, at, std::get<long long>(v));
    } else if (std::holds_alternative<double>(v)) {
      sqlite3_bind_double(stmt, at, std::get<double>(v));
    } else if (std::holds_alternative<std::string>(v)) {
      const std::string& s = std::get<std::string>(v);
      sqlite3_bind_text(stmt, at, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(stmt, at);
    }
  }
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_DONE) fail("insert into " + table);
}

}  // namespace fangen
