// The data layer's counters.
#include "ado_statistics.h"

#include <atomic>

namespace adoimpl {

namespace {
std::atomic<unsigned long long> g_statements{0};
std::atomic<unsigned long long> g_backendQueries{0};
std::atomic<unsigned long long> g_roundTrips{0};
std::atomic<unsigned long long> g_lockTimeouts{0};
std::atomic<long long> g_lockWaitNs{0};
}  // namespace

unsigned long long statementCount() { return g_statements.load(std::memory_order_relaxed); }

void countStatement() { g_statements.fetch_add(1, std::memory_order_relaxed); }

unsigned long long backendQueryCount() { return g_backendQueries.load(std::memory_order_relaxed); }

void countBackendQuery() { g_backendQueries.fetch_add(1, std::memory_order_relaxed); }

unsigned long long serverRoundTripCount() { return g_roundTrips.load(std::memory_order_relaxed); }

void countServerRoundTrip() { g_roundTrips.fetch_add(1, std::memory_order_relaxed); }

unsigned long long lockTimeoutCount() { return g_lockTimeouts.load(std::memory_order_relaxed); }

std::chrono::nanoseconds lockWaitTime() {
  return std::chrono::nanoseconds(g_lockWaitNs.load(std::memory_order_relaxed));
}

void countLockTimeout() { g_lockTimeouts.fetch_add(1, std::memory_order_relaxed); }

void countLockWait(std::chrono::nanoseconds slept) {
  g_lockWaitNs.fetch_add(slept.count(), std::memory_order_relaxed);
}

}  // namespace adoimpl
