// The session's cache of recent SELECT results.
#include "result_cache.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "test_seams.h"

namespace adoimpl {

void ResultCache::revalidate(Session& session) {
  m_probe = {};
  Backend& backend = session.backend();
  ChangeStamp now = backend.stamp();
  const OwnWrites writes = backend.takeOwnWrites();
  // An unknown version (a locked or damaged file, a lost server) never
  // validates a result; this connection's writes clear everything when their
  // record is incomplete or does not add up to the changes counted.
  const bool ownKnown = !writes.unknown && writes.changes == now.changes - m_stamp.changes;
  const ChangeStamp before = m_stamp;
  if (now.version < 0) {
    clear();
    noteChange(before, std::nullopt);
  } else if (now.version != m_stamp.version) {
    // Another connection committed (or this is the first look): the results
    // of the tables it did not change stay, when the back end can tell which
    // it changed. Asking also takes the catalogue as it stands for the next.
    const Backend::OthersChanges others = backend.othersChangesSince(m_stamp.version);
    if (others.version >= 0) now.version = others.version;
    if (others.tables && m_stamp.version >= 0 && ownKnown) {
      forget(*others.tables);
      forget(writes.tables);
      std::vector<std::string> tables = *others.tables;
      tables.insert(tables.end(), writes.tables.begin(), writes.tables.end());
      noteChange(before, std::move(tables));
    } else {
      clear();
      noteChange(before, std::nullopt);
    }
  } else if (!ownKnown) {
    clear();
    noteChange(before, std::nullopt);
  } else if (writes.changes != 0) {
    forget(writes.tables);
    noteChange(before, writes.tables);
  }
  m_stamp = now;
  checkInvariants();
}

void ResultCache::checkInvariants() const {
#ifndef NDEBUG
  std::size_t cells = 0;
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    assert(it->rows != nullptr);
    cells += it->rows->cellCount();
    const auto found = m_bySql.find(it->sql);
    assert(found != m_bySql.end() && found->second == it);
  }
  assert(m_bySql.size() == m_entries.size());
  assert(cells == m_cells);
  assert(m_entries.size() <= kMaxEntries && m_cells <= kMaxCells);
  assert(m_entries.empty() || m_stamp.version >= 0);
#endif
}

void ResultCache::noteChange(const ChangeStamp& before,
                             std::optional<std::vector<std::string>> tables) {
  m_changes.push_back({before, std::move(tables)});
  if (m_changes.size() > kMaxChanges) {
    m_changes.pop_front();
    m_changesDropped = true;
  }
}

std::optional<std::vector<std::string>> ResultCache::changedSince(const ChangeStamp& since) const {
  if (since.version < 0 || since.changes < 0) return std::nullopt;
  // Stamps only move forward, so the first change noted when the cache stood
  // at `since` starts what changed since. A change may be noted without the
  // stamp moving (a record of own writes that did not add up): the caller may
  // have taken `since` after it, and then reads more than it needed to.
  const auto from = std::find_if(m_changes.begin(), m_changes.end(),
                                 [&since](const Change& c) { return c.before == since; });
  if (from == m_changes.end()) {
    if (since == m_stamp) return std::vector<std::string>{};
    return std::nullopt;
  }
  // One dropped from the front may have been noted at `since` too.
  if (from == m_changes.begin() && m_changesDropped) return std::nullopt;
  std::vector<std::string> tables;
  for (auto it = from; it != m_changes.end(); ++it) {
    if (!it->tables) return std::nullopt;
    tables.insert(tables.end(), it->tables->begin(), it->tables->end());
  }
  return tables;
}

void ResultCache::forget(const std::vector<std::string>& tables) {
  if (tables.empty()) return;
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    const auto entry = it++;
    for (const std::string& table : tables) {
      if (entry->rows->dependsOn(table)) {
        erase(entry);
        break;
      }
    }
  }
  checkInvariants();
}

void ResultCache::noteProbe(const std::string& sql, std::shared_ptr<const RowSet> rows,
                            Session& session) {
  m_probe = {sql, std::move(rows), session.backend().ownChanges(),
             std::chrono::steady_clock::now()};
}

std::shared_ptr<const RowSet> ResultCache::takeProbe(const std::string& sql, Session& session) {
  Probe probe = std::move(m_probe);
  m_probe = {};
  if (!probe.rows || probe.sql != sql) return nullptr;
  if (probe.changes != session.backend().ownChanges()) return nullptr;
  if (std::chrono::steady_clock::now() - probe.at > probeReuseWindow()) return nullptr;
  return probe.rows;
}

std::shared_ptr<const RowSet> ResultCache::find(const std::string& sql) {
  const auto found = m_bySql.find(sql);
  if (found == m_bySql.end()) return nullptr;
  m_entries.splice(m_entries.begin(), m_entries, found->second);
  return m_entries.front().rows;
}

void ResultCache::store(const std::string& sql, std::shared_ptr<const RowSet> rows) {
  const std::size_t cells = rows->cellCount();
  if (m_stamp.version < 0 || cells > kMaxCells) return;
  if (const auto old = m_bySql.find(sql); old != m_bySql.end()) erase(old->second);
  m_entries.push_front({sql, std::move(rows)});
  m_bySql.emplace(m_entries.front().sql, m_entries.begin());
  m_cells += cells;
  while (m_entries.size() > kMaxEntries || m_cells > kMaxCells) erase(std::prev(m_entries.end()));
  checkInvariants();
}

void ResultCache::erase(std::list<Entry>::iterator entry) {
  m_cells -= entry->rows->cellCount();
  m_bySql.erase(entry->sql);
  m_entries.erase(entry);
}

}  // namespace adoimpl
