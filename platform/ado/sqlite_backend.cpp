// Running translated statements on a catalogue file through SQLite.
#include "sqlite_backend.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <thread>

#include "ado_enums.h"
#include "ado_errors.h"
#include "ado_statistics.h"
#include "base/user_action.h"
#include "base/utf8.h"
#include "legacy_stamps.h"
#include "page_changes.h"
#include "row_set.h"
#include "sql_like.h"
#include "test_seams.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

std::wstring widen(const char* s) {
  std::wstring out;
  if (s) zrbase::appendUtf8AsWide(out, s);
  return out;
}

[[noreturn]] void failOpen(const std::wstring& path, const std::wstring& why) {
  throw _com_error(E_FAIL, L"cannot open database '" + path + L"': " + why);
}

void bindValue(sqlite3_stmt* stmt, int index, const PendingValue& v) {
  switch (v.kind) {
    case Cell::Kind::Null:
      sqlite3_bind_null(stmt, index);
      break;
    case Cell::Kind::Integer:
      sqlite3_bind_int64(stmt, index, v.integer);
      break;
    case Cell::Kind::Real:
      sqlite3_bind_double(stmt, index, v.real);
      break;
    case Cell::Kind::Text: {
      const std::string utf8 = zrbase::wideToUtf8(v.text);
      sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
      break;
    }
  }
}

// Codes with which SQLite refuses to write a file, or to make one beside it.
bool isRefusedWrite(int rc) {
  return (rc & 0xFF) == SQLITE_READONLY || (rc & 0xFF) == SQLITE_CANTOPEN;
}

// Whether the file's header says WAL mode (its read and write versions are 2).
bool isWalFile(const std::string& native) {
  unsigned char header[20] = {};
  std::FILE* f = std::fopen(native.c_str(), "rb");
  if (!f) return false;
  const std::size_t n = std::fread(header, 1, sizeof header, f);
  std::fclose(f);
  return n == sizeof header && header[18] == 2 && header[19] == 2;
}

// The path as the path of a "file:" URI: every byte but the plain ones escaped,
// so that '?', '#' and '%' in a folder name stay part of the path.
std::string uriPath(const std::string& native) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : native) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

std::unique_ptr<SqliteBackend> SqliteBackend::tryOpen(const std::string& name, int flags, int& rc,
                                                      std::wstring& why) {
  sqlite3* db = nullptr;
  rc = sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    why = widen(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return nullptr;
  }
  std::unique_ptr<SqliteBackend> backend(new SqliteBackend(db));
  sqlite3_busy_handler(db, &SqliteBackend::onBusy, backend.get());
  // Tells the result cache which tables each statement reads and writes.
  sqlite3_set_authorizer(db, &SqliteBackend::onAuthorize, backend.get());
  // A page cache that holds a large catalogue whole (64 MB at most, taken
  // only as pages are read). The selection by parameters scans every series'
  // parameter table; with SQLite's default of 2 MB the pages of the 40-series
  // benchmark catalogue were read from the file again on every search
  // (measured: a sixth of its time). Cached pages stay valid until another
  // connection writes.
  sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
  // The file mapped into memory (up to 256 MB): SQLite then reads pages in the
  // map instead of copying each into its cache with a read call. After another
  // connection's write, when SQLite drops its whole page cache, the selection
  // by parameters reads every series' parameter table afresh: on the large
  // catalogue its 40 scans took 8.5 ms instead of 11.2. SQLite maps only what
  // the file holds and remaps as it grows or shrinks.
  sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
  sqlite3_extended_result_codes(db, 0);
  rc = registerLikeFunction(db);
  // Reading the schema is what tells an SQLite file from anything else.
  if (rc == SQLITE_OK)
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    why = widen(sqlite3_errmsg(db));
    return nullptr;
  }
  return backend;
}

