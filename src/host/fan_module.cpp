// Load, unload and the FAN command (FANDUTY, FANSCHED, FANEDIT and FANSHEET, beside it, live in
// duty/ and sched/): the module's process attach and detach, the entry point the host sends its
// messages to, and the command handler.
//
// Module-wide state is set at load and never changed afterwards: the instance
// handle (kept in res/module_resources), the extension-module record with its attached flag, and
// the one CDynLinkLibrary that puts this module into the resource chain.
#include "host/fan_module.h"

#include "ado/kept_connections.h"
#include "cad/acdb.h"
#include "db/ado_db.h"
#include "duty/duty_command.h"
#include "fandlg/fan_dlg.h"
#include "res/module_resources.h"
#include "sched/fan_edit_command.h"
#include "sched/fan_sheet_command.h"
#include "sched/sched_command.h"
#include "win/resources.h"

namespace {

// The extension-module record with its attached flag and the two handles
// stored beside it at attach: the resource handle current then, and ours.
struct ExtensionModule {
  BOOL bAttached;
  HINSTANCE hDefaultResource;
  HINSTANCE hModuleResource;
  AFX_EXTENSION_MODULE module;
};

// Zero-filled by static initialisation, before process attach.
ExtensionModule g_extensionModule = {};

// The resource module used only if the stored instance handle were null.
ExtensionModule* g_pResourceModule = &g_extensionModule;

// The module's empty sub-entity path, built by static initialisation with the
// other module-level objects and destroyed at module exit after them in reverse
// order. Nothing reads it; it is part of what loading the module sets up.
[[maybe_unused]] const AcDbFullSubentPath kNullSubentPath;

// API release 17 in the high half: what the host checks of an application.
constexpr int kApiVersion = 0x110000;
int g_apiVersion = 0;

void AttachExtensionModule(HINSTANCE hInstance) {
  if (g_extensionModule.bAttached) return;
  g_extensionModule.bAttached = AfxInitExtensionModule(g_extensionModule.module, hInstance);
  if (g_extensionModule.bAttached) {
    g_extensionModule.hDefaultResource = AfxGetResourceHandle();
    g_extensionModule.hModuleResource = hInstance;
    // Owned by the resource chain, which frees it when the module terminates.
    new CDynLinkLibrary(g_extensionModule.module, FALSE);
  }
}

void DetachExtensionModule() {
  if (!g_extensionModule.bAttached) return;
  AfxTermExtensionModule(g_extensionModule.module, FALSE);
  g_extensionModule.bAttached = FALSE;
}

}  // namespace

extern "C" BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    SetModuleInstanceHandle(hInstance);
    AttachExtensionModule(hInstance);
    InitAcUiDLL();
  } else if (dwReason == DLL_PROCESS_DETACH) {
    DetachExtensionModule();
  }
  return TRUE;
}

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      AcRxDynamicLinker::cast(acrxSysRegistry()->at(L"DynamicLinker"))->unlockApplication(pkt);
      AcRxDynamicLinker::cast(acrxSysRegistry()->at(L"DynamicLinker"))->registerAppMDIAware(pkt);
      InitApplication();
      break;
    case AcRx::kUnloadAppMsg:
      UnloadApplication();
      break;
    default:
      break;
  }
  return AcRx::kRetOK;
}

extern "C" int acrxGetApiVersion(int nReset) {
  if (nReset == 0 || g_apiVersion == 0) g_apiVersion = kApiVersion;
  return g_apiVersion;
}

void InitApplication() {
  AddCommand(L"ZR", L"FAN", L"FAN", 3, FanCommand, -1);
  AddCommand(L"ZR", L"FANDUTY", L"FANDUTY", 3, FanDutyCommand, -1);
  AddCommand(L"ZR", L"FANSCHED", L"FANSCHED", 3, FanSchedCommand, -1);
  AddCommand(L"ZR", L"FANEDIT", L"FANEDIT", 3, FanEditCommand, -1);
  AddCommand(L"ZR", L"FANSHEET", L"FANSHEET", 3, FanSheetCommand, -1);
  StartTagRenumbering();
}

void UnloadApplication() {
  StopTagRenumbering();
  AcEdCommandStack::cast(acrxSysRegistry()->at(L"ACAD_REGISTERED_COMMANDS"))->removeGroup(L"ZR");
  // The catalogue connections the data layer kept for the dialog's next open
  // are closed with the module, so that the catalogue file is complete on its
  // own once the module is gone.
  adoimpl::closeKeptConnections();
}

void AddCommand(const ACHAR* cmdGroup, const ACHAR* cmdInt, const ACHAR* cmdLoc, int cmdFlags,
                AcRxFunctionPtr cmdProc, int idLocal) {
  AcEdCommandStack* pStack =
      AcEdCommandStack::cast(acrxSysRegistry()->at(L"ACAD_REGISTERED_COMMANDS"));
  if (idLocal == -1) {
    pStack->addCommand(cmdGroup, cmdInt, cmdLoc, cmdFlags, cmdProc, nullptr, -1, nullptr, nullptr);
    return;
  }
  ACHAR szLocal[64] = {};
  ::LoadString(ModuleInstanceHandle(), static_cast<UINT>(idLocal), szLocal, 64);
  pStack->addCommand(cmdGroup, cmdInt, szLocal, cmdFlags, cmdProc, nullptr, -1, nullptr, nullptr);
}

void FanCommand() {
  HINSTANCE hInstance = ModuleInstanceHandle();
  ResourceHandleScope scope(hInstance ? hInstance : g_pResourceModule->module.hModule);
  CFanDlg dlg(nullptr);
  dlg.DoModal();
}
