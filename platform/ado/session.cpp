// Opening the catalogue on its back end, and translating statements for it.
#include "session.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <list>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "ado_connection.h"
#include "ado_enums.h"
#include "ado_errors.h"
#include "base/file_functions.h"
#include "base/utf8.h"
#include "kept_connections.h"
#ifdef FANCAD_POSTGRESQL
#include "pg_backend.h"
#endif
#include "pg_schema.h"
#include "result_cache.h"
#include "sqlite_backend.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

std::wstring_view trimBlanks(std::wstring_view s) {
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
  return s;
}

[[noreturn]] void failOpen(const std::wstring& path, const std::wstring& why) {
  throw _com_error(E_FAIL, L"cannot open database '" + path + L"': " + why);
}

}  // namespace

std::wstring connectionStringValue(std::wstring_view cs, std::wstring_view key) {
  std::size_t pos = 0;
  while (pos < cs.size()) {
    const std::size_t eq = cs.find(L'=', pos);
    if (eq == std::wstring_view::npos) break;
    const std::wstring_view name = trimBlanks(cs.substr(pos, eq - pos));
    std::size_t valueBegin = eq + 1;
    while (valueBegin < cs.size() && cs[valueBegin] == L' ') ++valueBegin;
    std::size_t end;
    std::wstring_view value;
    if (valueBegin < cs.size() && cs[valueBegin] == L'{') {
      const std::size_t close = cs.find(L'}', valueBegin);
      end = close == std::wstring_view::npos ? cs.size() : close + 1;
      value = cs.substr(valueBegin + 1,
                        (close == std::wstring_view::npos ? cs.size() : close) - valueBegin - 1);
      end = cs.find(L';', end);
      if (end == std::wstring_view::npos) end = cs.size();
    } else {
      end = cs.find(L';', valueBegin);
      if (end == std::wstring_view::npos) end = cs.size();
      value = trimBlanks(cs.substr(valueBegin, end - valueBegin));
    }
    if (equalsFolded(name, key)) return std::wstring(value);
    pos = end + 1;
  }
  return {};
}

std::shared_ptr<Session> Session::open(std::wstring_view connectionString) {
  std::wstring path = connectionStringValue(connectionString, L"DBQ");
  if (path.empty()) path = connectionStringValue(connectionString, L"Data Source");
  const char* override = std::getenv("ZR_CATALOGUE");
  if (override && isPostgresAddress(override)) return openServer(override);
  if (path.empty()) {
    throw _com_error(E_FAIL, L"the connection string names no database file (DBQ=...)");
  }
  std::string native = zrbase::nativePath(path.c_str());
  // SQLite may take a name that starts with "file:" for a URI; this is a path.
  if (native.rfind("file:", 0) == 0) native = "./" + native;
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) failOpen(path, L"no such file");
  if (!S_ISREG(st.st_mode)) failOpen(path, L"not a file");
  // SQLite takes an empty file for an empty database; a catalogue never is one.
  if (st.st_size == 0) failOpen(path, L"the file is empty");
  const std::string address = addressInFile(native);
  if (!address.empty()) return openServer(address);
  if (std::shared_ptr<Session> kept = takeKept({{}, fileState(st)})) return kept;
  std::shared_ptr<Session> session(new Session(SqliteBackend::open(native, path)));
  session->m_native = native;
  return session;
}

std::shared_ptr<Session> Session::openServer(const std::string& address) {
  if (std::shared_ptr<Session> kept = takeKept({address, {}})) return kept;
#ifdef FANCAD_POSTGRESQL
  std::shared_ptr<Session> session(new Session(PgBackend::open(address)));
  session->m_server = address;
  return session;
#else
  // Built without libpq: the address is refused as a server that cannot be reached
  // is, so that the module shows the reason beside its own message.
  std::wstring shown;
  zrbase::appendUtf8AsWide(shown, addressForMessages(address));
  throw _com_error(E_FAIL,
                   L"cannot open database '" + shown + L"': this build has no PostgreSQL support",
                   kServerErrorSource);
#endif
}

