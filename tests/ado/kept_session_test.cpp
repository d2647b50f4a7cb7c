// What a connection keeps past one statement. A closed connection is kept for
// the next connection to its catalogue, with what it had read: a file's only
// while the file is as it left it, or was written in a way that its change
// stamps tell. Statements are kept prepared and translations kept per text:
// what another connection changes in the schema is still seen, and a kept
// statement holds no lock between calls.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ado/session.h"
#include "ado/sqlite_backend.h"
#include "ado/test_seams.h"
#include "ado_fixture.h"

namespace {

using adotest::backendQueries;
using Texts = std::vector<std::wstring>;

struct KeptSession : adotest::CatalogueFixture {
  void SetUp() override {
    adoimpl::Session::closeKept();
    CatalogueFixture::SetUp();
  }
  void TearDown() override { adoimpl::Session::closeKept(); }
  unsigned long long queriesFor(const _ConnectionPtr& c) {
    return backendQueries([&] { labels(c); });
  }
};

TEST_F(KeptSession, TheNextConnectionAnswersFromWhatTheLastOneReadAndSeesLaterWrites) {
  _ConnectionPtr other = adotest::connect(path);
  labels(conn);
  conn->Close();
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(queriesFor(again), 0u) << "the result read before the close is still known";
  EXPECT_EQ(labels(again), Texts{L"4-72No4A"});

  // Its own writes, made before it was closed, are part of what it knows.
  again->Execute(L"UPDATE Model SET LabelModel = 'mine' WHERE ID = 1", nullptr, -1);
  again->Close();
  _ConnectionPtr third = adotest::connect(path);
  EXPECT_EQ(labels(third), Texts{L"mine"});
  third->Close();
  // Another connection's write while it was kept is seen.
  other->Execute(L"UPDATE Model SET LabelModel = 'while kept' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(labels(adotest::connect(path)), Texts{L"while kept"});
}

// Another program's write stamps the tables it wrote: the kept connection
// serves the next one, and only what read those tables is read again. A file
// replaced meanwhile is read afresh; bytes put in place by other means, which
// SQLite does not see as a write, never reach a kept connection.
TEST_F(KeptSession, AFileWrittenOrReplacedMeanwhileIsFollowed) {
  if (testsupport::testServer()) GTEST_SKIP() << "about a catalogue file";
  const auto contents = [this] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  labels(conn);
  flux(conn);
  const std::string before = contents();
  conn->Close();
  adotest::Foreign(path).exec("UPDATE \"4-72_Parameter\" SET Flux = 3 WHERE ModelID = 1");
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(queriesFor(again), 0u) << "another program's write keeps the tables it left alone";
  Texts written;
  EXPECT_EQ(adotest::backendQueries([&] { written = flux(again); }), 1u)
      << "and forgets the one it wrote";
  EXPECT_EQ(written, (Texts{L"3", L"3"}));
  again->Close();

  // The file as it was before, written over in place (the same inode): SQLite
  // sees the same change counter as in its cache, so only a fresh connection
  // reads it right.
  {
    const std::string now = contents();
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::string restored = before;
    restored.replace(24, 4, now.substr(24, 4));  // the counter the kept connection last saw
    ASSERT_EQ(std::fwrite(restored.data(), 1, restored.size(), f), restored.size());
    std::fclose(f);
  }
  _ConnectionPtr third = adotest::connect(path);
  EXPECT_EQ(flux(third), (Texts{L"4012", L"4012"}));
  third->Close();

  // A catalogue copied into place: another file under the same name.
  const std::string replacement = dir.file("new.Mdb");
  {
    testsupport::CatalogueBuilder b(replacement);
    b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("replaced"));
  }
  ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
  EXPECT_EQ(labels(adotest::connect(path)), Texts{L"replaced"});
}

// What a closed connection handed out stays closed, and writes nothing.
// (Transactions left open at the close: no program opens one.)
TEST_F(KeptSession, WhatTheClosedConnectionHandedOutIsClosed) {
  _RecordsetPtr rs = adotest::open(conn, kModel);
  conn->Close();
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(conn->GetState(), adStateClosed);
  EXPECT_THROW(conn->Execute(kModel, nullptr, -1), _com_error);
  EXPECT_THROW(
      {
        rs->PutCollect(L"LabelModel", L"after the close");
        rs->Update();
      },
      _com_error);
  EXPECT_EQ(labels(again), Texts{L"4-72No4A"});
}

using KeptStatements = adotest::CatalogueFixture;

TEST_F(KeptStatements, AColumnOrTableAnotherConnectionAddsIsReadAndWritten) {
  const wchar_t* const query = L"select * from Model where ID like 2";
  // SQLite itself matches names without regard to ASCII case only: this
  // table is found through the session's list of tables.
  const wchar_t* const later = L"select * from tést_表";
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(adotest::open(conn, query)->GetFields()->GetCount(), 6);
    EXPECT_EQ(adotest::errorOf([&] { conn->Execute(later, nullptr, -1); }), DB_E_NOTABLE);
  }
  _ConnectionPtr other = adotest::connect(path);
  other->Execute(L"ALTER TABLE Model ADD COLUMN Extra TEXT", nullptr, -1);
  other->Execute(L"UPDATE Model SET Extra = 'wide' WHERE ID = 2", nullptr, -1);
  other->Execute(L"CREATE TABLE TÉST_表 (Name TEXT)", nullptr, -1);
  other->Execute(L"INSERT INTO TÉST_表 (Name) VALUES ('found')", nullptr, -1);
  EXPECT_EQ(adotest::column(adotest::open(conn, later), L"Name"), Texts{L"found"});

