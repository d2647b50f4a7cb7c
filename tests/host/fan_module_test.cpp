// The module's entry points in-process: its commands and buttons run their
// dialogs with the module's resources whatever resources are current, and
// the host reports what escapes a command.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "cad/aced.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/guarded_call.h"
#include "fan_dlg_harness.h"
#include "host/fan_module.h"
#include "win/dialog_script.h"

using fandlgtest::DialogHarness;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// The module attached; the tests make another module's resources current.
struct FanModule : ::testing::Test {
  DialogHarness h;
  const HINSTANCE module = winplat::instanceFromTable(fancadModuleResources(), "zrfan");
  const HINSTANCE other = winplat::instanceFromTable(nullptr, "another module");
  const HINSTANCE before = AfxGetResourceHandle();
  HINSTANCE during = nullptr;  // the resources current while a dialog is up

  void SetUp() override {
    testsupport::CatalogueBuilder(h.catalogue())
        .standardHeadings()
        .model(1, std::string("A"), std::string("B"), 4.0, 960LL);
    ASSERT_TRUE(DllMain(module, DLL_PROCESS_ATTACH, nullptr));
  }
  void TearDown() override {
    AfxSetResourceHandle(before);
    EXPECT_TRUE(DllMain(module, DLL_PROCESS_DETACH, nullptr));
    EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
    zrbase::releaseInstance(module);
    zrbase::releaseInstance(other);
  }
};

TEST_F(FanModule, FanRunsTheDialogWithTheModuleResourcesAndPopsThemEvenOnAThrow) {
  AfxSetResourceHandle(other);
  h.ui().onModal([this](CDialog&) { during = AfxGetResourceHandle(); });
  FanCommand();
  EXPECT_EQ(during, module)
      << "the dialog is found although another module's resources are current";
  EXPECT_EQ(AfxGetResourceHandle(), other);
  EXPECT_EQ(h.ui().modalRuns(), std::vector<UINT>{200});

  h.ui().onModal([](CDialog&) { throw std::runtime_error("dialog failed"); });
  EXPECT_THROW(FanCommand(), std::runtime_error);
  EXPECT_EQ(AfxGetResourceHandle(), other) << "popped also when the modal run throws";
}

TEST_F(FanModule, ModifyTypeRunsTheEditorWithTheModuleResourcesAndNoReload) {
  const auto editor = [this](CDialog& up) {
    during = AfxGetResourceHandle();
    EXPECT_EQ(winplat::applyDialogLine(up, "dlg grid 6000 edit 1 3 5"), "");
    EXPECT_EQ(winplat::applyDialogLine(up, "dlg cancel"), "");
  };
  h.run([&](CFanDlg& dlg) {
    EXPECT_TRUE(dlg.GetDlgItem(205)->IsWindowEnabled());
    AfxSetResourceHandle(other);
    h.ui().onModal(editor);
    EXPECT_EQ(winplat::applyDialogLine(dlg, "dlg click 205"), "");
    EXPECT_EQ(AfxGetResourceHandle(), other) << "popped when the editor closed";
    EXPECT_EQ(dlg.m_cbFanNo.GetCount(), 1) << "the main lists are not refilled";
    EXPECT_EQ(dlg.m_strFanNo, L"4");
    // A throw from the editor's run pops the handle too.
    h.ui().onModal([](CDialog&) { throw std::runtime_error("editor failed"); });
    EXPECT_THROW(dlg.OnModifyType(), std::runtime_error);
    EXPECT_EQ(AfxGetResourceHandle(), other);
    AfxSetResourceHandle(before);
  });
  EXPECT_EQ(during, module) << "template 202 is found although another module's are current";
  EXPECT_EQ(h.ui().modalRuns(), (std::vector<UINT>{200, 202, 202}));
  EXPECT_EQ(testsupport::readRows(h.catalogue(), "SELECT ID, FanNo FROM Model ORDER BY ID"),
            (Rows{{"1", "5.0"}}))
      << "the editor wrote to the catalogue the dialog was opened on";
}

}  // namespace

// A catalogue whose Model table lacks a column the dialog reads: the command fails, and the
// host's report names the column (the data layer's error is a std::exception with its text).
TEST(FanModuleCatalogue, ACatalogueWithoutAColumnTheDialogReadsFailsTheCommandNamingIt) {
  for (const char* missing : {"FanNo", "ID"}) {
    DialogHarness h;
    {
      testsupport::CatalogueBuilder b(h.catalogue());
      b.standardHeadings();
      b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("L"));
      b.style("4-72", true);
      b.parameterTable("4-72", fangen::TableStyle::Point);
      b.exec(std::string("ALTER TABLE Model DROP COLUMN ") + missing);
    }
    std::ostringstream out;
    zrbase::setConsoleOut(&out);
    cadrt::resetOutputState();
    // As the host runs the command: what escapes it is reported with its text.
    const bool ran = cadrt::guardedCall(L"command FAN", [&h] { h.run([](CFanDlg&) {}); });
    zrbase::setConsoleOut(nullptr);
    EXPECT_FALSE(ran) << missing;
    EXPECT_NE(out.str().find("Error in command FAN: "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(std::string("(field '") + missing + "')"), std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find("unknown exception"), std::string::npos) << out.str();
  }
}
