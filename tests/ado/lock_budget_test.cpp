// A catalogue that another program holds locked (testsupport::CatalogueLock):
// one user action waits for it once, then fails fast; the next action waits again; a
// statement outside any action waits on its own.
#include <gtest/gtest.h>

#include <thread>

#include "ado/ado_statistics.h"
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

TEST_F(LockBudget, OneActionWaitsOnceThenItsOtherStatementsFailAtOnce) {
  testsupport::CatalogueLock lock(path);
  const auto waitedBefore = adoimpl::lockWaitTime();
  const auto timeoutsBefore = adoimpl::lockTimeoutCount();
  {
    zrbase::UserActionScope seriesChange;
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(statement(L"SELECT * FROM Model"), testsupport::lockedCatalogueMessage()) << i;
    }
  }
  const auto waited = adoimpl::lockWaitTime() - waitedBefore;
  EXPECT_GE(waited, kBudget - milliseconds(20)) << "the first statement waited";
  EXPECT_LT(waited, 2 * kBudget) << "the other nineteen did not wait";
  EXPECT_GE(adoimpl::lockTimeoutCount() - timeoutsBefore, 20u) << "each one gave up";
}

TEST_F(LockBudget, TheNextActionWaitsAgainAndGetsTheCatalogueWhenItIsFree) {
  testsupport::CatalogueLock lock(path);
  {
    zrbase::UserActionScope first;
    EXPECT_NE(statement(L"SELECT * FROM Model"), L"");
  }
  zrbase::UserActionScope second;
  std::thread other([&] {
    std::this_thread::sleep_for(kBudget / 3);
    lock.release();
  });
  EXPECT_EQ(statement(L"SELECT * FROM Model"), L"") << "a new action has a new budget";
  other.join();
  EXPECT_EQ(statement(L"SELECT * FROM Model WHERE ID LIKE 2"), L"");
}

TEST_F(LockBudget, AStatementOutsideAnyActionWaitsItsOwnBudget) {
  testsupport::CatalogueLock lock(path);
  const auto waitedBefore = adoimpl::lockWaitTime();
  EXPECT_NE(statement(L"SELECT * FROM Model"), L"");
  EXPECT_NE(statement(L"SELECT * FROM Model"), L"");
  EXPECT_GE(adoimpl::lockWaitTime() - waitedBefore, 2 * kBudget - milliseconds(40));
}

}  // namespace
