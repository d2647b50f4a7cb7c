// Loading and unloading applications: the order of the calls into them, the commands they
// register, the applications the linker must refuse; the resource-handle stack.
#include <vector>

#include "base/module_instance.h"
#include "cad/runtime/command_processor.h"
#include "editor_fixture.h"

namespace {

using Calls = std::vector<std::string>;

class DynamicLinker : public EditorTest {
 protected:
  void SetUp() override { input(""); }
  void TearDown() override {
    linker()->unloadAll();
    EditorTest::TearDown();
  }
  static AcRxDynamicLinker* linker() {
    return AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
  }
  static bool isCommand(const wchar_t* name) {
    return cadrt::CommandProcessor::instance().isCommand(name);
  }
  // The "testmodule: ..." lines printed since the last call, in order.
  Calls calls() {
    Calls c;
    std::istringstream in(m_out.str());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("testmodule: ", 0) == 0) c.push_back(line.substr(12));
    m_out.str("");
    return c;
  }
};

// The order of the calls of a whole session, and APPLOAD and APPUNLOAD: tests/app/host_test.cpp
// (AWholeSessionInTheOrderAHostDrivesIt). Here a second load, and the files refused.
TEST_F(DynamicLinker, ASecondLoadDoesNothingAndWrongReleasesAndOtherFilesAreRefused) {
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE, true));
  EXPECT_EQ(calls(), (Calls{"DllMain 1 instance", "acrxGetApiVersion", "acrxEntryPoint 1"}));
  EXPECT_FALSE(linker()->isApplicationLocked(L"app_testmodule"));
  EXPECT_TRUE(linker()->loadModule(L"" APP_TESTMODULE, true));
  EXPECT_TRUE(calls().empty()) << "no second attach or initialisation";
  EXPECT_EQ(linker()->loadedModules().size(), 1u);
  EXPECT_TRUE(isCommand(L"testhello")) << "in any case";
  ASSERT_TRUE(linker()->unloadModule(L"app_testmodule"));
  calls();
  EXPECT_FALSE(linker()->loadModule(L"" APP_TESTMODULE_R16, false));
  EXPECT_EQ(calls(), (Calls{"DllMain 1 instance", "acrxGetApiVersion", "DllMain 0 instance"}));
  EXPECT_FALSE(isCommand(L"TESTHELLO"));
  EXPECT_FALSE(linker()->loadModule(L"/nonexistent/libnothing.so", false));
  EXPECT_NE(linker()->lastError().find(L"/nonexistent/libnothing.so"), std::wstring::npos);
  EXPECT_NE(m_out.str().find("Cannot load application"), std::string::npos);
  // A shared library without the entry points: the runtime library itself.
  EXPECT_FALSE(linker()->loadModule(zrbase::utf8ToWide(APP_NOT_A_MODULE).c_str(), false));
  EXPECT_NE(linker()->lastError().find(L"acrxEntryPoint"), std::wstring::npos);
  EXPECT_FALSE(linker()->loadModule(L"", false));
  EXPECT_TRUE(linker()->loadedModules().empty());
}

// A locked application stays until shutdown; one that leaves its commands behind when
// unloaded (their handlers are gone with its code) has them removed.
TEST_F(DynamicLinker, LockedApplicationsGoAtShutdownAndCommandsLeftBehindAreRemoved) {
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE_LOCKED, false));
  calls();
  EXPECT_TRUE(linker()->isApplicationLocked(L"app_testmodule_locked"));
  EXPECT_FALSE(linker()->unloadModule(L"app_testmodule_locked"));
  EXPECT_TRUE(calls().empty()) << "a locked application is not even asked";
  EXPECT_NE(linker()->lastError().find(L"locked"), std::wstring::npos);
  EXPECT_TRUE(isCommand(L"TESTHELLO"));
  linker()->unloadAll();
  EXPECT_EQ(calls(), (Calls{"acrxEntryPoint 2", "DllMain 0 instance"}));
  EXPECT_FALSE(isCommand(L"TESTHELLO"));
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE_KEEP, false));
  ASSERT_TRUE(linker()->unloadModule(L"app_testmodule_keep"));
  EXPECT_FALSE(isCommand(L"TESTHELLO"));
  EXPECT_EQ(AcEdCommandStack::instance()->lookupGlobalCmd(L"TESTTHROW"), nullptr);
  // Messages are broadcast to every application.
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE, false));
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE_LOCKED, false));
  calls();
  EXPECT_TRUE(linker()->sendAcrxMessage(AcRx::kQuitMsg));
  EXPECT_EQ(calls(), (Calls{"acrxEntryPoint 8", "acrxEntryPoint 8"}));
}

TEST_F(DynamicLinker, AnApplicationCannotBeUnloadedWhileItsCodeRuns) {
  ASSERT_TRUE(linker()->loadModule(L"" APP_TESTMODULE, false));
  calls();
  EXPECT_EQ(cadrt::CommandProcessor::instance().run(L"TESTUNLOADSELF"), RTNORM);
  EXPECT_NE(m_out.str().find("is running and cannot be unloaded now"), std::string::npos);
  EXPECT_EQ(calls(), Calls{"UNLOADSELF 0"});
  EXPECT_EQ(linker()->currentAppId(), nullptr) << "no code of it runs any more";
  EXPECT_TRUE(linker()->unloadModule(L"app_testmodule"));
}

// Documents: the working database follows the current one in every test of tests/app; their
// titles ("Drawing1.dwg") are shown by tests/gui and tests/reliability/host.
// What applications hear of drawings opened and closed: tests/app/host_test.cpp
// (AWholeSessionInTheOrderAHostDrivesIt).

TEST(ResourceHandles, PushSetsThePushedHandleAndPopRestoresTheOneBefore) {
  const HINSTANCE host = zrbase::instanceFromTable(nullptr, "host");
  const HINSTANCE module = zrbase::instanceFromTable(nullptr, "module");
  const HINSTANCE other = zrbase::instanceFromTable(nullptr, "other");
  AfxSetResourceHandle(host);
  AcApDocManager* dm = acDocManagerPtr();
  dm->pushResourceHandle(module);
  EXPECT_EQ(AfxGetResourceHandle(), module);
  dm->pushResourceHandle(other);
  EXPECT_EQ(AfxGetResourceHandle(), other);
  dm->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), module);
  dm->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), host);
  dm->popResourceHandle();  // more pops than pushes change nothing
  EXPECT_EQ(AfxGetResourceHandle(), host);
  EXPECT_EQ(dm->resourceHandleDepth(), 0u);
  for (HINSTANCE h : {host, module, other}) zrbase::releaseInstance(h);
}

}  // namespace
