// Counts of what callers asked of the data-access layer, for benchmarks and tests.
#pragma once

#include <chrono>

namespace adoimpl {

// The statements callers have run since the process started: each
// Connection.Execute and each Recordset.Open, whether it succeeded or not.
// The layer's own statements (schema lookups, write-back through rowid) are
// not counted. Safe to read from any thread.
unsigned long long statementCount();

// Called by Connection.Execute and Recordset.Open.
void countStatement();

// The queries a back end ran to read rows: the SELECTs the result cache could
// not answer.
unsigned long long backendQueryCount();
void countBackendQuery();

// Round trips to a catalogue server: each statement (or batch of statements) sent and its
// answers read, and each exchange of connecting (startup, authentication) that waited for
// the server. What a dialog action costs over a slow link is about this times the
// link's round-trip time.
unsigned long long serverRoundTripCount();
void countServerRoundTrip();

// Waits for another connection's lock: how many ended with the statement failing (the
// action's time was spent), and the time slept waiting, in all.
unsigned long long lockTimeoutCount();
std::chrono::nanoseconds lockWaitTime();

// Called by the busy handler.
void countLockTimeout();
void countLockWait(std::chrono::nanoseconds slept);

}  // namespace adoimpl
