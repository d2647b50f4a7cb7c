// The module's entry points in-process: the order of registration, the
// command's resource handle, and the API version the host checks.
#include <gtest/gtest.h>

#include <stdexcept>

#include "cad/aced.h"
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