std::unique_ptr<SqliteBackend> SqliteBackend::open(const std::string& native,
                                                   const std::wstring& path) {
  int rc = SQLITE_OK;
  std::wstring why;
  std::unique_ptr<SqliteBackend> backend = tryOpen(native, SQLITE_OPEN_READWRITE, rc, why);
  // A catalogue in WAL mode is read through an index file beside it (-shm) that
  // every connection makes or maps for writing, so in a folder that cannot be
  // written even reading it fails. Opened read-only it can be read: through the
  // index when the index and the log (-wal) are there; else, when there is no log,
  // as a file that cannot change while it is open (no writer can make the log in
  // that folder either). Writes then fail as on any read-only catalogue.
  if (!backend && isRefusedWrite(rc) && isWalFile(native)) {
    const std::string uri = "file:" + uriPath(native) + "?mode=ro";
    constexpr int kUriReadOnly = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    backend = tryOpen(uri, kUriReadOnly, rc, why);
    if (!backend && ::access((native + "-wal").c_str(), F_OK) != 0) {
      backend = tryOpen(uri + "&immutable=1", kUriReadOnly, rc, why);
    }
  }
  if (!backend) failOpen(path, why);
  backend->m_native = native;
  backend->m_path = path;
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0) {
    backend->m_device = st.st_dev;
    backend->m_inode = st.st_ino;
  }
  removeLegacyStamps(backend->m_db);
  sqlite3_busy_handler(backend->m_db, &SqliteBackend::onBusy, backend.get());
  return backend;
}

int SqliteBackend::onBusy(void* backend, int count) {
  using Clock = std::chrono::steady_clock;
  auto* self = static_cast<SqliteBackend*>(backend);
  const Clock::time_point now = Clock::now();
  if (count == 0) {
    const Clock::duration budget = lockWaitBudget();
    zrbase::UserAction* action = zrbase::currentUserAction();
    self->m_busyDeadline = action ? action->waitDeadline(budget) : now + budget;
  }
  if (now >= self->m_busyDeadline) {
    countLockTimeout();
    return 0;
  }
  // SQLite's own steps: short first, for locks held a moment, then longer.
  static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  constexpr int kLast = static_cast<int>(std::size(kDelaysMs)) - 1;
  const Clock::duration step = std::chrono::milliseconds(kDelaysMs[std::min(count, kLast)]);
  std::this_thread::sleep_for(std::min(step, self->m_busyDeadline - now));
  countLockWait(Clock::now() - now);
  return 1;
}

SqliteBackend::~SqliteBackend() { close(); }

void SqliteBackend::close() {
  m_statements.clear();
  m_writes = {};
  m_version = -1;
  m_versionAction = 0;
  m_dataVersion.reset();
  if (m_db) sqlite3_close_v2(m_db);
  m_db = nullptr;
}

sqlite3* SqliteBackend::handle() const {
  if (!m_db) throwAdoError(adErrObjectClosed);
  return m_db;
}

