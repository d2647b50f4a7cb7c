// The fan dialog on a catalogue that another program locks while the dialog is up: a series
// change (one user action, some twenty statements) waits for the lock once, tells the user,
// and its other statements fail at once; the next action tries again.
#include <gtest/gtest.h>

#include "ado/ado_statistics.h"
#include "ado/test_seams.h"
#include "catalogue_lock.h"
#include "fan_dlg_harness.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using std::chrono::milliseconds;

namespace {

constexpr milliseconds kBudget{300};

struct ShortLockBudget {
  ShortLockBudget() { adoimpl::setLockWaitBudget(kBudget); }
  ~ShortLockBudget() { adoimpl::setLockWaitBudget(milliseconds(adoimpl::kBusyTimeoutMs)); }
};

}  // namespace

TEST(FanDlgLockedCatalogue, ASeriesChangeWaitsOnceAndSaysWhy) {
  ShortLockBudget budget;
  DialogHarness h;
  testsupport::writeSampleCatalogue(h.catalogue().substr(0, h.catalogue().rfind('/')));
  h.run([&](CFanDlg& dlg) {
    ASSERT_GE(dlg.m_cbBigModel.GetCount(), 2);
    h.ui().clear();
    testsupport::CatalogueLock lock(h.catalogue());
    const auto waitedBefore = adoimpl::lockWaitTime();
    const auto statementsBefore = adoimpl::statementCount();
    ASSERT_EQ(winplat::applyDialogLine(
                  dlg, "dlg select 1012 " +
                           [&] {
                             CString second;
                             dlg.m_cbBigModel.GetLBText(1, second);
                             return second.ToUtf8();
                           }()),
              "");
    const auto waited = adoimpl::lockWaitTime() - waitedBefore;
    EXPECT_GT(adoimpl::statementCount() - statementsBefore, 2u) << "the change runs statements";
    EXPECT_GE(waited, kBudget - milliseconds(20));
    EXPECT_LT(waited, 2 * kBudget) << "one wait for the whole series change";
    ASSERT_FALSE(h.ui().boxes().empty());
    // The wrapper's message for a failed statement, with the statement, as the module has it.
    EXPECT_EQ(h.ui().boxes().front().text.rfind(L"数据库操作错误!\nSELECT * FROM Model", 0), 0u)
        << "the first statement that timed out tells the user";
    // Once the catalogue is free, the next action works as before.
    lock.release();
    h.ui().clear();
    CString first;
    dlg.m_cbBigModel.GetLBText(0, first);
    ASSERT_EQ(winplat::applyDialogLine(dlg, "dlg select 1012 " + first.ToUtf8()), "");
    EXPECT_TRUE(h.ui().boxes().empty());
    EXPECT_GT(dlg.m_cbSpeed.GetCount(), 0);
  });
}
