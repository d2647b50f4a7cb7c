// The test seams: class registration, fault injection and the probe reuse window.
#include "test_seams.h"

#include <atomic>
#include <set>
#include <string>

#include "session.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

std::set<std::wstring>& unregistered() {
  static std::set<std::wstring> names;
  return names;
}

std::chrono::milliseconds g_lockWaitBudget{kBusyTimeoutMs};

FaultHook& hook() {
  static FaultHook h;
  return h;
}

// The module opens the recordset microseconds after its probe; a caller that
// waits longer (for the user, say) gets a fresh look at the file.
std::atomic<long long> g_probeReuseMs{250};

std::wstring folded(std::wstring_view name) {
  std::wstring out;
  for (wchar_t c : name) out += static_cast<wchar_t>(foldCase(static_cast<char32_t>(c)));
  return out;
}

}  // namespace

bool isClassRegistered(std::wstring_view progId) {
  return unregistered().empty() || unregistered().count(folded(progId)) == 0;
}

void setClassRegistered(std::wstring_view progId, bool registered) {
  if (registered) {
    unregistered().erase(folded(progId));
  } else {
    unregistered().insert(folded(progId));
  }
}

void setFaultHook(FaultHook h) { hook() = std::move(h); }

std::chrono::milliseconds lockWaitBudget() { return g_lockWaitBudget; }

void setLockWaitBudget(std::chrono::milliseconds budget) { g_lockWaitBudget = budget; }

void runFaultHook(std::string_view operation) {
  if (hook()) hook()(operation);
}

std::chrono::milliseconds probeReuseWindow() {
  return std::chrono::milliseconds(g_probeReuseMs.load());
}

void setProbeReuseWindow(std::chrono::milliseconds window) { g_probeReuseMs = window.count(); }

}  // namespace adoimpl
