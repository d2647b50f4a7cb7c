// Two connections (two hosts) on one catalogue file.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ado_fixture.h"

namespace {

using TwoConnections = adotest::CatalogueFixture;

TEST_F(TwoConnections, WriteOnOneIsSeenByTheOther) {
  _ConnectionPtr other = adotest::connect(path);
  _RecordsetPtr rs = adotest::open(conn, L"select * from Model where ID like 1");
  rs->PutCollect(L"LabelModel", L"edited");
  rs->Update();
  EXPECT_EQ(
      adotest::column(adotest::open(other, L"select * from Model where ID like 1"), L"LabelModel"),
      std::vector<std::wstring>{L"edited"});
  other->Execute(L"insert into Model (ID) values(9)", nullptr, -1);
  EXPECT_EQ(adotest::column(adotest::open(conn, L"select * from Model where ID like 9"), L"ID"),
            std::vector<std::wstring>{L"9"});
}

TEST_F(TwoConnections, OpenRecordsetHoldsNoLock) {
  _ConnectionPtr other = adotest::connect(path);
  _RecordsetPtr reading = adotest::open(conn, L"select * from Model");
  const auto start = std::chrono::steady_clock::now();
  other->Execute(L"delete * from Model where ID like 4", nullptr, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(adotest::column(reading, L"ID").size(), 4u) << "the open recordset keeps its rows";
}

TEST_F(TwoConnections, WriteWaitsForTheOthersWriteLock) {
  _ConnectionPtr other = adotest::connect(path);
  other->BeginTrans();
  other->Execute(L"insert into Model (ID) values(10)", nullptr, -1);
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other->CommitTrans();
  });
  const auto start = std::chrono::steady_clock::now();
  HRESULT hr = S_OK;
  try {
    conn->Execute(L"insert into Model (ID) values(11)", nullptr, -1);
  } catch (const _com_error& e) {
    hr = e.Error();
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  releaser.join();
  EXPECT_EQ(hr, S_OK) << "the writer waits instead of failing at once";
  EXPECT_GE(waited, std::chrono::milliseconds(200));
  EXPECT_EQ(testsupport::countRows(path, "Model"), 6);
}

}  // namespace
