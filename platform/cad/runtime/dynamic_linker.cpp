// The dynamic linker: applications in shared libraries.
#include "cad/runtime/dynamic_linker.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "base/module_instance.h"
#include "base/text_case.h"
#include "cad/runtime/command_stack.h"
#include "cad/runtime/doc_manager.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/guarded_call.h"

ZRCAD_DEFINE_MEMBERS(AcRxDynamicLinker, AcRxObject, "")

namespace {

std::wstring lower(std::wstring s) { return zrbase::toLower(s); }

// The names an application answers to: its path, its file name, and its
// application name (the file name without "lib" and extension).
bool answersTo(const std::wstring& path, const std::wstring& name) {
  if (name == path) return true;
  const std::filesystem::path p(zrbase::wideToUtf8(path));
  const std::wstring file = lower(zrbase::utf8ToWide(p.filename().string()));
  std::wstring app = lower(zrbase::utf8ToWide(p.stem().string()));
  if (app.rfind(L"lib", 0) == 0 && app.size() > 3) app = app.substr(3);
  const std::wstring n = lower(name);
  return n == file || n == app || n == lower(path);
}

// A relative path that names an existing file is made absolute, so that dlopen
// finds it where the user sees it rather than along the library search path.
std::string openPath(const std::wstring& fileName) {
  const std::string native = zrbase::nativePath(fileName.c_str());
  std::error_code ec;
  if (native.find('/') == std::string::npos && !std::filesystem::exists(native, ec)) {
    return native;
  }
  const auto abs = std::filesystem::absolute(native, ec);
  return ec ? native : abs.lexically_normal().string();
}

template <class Fn>
Fn symbol(void* dl, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(dl, name));
}

}  // namespace

AcRxDynamicLinker* AcRxDynamicLinker::instance() {
  static AcRxDynamicLinker linker;
  return &linker;
}

bool AcRxDynamicLinker::fail(const std::wstring& text) {
  m_lastError = text;
  cadrt::printLine(text);
  return false;
}

AcRx::AppRetCode AcRxDynamicLinker::send(Module& m, AcRx::AppMsgCode msg) {
  RunningScope running(*this, &m);
  AcRx::AppRetCode rc = AcRx::kRetError;
  const bool ran = cadrt::guardedCall(L"application " + m.path, [&] { rc = m.entry(msg, &m); });
  return ran ? rc : AcRx::kRetError;
}

bool AcRxDynamicLinker::isRunning(const void* appId) const {
  return std::find(m_running.begin(), m_running.end(), appId) != m_running.end();
}

bool AcRxDynamicLinker::attach(Module& m) {
  if (!m.dllMain) return true;
  BOOL ok = FALSE;
  cadrt::guardedCall(L"application " + m.path,
                     [&] { ok = m.dllMain(m.instance, DLL_PROCESS_ATTACH, nullptr); });
  return ok != FALSE;
}

void AcRxDynamicLinker::detachAndClose(Module& m) {
  if (m.dllMain) {
    cadrt::guardedCall(L"application " + m.path,
                       [&] { m.dllMain(m.instance, DLL_PROCESS_DETACH, nullptr); });
  }
  // Commands an application failed to remove would point into unloaded code.
  AcEdCommandStack::instance()->removeCommandsOfApp(&m);
  zrbase::releaseInstance(m.instance);
  ::dlclose(m.dl);
}

