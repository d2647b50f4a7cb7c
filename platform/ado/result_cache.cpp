// The session's cache of recent SELECT results.
#include "result_cache.h"

#include <sqlite3.h>

#include "test_seams.h"

namespace adoimpl {

void ResultCache::revalidate(Session& session) {
  m_probe = {};
  sqlite3* db = session.handle();
  if (!m_dataVersion) m_dataVersion = session.prepare("PRAGMA data_version");
  long long version = -1;
  if (sqlite3_step(m_dataVersion.get()) == SQLITE_ROW) {
    version = sqlite3_column_int64(m_dataVersion.get(), 0);
  }
  sqlite3_reset(m_dataVersion.get());
  const std::int64_t changes = sqlite3_total_changes64(db);
  // An unreadable version (a locked or damaged file) never validates a result.
  if (version < 0 || version != m_version || changes != m_changes) {
    clear();
    m_version = version;
    m_changes = changes;
  }
}

void ResultCache::noteProbe(const std::string& sql, std::shared_ptr<const RowSet> rows,
                            Session& session) {
  m_probe = {sql, std::move(rows), sqlite3_total_changes64(session.handle()),
             std::chrono::steady_clock::now()};
}

std::shared_ptr<const RowSet> ResultCache::takeProbe(const std::string& sql, Session& session) {
  Probe probe = std::move(m_probe);
  m_probe = {};
  if (!probe.rows || probe.sql != sql) return nullptr;
  if (probe.changes != sqlite3_total_changes64(session.handle())) return nullptr;
  if (std::chrono::steady_clock::now() - probe.at > probeReuseWindow()) return nullptr;
  return probe.rows;
}

std::shared_ptr<const RowSet> ResultCache::find(const std::string& sql) {
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (it->sql == sql) {
      m_entries.splice(m_entries.begin(), m_entries, it);
      return m_entries.front().rows;
    }
  }
  return nullptr;
}

void ResultCache::store(const std::string& sql, std::shared_ptr<const RowSet> rows) {
  const std::size_t cells = rows->cellCount();
  if (m_version < 0 || cells > kMaxCells) return;
  m_entries.push_front({sql, std::move(rows)});
  m_cells += cells;
  while (m_entries.size() > kMaxEntries || m_cells > kMaxCells) {
    m_cells -= m_entries.back().rows->cellCount();
    m_entries.pop_back();
  }
}

}  // namespace adoimpl