namespace {

// Each back end's serial for catalogueStamp, given when it is first asked for
// and dropped when the back end closes or its schema changes, so that a back
// end made later at the same address, or a schema another statement may have
// changed, never carries an earlier stamp.
struct ConnectionSerials {
  std::mutex mutex;
  std::unordered_map<const Backend*, std::uint64_t> serials;
  std::uint64_t last = 0;
};

ConnectionSerials& connectionSerials() {
  static ConnectionSerials* serials = new ConnectionSerials;  // never destroyed, as keptSessions
  return *serials;
}

std::uint64_t serialOf(const Backend& backend) {
  ConnectionSerials& s = connectionSerials();
  const std::lock_guard lock(s.mutex);
  const auto [it, added] = s.serials.try_emplace(&backend, 0);
  if (added) it->second = ++s.last;
  return it->second;
}

void dropSerial(const Backend* backend) {
  if (backend == nullptr) return;
  ConnectionSerials& s = connectionSerials();
  const std::lock_guard lock(s.mutex);
  s.serials.erase(backend);
}

// The connections kept by Session::close(), most recently closed first. Never
// destroyed: a connection closed while the program exits must not find it gone.
struct KeptSessions {
  std::mutex mutex;
  std::list<std::pair<Session::Place, std::shared_ptr<Session>>> sessions;
};

KeptSessions& keptSessions() {
  static KeptSessions* kept = new KeptSessions;
  return *kept;
}

}  // namespace

Session::FileState Session::fileState(const struct stat& st) {
  FileState f;
  f.device = static_cast<unsigned long long>(st.st_dev);
  f.inode = static_cast<unsigned long long>(st.st_ino);
  f.size = static_cast<long long>(st.st_size);
  f.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return f;
}

std::shared_ptr<Session> Session::takeKept(const Place& place) {
  KeptSessions& kept = keptSessions();
  std::shared_ptr<Session> found;
  bool written = false;                         // the file changed since found was kept
  std::vector<std::shared_ptr<Session>> stale;  // closed outside the lock
  {
    const std::lock_guard lock(kept.mutex);
    for (auto it = kept.sessions.begin(); it != kept.sessions.end();) {
      const Place& was = it->first;
      const FileState& file = place.file;
      if (was.server != place.server || (place.server.empty() && (was.file.device != file.device ||
                                                                  was.file.inode != file.inode))) {
        ++it;
      } else if (!found) {
        written = was.file != file;
        found = std::move(it->second);
        it = kept.sessions.erase(it);
      } else {
        stale.push_back(std::move(it->second));
        it = kept.sessions.erase(it);
      }
    }
  }
  // A file written since (by another program, or this one on another
  // connection) is served by the kept connection only when that can tell
  // which tables were written, and the schema is the one it knows. A server
  // may have closed a connection while it was kept.
  if (found && (written ? !found->backend().followsOthers() : !found->backend().alive())) {
    stale.push_back(std::move(found));
    found.reset();
  }
  return found;
}

void Session::closeKept() {
  std::list<std::pair<Place, std::shared_ptr<Session>>> closing;
  {
    KeptSessions& kept = keptSessions();
    const std::lock_guard lock(kept.mutex);
    closing.swap(kept.sessions);
  }
}

void closeKeptConnections() { Session::closeKept(); }

void Session::keep() {
  // Kept connections hold the catalogue open past the program's end otherwise:
  // a WAL catalogue's changes would stay in its log beside it. Registered at
  // the first keep, the handler runs before whatever this library made earlier
  // is destroyed.
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(closeKeptConnections); });
  Place place{m_server, {}};
  if (m_server.empty()) {
    struct stat st {};
    if (::stat(m_native.c_str(), &st) != 0) throw std::runtime_error("the file is gone");
    place.file = fileState(st);
  }
  std::shared_ptr<Session> session(new Session(std::move(m_backend)));
  session->m_native = m_native;
  session->m_server = m_server;
  session->m_results.swap(m_results);
  session->m_tables.swap(m_tables);
  session->m_tablesLoaded = m_tablesLoaded;
  session->m_columns.swap(m_columns);
  session->m_translated[0].swap(m_translated[0]);
  session->m_translated[1].swap(m_translated[1]);
  m_tablesLoaded = false;
  std::vector<std::shared_ptr<Session>> evicted;  // closed outside the lock
  KeptSessions& kept = keptSessions();
  const std::lock_guard lock(kept.mutex);
  kept.sessions.emplace_front(std::move(place), std::move(session));
  while (kept.sessions.size() > kKeptSessions) {
    evicted.push_back(std::move(kept.sessions.back().second));
    kept.sessions.pop_back();
  }
}

Session::Session(std::unique_ptr<Backend> backend)
    : m_backend(std::move(backend)), m_results(std::make_unique<ResultCache>()) {}

Session::~Session() { closeNow(); }

void Session::schemaChanged() {
  dropSerial(m_backend.get());
  m_translated[0].clear();
  m_translated[1].clear();
  m_tablesLoaded = false;
  m_columns.clear();
  m_results->clear();
  if (m_backend) m_backend->schemaChanged();
}