StatementPtr SqliteBackend::prepare(const std::string& sql) const {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int rc =
      sqlite3_prepare_v2(handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  StatementPtr stmt(raw);
  if (rc != SQLITE_OK) fail(rc);
  if (!stmt) throw _com_error(DB_E_ERRORSINCOMMAND, L"SQL syntax error: empty statement");
  return stmt;
}

int SqliteBackend::onAuthorize(void* backend, int action, const char* name, const char*,
                               const char*, const char*) {
  auto* self = static_cast<SqliteBackend*>(backend);
  if (self->m_noting) self->m_noting->note(action, name);
  return SQLITE_OK;
}

PreparedStatement& SqliteBackend::statement(const std::string& sql, PreparedStatement& spare) {
  PreparedStatement* kept = m_statements.find(sql);
  // A kept statement that SQLite prepared again after another connection
  // changed the schema has no trusted record of the tables it reads (load()):
  // it is prepared afresh, so its results can be kept again.
  if (kept && sqlite3_stmt_status(kept->stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 0) == 0) {
    return *kept;
  }
  PreparedStatement fresh;
  m_noting = &fresh.effects;
  try {
    fresh.stmt = prepare(sql);
  } catch (...) {
    m_noting = nullptr;
    throw;
  }
  m_noting = nullptr;
  if (kept) {
    *kept = std::move(fresh);
    return *kept;
  }
  if (PreparedStatement* freshKept = m_statements.keep(sql, fresh)) return *freshKept;
  spare = std::move(fresh);
  return spare;
}

SqliteBackend::RunNote::RunNote(SqliteBackend& backend, const PreparedStatement& prepared)
    : m_backend(backend),
      m_prepared(prepared),
      m_changesBefore(sqlite3_total_changes64(backend.m_db)),
      m_inTransaction(sqlite3_get_autocommit(backend.m_db) == 0) {}

SqliteBackend::RunNote::~RunNote() {
  sqlite3* db = m_backend.m_db;
  OwnWrites& log = m_backend.m_writes;
  const StatementEffects& effects = m_prepared.effects;
  // A transaction that ended other than by COMMIT was rolled back (by the
  // statement, or by SQLite after an error): what it wrote is undone.
  if (m_inTransaction && sqlite3_get_autocommit(db) != 0 && !effects.commits) log.unknown = true;
  const std::int64_t changed = sqlite3_total_changes64(db) - m_changesBefore;
  if (changed == 0 && !effects.unknown) return;
  // Compiled again since its tables were noted (another connection changed
  // the schema): they may no longer be the ones it writes.
  const bool recompiled =
      sqlite3_stmt_status(m_prepared.stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 0) != 0;
  if (effects.unknown || recompiled) log.unknown = true;
  try {
    log.add(effects.writes, changed);
  } catch (...) {
    log.unknown = true;
  }
}

OwnWrites SqliteBackend::takeOwnWrites() {
  OwnWrites out = std::move(m_writes);
  m_writes = {};
  return out;
}

std::wstring SqliteBackend::readOnlyReason() const {
  if (m_native.empty()) return {};
  if (::access(m_native.c_str(), W_OK) != 0) return L"文件为只读";
  const std::size_t slash = m_native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : m_native.substr(0, slash + 1);
  if (::access(folder.c_str(), W_OK) != 0) return L"文件所在的文件夹不可写";
  return {};
}

void SqliteBackend::fail(int rc) const {
  const std::wstring message = widen(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
  // A catalogue that cannot be written is told as such, naming the file and why.
  if (isRefusedWrite(rc)) {
    std::wstring why = readOnlyReason();
    if ((rc & 0xFF) == SQLITE_READONLY || !why.empty()) {
      if (why.empty()) why = message;
      throw _com_error(DB_SEC_E_PERMISSIONDENIED,
                       L"不能更新。数据库或对象为只读。\n" + m_path + L": " + why);
    }
  }
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

void SqliteBackend::run(const char* sql) {
  const int rc = sqlite3_exec(handle(), sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) fail(rc);
}

std::vector<std::string> SqliteBackend::tableNames() {
  std::vector<std::string> out;
  StatementPtr stmt = prepare("SELECT name FROM sqlite_master WHERE type IN ('table','view')");
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    if (text && std::string_view(text) != kLegacyStampTable) out.emplace_back(text);
  }
  return out;
}

void SqliteBackend::readCell(sqlite3_stmt* stmt, int column, RowSet& rows, Cell& cell) {
  // One value handle per cell: the sqlite3_value_* calls skip the per-call
  // checks of the sqlite3_column_* ones. Reading an unprotected value is safe
  // here: a connection is opened without a mutex and used by one thread.
  sqlite3_value* v = sqlite3_column_value(stmt, column);
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      cell.kind = Cell::Kind::Null;
      break;
    case SQLITE_INTEGER:
      cell.kind = Cell::Kind::Integer;
      cell.integer = sqlite3_value_int64(v);
      break;
    case SQLITE_FLOAT:
      cell.kind = Cell::Kind::Real;
      cell.real = sqlite3_value_double(v);
      break;
    case SQLITE_TEXT: {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(v));
      rows.setText(cell, bytes, static_cast<std::size_t>(sqlite3_value_bytes(v)));
      break;
    }
    default:  // blobs are taken as text
      rows.setText(cell, static_cast<const char*>(sqlite3_value_blob(v)),
                   static_cast<std::size_t>(sqlite3_value_bytes(v)));
      break;
  }
}

