// A small application for the host's tests. It prints every call the host
// makes into it, so a test can check their order, and registers a few commands.
//
// Variants are built from this file with compile definitions:
//   TESTMODULE_API_VERSION  the version word it reports (default release 17)
//   TESTMODULE_LOCKED       never unlocks itself, so it cannot be unloaded
//   TESTMODULE_KEEP_COMMANDS does not remove its commands when unloaded
#include <stdexcept>

#include "base/module_instance.h"
#include "cad/aced.h"

#ifndef TESTMODULE_API_VERSION
#define TESTMODULE_API_VERSION 0x110000
#endif

namespace {

const wchar_t* const kGroup = L"ZRTEST";

void helloCommand() { acutPrintf(L"testmodule: HELLO\n"); }

// Tries to unload this very application while its command runs.
void unloadSelfCommand() {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
  const bool unloaded = linker->unloadModule(L"app_testmodule");
  acutPrintf(L"testmodule: UNLOADSELF %d\n", unloaded ? 1 : 0);
}

// Fails the way a module's command fails on bad data: an exception escapes it.
void throwCommand() { throw std::runtime_error("the catalogue has no column 'FanNo'"); }

void registerCommands() {
  AcEdCommandStack* stack = AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
  stack->addCommand(kGroup, L"TESTHELLO", L"TESTHELLO", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET,
                    helloCommand, nullptr, -1, nullptr, nullptr);
  stack->addCommand(kGroup, L"TESTUNLOADSELF", L"TESTUNLOADSELF", ACRX_CMD_MODAL,
                    unloadSelfCommand);
  stack->addCommand(kGroup, L"TESTTHROW", L"TESTTHROW", ACRX_CMD_MODAL, throwCommand);
}

}  // namespace

extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  const zrbase::ModuleInstance* rec = zrbase::moduleInstance(instance);
  acutPrintf(L"testmodule: DllMain %d %s\n", static_cast<int>(reason),
             rec && rec->dlHandle ? L"instance" : L"no-instance");
  return TRUE;
}

extern "C" int acrxGetApiVersion(int /*unused*/) {
  acutPrintf(L"testmodule: acrxGetApiVersion\n");
  return TESTMODULE_API_VERSION;
}

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  acutPrintf(L"testmodule: acrxEntryPoint %d\n", static_cast<int>(msg));
  switch (msg) {
    case AcRx::kInitAppMsg: {
      AcRxDynamicLinker* linker =
          AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
#ifndef TESTMODULE_LOCKED
      linker->unlockApplication(appId);
#endif
      linker->registerAppMDIAware(appId);
      registerCommands();
      break;
    }
    case AcRx::kUnloadAppMsg:
#ifndef TESTMODULE_KEEP_COMMANDS
      AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))->removeGroup(kGroup);
#endif
      break;
    default:
      break;
  }
  return AcRx::kRetOK;
}
