// Test builders for catalogue files: temporary folders, the generated catalogues, custom ones.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue_writer.h"

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// The test server's address (ZR_TEST_PG), or null: when set, the tests run
// on PostgreSQL, every catalogue built here moved to a schema of its own on
// the server and the file left holding its address.
const char* testServer();

// dir/ZRFan.Mdb holding what `fangen --out dir` writes; returns its path.
std::string writeSampleCatalogue(const std::string& dir);
// dir/ZRFan.Mdb holding what `fangen --large --out dir` writes.
std::string writeLargeCatalogue(const std::string& dir);

// A catalogue built row by row: it starts with the three fixed tables
// (Model, Model_Table_Parameter_Style, IndexTableName) and nothing else.
// Values are fangen::Value: {} is NULL, 1LL an integer, 4.5 a double,
// std::string("x") a text. The file is complete once close() (or the
// destructor) has run.
class CatalogueBuilder {
 public:
  explicit CatalogueBuilder(std::string path);
  ~CatalogueBuilder();
  CatalogueBuilder(const CatalogueBuilder&) = delete;
  CatalogueBuilder& operator=(const CatalogueBuilder&) = delete;

  const std::string& path() const { return m_path; }

  // Raw SQLite SQL (quote names like "4-72_Parameter" yourself).
  CatalogueBuilder& exec(const std::string& sql);
  CatalogueBuilder& model(long long id, const fangen::Value& series, const fangen::Value& driveMode,
                          const fangen::Value& fanNo, const fangen::Value& speed,
                          const fangen::Value& label = {});
  // A Model_Table_Parameter_Style row: true point table, false range table, nullopt NULL.
  CatalogueBuilder& style(const std::string& series, std::optional<bool> pointTable);
  CatalogueBuilder& heading(const std::string& indexName, const std::string& tableHead);
  // Every column heading of the generated catalogues, and ERRORNUM.
  CatalogueBuilder& standardHeadings(const std::string& errorNum = "50");
  CatalogueBuilder& parameterTable(const std::string& series, fangen::TableStyle style);
  CatalogueBuilder& accessoryTable(const std::string& series, const std::string& driveMode);
  CatalogueBuilder& row(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<fangen::Value>& values);
  void close();

 private:
  std::string m_path;
  std::optional<fangen::CatalogueWriter> m_writer;
};

// Reads a catalogue with SQLite directly, independent of the data-access layer (one on
// the test server through a file copied from it): every row of the query, each value as
// SQLite's text ("" for NULL, "<null>" when nullMarker is set).
std::vector<std::vector<std::string>> readRows(const std::string& path, const std::string& sql,
                                               bool nullMarker = false);
long long countRows(const std::string& path, const std::string& table);

}  // namespace testsupport