namespace {

std::vector<FieldInfo> fieldsOf(sqlite3_stmt* s, int visible, const std::string& table) {
  std::vector<FieldInfo> fields;
  fields.reserve(static_cast<std::size_t>(visible));
  for (int c = 0; c < visible; ++c) {
    FieldInfo f;
    const char* name = sqlite3_column_name(s, c);
    if (name) zrbase::appendUtf8AsWide(f.name, name);
    f.type = columnTypeOf(sqlite3_column_decltype(s, c));
    const char* origin = sqlite3_column_origin_name(s, c);
    const char* from = sqlite3_column_table_name(s, c);
    if (origin && from && equalsFolded(std::string_view(from), std::string_view(table))) {
      f.origin = origin;
    }
    fields.push_back(std::move(f));
  }
  return fields;
}

}  // namespace

void SqliteBackend::load(const TranslatedStatement& statement, RowSet& rows) {
  PreparedStatement spare;
  PreparedStatement& prepared = this->statement(statement.sql, spare);
  sqlite3_stmt* s = prepared.stmt.get();
  const StatementUse use(s);
  const RunNote note(*this, prepared);
  // The first step comes before the fields are read: it is where SQLite
  // prepares a kept statement again after another connection changed the
  // schema, and the fields must be those of the statement that runs.
  int rc = sqlite3_step(s);
  const int columns = sqlite3_column_count(s);
  const int visible = statement.rowidColumn ? columns - 1 : columns;
  const int epoch = sqlite3_stmt_status(s, SQLITE_STMTSTATUS_REPREPARE, 0);
  if (prepared.fieldsEpoch != epoch) {
    prepared.fields = fieldsOf(s, visible, rows.table());
    prepared.fieldsEpoch = epoch;
  }
  for (const FieldInfo& f : prepared.fields) rows.addField(f);
  // Tables noted before SQLite compiled the statement again are not trusted.
  if (epoch == 0 && !prepared.effects.unknown) rows.setReads(prepared.effects.reads);
  for (; rc == SQLITE_ROW; rc = sqlite3_step(s)) {
    Cell* cells = rows.addRow(statement.rowidColumn ? sqlite3_column_int64(s, visible) : 0);
    for (int c = 0; c < visible; ++c) readCell(s, c, rows, cells[c]);
  }
  if (rc != SQLITE_DONE) fail(rc);
}

long SqliteBackend::execute(const TranslatedStatement& statement) {
  PreparedStatement spare;
  PreparedStatement& prepared = this->statement(statement.sql, spare);
  const StatementPtr& stmt = prepared.stmt;
  const StatementUse use(stmt.get());
  const RunNote note(*this, prepared);
  const bool returnsRows = sqlite3_column_count(stmt.get()) > 0;
  // Stepping through without reading values finds every error the rows can
  // raise, at a fraction of the cost of reading them.
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) fail(rc);
  return returnsRows ? -1 : static_cast<long>(sqlite3_changes(m_db));
}

