// Another program's write to a catalogue file forgets only the cached results
// of the tables it wrote, through the change stamps the file keeps; whatever
// the stamps cannot vouch for (triggers dropped, a stamp gone, a file locked
// when they were to be set up) still makes every query read the file again.
// The other program here is a plain SQLite connection, not this data layer.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ado/ado_statistics.h"
#include "ado_fixture.h"

namespace {

using Fixture = adotest::CatalogueFixture;

const wchar_t* const kModel = L"select * from Model where ID like 1";
const wchar_t* const kRows = L"select * from 4-72_Parameter where ModelID like 1";

template <class Fn>
unsigned long long BackendQueries(Fn&& fn) {
  const unsigned long long before = adoimpl::backendQueryCount();
  fn();
  return adoimpl::backendQueryCount() - before;
}

// A connection of another program: SQLite on its own.
struct Foreign {
  sqlite3* db = nullptr;
  explicit Foreign(const std::string& path) { sqlite3_open(path.c_str(), &db); }
  ~Foreign() { sqlite3_close(db); }
  void exec(const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << sql << ": " << (error ? error : "");
    sqlite3_free(error);
  }
  long long number(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    const long long n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    return n;
  }
};

class ChangeLogTest : public Fixture {
 protected:
  void SetUp() override {
    if (testsupport::testServer()) GTEST_SKIP() << "the change stamps are the file's";
    Fixture::SetUp();
  }
  std::vector<std::wstring> labels() {
    return adotest::column(adotest::open(conn, kModel), L"LabelModel");
  }
  std::vector<std::wstring> flux() { return adotest::column(adotest::open(conn, kRows), L"Flux"); }
  // Both queries, once to fill the cache; returns how many the back end ran the second time.
  unsigned long long readBoth(std::vector<std::wstring>& l, std::vector<std::wstring>& f) {
    return BackendQueries([&] {
      l = labels();
      f = flux();
    });
  }
};

TEST_F(ChangeLogTest, AnotherProgramsWriteForgetsOnlyTheTablesItWrote) {
  std::vector<std::wstring> l, f;
  readBoth(l, f);
  ASSERT_EQ(readBoth(l, f), 0u);
  Foreign other(path);
  other.exec("UPDATE \"4-72_Parameter\" SET Flux = 77 WHERE ModelID = 1");
  EXPECT_EQ(readBoth(l, f), 1u) << "the model stays cached, the parameter rows are read";
  EXPECT_EQ(f, (std::vector<std::wstring>{L"77", L"77"}));
  EXPECT_EQ(l, std::vector<std::wstring>{L"4-72No4A"});

  other.exec("INSERT INTO Model (ID, BigModel, LabelModel) VALUES (9, '4-72', 'x')");
  other.exec("DELETE FROM Model WHERE ID = 9");
  other.exec("UPDATE Model SET LabelModel = 'renamed' WHERE ID = 1");
  EXPECT_EQ(readBoth(l, f), 1u);
  EXPECT_EQ(l, std::vector<std::wstring>{L"renamed"});

  // Another connection of this data layer stamps its writes the same way.
  _ConnectionPtr second = adotest::connect(path);
  second->Execute(L"UPDATE Model SET LabelModel = 'second' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(readBoth(l, f), 1u);
  EXPECT_EQ(l, std::vector<std::wstring>{L"second"});
}

TEST_F(ChangeLogTest, StampsAreSetUpOnceForEveryTable) {
  Foreign other(path);
  const long long version = other.number("PRAGMA schema_version");
  const long long triggers =
      other.number("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'");
  const long long tables = other.number(
      "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name <> 'zr_table_changes'");
  EXPECT_EQ(triggers, 3 * tables);
  adotest::connect(path);
  EXPECT_EQ(other.number("PRAGMA schema_version"), version)
      << "a second connection finds the stamps as the first left them";
}

// Each way the stamps can fail to vouch for a table: the next query reads the
// file again and sees the write.
TEST_F(ChangeLogTest, WhatTheStampsCannotVouchForIsReadAgain) {
  std::vector<std::wstring> l, f;
  readBoth(l, f);
  Foreign other(path);
  other.exec("DROP TRIGGER \"zr_changes_Model_update\"");
  other.exec("UPDATE Model SET LabelModel = 'untriggered' WHERE ID = 1");
  EXPECT_EQ(readBoth(l, f), 2u);
  EXPECT_EQ(l, std::vector<std::wstring>{L"untriggered"});
  EXPECT_EQ(
      other.number("SELECT count(*) FROM sqlite_master WHERE name = 'zr_changes_Model_update'"), 1)
      << "the reader put the trigger back";

  readBoth(l, f);
  other.exec("DELETE FROM zr_table_changes WHERE name = 'Model'");
  other.exec("UPDATE Model SET LabelModel = 'unstamped' WHERE ID = 1");
  readBoth(l, f);
  EXPECT_EQ(l, std::vector<std::wstring>{L"unstamped"});
  other.exec("UPDATE Model SET LabelModel = 'still unstamped' WHERE ID = 1");
  readBoth(l, f);
  EXPECT_EQ(l, std::vector<std::wstring>{L"still unstamped"});

  other.exec("CREATE TABLE Later (x)");
  other.exec("UPDATE \"4-72_Parameter\" SET Flux = 5 WHERE ModelID = 1");
  readBoth(l, f);
  EXPECT_EQ(f, (std::vector<std::wstring>{L"5", L"5"}));
}

// A file that another program holds locked when it is opened gets no stamps,
// without waiting for the lock; its readers then see every write all the
// same, and the next connection sets the stamps up.
TEST(ChangeLogOnFile, AFileLockedWhenOpenedGoesWithoutStampsAndStillSeesEveryWrite) {
  if (testsupport::testServer()) GTEST_SKIP() << "the change stamps are the file's";
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    testsupport::CatalogueBuilder b(path);
    b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("4-72No4A"));
  }
  Foreign other(path);
  other.exec("BEGIN IMMEDIATE");
  const auto waited = adoimpl::lockWaitTime();
  _ConnectionPtr conn = adotest::connect(path);
  EXPECT_EQ(adoimpl::lockWaitTime(), waited) << "opening waited for the lock";
  other.exec("UPDATE Model SET LabelModel = 'locked' WHERE ID = 1");
  other.exec("COMMIT");
  EXPECT_EQ(other.number("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"), 0);
  const auto label = [&] { return adotest::column(adotest::open(conn, kModel), L"LabelModel"); };
  EXPECT_EQ(label(), std::vector<std::wstring>{L"locked"});
  other.exec("UPDATE Model SET LabelModel = 'later' WHERE ID = 1");
  EXPECT_EQ(label(), std::vector<std::wstring>{L"later"});
  adotest::connect(path);
  EXPECT_GT(other.number("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"), 0);
}

}  // namespace
