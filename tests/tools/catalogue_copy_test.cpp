// fancat's copies between a catalogue file and the test server: a round trip
// keeps tables, columns and rows in order; the copy on the server is what the
// data layer reads. Runs only with a test server (ZR_TEST_PG).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "ado/pg_schema.h"
#include "catalogue_builder.h"
#include "catalogue_copy.h"
#include "sample_catalogue.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Every table of a file: its CREATE TABLE columns and its rows in rowid order.
Rows dump(const std::string& file) {
  Rows out;
  for (const auto& table :
       testsupport::readRows(file,
                             "SELECT name FROM sqlite_master WHERE type = 'table' "
                             "ORDER BY rowid")) {
    const std::string q = "\"" + table[0] + "\"";
    for (auto& c : testsupport::readRows(file, "PRAGMA table_info(" + q + ")")) {
      out.push_back({table[0], c[1], c[2], c[5]});
    }
    for (auto& r : testsupport::readRows(file, "SELECT * FROM " + q + " ORDER BY rowid", true)) {
      r.insert(r.begin(), table[0]);
      out.push_back(r);
    }
  }
  return out;
}

struct CatalogueCopy : ::testing::Test {
  void SetUp() override {
    if (!testsupport::testServer()) GTEST_SKIP() << "no test server (ZR_TEST_PG)";
  }
  testsupport::TempDir dir;
  std::string address(const char* schema) const {
    return std::string(testsupport::testServer()) + "&options=-csearch_path%3D" + schema + "_" +
           std::to_string(::getpid());
  }
};

TEST_F(CatalogueCopy, ARoundTripKeepsTablesColumnsAndRowOrder) {
  const std::string file = dir.file("sample.db");
  fangen::writeCatalogueFile(file, fangen::sampleCatalogue());
  const std::string url = address("roundtrip");
  const fangen::CopyCounts out = fangen::copyFileToServer(file, url);
  EXPECT_GT(out.tables, 10);
  EXPECT_GT(out.rows, 100);
  const fangen::CopyCounts back = fangen::copyServerToFile(url, dir.file("back.db"));
  EXPECT_EQ(back.tables, out.tables);
  EXPECT_EQ(back.rows, out.rows);
  EXPECT_EQ(dump(dir.file("back.db")), dump(file));

  // Copying again replaces the catalogue on the server rather than adding to it.
  EXPECT_EQ(fangen::copyFileToServer(file, url).rows, out.rows);
  EXPECT_EQ(fangen::copyServerToFile(url, dir.file("again.db")).rows, out.rows);
}

TEST_F(CatalogueCopy, RowsKeepTheirOrderAndAwkwardValues) {
  const std::string file = dir.file("odd.db");
  {
    testsupport::CatalogueBuilder b(file);
    b.model(7, std::string("it's; DROP TABLE Model; --"), std::string("直联"), 4.0, 2900LL)
        .model(2, {}, std::string("tab\there\nnewline\\"), 0.1 + 0.2, 1LL << 40)
        .model(5, std::string("%_"), std::string("A"), -1e-300, -3LL);
  }
  // The builder moved the file to the server: the file now holds its address.
  const std::string url = adoimpl::addressInFile(file);
  ASSERT_FALSE(url.empty());
  fangen::copyServerToFile(url, dir.file("back.db"));
  EXPECT_EQ(testsupport::readRows(dir.file("back.db"),
                                  "SELECT ID, BigModel, DriveMode, FanNo, Speed FROM Model "
                                  "ORDER BY rowid",
                                  true),
            (Rows{{"7", "it's; DROP TABLE Model; --", "直联", "4.0", "2900"},
                  {"2", "<null>", "tab\there\nnewline\\", "0.3", "1099511627776"},
                  {"5", "%_", "A", "-1.0e-300", "-3"}}));
}

TEST_F(CatalogueCopy, AMissingFileOrServerSchemaIsAnError) {
  EXPECT_THROW(fangen::copyFileToServer(dir.file("none.db"), address("x")), fangen::CatalogueError);
  EXPECT_THROW(fangen::copyServerToFile(std::string(testsupport::testServer()) +
                                            "&options=-csearch_path%3Dno_such_schema",
                                        dir.file("out.db")),
               fangen::CatalogueError);
  EXPECT_THROW(fangen::copyServerToFile("postgresql:///nodb?host=/nonexistent", dir.file("o.db")),
               fangen::CatalogueError);
}

}  // namespace