long long SqliteBackend::update(const std::string& table, const std::vector<std::string>& columns,
                                const std::vector<PendingValue>& values, long long rowid) {
  std::string sql = "UPDATE " + quoteIdentifier(table) + " SET ";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + quoteIdentifier(columns[i]) + " = ?";
  }
  sql += " WHERE rowid = ?";
  PreparedStatement spare;
  const PreparedStatement& prepared = statement(sql, spare);
  const StatementPtr& stmt = prepared.stmt;
  const StatementUse use(stmt.get());
  const RunNote note(*this, prepared);
  for (std::size_t i = 0; i < values.size(); ++i) {
    bindValue(stmt.get(), static_cast<int>(i) + 1, values[i]);
  }
  sqlite3_bind_int64(stmt.get(), static_cast<int>(values.size()) + 1, rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) fail(rc);
  return sqlite3_changes(m_db);
}

long long SqliteBackend::insert(const std::string& table, const std::vector<std::string>& columns,
                                const std::vector<PendingValue>& values) {
  std::string sql = "INSERT INTO " + quoteIdentifier(table);
  if (values.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (std::size_t i = 0; i < values.size(); ++i) {
      names += (i ? ", " : "") + quoteIdentifier(columns[i]);
      marks += i ? ", ?" : "?";
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  PreparedStatement spare;
  const PreparedStatement& prepared = statement(sql, spare);
  const StatementPtr& stmt = prepared.stmt;
  const StatementUse use(stmt.get());
  const RunNote note(*this, prepared);
  for (std::size_t i = 0; i < values.size(); ++i) {
    bindValue(stmt.get(), static_cast<int>(i) + 1, values[i]);
  }
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) fail(rc);
  return sqlite3_last_insert_rowid(m_db);
}

long long SqliteBackend::remove(const std::string& table, long long rowid) {
  PreparedStatement spare;
  const PreparedStatement& prepared =
      statement("DELETE FROM " + quoteIdentifier(table) + " WHERE rowid = ?", spare);
  const StatementPtr& stmt = prepared.stmt;
  const StatementUse use(stmt.get());
  const RunNote note(*this, prepared);
  sqlite3_bind_int64(stmt.get(), 1, rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) fail(rc);
  return sqlite3_changes(m_db);
}

bool SqliteBackend::readRow(const std::string& table, const std::vector<std::string>& columns,
                            long long rowid, RowSet& rows, std::size_t row) {
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + quoteIdentifier(columns[i]);
  }
  if (columns.empty()) sql += "rowid";
  sql += " FROM " + quoteIdentifier(table) + " WHERE rowid = ?";
  PreparedStatement spare;
  const StatementPtr& stmt = statement(sql, spare).stmt;
  const StatementUse use(stmt.get());
  sqlite3_bind_int64(stmt.get(), 1, rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) fail(rc);
    return false;
  }
  Cell* cells = rows.rowCells(row);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    readCell(stmt.get(), static_cast<int>(i), rows, cells[i]);
  }
  return true;
}

void SqliteBackend::begin() { run("BEGIN"); }
void SqliteBackend::commit() { run("COMMIT"); }
void SqliteBackend::rollback() {
  // What the transaction wrote is undone: the tables it wrote are no longer
  // known to hold what was read since.
  m_writes.unknown = true;
  run("ROLLBACK");
}

long long SqliteBackend::readDataVersion() {
  if (!m_dataVersion) m_dataVersion = prepare("PRAGMA data_version");
  long long version = -1;
  if (sqlite3_step(m_dataVersion.get()) == SQLITE_ROW) {
    version = sqlite3_column_int64(m_dataVersion.get(), 0);
  }
  sqlite3_reset(m_dataVersion.get());
  return version;
}

bool SqliteBackend::followsOthers() {
  if (!m_db || m_version < 0) return false;
  // SQLite must have seen the writes too: it trusts its page cache while the
  // file's change counter stays, so a file whose bytes were put in place by
  // other means, keeping that counter, is not followed but opened afresh.
  try {
    return readDataVersion() != m_version;
  } catch (const _com_error&) {
    return false;
  }
}

