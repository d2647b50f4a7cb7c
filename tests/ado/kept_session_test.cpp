// A closed connection is kept for the next connection to its catalogue, with
// what it had read: a file's only while the file is as it left it, or was
// written in a way that its change stamps tell.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ado/ado_statistics.h"
#include "ado/session.h"
#include "ado_fixture.h"

namespace {

const wchar_t* const kQuery = L"select * from Model where ID like 1";

struct KeptSession : adotest::CatalogueFixture {
  void SetUp() override {
    adoimpl::Session::closeKept();
    CatalogueFixture::SetUp();
  }
  void TearDown() override { adoimpl::Session::closeKept(); }

  std::vector<std::wstring> labels(const _ConnectionPtr& c) {
    return adotest::column(adotest::open(c, kQuery), L"LabelModel");
  }
  // Another program's write, straight through SQLite (a file's catalogue only).
  void writeBehind(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  unsigned long long queriesFor(const _ConnectionPtr& c) {
    const unsigned long long before = adoimpl::backendQueryCount();
    labels(c);
    return adoimpl::backendQueryCount() - before;
  }
};

TEST_F(KeptSession, TheNextConnectionToTheFileAnswersFromWhatTheLastOneRead) {
  labels(conn);
  conn->Close();
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(queriesFor(again), 0u) << "the result read before the close is still known";
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"4-72No4A"});

  // Its own writes, made before it was closed, are part of what it knows.
  again->Execute(L"UPDATE Model SET LabelModel = 'mine' WHERE ID = 1", nullptr, -1);
  again->Close();
  _ConnectionPtr third = adotest::connect(path);
  EXPECT_EQ(labels(third), std::vector<std::wstring>{L"mine"});
}

TEST_F(KeptSession, AnotherConnectionsWriteWhileItWasKeptIsSeen) {
  _ConnectionPtr other = adotest::connect(path);
  labels(conn);
  conn->Close();
  other->Execute(L"UPDATE Model SET LabelModel = 'while kept' WHERE ID = 1", nullptr, -1);
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"while kept"});
}

TEST_F(KeptSession, AFileWrittenOrReplacedMeanwhileIsReadAfresh) {
  if (testsupport::testServer()) GTEST_SKIP() << "about a catalogue file";
  labels(conn);
  conn->Close();
  writeBehind(path, "UPDATE Model SET LabelModel = 'written behind' WHERE ID = 1");
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"written behind"});
  again->Close();

  // A catalogue copied into place: another file under the same name.
  const std::string replacement = dir.file("new.Mdb");
  {
    testsupport::CatalogueBuilder b(replacement);
    b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("replaced"));
  }
  ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
  _ConnectionPtr third = adotest::connect(path);
  EXPECT_EQ(labels(third), std::vector<std::wstring>{L"replaced"});
}

// Another program's write stamps the tables it wrote (change_log.h): the kept
// connection serves the next one, and only what read those tables is read
// again. Bytes put in place by other means, which SQLite does not see as a
// write, never reach a kept connection.
TEST_F(KeptSession, AFileWrittenByAnotherProgramIsFollowedAndBytesPutInPlaceAreNot) {
  if (testsupport::testServer()) GTEST_SKIP() << "about a catalogue file";
  const auto flux = [](const _ConnectionPtr& c) {
    return adotest::column(adotest::open(c, L"select * from 4-72_Parameter where ModelID like 1"),
                           L"Flux");
  };
  labels(conn);
  flux(conn);
  const std::string before = contents(path);
  conn->Close();
  writeBehind(path, "UPDATE \"4-72_Parameter\" SET Flux = 3 WHERE ModelID = 1");
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(queriesFor(again), 0u) << "the model's rows were not written";
  EXPECT_EQ(flux(again), (std::vector<std::wstring>{L"3", L"3"}));
  again->Close();

  // The file as it was before, written over in place (the same inode): SQLite
  // sees the same change counter as in its cache, so only a fresh connection
  // reads it right.
  {
    const std::string now = contents(path);
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::string restored = before;
    restored.replace(24, 4, now.substr(24, 4));  // the counter the kept connection last saw
    ASSERT_EQ(std::fwrite(restored.data(), 1, restored.size(), f), restored.size());
    std::fclose(f);
  }
  _ConnectionPtr third = adotest::connect(path);
  EXPECT_EQ(flux(third), (std::vector<std::wstring>{L"4012", L"4012"}));
}

TEST_F(KeptSession, WhatTheClosedConnectionHandedOutStaysClosed) {
  _RecordsetPtr rs = adotest::open(conn, kQuery);
  conn->Close();
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(conn->GetState(), adStateClosed);
  EXPECT_THROW(conn->Execute(kQuery, nullptr, -1), _com_error);
  EXPECT_THROW(
      {
        rs->PutCollect(L"LabelModel", L"after the close");
        rs->Update();
      },
      _com_error);
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"4-72No4A"});
}

TEST_F(KeptSession, AConnectionClosedInATransactionIsNotKept) {
  conn->BeginTrans();
  conn->Execute(L"UPDATE Model SET LabelModel = 'uncommitted' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(labels(conn), std::vector<std::wstring>{L"uncommitted"});
  conn->Close();
  _ConnectionPtr again = adotest::connect(path);
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"4-72No4A"})
      << "closing rolled the transaction back";
  if (testsupport::testServer()) return;
  // Nothing was left locked either.
  writeBehind(path, "UPDATE Model SET LabelModel = 'other' WHERE ID = 1");
  EXPECT_EQ(labels(again), std::vector<std::wstring>{L"other"});
}

}  // namespace
