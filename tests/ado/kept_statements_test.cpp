// Statements kept prepared and translations kept per text: what another
// connection changes in the schema is still seen, and a kept statement holds
// no lock between calls.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ado/session.h"
#include "ado/sqlite_backend.h"
#include "ado/test_seams.h"
#include "ado_fixture.h"

namespace {

using KeptStatements = adotest::CatalogueFixture;

// Restores the lock wait budget when the test ends, however it ends.
struct LockBudgetScope {
  std::chrono::milliseconds saved = adoimpl::lockWaitBudget();
  explicit LockBudgetScope(std::chrono::milliseconds budget) { adoimpl::setLockWaitBudget(budget); }
  ~LockBudgetScope() { adoimpl::setLockWaitBudget(saved); }
};

TEST_F(KeptStatements, AColumnAnotherConnectionAddsIsReadAndWritten) {
  const wchar_t* const query = L"select * from Model where ID like 2";
  for (int i = 0; i < 2; ++i) EXPECT_EQ(adotest::open(conn, query)->GetFields()->GetCount(), 6);

  _ConnectionPtr other = adotest::connect(path);
  other->Execute(L"ALTER TABLE Model ADD COLUMN Extra TEXT", nullptr, -1);
  other->Execute(L"UPDATE Model SET Extra = 'wide' WHERE ID = 2", nullptr, -1);

  _RecordsetPtr rs = adotest::open(conn, query);
  ASSERT_EQ(rs->GetFields()->GetCount(), 7);
  EXPECT_EQ(adotest::text(rs->GetCollect(L"Extra")), L"wide");
  EXPECT_EQ(adotest::text(rs->GetCollect(L"LabelModel")), L"<null>")
      << "every field still reads its own column";
  // The new field's column is known, so the row is written back through it.
  rs->PutCollect(L"Extra", L"written");
  rs->Update();
  EXPECT_EQ(adotest::column(adotest::open(other, query), L"Extra"),
            std::vector<std::wstring>{L"written"});
}

TEST_F(KeptStatements, ATableAnotherConnectionCreatesIsFoundInAnyLetterCase) {
  // SQLite itself matches names without regard to ASCII case only: this
  // table is found through the session's list of tables.
  const wchar_t* const query = L"select * from tést_表";
  for (int i = 0; i < 2; ++i) {
    try {
      conn->Execute(query, nullptr, -1);
      ADD_FAILURE() << "the table does not exist yet";
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), DB_E_NOTABLE);
    }
  }
  _ConnectionPtr other = adotest::connect(path);
  other->Execute(L"CREATE TABLE TÉST_表 (Name TEXT)", nullptr, -1);
  other->Execute(L"INSERT INTO TÉST_表 (Name) VALUES ('found')", nullptr, -1);
  EXPECT_EQ(adotest::column(adotest::open(conn, query), L"Name"),
            std::vector<std::wstring>{L"found"});
}

TEST_F(KeptStatements, AStatementRunAgainHoldsNoLockBetweenCalls) {
  // Every kind of statement this connection keeps: a query read through its
  // probe and recordset, a write, and a recordset's write-back.
  for (int i = 0; i < 3; ++i) {
    conn->Execute(L"select * from Model where BigModel like '4-72'", nullptr, -1);
    adotest::column(adotest::open(conn, L"select * from Model where BigModel like '4-72'"), L"ID");
    conn->Execute(L"update Model set Speed = Speed + 1 where ID = 3", nullptr, -1);
    _RecordsetPtr rs = adotest::open(conn, L"select * from Model where ID like 1");
    rs->PutCollect(L"LabelModel", std::to_wstring(i).c_str());
    rs->Update();
  }
  // The other host gets no wait at all: any lock left behind fails its write.
  const LockBudgetScope noWait(std::chrono::milliseconds(0));
  _ConnectionPtr other = adotest::connect(path);
  EXPECT_NO_THROW(other->Execute(L"update Model set Speed = 1 where ID = 2", nullptr, -1));
  EXPECT_EQ(testsupport::readRows(path, "SELECT Speed, LabelModel FROM Model WHERE ID IN (1, 3)"),
            (std::vector<std::vector<std::string>>{{"2900", "2"}, {"2903", "x"}}));
}

TEST_F(KeptStatements, ManyTextsStayBoundedAndEachGivesItsOwnRows) {
  adoimpl::Session& session = *conn->session();
  auto* sqlite = dynamic_cast<adoimpl::SqliteBackend*>(&session.backend());
  if (!sqlite) GTEST_SKIP() << "statements are kept by the SQLite back end";
  for (int round = 0; round < 2; ++round) {
    for (int id = 1; id <= 600; ++id) {
      const std::wstring sql = L"select * from Model where ID like " + std::to_wstring(id);
      const std::vector<std::wstring> ids = adotest::column(adotest::open(conn, sql), L"ID");
      if (id <= 4) {
        EXPECT_EQ(ids, std::vector<std::wstring>{std::to_wstring(id)});
      } else {
        EXPECT_TRUE(ids.empty()) << id;
      }
    }
  }
  EXPECT_LE(sqlite->keptStatements(), 256u);
  EXPECT_GE(sqlite->keptStatements(), 100u) << "recent texts stay kept";
}

}  // namespace
