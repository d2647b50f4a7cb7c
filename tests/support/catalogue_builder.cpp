// Temporary folders and catalogue builders for the tests.
#include "catalogue_builder.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "ado/pg_schema.h"
#include "ado/sql_dialect.h"
#include "catalogue_copy.h"
#include "sample_catalogue.h"

namespace testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/fancad-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

const char* testServer() {
  const char* url = std::getenv("ZR_TEST_PG");
  return url && *url ? url : nullptr;
}

namespace {

// Moves the catalogue file at path to the test server, when there is one, leaving the
// file holding its address.
void moveToTestServer(const std::string& path) {
  const char* base = testServer();
  if (!base) return;
  static std::atomic<int> counter{0};
  static const unsigned salt = std::random_device{}();
  const std::string schema = "t" + std::to_string(::getpid()) + "_" +
                             std::to_string(salt % 100000) + "_" + std::to_string(++counter);
  const std::string address = std::string(base) +
                              (std::string(base).find('?') == std::string::npos ? "?" : "&") +
                              "options=-csearch_path%3D" + schema;
  fangen::copyFileToServer(path, address);
  std::ofstream out(path, std::ios::trunc);
  out << address << "\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string writeCatalogue(const std::string& dir, const fangen::CataloguePlan& plan) {
  const std::string path = dir + "/ZRFan.Mdb";
  fangen::writeCatalogueFile(path, plan);
  moveToTestServer(path);
  return path;
}

}  // namespace

std::string writeSampleCatalogue(const std::string& dir) {
  return writeCatalogue(dir, fangen::sampleCatalogue());
}

std::string writeLargeCatalogue(const std::string& dir) {
  return writeCatalogue(dir, fangen::largeCatalogue());
}

CatalogueBuilder::CatalogueBuilder(std::string path) : m_path(std::move(path)) {
  m_writer.emplace(m_path);
  m_writer->createFixedTables();
}

CatalogueBuilder::~CatalogueBuilder() {
  try {
    close();
  } catch (...) {
  }
}

void CatalogueBuilder::close() {
  if (m_writer) {
    m_writer->close();
    m_writer.reset();
    moveToTestServer(m_path);
  }
}

CatalogueBuilder& CatalogueBuilder::exec(const std::string& sql) {
  m_writer.value().exec(sql);
  return *this;
}

CatalogueBuilder& CatalogueBuilder::model(long long id, const fangen::Value& series,
                                          const fangen::Value& driveMode,
                                          const fangen::Value& fanNo, const fangen::Value& speed,
                                          const fangen::Value& label) {
  return row("Model", {"ID", "BigModel", "DriveMode", "FanNo", "Speed", "LabelModel"},
             {id, series, driveMode, fanNo, speed, label});
}

CatalogueBuilder& CatalogueBuilder::style(const std::string& series,
                                          std::optional<bool> pointTable) {
  const fangen::Value v = pointTable ? fangen::Value(*pointTable ? 1LL : 0LL) : fangen::Value();
  return row("Model_Table_Parameter_Style", {"BigModel", "TableStyle"}, {series, v});
}

CatalogueBuilder& CatalogueBuilder::heading(const std::string& indexName,
                                            const std::string& tableHead) {
  return row("IndexTableName", {"IndexName", "TableHead"}, {indexName, tableHead});
}

CatalogueBuilder& CatalogueBuilder::standardHeadings(const std::string& errorNum) {
  for (const auto& [column, head] : fangen::standardHeadings()) heading(column, head);
  return heading("ERRORNUM", errorNum);
}

CatalogueBuilder& CatalogueBuilder::parameterTable(const std::string& series,
                                                   fangen::TableStyle style) {
  m_writer.value().createTable(fangen::parameterTableName(series), fangen::parameterColumns(style));
  return *this;
}

CatalogueBuilder& CatalogueBuilder::accessoryTable(const std::string& series,
                                                   const std::string& driveMode) {
  m_writer.value().createTable(fangen::accessoryTableName(series, driveMode),
                               fangen::accessoryColumns());
  return *this;
}

CatalogueBuilder& CatalogueBuilder::row(const std::string& table,
                                        const std::vector<std::string>& columns,
                                        const std::vector<fangen::Value>& values) {
  m_writer.value().insert(table, columns, values);
  return *this;
}

std::vector<std::vector<std::string>> readRows(const std::string& path, const std::string& sql,
                                               bool nullMarker) {
  const std::string address = adoimpl::addressInFile(path);
  if (!address.empty()) {
    // A catalogue on the server is read as a file copied from it, so that the
    // question is SQLite's either way.
    TempDir copy;
    fangen::copyServerToFile(address, copy.file("copy.db"));
    return readRows(copy.file("copy.db"), sql, nullMarker);
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path);
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    const std::string why = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error(sql + ": " + why);
  }
  std::vector<std::vector<std::string>> rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
      row.emplace_back(text ? text : (nullMarker ? "<null>" : ""));
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

long long countRows(const std::string& path, const std::string& table) {
  return std::stoll(
      readRows(path, "SELECT count(*) FROM " + adoimpl::quoteIdentifier(table))[0][0]);
}

}  // namespace testsupport