  _RecordsetPtr rs = adotest::open(conn, query);
  ASSERT_EQ(rs->GetFields()->GetCount(), 7);
  EXPECT_EQ(adotest::text(rs->GetCollect(L"Extra")), L"wide");
  EXPECT_EQ(adotest::text(rs->GetCollect(L"LabelModel")), L"<null>")
      << "every field still reads its own column";
  // The new field's column is known, so the row is written back through it.
  rs->PutCollect(L"Extra", L"written");
  rs->Update();
  EXPECT_EQ(adotest::column(adotest::open(other, query), L"Extra"), Texts{L"written"});
}

TEST_F(KeptStatements, AStatementRunAgainHoldsNoLockBetweenCalls) {
  // Every kind of statement this connection keeps: a query read through its
  // probe and recordset, a write, and a recordset's write-back.
  for (int i = 0; i < 3; ++i) {
    conn->Execute(L"select * from Model where BigModel like '4-72'", nullptr, -1);
    adotest::column(adotest::open(conn, L"select * from Model where BigModel like '4-72'"), L"ID");
    conn->Execute(L"update Model set Speed = Speed + 1 where ID = 3", nullptr, -1);
    _RecordsetPtr rs = adotest::open(conn, kModel);
    rs->PutCollect(L"LabelModel", std::to_wstring(i).c_str());
    rs->Update();
  }
  _RecordsetPtr reading = adotest::open(conn, L"select * from Model");
  // The other host gets no wait at all: any lock left behind, or one the open
  // recordset holds, fails its write.
  struct NoWait {
    std::chrono::milliseconds saved = adoimpl::lockWaitBudget();
    NoWait() { adoimpl::setLockWaitBudget(std::chrono::milliseconds(0)); }
    ~NoWait() { adoimpl::setLockWaitBudget(saved); }
  } noWait;
  _ConnectionPtr other = adotest::connect(path);
  EXPECT_NO_THROW(other->Execute(L"update Model set Speed = 1 where ID = 2", nullptr, -1));
  EXPECT_NO_THROW(other->Execute(L"delete * from Model where ID like 4", nullptr, -1));
  EXPECT_EQ(adotest::column(reading, L"ID").size(), 4u) << "the open recordset keeps its rows";
  EXPECT_EQ(testsupport::readRows(path, "SELECT Speed, LabelModel FROM Model WHERE ID IN (1, 3)"),
            (std::vector<std::vector<std::string>>{{"2900", "2"}, {"2903", "x"}}));
}

TEST_F(KeptStatements, ManyTextsStayBoundedAndEachGivesItsOwnRows) {
  auto* sqlite = dynamic_cast<adoimpl::SqliteBackend*>(&conn->session()->backend());
  if (!sqlite) GTEST_SKIP() << "statements are kept by the SQLite back end";
  for (int round = 0; round < 2; ++round) {
    for (int id = 1; id <= 600; ++id) {
      const std::wstring sql = L"select * from Model where ID like " + std::to_wstring(id);
      const Texts ids = adotest::column(adotest::open(conn, sql), L"ID");
      EXPECT_EQ(ids, id <= 4 ? Texts{std::to_wstring(id)} : Texts{}) << id;
    }
  }
  EXPECT_LE(sqlite->keptStatements(), 256u);
  EXPECT_GE(sqlite->keptStatements(), 100u) << "recent texts stay kept";
}

}  // namespace