bool AcRxDynamicLinker::loadModule(const ACHAR* fileName, bool printit, bool /*asCmd*/) {
  m_lastError.clear();
  if (!fileName || !*fileName) return fail(L"Cannot load an application without a file name.");
  const std::string path = openPath(fileName);
  const std::wstring wpath = zrbase::utf8ToWide(path);
  if (findConst(wpath)) {
    if (printit) cadrt::printLine(L"Application \"" + wpath + L"\" is already loaded.");
    return true;
  }
  void* dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    const char* why = ::dlerror();
    return fail(L"Cannot load application \"" + wpath + L"\": " +
                zrbase::utf8ToWide(why ? why : "unknown error"));
  }
  Module& m = m_modules.emplace_back();
  m.path = wpath;
  m.dl = dl;
  m.instance = zrbase::instanceFromLibrary(dl, path);
  m.dllMain = symbol<DllMainFn>(dl, "DllMain");
  m.entry = symbol<AcrxEntryPointFn>(dl, "acrxEntryPoint");
  // As the system loader does, a refused library is detached before it is
  // closed, even when its attach failed.
  auto refuse = [&](const std::wstring& why) {
    detachAndClose(m);
    m_modules.pop_back();
    return fail(L"Cannot load application \"" + wpath + L"\": " + why);
  };
  if (!attach(m)) return refuse(L"its DllMain refused the process attach.");
  const auto getVersion = symbol<AcrxGetApiVersionFn>(dl, "acrxGetApiVersion");
  if (!m.entry || !getVersion) {
    return refuse(L"it is not an application (acrxEntryPoint or acrxGetApiVersion missing).");
  }
  int version = 0;
  cadrt::guardedCall(L"application " + wpath, [&] { version = getVersion(1); });
  if (((version >> 16) & 0xFFFF) != kAcrxApiRelease) {
    CString why;
    why.Format(L"it was built for API release %d (version word 0x%X); this host runs release 17.",
               (version >> 16) & 0xFFFF, static_cast<unsigned>(version));
    return refuse(why.str());
  }
  if (send(m, AcRx::kInitAppMsg) != AcRx::kRetOK) {
    return refuse(L"its initialisation failed.");
  }
  if (acDocManagerPtr()->curDocument()) send(m, AcRx::kLoadDwgMsg);
  if (printit) cadrt::printLine(L"Application \"" + wpath + L"\" loaded.");
  return true;
}

bool AcRxDynamicLinker::unloadModule(const ACHAR* fileName, bool /*asCmd*/) {
  m_lastError.clear();
  const std::wstring name = fileName ? fileName : L"";
  Module* m = find(name);
  if (!m) m = find(zrbase::utf8ToWide(openPath(name)));
  if (!m) return fail(L"Application \"" + name + L"\" is not loaded.");
  if (!m->unlocked) {
    return fail(L"Application \"" + m->path + L"\" is locked and cannot be unloaded.");
  }
  if (isRunning(m)) {
    return fail(L"Application \"" + m->path + L"\" is running and cannot be unloaded now.");
  }
  if (send(*m, AcRx::kUnloadAppMsg) != AcRx::kRetOK) {
    return fail(L"Application \"" + m->path + L"\" refused to unload.");
  }
  const std::wstring path = m->path;
  detachAndClose(*m);
  m_modules.remove_if([m](const Module& x) { return &x == m; });
  cadrt::printLine(L"Application \"" + path + L"\" unloaded.");
  return true;
}

void AcRxDynamicLinker::unloadAll() {
  while (!m_modules.empty()) {
    Module& m = m_modules.back();
    send(m, AcRx::kUnloadAppMsg);
    detachAndClose(m);
    m_modules.pop_back();
  }
}

bool AcRxDynamicLinker::sendAcrxMessage(AcRx::AppMsgCode msg) {
  bool allOk = true;
  for (Module& m : m_modules) allOk = send(m, msg) == AcRx::kRetOK && allOk;
  return allOk;
}

AcRxDynamicLinker::Module* AcRxDynamicLinker::find(const std::wstring& name) {
  return const_cast<Module*>(findConst(name));
}

const AcRxDynamicLinker::Module* AcRxDynamicLinker::findConst(const std::wstring& name) const {
  if (name.empty()) return nullptr;
  for (const Module& m : m_modules) {
    if (answersTo(m.path, name)) return &m;
  }
  return nullptr;
}

const AcRxDynamicLinker::Module* AcRxDynamicLinker::byId(void* appId) const {
  for (const Module& m : m_modules) {
    if (&m == appId) return &m;
  }
  return nullptr;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
  const Module* m = byId(appId);
  if (m) m->unlocked = true;
  return m != nullptr;
}

bool AcRxDynamicLinker::lockApplication(void* appId) const {
  const Module* m = byId(appId);
  if (m) m->unlocked = false;
  return m != nullptr;
}

bool AcRxDynamicLinker::isApplicationLocked(const ACHAR* name) const {
  const Module* m = findConst(name ? name : L"");
  return m && !m->unlocked;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
  const Module* m = byId(appId);
  if (m) m->mdiAware = true;
  return m != nullptr;
}

bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const {
  const Module* m = byId(appId);
  if (m) m->mdiAware = false;
  return m != nullptr;
}

std::vector<std::wstring> AcRxDynamicLinker::loadedModules() const {
  std::vector<std::wstring> paths;
  for (const Module& m : m_modules) paths.push_back(m.path);
  return paths;
}
