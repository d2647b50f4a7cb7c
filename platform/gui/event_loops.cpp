// Nested loops and deferred exceptions.
#include "gui/event_loops.h"

#include <QEventLoop>
#include <vector>

#include "gui/mirror_registry.h"
#include "win/wnd.h"

namespace zrgui {

namespace {
std::vector<QEventLoop*> g_loops;
std::exception_ptr g_deferred;
std::function<void()> g_refresh;
}  // namespace

void waitUntil(const std::function<bool()>& done) {
  while (!g_deferred && !done()) {
    QEventLoop loop;
    g_loops.push_back(&loop);
    loop.exec();
    g_loops.pop_back();
  }
  rethrowDeferred();
}

void wakeWaiters() {
  for (QEventLoop* loop : g_loops) loop->quit();
}

int waitDepth() { return static_cast<int>(g_loops.size()); }

void deferException(std::exception_ptr e) {
  if (!g_deferred) g_deferred = e;
  wakeWaiters();
}

void rethrowDeferred() {
  if (!g_deferred) return;
  std::exception_ptr e = g_deferred;
  g_deferred = nullptr;
  std::rethrow_exception(e);
}

bool hasDeferred() { return static_cast<bool>(g_deferred); }

void runUserAction(const std::function<void()>& fn) {
  try {
    fn();
    winplat::pumpMessages();
  } catch (...) {
    deferException(std::current_exception());
  }
  MirrorRegistry::instance().syncAll();
  if (g_refresh) g_refresh();
  wakeWaiters();
}

void setRefreshHook(std::function<void()> fn) { g_refresh = std::move(fn); }

}  // namespace zrgui
