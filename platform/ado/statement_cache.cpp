// Keeping prepared statements per text.
#include "statement_cache.h"

#include <sqlite3.h>

#include <algorithm>
#include <string_view>

namespace adoimpl {

void StatementDeleter::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

StatementUse::~StatementUse() {
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

PreparedStatement* StatementCache::find(const std::string& sql) {
  const auto it = m_entries.find(sql);
  if (it == m_entries.end()) return nullptr;
  // A statement still stepping belongs to a caller up the stack.
  if (sqlite3_stmt_busy(it->second.prepared->stmt.get())) return nullptr;
  it->second.lastUse = ++m_uses;
  return it->second.prepared.get();
}

void StatementEffects::note(int action, const char* name) {
  const auto add = [name](std::vector<std::string>& tables) {
    if (!name) return;
    for (const std::string& t : tables) {
      if (t == name) return;
    }
    tables.emplace_back(name);
  };
  switch (action) {
    case SQLITE_READ:
      add(reads);
      break;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
      add(writes);
      break;
    case SQLITE_TRANSACTION:
      if (name && (std::string_view(name) == "COMMIT" || std::string_view(name) == "END")) {
        commits = true;
      } else if (name && std::string_view(name) == "ROLLBACK") {
        unknown = true;
      }
      break;
    case SQLITE_SAVEPOINT:
      if (name && std::string_view(name) == "ROLLBACK") unknown = true;
      break;
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      break;
    default:  // schema, pragma, attach, analyze, ...
      unknown = true;
      break;
  }
}

PreparedStatement* StatementCache::keep(const std::string& sql, PreparedStatement& prepared) {
  const auto found = m_entries.find(sql);
  if (found != m_entries.end() && sqlite3_stmt_busy(found->second.prepared->stmt.get())) {
    return nullptr;
  }
  if (found == m_entries.end() && m_entries.size() >= kMaxStatements) dropOldest();
  Entry& entry = m_entries[sql];
  entry.prepared = std::make_unique<PreparedStatement>(std::move(prepared));
  entry.lastUse = ++m_uses;
  return entry.prepared.get();
}

void StatementCache::dropOldest() {
  std::vector<unsigned long long> uses;
  uses.reserve(m_entries.size());
  for (const auto& [sql, entry] : m_entries) uses.push_back(entry.lastUse);
  const auto middle = uses.begin() + static_cast<std::ptrdiff_t>(uses.size() / 2);
  std::nth_element(uses.begin(), middle, uses.end());
  const unsigned long long cut = *middle;
  std::erase_if(m_entries, [cut](const auto& item) {
    const Entry& e = item.second;
    return e.lastUse < cut && !sqlite3_stmt_busy(e.prepared->stmt.get());
  });
}

void StatementCache::clear() { m_entries.clear(); }

}  // namespace adoimpl
