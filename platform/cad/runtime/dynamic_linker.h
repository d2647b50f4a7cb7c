// The dynamic linker (registry key "DynamicLinker"): loads and unloads
// applications from shared libraries and sends them the host's messages.
//
// Loading runs, in this order, as the host and the system loader would:
// dlopen; DllMain(instance, DLL_PROCESS_ATTACH); the API version query
// (acrxGetApiVersion, which must name release 17); acrxEntryPoint(kInitAppMsg,
// appId); then kLoadDwgMsg when a drawing is open. Unloading runs
// acrxEntryPoint(kUnloadAppMsg) — only for an application that unlocked
// itself —, removes any command it left registered, DllMain(DLL_PROCESS_DETACH)
// and dlclose. An application's id is the address of its record here; it stays
// valid while the application is loaded.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "base/windef.h"
#include "cad/adsdef.h"
#include "cad/runtime/rx_dictionary.h"

namespace AcRx {

enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
  kDependencyMsg = 10,
  kNoDependencyMsg = 11,
  kOleUnloadAppMsg = 12,
  kPreQuitMsg = 13,
  kInitDialogMsg = 14,
  kEndDialogMsg = 15,
  kSuspendMsg = 16,
};

enum AppRetCode { kRetOK = 0, kRetError = 3 };

}  // namespace AcRx

// The API release this host runs: 17, in the high half of the version word.
constexpr int kAcrxApiRelease = 0x11;

// What an application exports (C linkage).
extern "C" {
using AcrxEntryPointFn = AcRx::AppRetCode (*)(AcRx::AppMsgCode msg, void* appId);
using AcrxGetApiVersionFn = int (*)(int);
using DllMainFn = BOOL (*)(HINSTANCE instance, DWORD reason, LPVOID reserved);
}

class AcRxDynamicLinker : public AcRxObject {
 public:
  ZRCAD_DECLARE_MEMBERS(AcRxDynamicLinker)

  static AcRxDynamicLinker* instance();

  // Loads the application in fileName ('\' or '/' separators). Failures are
  // printed on the command line whatever printit says; printit adds a line on
  // success. Loading a file that is loaded already succeeds without reloading.
  bool loadModule(const ACHAR* fileName, bool printit, bool asCmd = false);
  // Unloads by path, file name or application name ("zrfan" for
  // ".../libzrfan.so"). Refused for a locked application or when the
  // application answers kUnloadAppMsg with an error.
  bool unloadModule(const ACHAR* fileName, bool asCmd = false);

  bool unlockApplication(void* appId) const;
  bool lockApplication(void* appId) const;
  bool isApplicationLocked(const ACHAR* name) const;
  bool registerAppMDIAware(void* appId) const;
  bool registerAppNotMDIAware(void* appId) const;

  // Sends msg to every loaded application, oldest first. False when one of
  // them answered with an error.
  bool sendAcrxMessage(AcRx::AppMsgCode msg);

  // Host shutdown: kUnloadAppMsg to every application whether locked or not,
  // newest first, then detach and close each.
  void unloadAll();

  // The id of the application whose code the host is running now (during its
  // entry-point calls and its commands), or null. An application whose code
  // is running cannot be unloaded: its code would vanish under it.
  void* currentAppId() const { return m_running.empty() ? nullptr : m_running.back(); }
  bool isRunning(const void* appId) const;

  // Marks an application's code as running for the lifetime of the object.
  class RunningScope {
   public:
    RunningScope(AcRxDynamicLinker& linker, void* appId) : m_linker(linker) {
      m_linker.m_running.push_back(appId);
    }
    ~RunningScope() { m_linker.m_running.pop_back(); }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

   private:
    AcRxDynamicLinker& m_linker;
  };

  // Paths of the loaded applications, in load order.
  std::vector<std::wstring> loadedModules() const;
  // The text of the last load or unload failure (empty after a success).
  const std::wstring& lastError() const { return m_lastError; }

 private:
  struct Module {
    std::wstring path;  // as opened (native separators)
    void* dl = nullptr;
    HINSTANCE instance = nullptr;
    DllMainFn dllMain = nullptr;
    AcrxEntryPointFn entry = nullptr;
    mutable bool unlocked = false;
    mutable bool mdiAware = false;
  };

  Module* find(const std::wstring& name);
  const Module* findConst(const std::wstring& name) const;
  const Module* byId(void* appId) const;
  AcRx::AppRetCode send(Module& m, AcRx::AppMsgCode msg);
  bool attach(Module& m);
  void detachAndClose(Module& m);
  bool fail(const std::wstring& text);

  std::list<Module> m_modules;   // addresses are the application ids
  std::vector<void*> m_running;  // innermost last
  std::wstring m_lastError;
};
