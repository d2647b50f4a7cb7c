// Locks between connections. A catalogue that another program holds locked
// (testsupport::CatalogueLock): one user action waits for it once, then fails fast; the
// next action waits again; a statement outside any action waits on its own. Two
// connections (two hosts) on one catalogue: a writer waits for the other's write lock
// for a bounded time.
//
// These tests wait on real time: the lock waits have no clock seam (only the budget).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ado/ado_statistics.h"
#include "ado/backend.h"
#include "ado/test_seams.h"
#include "ado_fixture.h"
#include "base/user_action.h"
#include "catalogue_lock.h"

namespace {

using std::chrono::milliseconds;

// Long enough to tell a wait from none, short enough for a unit test.
constexpr milliseconds kBudget{300};

struct LockBudget : adotest::CatalogueFixture {
  void SetUp() override {
    CatalogueFixture::SetUp();
    adoimpl::setLockWaitBudget(kBudget);
  }
  void TearDown() override { adoimpl::setLockWaitBudget(milliseconds(adoimpl::kBusyTimeoutMs)); }

  // Runs a statement; the error it raised ("" when none).
  std::wstring statement(const wchar_t* sql) {
    try {
      adotest::open(conn, sql);
    } catch (const _com_error& e) {
      return static_cast<const wchar_t*>(e.Description());
    }
    return {};
  }
};

// Outside any action each statement waits its own budget; inside one, only
// the first waits, and the next action waits again and gets the catalogue
// when it is let go.
TEST_F(LockBudget, EachActionWaitsOnceAndAStatementOutsideOneWaitsOnItsOwn) {
  testsupport::CatalogueLock lock(path);
  auto waitedBefore = adoimpl::lockWaitTime();
  EXPECT_NE(statement(L"SELECT * FROM Model"), L"");
  EXPECT_NE(statement(L"SELECT * FROM Model"), L"");
  EXPECT_GE(adoimpl::lockWaitTime() - waitedBefore, 2 * kBudget - milliseconds(40));
  waitedBefore = adoimpl::lockWaitTime();
  {
    zrbase::UserActionScope seriesChange;
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(statement(L"SELECT * FROM Model"), testsupport::lockedCatalogueMessage()) << i;
    }
  }
  const auto waited = adoimpl::lockWaitTime() - waitedBefore;
  EXPECT_GE(waited, kBudget - milliseconds(20)) << "the first statement waited";
  EXPECT_LT(waited, 2 * kBudget) << "the other nine did not wait";

  zrbase::UserActionScope next;
  std::thread other([&] {
    std::this_thread::sleep_for(kBudget / 3);
    lock.release();
  });
  EXPECT_EQ(statement(L"SELECT * FROM Model"), L"") << "a new action has a new budget";
  other.join();
  EXPECT_EQ(statement(L"SELECT * FROM Model WHERE ID LIKE 2"), L"");
}

using TwoConnections = adotest::CatalogueFixture;

// The other host's change of the same row is in an open transaction: the
// writer waits for it rather than failing at once, and both changes land. A
// lock held past the bounded wait fails the write with an error that says
// why, and its change is not made at all.
TEST_F(TwoConnections, AWriterWaitsForTheOthersWriteLockForABoundedTime) {
  _ConnectionPtr other = adotest::connect(path);
  const auto write = [&](const wchar_t* sql, std::wstring& message) {
    const auto start = std::chrono::steady_clock::now();
    try {
      conn->Execute(sql, nullptr, -1);
    } catch (const _com_error& e) {
      message = static_cast<const wchar_t*>(e.Description());
    }
    return std::chrono::steady_clock::now() - start;
  };
  other->BeginTrans();
  other->Execute(L"update Model set Speed = Speed + 1 where ID = 1", nullptr, -1);
  std::thread releaser([&] {
    std::this_thread::sleep_for(milliseconds(300));
    other->CommitTrans();
  });
  std::wstring message;
  const auto waited = write(L"update Model set Speed = Speed + 10 where ID = 1", message);
  releaser.join();
  EXPECT_EQ(message, L"") << "the writer waits instead of failing at once";
  EXPECT_GE(waited, milliseconds(200));

  other->BeginTrans();
  other->Execute(L"update Model set Speed = 1 where ID = 1", nullptr, -1);
  const auto held = write(L"update Model set Speed = 7, LabelModel = 'mine' where ID = 1", message);
  other->RollbackTrans();
  EXPECT_NE(message.find(L"lock"), std::wstring::npos) << zrbase::wideToUtf8(message);
  EXPECT_GE(held, milliseconds(adoimpl::kBusyTimeoutMs - 100));
  EXPECT_LT(held, milliseconds(adoimpl::kBusyTimeoutMs + 3000));
  EXPECT_EQ(testsupport::readRows(path, "SELECT Speed, LabelModel FROM Model WHERE ID = 1"),
            (std::vector<std::vector<std::string>>{{"2911", "4-72No4A"}}));
}

}  // namespace
