// Opening the catalogue file, preparing statements and reporting SQLite errors.
#include "session.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "ado_enums.h"
#include "ado_errors.h"
#include "base/file_functions.h"
#include "base/utf8.h"
#include "result_cache.h"
#include "sql_like.h"
#include "text_fold.h"

namespace adoimpl {

void StatementDeleter::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

namespace {

std::wstring_view trimBlanks(std::wstring_view s) {
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
  return s;
}

std::wstring widen(const char* s) {
  std::wstring out;
  if (s) zrbase::appendUtf8AsWide(out, s);
  return out;
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

  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(native.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::wstring why = widen(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    failOpen(path, why);
  }
  std::shared_ptr<Session> session(new Session(db));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // A page cache that holds a large catalogue whole (64 MB at most, taken
  // only as pages are read). The selection by parameters scans every series'
  // parameter table; with SQLite's default of 2 MB the pages of the 40-series
  // benchmark catalogue were read from the file again on every search
  // (measured: a sixth of its time). Cached pages stay valid until another
  // connection writes.
  sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
  sqlite3_extended_result_codes(db, 0);
  if (registerLikeFunction(db) != SQLITE_OK) failOpen(path, widen(sqlite3_errmsg(db)));
  // Reading the schema is what tells an SQLite file from anything else.
  rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) failOpen(path, widen(sqlite3_errmsg(db)));
  return session;
}

Session::Session(sqlite3* db) : m_db(db), m_results(std::make_unique<ResultCache>()) {}

Session::~Session() { close(); }

void Session::schemaChanged() {
  m_tablesLoaded = false;
  m_results->clear();
}

void Session::close() {
  m_results->release();
  if (m_db) sqlite3_close_v2(m_db);
  m_db = nullptr;
  m_tables.clear();
  m_tablesLoaded = false;
}

sqlite3* Session::handle() const {
  if (!m_db) throwAdoError(adErrObjectClosed);
  return m_db;
}

std::string Session::resolveTable(const std::string& name) {
  // SQLite itself matches ASCII names without regard to case.
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return name;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!m_tablesLoaded || attempt == 1) {
      m_tables.clear();
      StatementPtr stmt = prepare("SELECT name FROM sqlite_master WHERE type IN ('table','view')");
      while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        if (text) m_tables.emplace_back(text);
      }
      m_tablesLoaded = true;
    }
    for (const std::string& table : m_tables) {
      if (table == name) return table;
    }
    for (const std::string& table : m_tables) {
      if (equalsFolded(std::string_view(table), std::string_view(name))) return table;
    }
  }
  return name;
}

TranslatedStatement Session::translate(std::wstring_view sql, bool wantRowid) {
  handle();
  const std::string utf8 = zrbase::wideToUtf8(sql);
  try {
    return translateStatement(
        utf8, [this](const std::string& name) { return resolveTable(name); }, wantRowid);
  } catch (const DialectError& e) {
    throw _com_error(DB_E_ERRORSINCOMMAND, L"SQL syntax error: " + widen(e.what()));
  }
}

StatementPtr Session::prepare(const std::string& sql) const {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int rc =
      sqlite3_prepare_v2(handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  StatementPtr stmt(raw);
  if (rc != SQLITE_OK) fail(rc);
  if (!stmt) throw _com_error(DB_E_ERRORSINCOMMAND, L"SQL syntax error: empty statement");
  return stmt;
}

void Session::fail(int rc) const {
  const std::wstring message = widen(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
  HRESULT hr = E_FAIL;
  switch (rc & 0xFF) {
    case SQLITE_ERROR:
      hr = message.rfind(L"no such table", 0) == 0 ? DB_E_NOTABLE : DB_E_ERRORSINCOMMAND;
      break;
    case SQLITE_CONSTRAINT:
      hr = DB_E_INTEGRITYVIOLATION;
      break;
    case SQLITE_NOMEM:
      hr = E_OUTOFMEMORY;
      break;
    case SQLITE_MISMATCH:
      hr = DISP_E_TYPEMISMATCH;
      break;
    default:
      break;
  }
  throw _com_error(hr, L"SQLite: " + message);
}

}  // namespace adoimpl