Backend::OthersChanges SqliteBackend::othersChangesSince(long long since) {
  // Files larger than this are not hashed: reading them again costs more
  // than the results kept save.
  constexpr long long kMaxHashedBytes = 256LL << 20;
  OthersChanges out;
  const auto forgetPages = [this] {
    m_pages.reset();
    m_pagesVersion = -1;
  };
  if (!m_db || sqlite3_get_autocommit(m_db) == 0 || m_inode == 0) return out;
  struct stat st {};
  if (::stat(m_native.c_str(), &st) != 0 || st.st_dev != m_device || st.st_ino != m_inode ||
      st.st_size > kMaxHashedBytes) {
    forgetPages();
    return out;
  }
  if (!m_pages) m_pages = std::make_unique<FilePages>();
  // One read transaction: reading the schema takes the file's shared lock, so
  // no commit lands while the pages are hashed, and the version read under it
  // is the one the pages show.
  std::vector<std::pair<std::string, std::uint32_t>> tables;
  bool hashed = false;
  try {
    run("BEGIN");
    StatementPtr schema = prepare("SELECT name, rootpage FROM sqlite_schema WHERE type = 'table'");
    int rc;
    while ((rc = sqlite3_step(schema.get())) == SQLITE_ROW) {
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(schema.get(), 0));
      const long long root = sqlite3_column_int64(schema.get(), 1);
      if (name && root > 0) tables.emplace_back(name, static_cast<std::uint32_t>(root));
    }
    schema.reset();
    // Without the lock (another program writing for longer than the wait)
    // the pages are not looked at.
    if (rc != SQLITE_DONE) fail(rc);
    // Statements that SQLite would prepare again for another connection's
    // schema change have no trusted record of the tables they read (load()),
    // and their results could not be kept: they are prepared afresh instead.
    StatementPtr cookie = prepare("PRAGMA schema_version");
    const long long schemaVersion =
        sqlite3_step(cookie.get()) == SQLITE_ROW ? sqlite3_column_int64(cookie.get(), 0) : -1;
    cookie.reset();
    if (schemaVersion != m_schemaVersion && m_schemaVersion >= 0 && noStatementRunning()) {
      m_statements.clear();
    }
    m_schemaVersion = schemaVersion;
    out.version = readDataVersion();
    hashed = out.version >= 0 && m_pages->refresh(m_native);
    // The walk reads pages too: still under the lock.
    if (hashed && since >= 0 && since == m_pagesVersion)
      out.tables = m_pages->changedTables(tables);
    run("COMMIT");
  } catch (const _com_error&) {
    if (sqlite3_get_autocommit(m_db) == 0)
      sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    forgetPages();
    return {};
  }
  m_pagesVersion = hashed ? out.version : -1;
  m_version = out.version;
  return out;
}

ChangeStamp SqliteBackend::stamp() {
  sqlite3* db = handle();
  // Reading the version is a read transaction of its own (file locks and a
  // look for a hot journal: measured, a sixth of a series change that the
  // result cache otherwise answers). One user action reads it once: what
  // another connection commits while it runs is seen by the next action, and
  // this connection's own writes are counted below all the same.
  const zrbase::UserAction* action = zrbase::currentUserAction();
  const unsigned long long serial = action ? action->serial() : 0;
  if (serial == 0 || serial != m_versionAction || m_version < 0) {
    m_version = readDataVersion();
    m_versionAction = serial;
  }
  ChangeStamp out;
  out.version = m_version;
  out.changes = sqlite3_total_changes64(db);
  return out;
}

bool SqliteBackend::noStatementRunning() const {
  for (sqlite3_stmt* s = sqlite3_next_stmt(m_db, nullptr); s; s = sqlite3_next_stmt(m_db, s)) {
    if (sqlite3_stmt_busy(s)) return false;
  }
  return true;
}

bool SqliteBackend::reusable() {
  return m_db && sqlite3_get_autocommit(m_db) != 0 && noStatementRunning();
}

std::int64_t SqliteBackend::ownChanges() { return sqlite3_total_changes64(handle()); }

}  // namespace adoimpl
