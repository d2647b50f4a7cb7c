// Results of recent SELECT statements on one session, reused while what
// they read has not changed.
//
// The module runs every query twice (a probe through Execute, then the
// recordset) and its list handlers ask the same questions several times in
// one user action; on a large catalogue each of those is a full scan. A
// result stays valid until something writes to what it read. This
// connection's own writes forget the results that read the tables written
// (the back end's OwnWrites, with the tables that triggers write): editing a
// model's performance rows keeps the series, models and headings read
// before. Another connection's commit (the back end's ChangeStamp: SQLite's
// data_version, a server's change notifications) forgets the results of the
// tables it changed when the back end can tell which (on a file, from its
// pages: page_changes.h), else all of them. Whatever else the cache cannot
// account for clears it all: a schema change, a rollback, writes whose rows
// do not add up to the changes counted. A hit
// shares the rows with the recordset, which copies them before it writes
// through them, so the cached rows never change.
//
// Invariants, checked after every change in debug builds (checkInvariants):
// - m_cells is the sum of the cells of the entries, at most kMaxCells, and
//   there are at most kMaxEntries entries, each found by its text in m_bySql;
// - no entry is held while the stamp is unknown (version < 0): a result
//   read then was never validated against the file;
// - every entry was read, or validated, at the stamp m_stamp: a result is
//   kept across another connection's commit only when the back end has told
//   that the commit changed none of the tables it read.
//
// The probe of a query and the recordset that repeats it straight after are
// one question: the probe notes the rows it validated, and the recordset
// takes them without a second look at the file when nothing else ran on the
// session in between, this connection wrote nothing, and it comes within
// probeReuseWindow() (test_seams.h). Each look at the file is a read transaction (file locks and a
// check for a hot journal, a few system calls); on the dialog's actions this
// halves them. Another host's commit that lands between a probe and its
// recordset is seen by the next query instead.
//
// The cache also remembers, for the last few stamps it stood at, what it
// forgot since: a caller that keeps what it made of the rows (FANDUTY's
// catalogue of ten thousand models) asks changedSince and reads again only
// the tables named, where it would otherwise read everything.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "row_set.h"
#include "session.h"

namespace adoimpl {

class ResultCache {
 public:
  ResultCache() = default;
  ResultCache(const ResultCache&) = delete;
  ResultCache& operator=(const ResultCache&) = delete;

  // Clears the cache when the file changed since the last call.
  void revalidate(Session& session);
  // The cached result of that statement (SQLite text), or null.
  std::shared_ptr<const RowSet> find(const std::string& sql);
  void store(const std::string& sql, std::shared_ptr<const RowSet> rows);
  // Forgets the results that read any of these tables.
  void forget(const std::vector<std::string>& tables);
  // The stamp the last revalidate() took the catalogue at.
  const ChangeStamp& stamp() const { return m_stamp; }
  // The tables whose results the cache forgot since it stood at `since` (a
  // stamp() of an earlier call), as the back end spells them; none when it
  // stands there still. nullopt when it cannot tell: it cleared everything
  // meanwhile, or `since` is unknown or older than what it remembers.
  std::optional<std::vector<std::string>> changedSince(const ChangeStamp& since) const;
  void clear() {
    m_entries.clear();
    m_bySql.clear();
    m_cells = 0;
    m_probe = {};
  }
  // A probe has just validated (or read) sql's rows.
  void noteProbe(const std::string& sql, std::shared_ptr<const RowSet> rows, Session& session);
  // The noted probe's rows when sql repeats it as described above, else null.
  // Any call ends the note.
  std::shared_ptr<const RowSet> takeProbe(const std::string& sql, Session& session);

 private:
  struct Entry {
    std::string sql;
    std::shared_ptr<const RowSet> rows;
  };

  // One user action asks a few dozen distinct questions (a heading lookup per
  // grid column among them), and a designer going through the series asks
  // each series' own: room for some forty series' worth, as the results are
  // found by their text. The cells bound keeps the memory a session holds to
  // some megabytes.
  static constexpr std::size_t kMaxEntries = 1024;
  static constexpr std::size_t kMaxCells = 400000;
  struct Probe {
    std::string sql;
    std::shared_ptr<const RowSet> rows;
    std::int64_t changes = -1;
    std::chrono::steady_clock::time_point at;
  };

  void checkInvariants() const;
  // Notes that the results of these tables (nullopt: of every table) were
  // forgotten when the stamp moved on from `before`.
  void noteChange(const ChangeStamp& before, std::optional<std::vector<std::string>> tables);

  // Enough for a caller that looks once per user action to find its stamp
  // after a few actions of other dialogs.
  static constexpr std::size_t kMaxChanges = 64;
  struct Change {
    ChangeStamp before;
    std::optional<std::vector<std::string>> tables;  // nullopt: everything
  };

  std::list<Entry> m_entries;  // most recently used first
  // The entries by their statement (a view of the entry's own text).
  std::unordered_map<std::string_view, std::list<Entry>::iterator> m_bySql;
  void erase(std::list<Entry>::iterator entry);
  std::size_t m_cells = 0;  // held by all entries
  ChangeStamp m_stamp;
  Probe m_probe;
  std::deque<Change> m_changes;   // oldest first
  bool m_changesDropped = false;  // the oldest were dropped for newer ones
};

}  // namespace adoimpl
