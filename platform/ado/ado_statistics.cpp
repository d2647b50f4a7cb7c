// The statement counter.
#include "ado_statistics.h"

#include <atomic>

namespace adoimpl {

namespace {
std::atomic<unsigned long long> g_statements{0};
}

unsigned long long statementCount() { return g_statements.load(std::memory_order_relaxed); }

void countStatement() { g_statements.fetch_add(1, std::memory_order_relaxed); }

}  // namespace adoimpl