void Session::close() {
  if (m_backend && (!m_native.empty() || !m_server.empty()) && m_backend->reusable()) {
    try {
      keep();
      return;
    } catch (const std::exception&) {
      // Not kept (the file is gone, no memory): closed below.
    }
  }
  closeNow();
}

void Session::closeNow() {
  m_results->clear();
  dropSerial(m_backend.get());
  if (m_backend) m_backend->close();
  m_backend.reset();
  m_tables.clear();
  m_columns.clear();
  m_translated[0].clear();
  m_translated[1].clear();
  m_tablesLoaded = false;
}

Backend& Session::backend() const {
  if (!m_backend) throwAdoError(adErrObjectClosed);
  return *m_backend;
}

std::string Session::resolveTable(const std::string& name) {
  // SQLite itself matches ASCII names without regard to case.
  const bool sqlite = backend().dialect() == SqlDialect::Sqlite;
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii && sqlite) return name;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!m_tablesLoaded || attempt == 1) {
      m_tables = backend().tableNames();
      m_tablesLoaded = true;
    }
    for (const std::string& table : m_tables) {
      if (table == name) return table;
    }
    for (const std::string& table : m_tables) {
      if (equalsFolded(std::string_view(table), std::string_view(name))) return table;
    }
  }
  m_unresolvedName = true;
  return name;
}

std::optional<std::string> Session::resolveColumn(const std::vector<std::string>& tables,
                                                  std::string_view name) {
  for (int pass = 0; pass < 2; ++pass) {
    for (const std::string& table : tables) {
      auto it = m_columns.find(table);
      if (it == m_columns.end()) it = m_columns.emplace(table, backend().columnNames(table)).first;
      for (const std::string& column : it->second) {
        if (pass == 0 ? column == name
                      : equalsFolded(std::string_view(column), std::string_view(name))) {
          return column;
        }
      }
    }
  }
  return std::nullopt;
}

std::shared_ptr<const TranslatedStatement> Session::translate(std::wstring_view sql,
                                                              bool wantRowid) {
  auto& kept = m_translated[wantRowid ? 1 : 0];
  std::wstring key(sql);
  if (const auto it = kept.find(key); it != kept.end()) {
    backend();  // raises when closed
    return it->second;
  }
  m_unresolvedName = false;
  auto statement = std::make_shared<const TranslatedStatement>(translateText(sql, wantRowid));
  if (m_unresolvedName) return statement;
  if (kept.size() >= kMaxTranslations) kept.clear();
  kept.emplace(std::move(key), statement);
  return statement;
}

TranslatedStatement Session::translateText(std::wstring_view sql, bool wantRowid) {
  Backend& b = backend();
  const std::string utf8 = zrbase::wideToUtf8(sql);
  try {
    if (b.dialect() == SqlDialect::Sqlite) {
      return translateStatement(
          utf8, [this](const std::string& name) { return resolveTable(name); }, wantRowid);
    }
    return translateStatement(
        utf8, b.dialect(), [this](const std::string& name) { return resolveTable(name); },
        [this](const std::vector<std::string>& tables, std::string_view name) {
          return resolveColumn(tables, name);
        },
        wantRowid);
  } catch (const DialectError& e) {
    std::wstring why;
    zrbase::appendUtf8AsWide(why, e.what());
    throw _com_error(DB_E_ERRORSINCOMMAND, L"SQL syntax error: " + why);
  }
}

CatalogueStamp catalogueStamp(const _Connection& connection) {
  Session& session = *connection.session();
  Backend& backend = session.backend();
  // Inside a transaction what is read may yet be rolled back, which no stamp
  // tells apart from what was read before.
  if (!backend.reusable()) return {};
  // The result cache's stamp, so that tablesChangedSince can place it among
  // the changes the cache accounted for.
  session.results().revalidate(session);
  const ChangeStamp now = session.results().stamp();
  return {serialOf(backend), now.version, now.changes};
}

std::optional<std::vector<std::string>> tablesChangedSince(const _Connection& connection,
                                                           const CatalogueStamp& since) {
  Session& session = *connection.session();
  Backend& backend = session.backend();
  if (!backend.reusable() || since.connection != serialOf(backend)) return std::nullopt;
  session.results().revalidate(session);
  return session.results().changedSince({since.version, since.changes});
}

bool sameContent(const CatalogueStamp& a, const CatalogueStamp& b) {
  const bool known = a.connection != 0 && a.version >= 0 && a.changes >= 0;
  return known && a.connection == b.connection && a.version == b.version && a.changes == b.changes;
}

}  // namespace adoimpl
