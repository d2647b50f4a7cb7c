// The module's entry points in-process: the order of registration, the
// command's resource handle, and the API version the host checks.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "cad/aced.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/guarded_call.h"
#include "fan_dlg_harness.h"
#include "host/fan_module.h"

using fandlgtest::DialogHarness;

TEST(FanModule, FanRunsTheDialogWithTheModuleResourcesAndPopsThemEvenOnAThrow) {
  DialogHarness h;
  testsupport::CatalogueBuilder(h.catalogue()).standardHeadings();
  const HINSTANCE module = winplat::instanceFromTable(fancadModuleResources(), "zrfan");
  const HINSTANCE other = winplat::instanceFromTable(nullptr, "another module");
  ASSERT_TRUE(DllMain(module, DLL_PROCESS_ATTACH, nullptr));
  AfxSetResourceHandle(other);

  HINSTANCE during = nullptr;
  h.ui().onModal([&during](CDialog&) { during = AfxGetResourceHandle(); });
  FanCommand();
  EXPECT_EQ(during, module)
      << "the dialog is found although another module's resources are current";
  EXPECT_EQ(AfxGetResourceHandle(), other);
  ASSERT_EQ(h.ui().modalRuns().size(), 1u);
  EXPECT_EQ(h.ui().modalRuns()[0], 200u);

  h.ui().onModal([](CDialog&) { throw std::runtime_error("dialog failed"); });
  EXPECT_THROW(FanCommand(), std::runtime_error);
  EXPECT_EQ(AfxGetResourceHandle(), other) << "popped also when the modal run throws";

  EXPECT_TRUE(DllMain(module, DLL_PROCESS_DETACH, nullptr));
  EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
  zrbase::releaseInstance(module);
  zrbase::releaseInstance(other);
}

TEST(FanModule, ApiVersionNamesRelease17) {
  EXPECT_EQ(acrxGetApiVersion(0) >> 16, 0x11);
  EXPECT_EQ(acrxGetApiVersion(1), acrxGetApiVersion(0));
}

// A catalogue whose Model table lacks a column the dialog reads: the command fails, and the
// host's report names the column (the data layer's error is a std::exception with its text).
TEST(FanModule, ACatalogueWithoutAColumnTheDialogReadsFailsTheCommandNamingIt) {
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
