// Running translated statements on a catalogue on a PostgreSQL server.
#include "pg_backend.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "ado_enums.h"
#include "ado_errors.h"
#include "ado_statistics.h"
#include "base/text_case.h"
#include "base/user_action.h"
#include "base/utf8.h"
#include "pg_schema.h"
#include "row_set.h"
#include "test_seams.h"

namespace adoimpl {

namespace {

// Type oids of the binary values read (pg_type.h).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kText = 25, kVarchar = 1043;

// A table of at most this many rows is read whole by the first statement that looks up
// rows of it by text, and later ones are answered from memory (PgBackend::loadFromMemory).
// The dialog looks up each grid column's heading on its own (some fifteen per action) in a
// table of a few dozen rows, and the models of a series, fan number and drive mode in the
// models table (10,000 rows on a large catalogue) some four times per action: on the
// server, each of those scans the table and matches every row's text.
constexpr int kWholeTableRows = 20000;
// The tables read whole hold at most this many values and entries of their columns'
// indexes in all (some 20 MB); the least recently used are dropped first.
constexpr std::size_t kKeptCells = 800000;
// A table this connection writes to between single lookups is read whole again at the
// third lookup with no write between (PgBackend::WrittenTable).
constexpr int kLookupsToReadWhole = 3;
// How many of the other clients' notified changes are remembered by the tables they named.
constexpr std::size_t kChangeLogLength = 256;

// One condition of a lookup: the column's text equal to text in any letter case. The
// conditions of one alternative are all met (AND); a row is found when one alternative's
// are (OR).
struct TextMatch {
  int alternative = 0;
  std::string column;
  std::string text;
};

// Reads a quoted token (quote " or ') of rest, a doubled quote standing for one, into out;
// false when rest does not start with one.
bool takeQuoted(std::string_view& rest, char quote, std::string& out) {
  if (rest.empty() || rest[0] != quote) return false;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    if (rest[i] != quote) {
      out += rest[i];
    } else if (i + 1 < rest.size() && rest[i + 1] == quote) {
      out += quote;
      ++i;
    } else {
      rest.remove_prefix(i + 1);
      return true;
    }
  }
  return false;
}

bool takeWord(std::string_view& rest, std::string_view word) {
  if (rest.substr(0, word.size()) != word) return false;
  rest.remove_prefix(word.size());
  return true;
}

// The same for key words, as the module writes them: in any letter case, and a space in
// word standing for any run of white space.
bool takeKeyword(std::string_view& rest, std::string_view word) {
  std::size_t at = 0;
  for (const char c : word) {
    if (c == ' ') {
      const std::size_t start = at;
      while (at < rest.size() && std::isspace(static_cast<unsigned char>(rest[at]))) ++at;
      if (at == start) return false;
    } else if (at >= rest.size() || std::toupper(static_cast<unsigned char>(rest[at])) !=
                                        std::toupper(static_cast<unsigned char>(c))) {
      return false;
    } else {
      ++at;
    }
  }
  rest.remove_prefix(at);
  return true;
}

// Whether every character of text beyond ASCII (UTF-8) is one that has no letter case in
// any locale (CJK ideographs and symbols, kana, Hangul, fullwidth digits and punctuation):
// then text matches a pattern in any letter case exactly when the two are equal with ASCII
// letters folded. Any other character (a Latin letter with an accent, the Kelvin sign that
// folds to k) is left to the server's locale.
bool caselessBeyondAscii(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return false;
    char32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return false;
      c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += n;
    const bool caseless = (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3000 && c <= 0x9FFF) ||
                          (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF01 && c <= 0xFF20) ||
                          (c >= 0x20000 && c <= 0x2FFFF);
    if (!caseless) return false;
  }
  return true;
}

// The conditions of a statement that looks rows of one table up by text, as the statement
// layer writes it (key words in any letter case): SELECT * , "T".rowid FROM "T" WHERE "c"
// ILIKE 'text' [AND ...] ORDER BY "T".rowid, each text with no wildcard or escape and no
// letter beyond ASCII whose case the server's locale may fold otherwise than ASCII does.
// Nothing for any other statement: a pattern is left to the server.
// What follows SELECT * , "T".rowid FROM "T" in a statement that reads one table T with
// its rows in their order (ending ORDER BY "T".rowid, taken off): the statement layer
// writes a lookup so. Nothing for any other statement.
std::optional<std::string_view> afterTable(const TranslatedStatement& statement) {
  if (!statement.readsOnlyTable || !statement.rowidColumn) return std::nullopt;
  const std::string t = quoteIdentifier(statement.table);
  std::string_view rest = statement.sql;
  const std::string tail = " ORDER BY " + t + ".rowid";
  if (!takeKeyword(rest, "SELECT * , ") || !takeWord(rest, t + ".rowid") ||
      !takeKeyword(rest, " FROM ") || !takeWord(rest, t) || rest.size() < tail.size() ||
      rest.substr(rest.size() - tail.size()) != tail) {
    return std::nullopt;
  }
  rest.remove_suffix(tail.size());
  return rest;
}

// Whether the statement reads the whole of its one table, in row order.
bool readsWholeTable(const TranslatedStatement& statement) {
  const std::optional<std::string_view> rest = afterTable(statement);
  return rest && rest->find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::optional<std::vector<TextMatch>> textLookup(const TranslatedStatement& statement) {
  std::optional<std::string_view> after = afterTable(statement);
  if (!after) return std::nullopt;
  std::string_view rest = *after;
  if (!takeKeyword(rest, " WHERE ")) return std::nullopt;
  std::vector<TextMatch> out;
  int alternative = 0;
  for (;;) {
    TextMatch m;
    m.alternative = alternative;
    if (!takeQuoted(rest, '"', m.column) || !takeKeyword(rest, " ILIKE ") ||
        !takeQuoted(rest, '\'', m.text)) {
      return std::nullopt;
    }
    for (const char c : m.text) {
      if (c == '%' || c == '_' || c == '\\') return std::nullopt;
    }
    if (!caselessBeyondAscii(m.text)) return std::nullopt;
    out.push_back(std::move(m));
    if (takeKeyword(rest, " OR ")) {
      ++alternative;
    } else if (!takeKeyword(rest, " AND ")) {
      break;
    }
  }
  if (!rest.empty()) return std::nullopt;
  return out;
}

// Every table of the catalogue's schema with its columns and the server's estimate of its
// rows (PgBackend::takeSchema).
constexpr const char* kSchemaQuery =
    "SELECT c.oid, c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod), "
    "c.reltuples::bigint FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_attribute a ON "
    "a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped WHERE c.relnamespace = "
    "current_schema()::regnamespace AND c.relkind IN ('r', 'v', 'p')";

std::wstring widen(const char* s) {
  std::wstring out;
  if (s) zrbase::appendUtf8AsWide(out, s);
  return out;
}

// The address as shown in messages: without a password.
std::wstring shown(const std::string& address) {
  return widen(addressForMessages(address).c_str());
}

using Clock = std::chrono::steady_clock;

// Waits until the connection's socket is ready for what events asks; false when the
// deadline passed first.
bool waitSocket(PGconn* conn, short events, Clock::time_point deadline) {
  const int fd = PQsocket(conn);
  if (fd < 0) return true;  // libpq tells what is wrong
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (n > 0 || (n < 0 && errno != EINTR)) return true;
  }
}

// Sends one statement (several when there are no parameters) and reads its answer: the
// result of the last statement, or of the first that failed (the results before it in
// earlier, when given, the caller's to free); null with timedOut set when the server has
// not answered by the deadline.
PGresult* exchange(PGconn* conn, const std::string& sql, const std::vector<const char*>* params,
                   bool binary, Clock::time_point deadline, bool& timedOut,
                   std::vector<PGresult*>* earlier = nullptr) {
  timedOut = false;
  countServerRoundTrip();
  const int sent =
      params ? PQsendQueryParams(conn, sql.c_str(), static_cast<int>(params->size()), nullptr,
                                 params->data(), nullptr, nullptr, binary ? 1 : 0)
             : PQsendQuery(conn, sql.c_str());
  if (!sent) return nullptr;
  for (int left; (left = PQflush(conn)) != 0;) {
    if (left < 0) return PQgetResult(conn);
    if (!waitSocket(conn, POLLIN | POLLOUT, deadline)) {
      timedOut = true;
      return nullptr;
    }
    if (!PQconsumeInput(conn)) break;
  }
  PGresult* kept = nullptr;
  for (;;) {
    while (PQisBusy(conn)) {
      if (!waitSocket(conn, POLLIN, deadline)) {
        PQclear(kept);
        timedOut = true;
        return nullptr;
      }
      if (!PQconsumeInput(conn)) break;
    }
    PGresult* r = PQgetResult(conn);
    if (!r) break;
    const ExecStatusType status = PQresultStatus(kept);
    if (kept && (status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE)) {
      PQclear(r);
    } else {
      if (earlier && kept) {
        earlier->push_back(kept);
      } else {
        PQclear(kept);
      }
      kept = r;
    }
    if (PQstatus(conn) == CONNECTION_BAD) break;
  }
  return kept;
}

// When a server that does not answer is given up: what is left of the current user
// action's budget (base/user_action.h), or the whole budget outside any action. A
// statement also waits as long as the lock wait set on the server, and never less than a
// second, so that an action that has run long on work of its own (or a budget of no lock
// waits at all) does not give up on a statement that merely takes a moment. A statement
// gets the lock wait's slack on top, so that the server's own answer to a lock wait that
// gave up arrives first; connecting has no such answer to wait for.
Clock::time_point answerDeadline(std::chrono::milliseconds lockTimeout, bool slack = true) {
  using std::chrono::milliseconds;
  const milliseconds budget = lockWaitBudget();
  const Clock::time_point now = Clock::now();
  Clock::duration wait = budget;
  if (zrbase::UserAction* action = zrbase::currentUserAction()) {
    wait = action->waitDeadline(budget) - now;
  }
  wait = std::max({wait, Clock::duration(std::chrono::seconds(1)), Clock::duration(lockTimeout)});
  return now + wait + (slack ? std::min(milliseconds(250), budget / 10) : milliseconds(0));
}

std::wstring secondsText(Clock::duration d) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f s", std::chrono::duration<double>(d).count());
  return widen(buffer);
}

std::uint64_t bigEndian(const char* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

// A binary integer or floating-point value of that type (the base type of a domain) into
// cell; false for any other type, or a value of the wrong length.
bool readBinaryNumber(Oid type, const char* p, int n, Cell& cell) {
  const int size = type == kInt2 ? 2 : type == kInt4 || type == kFloat4 ? 4 : 8;
  if ((type != kInt2 && type != kInt4 && type != kInt8 && type != kFloat4 && type != kFloat8) ||
      n != size) {
    return false;
  }
  const std::uint64_t bits = bigEndian(p, size);
  if (type == kFloat4) {
    float f;
    const auto bits32 = static_cast<std::uint32_t>(bits);
    std::memcpy(&f, &bits32, sizeof f);
    cell.kind = Cell::Kind::Real;
    cell.real = f;
  } else if (type == kFloat8) {
    cell.kind = Cell::Kind::Real;
    std::memcpy(&cell.real, &bits, sizeof cell.real);
  } else {
    cell.kind = Cell::Kind::Integer;
    cell.integer = type == kInt2   ? static_cast<std::int16_t>(bits)
                   : type == kInt4 ? static_cast<std::int32_t>(bits)
                                   : static_cast<long long>(bits);
  }
  return true;
}

// numeric in binary: ndigits, weight, sign, dscale, then base-10000 digits.
void readNumeric(const char* p, int length, Cell& cell) {
  if (length < 8) return;
  const int ndigits = static_cast<std::int16_t>(bigEndian(p, 2));
  const int weight = static_cast<std::int16_t>(bigEndian(p + 2, 2));
  const unsigned sign = static_cast<unsigned>(bigEndian(p + 4, 2));
  const int dscale = static_cast<std::int16_t>(bigEndian(p + 6, 2));
  if (sign == 0xC000) {  // NaN
    cell.kind = Cell::Kind::Null;
    return;
  }
  double value = 0;
  for (int i = 0; i < ndigits && 8 + 2 * i + 1 < length; ++i) {
    value += static_cast<double>(bigEndian(p + 8 + 2 * i, 2)) * std::pow(10000.0, weight - i);
  }
  if (sign == 0x4000) value = -value;
  if (dscale == 0 && std::fabs(value) < 9.0e15) {
    cell.kind = Cell::Kind::Integer;
    cell.integer = static_cast<long long>(value);
  } else {
    cell.kind = Cell::Kind::Real;
    cell.real = value;
  }
}

// A column declared without a type keeps numbers as text; they read back as
// numbers, as SQLite gives back the number it was given.
bool readUntypedNumber(const char* p, int length, Cell& cell) {
  if (length == 0 || length > 40) return false;
  const std::string text(p, static_cast<std::size_t>(length));
  if (text.find_first_not_of("+-0123456789.eE") != std::string::npos) return false;
  char* end = nullptr;
  const long long integer = std::strtoll(text.c_str(), &end, 10);
  if (*end == '\0' && text.find_first_of("0123456789") != std::string::npos) {
    cell.kind = Cell::Kind::Integer;
    cell.integer = integer;
    return true;
  }
  const double real = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(real)) return false;
  cell.kind = Cell::Kind::Real;
  cell.real = real;
  return true;
}

std::string paramText(const PendingValue& v) {
  switch (v.kind) {
    case Cell::Kind::Integer:
      return std::to_string(v.integer);
    case Cell::Kind::Real: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", v.real);
      return buffer;
    }
    case Cell::Kind::Text:
      return zrbase::wideToUtf8(v.text);
    case Cell::Kind::Null:
      break;
  }
  return {};
}

std::string setList(const std::vector<std::string>& columns, std::size_t first) {
  std::string out;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    out += (i ? ", " : "") + quoteIdentifier(columns[i]) + " = $" + std::to_string(first + i);
  }
  return out;
}

}  // namespace

void PgBackend::ResultDeleter::operator()(pg_result* r) const { PQclear(r); }

std::unique_ptr<PgBackend> PgBackend::open(const std::string& address) {
  // Connected without blocking, so that a server that accepts and never answers is given
  // up as a lock wait is.
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = answerDeadline(std::chrono::milliseconds(0), false);
  PGconn* conn = PQconnectStart(address.c_str());
  bool timedOut = false;
  if (conn && PQstatus(conn) != CONNECTION_BAD) {
    for (PostgresPollingStatusType s = PGRES_POLLING_WRITING;
         s != PGRES_POLLING_OK && s != PGRES_POLLING_FAILED; s = PQconnectPoll(conn)) {
      if (s == PGRES_POLLING_READING) countServerRoundTrip();
      if (!waitSocket(conn, s == PGRES_POLLING_WRITING ? POLLOUT : POLLIN, deadline)) {
        timedOut = true;
        break;
      }
    }
  }
  if (!conn || timedOut || PQstatus(conn) != CONNECTION_OK) {
    std::string why = !conn ? "out of memory" : PQerrorMessage(conn);
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    std::wstring reason = widen(why.c_str());
    if (timedOut) reason = L"the server did not answer within " + secondsText(Clock::now() - start);
    PQfinish(conn);
    throw _com_error(E_FAIL, L"cannot open database '" + shown(address) + L"': " + reason,
                     kServerErrorSource);
  }
  PQsetnonblocking(conn, 1);
  std::unique_ptr<PgBackend> backend(new PgBackend(conn));
  backend->m_address = shown(address);
  // Everything a connection sets and asks before its first statement, in one round trip
  // (connecting takes some three more). Doubles shown with 15 significant digits, as LIKE
  // matches them; reads are binary and keep every digit. A write that reaches other
  // tables than the one it names (a trigger of someone else's, a rule, a cascading
  // foreign key) makes every write's tables unknown to the result cache.
  const std::string setup =
      "SET client_encoding = 'UTF8'; SET extra_float_digits = 0; "
      "SET lock_timeout = " +
      std::to_string(kBusyTimeoutMs) + "; LISTEN " + kPgChangeChannel + "; LISTEN " +
      kPgTableChannel +
      "; SELECT current_schema(), to_regtype('zr_int') IS NOT NULL, "
      "split_part(current_setting('search_path'), ',', 1), "
      "to_regtype('zr_bool')::oid, to_regtype('zr_any')::oid, to_regtype('zr_int')::oid, "
      "EXISTS (SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
      "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_proc p ON p.oid = t.tgfoid "
      "WHERE n.nspname = current_schema() AND NOT t.tgisinternal "
      "AND p.proname NOT IN ('zr_changed', 'zr_next_key')) "
      "OR EXISTS (SELECT 1 FROM pg_rules WHERE schemaname = current_schema()) "
      "OR EXISTS (SELECT 1 FROM pg_constraint k JOIN pg_namespace n ON n.oid = k.connamespace "
      "WHERE n.nspname = current_schema() AND k.contype = 'f' "
      "AND (k.confdeltype NOT IN ('a', 'r') OR k.confupdtype NOT IN ('a', 'r'))), "
      "coalesce((SELECT bool_and(p.prosrc LIKE '%" +
      kPgTableChannel +
      "%') FROM pg_catalog.pg_proc p WHERE p.proname = 'zr_changed' "
      "AND p.pronamespace = current_schema()::regnamespace), true); " +
      std::string(kSchemaQuery);
  std::vector<Result> earlier;
  Result schema = backend->await(setup, nullptr, false, deadline, &earlier);
  if (PQresultStatus(schema.get()) != PGRES_TUPLES_OK || earlier.empty()) {
    backend->fail(schema.get());
  }
  pg_result* raw = earlier.back().get();
  if (PQresultStatus(raw) != PGRES_TUPLES_OK) backend->fail(raw);
  if (PQgetisnull(raw, 0, 0)) {
    throw _com_error(E_FAIL,
                     L"cannot open database '" + shown(address) + L"': the schema " +
                         widen(PQgetvalue(raw, 0, 2)) +
                         L" that its search_path names does not exist",
                     kServerErrorSource);
  }
  backend->m_schema = PQgetvalue(raw, 0, 0);
  backend->takeSchema(schema.get());
  // Whatever was committed before the setup is read by the statements that follow; what is
  // committed after it is notified: the action that connected need not ask again.
  if (const zrbase::UserAction* action = zrbase::currentUserAction()) {
    backend->m_syncedAction = action->serial();
  }
  backend->m_lockTimeout = std::chrono::milliseconds(kBusyTimeoutMs);  // as just set
  const auto oid = [](const pg_result* r, int column) {
    return static_cast<unsigned>(std::strtoul(PQgetvalue(r, 0, column), nullptr, 10));
  };
  backend->m_writesSpread = std::strcmp(PQgetvalue(raw, 0, 6), "t") == 0;
  if (std::strcmp(PQgetvalue(raw, 0, 1), "t") == 0) {
    backend->m_boolType = oid(raw, 3);
    backend->m_anyType = oid(raw, 4);
    backend->m_intType = oid(raw, 5);
    // A catalogue set up by an earlier version notifies changes without naming the tables:
    // its trigger function is brought up to date, by its owner. Anyone else's clients take
    // every change as reaching every table, as before.
    if (std::strcmp(PQgetvalue(raw, 0, 7), "t") != 0) {
      try {
        backend->run(pgChangeFunction());
      } catch (const _com_error&) {
      }
    }
  } else {
    for (const std::string& sql : pgSchemaSetupStatements()) backend->run(sql);
    Result types = backend->run(
        "SELECT 'zr_bool'::regtype::oid, 'zr_any'::regtype::oid, 'zr_int'::regtype::oid");
    backend->m_boolType = oid(types.get(), 0);
    backend->m_anyType = oid(types.get(), 1);
    backend->m_intType = oid(types.get(), 2);
  }
  return backend;
}

PgBackend::~PgBackend() { close(); }

void PgBackend::noteWrite(const std::string& table, bool changesRows) {
  ++m_changes;
  if (!changesRows) {
    m_writes.add({}, 1);
  } else if (table.empty() || m_writesSpread) {
    m_writes.changes += 1;
    m_writes.unknown = true;
    ++m_unknownWrites;
  } else {
    m_writes.add({table}, 1);
    ++m_tableWrites[table];
  }
}

bool PgBackend::changesNoRows(const std::string& sql) {
  std::size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  std::size_t end = i;
  while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end]))) ++end;
  std::string word = sql.substr(i, end - i);
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* kw : {"BEGIN", "START", "COMMIT", "END", "SAVEPOINT", "RELEASE"}) {
    if (word == kw) return true;
  }
  return false;
}

OwnWrites PgBackend::takeOwnWrites() {
  OwnWrites out = std::move(m_writes);
  m_writes = {};
  return out;
}

bool PgBackend::reusable() {
  return m_conn && PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) == PQTRANS_IDLE;
}

bool PgBackend::alive() {
  if (!reusable()) return false;
  try {
    Result probe = await("");
    if (PQresultStatus(probe.get()) != PGRES_EMPTY_QUERY) return false;
  } catch (const _com_error&) {
    return false;
  }
  // The probe brought every notification committed before it, as stamp()'s does: the
  // action that took the connection need not ask again.
  if (const zrbase::UserAction* action = zrbase::currentUserAction()) {
    m_syncedAction = action->serial();
  }
  return true;
}

void PgBackend::close() {
  if (m_conn) PQfinish(m_conn);
  m_conn = nullptr;
  m_keptTables.clear();
  m_keptCells = 0;
}

pg_conn* PgBackend::handle() const {
  if (!m_conn && !m_lost.empty()) throw _com_error(E_FAIL, m_lost, kServerErrorSource);
  if (!m_conn) throwAdoError(adErrObjectClosed);
  return m_conn;
}

PgBackend::Result PgBackend::await(const std::string& sql, const std::vector<const char*>* params,
                                   bool binary, std::optional<Clock::time_point> deadline,
                                   std::vector<Result>* earlier) {
  PGconn* conn = handle();
  const Clock::time_point start = Clock::now();
  if (!deadline) deadline = answerDeadline(m_lockTimeout.value_or(std::chrono::milliseconds(0)));
  bool timedOut = false;
  std::vector<PGresult*> before;
  Result result(
      exchange(conn, sql, params, binary, *deadline, timedOut, earlier ? &before : nullptr));
  for (PGresult* r : before) earlier->emplace_back(r);
  if (timedOut) {
    // What the server is doing is not known: the connection is given up, and with it
    // whatever its transaction had written.
    close();
    throw _com_error(E_FAIL,
                     L"PostgreSQL: the server " + m_address + L" did not answer within " +
                         secondsText(Clock::now() - start),
                     kServerErrorSource);
  }
  return result;
}

// The SQLSTATE of a statement that waited lock_timeout for a lock and gave up.
constexpr const char* kLockNotAvailable = "55P03";

void PgBackend::boundLockWait() {
  using std::chrono::milliseconds;
  const milliseconds budget = lockWaitBudget();
  milliseconds wanted = budget;
  if (zrbase::UserAction* action = zrbase::currentUserAction()) {
    wanted = std::chrono::duration_cast<milliseconds>(action->waitDeadline(budget) -
                                                      zrbase::UserAction::Clock::now());
  }
  // 0 would mean no limit at all.
  wanted = std::clamp(wanted, milliseconds(1), budget);
  // A statement may overshoot the action's deadline by this much rather than cost a round
  // trip each: a quick action sets nothing.
  const milliseconds slack = std::min(milliseconds(250), budget / 10);
  if (m_lockTimeout && std::chrono::abs(*m_lockTimeout - wanted) <= slack) return;
  const std::string sql = "SET lock_timeout = " + std::to_string(wanted.count());
  Result result = await(sql);
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) fail(result.get());
  m_lockTimeout = wanted;
}

PgBackend::Result PgBackend::run(const std::string& sql, const std::vector<const char*>& params,
                                 bool binary) {
  boundLockWait();
  const auto start = std::chrono::steady_clock::now();
  Result result = await(sql, &params, binary);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
    // A statement that gave up on another client's lock spent its time waiting for it.
    const char* state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
    if (state && std::strcmp(state, kLockNotAvailable) == 0) {
      countLockWait(std::chrono::steady_clock::now() - start);
    }
    fail(result.get());
  }
  return result;
}

void PgBackend::fail(const pg_result* result) const {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::string message = primary ? primary : (m_conn ? PQerrorMessage(m_conn) : "closed");
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  const std::string code = state ? state : "";
  // A table made on the server with plain SQL has no row identity to read and write rows by.
  if (code == "42703" && message.find("rowid") != std::string::npos) {
    throw _com_error(DB_E_ERRORSINCOMMAND,
                     L"PostgreSQL: " + widen(message.c_str()) + L" (server " + m_address +
                         L"): the catalogue's tables on a server need the row identity column "
                         L"rowid, which tables made by fancat have; add it to a table made "
                         L"otherwise with ALTER TABLE ... ADD COLUMN rowid bigserial",
                     kServerErrorSource);
  }
  // Constraint failures named as SQLite names them: the kind of constraint
  // in capitals, then what it guards.
  auto field = [result](int which) -> std::string {
    const char* v = result ? PQresultErrorField(result, which) : nullptr;
    return v ? v : "";
  };
  if (code == "23502") {
    message = "NOT NULL constraint failed: " + field(PG_DIAG_TABLE_NAME) + "." +
              field(PG_DIAG_COLUMN_NAME);
  } else if (code == "23514") {
    message = "CHECK constraint failed: " + field(PG_DIAG_CONSTRAINT_NAME);
  } else if (code == "23505") {
    message = "UNIQUE constraint failed: " + field(PG_DIAG_TABLE_NAME) + " (" +
              field(PG_DIAG_CONSTRAINT_NAME) + ")";
  }
  HRESULT hr = E_FAIL;
  if (code == kLockNotAvailable) countLockTimeout();
  if (code == "42P01") {
    hr = DB_E_NOTABLE;
  } else if (code.rfind("42", 0) == 0) {
    hr = DB_E_ERRORSINCOMMAND;
  } else if (code.rfind("23", 0) == 0) {
    hr = DB_E_INTEGRITYVIOLATION;
  } else if (code == "22P02" || code == "22003" || code == "42804") {
    hr = DISP_E_TYPEMISMATCH;
  } else if (code == "53200") {
    hr = E_OUTOFMEMORY;
  }
  throw _com_error(hr, L"PostgreSQL: " + widen(message.c_str()));
}

void PgBackend::readSchema() {
  Result r = run(kSchemaQuery);
  takeSchema(r.get());
}

void PgBackend::takeSchema(const pg_result* r) {
  m_tables.clear();
  m_failedAhead.clear();
  for (int i = 0; i < PQntuples(r); ++i) {
    Table& t = m_tables[static_cast<unsigned>(std::strtoul(PQgetvalue(r, i, 0), nullptr, 10))];
    t.name = PQgetvalue(r, i, 1);
    t.inSchema = true;
    t.rows = std::atoll(PQgetvalue(r, i, 5));
    if (!PQgetisnull(r, i, 2)) {
      t.columns[std::atoi(PQgetvalue(r, i, 2))] = {PQgetvalue(r, i, 3), PQgetvalue(r, i, 4)};
    }
  }
  m_schemaRead = true;
  m_schemaFresh = true;
}

std::vector<std::string> PgBackend::tableNames() {
  // Asked when a name is not found among those known: read afresh, unless it has been
  // since the last time (when connecting, or for a result's columns).
  if (!m_schemaFresh) readSchema();
  m_schemaFresh = false;
  std::vector<std::string> out;
  for (const auto& [oid, table] : m_tables) {
    if (table.inSchema) out.push_back(table.name);
  }
  return out;
}

std::vector<std::string> PgBackend::columnNames(const std::string& table) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool readNow = !m_schemaRead || attempt == 1;
    if (readNow) readSchema();
    for (const auto& [oid, t] : m_tables) {
      if (!t.inSchema || t.name != table) continue;
      std::vector<std::string> out;
      for (const auto& [attnum, column] : t.columns) {
        if (column.name != "rowid") out.push_back(column.name);
      }
      return out;
    }
    if (readNow) break;  // a table made since the schema was read is looked for once more
  }
  return {};
}

const PgBackend::Column* PgBackend::columnOf(unsigned table, int column) {
  if (table == InvalidOid || column <= 0) return nullptr;
  if (!m_schemaRead) readSchema();
  // A table of another schema, or a column added since the schema was read: its own.
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto it = m_tables.find(table);
    if (it != m_tables.end()) {
      auto c = it->second.columns.find(column);
      if (c != it->second.columns.end()) return &c->second;
      if (attempt == 1) return nullptr;
    }
    const std::string oid = std::to_string(table);
    Result r =
        run("SELECT c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod) FROM "
            "pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid WHERE "
            "a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped",
            {oid.c_str()});
    Table& t = m_tables[table];
    t.columns.clear();
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      t.name = PQgetvalue(r.get(), i, 0);
      t.columns[std::atoi(PQgetvalue(r.get(), i, 1))] = {PQgetvalue(r.get(), i, 2),
                                                         PQgetvalue(r.get(), i, 3)};
    }
  }
  return nullptr;
}

void PgBackend::readCell(const pg_result* result, int row, int column, bool untyped, RowSet& rows,
                         Cell& cell) const {
  if (PQgetisnull(result, row, column)) {
    cell.kind = Cell::Kind::Null;
    return;
  }
  const char* p = PQgetvalue(result, row, column);
  const int n = PQgetlength(result, row, column);
  Oid type = PQftype(result, column);
  if (type == m_boolType) type = kInt2;
  if (type == m_intType) type = kInt8;
  switch (type) {
    case kBool:
      cell.kind = Cell::Kind::Integer;
      cell.integer = n > 0 && p[0] != 0 ? 1 : 0;
      return;
    case kInt2:
    case kInt4:
    case kInt8:
    case kFloat4:
    case kFloat8:
      if (!readBinaryNumber(type, p, n, cell)) rows.setText(cell, p, static_cast<std::size_t>(n));
      return;
    case kNumeric:
      readNumeric(p, n, cell);
      return;
    default:
      if ((untyped || type == m_anyType) && readUntypedNumber(p, n, cell)) return;
      rows.setText(cell, p, static_cast<std::size_t>(n));
      return;
  }
}

bool PgBackend::matchText(const pg_result* result, int row, int column, std::string& out) const {
  const char* p = PQgetvalue(result, row, column);
  const int n = PQgetlength(result, row, column);
  const auto printed = [&out](double v, int digits) {
    if (std::isnan(v)) {
      out = "NaN";
    } else if (std::isinf(v)) {
      out = v > 0 ? "Infinity" : "-Infinity";
    } else {
      // As printf's %.*g prints it, without the locale and a good deal faster.
      char buffer[40];
      const auto end =
          std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, digits);
      out.assign(buffer, end.ptr);
    }
    return true;
  };
  Oid type = PQftype(result, column);
  if (type == m_boolType) type = kInt2;
  if (type == m_intType) type = kInt8;
  if (type == m_anyType) type = kText;
  if (type == kText || type == kVarchar) {
    out.assign(p, static_cast<std::size_t>(n));
    return true;
  }
  Cell cell;
  if (!readBinaryNumber(type, p, n, cell)) return false;
  if (cell.kind == Cell::Kind::Integer) {
    out = std::to_string(cell.integer);
    return true;
  }
  return printed(cell.real, type == kFloat4 ? 6 : 15);
}

bool PgBackend::changedSince(const std::string& table, long long version, std::uint64_t ownWrites,
                             std::uint64_t unknownWrites) const {
  if (unknownWrites != m_unknownWrites) return true;
  const auto own = m_tableWrites.find(table);
  if ((own == m_tableWrites.end() ? 0 : own->second) != ownWrites) return true;
  if (version == m_version) return false;
  if (version < m_logBase) return true;
  for (const LoggedChange& change : m_changeLog) {
    if (change.version <= version) continue;
    if (!change.tables ||
        std::find(change.tables->begin(), change.tables->end(), table) != change.tables->end()) {
      return true;
    }
  }
  return false;
}

bool PgBackend::loadFromMemory(const TranslatedStatement& statement, RowSet& rows) {
  const std::optional<std::vector<TextMatch>> lookup = textLookup(statement);
  if (!lookup || PQtransactionStatus(handle()) != PQTRANS_IDLE) return false;
  if (!m_schemaRead) readSchema();
  Table* table = nullptr;
  for (auto& [oid, t] : m_tables) {
    if (t.inSchema && t.name == statement.table) table = &t;
  }
  if (!table || table->rows > kWholeTableRows) return false;
  // Brings every change committed before this user action (no round trip after its first).
  if (stamp().version < 0) return false;
  const auto own = m_tableWrites.find(statement.table);
  const std::uint64_t ownWrites = own == m_tableWrites.end() ? 0 : own->second;
  auto kept = m_keptTables.find(statement.table);
  if (kept != m_keptTables.end() &&
      changedSince(statement.table, kept->second.version, kept->second.ownWrites,
                   kept->second.unknownWrites)) {
    if (kept->second.served <= 1 && kept->second.ownWrites != ownWrites) {
      m_writtenTables[statement.table] = {ownWrites, 0};
    }
    m_keptCells -= kept->second.cells;
    m_keptTables.erase(kept);
    kept = m_keptTables.end();
  }
  if (kept == m_keptTables.end()) {
    if (auto written = m_writtenTables.find(statement.table); written != m_writtenTables.end()) {
      if (written->second.ownWrites != ownWrites) written->second = {ownWrites, 0};
      if (++written->second.lookups < kLookupsToReadWhole) return false;
      m_writtenTables.erase(written);
    }
    const std::string t = quoteIdentifier(statement.table);
    Result whole = run("SELECT * , " + t + ".rowid FROM " + t + " ORDER BY " + t + ".rowid LIMIT " +
                           std::to_string(kWholeTableRows + 1),
                       {}, true);
    if (PQntuples(whole.get()) > kWholeTableRows) {
      table->rows = kWholeTableRows + 1;  // not read whole again until the schema is
      return false;
    }
    kept = keep(statement.table, std::move(whole));
  }
  kept->second.used = ++m_keptUse;
  const pg_result* res = kept->second.rows.get();
  std::vector<int> columns;
  for (const TextMatch& m : *lookup) {
    const int c = PQfnumber(res, quoteIdentifier(m.column).c_str());
    if (c < 0 || c >= PQnfields(res) - 1) return false;
    columns.push_back(c);
  }
  // Each alternative's rows are those its conditions all find (the shortest list filtered
  // by the others); the rows found are those of any alternative, in row order.
  static const std::vector<int> kNone;
  std::vector<int> found;
  std::vector<int> met;
  std::vector<int> merged;
  std::vector<const std::vector<int>*> lists;
  for (std::size_t k = 0; k < lookup->size();) {
    const int alternative = (*lookup)[k].alternative;
    lists.clear();
    for (; k < lookup->size() && (*lookup)[k].alternative == alternative; ++k) {
      const TextIndex* index = textIndex(kept->second, columns[k]);
      if (!index) return false;
      // ASCII folded: a caseless match of a text that caselessBeyondAscii passes.
      const auto hit = index->find(zrbase::lowerAscii((*lookup)[k].text));
      lists.push_back(hit == index->end() ? &kNone : &hit->second);
    }
    std::sort(lists.begin(), lists.end(),
              [](const auto* a, const auto* b) { return a->size() < b->size(); });
    met = *lists.front();
    for (std::size_t i = 1; i < lists.size() && !met.empty(); ++i) {
      std::erase_if(met, [rowsWith = lists[i]](int row) {
        return !std::binary_search(rowsWith->begin(), rowsWith->end(), row);
      });
    }
    merged.clear();
    std::set_union(found.begin(), found.end(), met.begin(), met.end(), std::back_inserter(merged));
    found.swap(merged);
  }
  ++kept->second.served;
  fill(statement, res, rows, &found);
  return true;
}

const PgBackend::TextIndex* PgBackend::textIndex(KeptTable& kept, int column) {
  const auto [at, made] = kept.byText.try_emplace(column);
  if (made) {
    const pg_result* res = kept.rows.get();
    TextIndex index;
    std::string value;
    for (int i = 0; i < PQntuples(res); ++i) {
      if (PQgetisnull(res, i, column)) continue;  // ILIKE finds no null
      if (!matchText(res, i, column, value) || !caselessBeyondAscii(value)) return nullptr;
      index[zrbase::lowerAscii(std::move(value))].push_back(i);
    }
    at->second = std::move(index);
    // An index holds about as much as a column of values: counted as one among the cells
    // kept, so that the tables kept make room for it.
    const auto entries = static_cast<std::size_t>(PQntuples(res));
    kept.cells += entries;
    m_keptCells += entries;
  }
  return at->second ? &*at->second : nullptr;
}

std::map<std::string, PgBackend::KeptTable>::iterator PgBackend::keep(const std::string& table,
                                                                      Result whole) {
  if (auto old = m_keptTables.find(table); old != m_keptTables.end()) {
    m_keptCells -= old->second.cells;
    m_keptTables.erase(old);
  }
  KeptTable copy;
  copy.cells = static_cast<std::size_t>(PQntuples(whole.get())) *
               static_cast<std::size_t>(PQnfields(whole.get()));
  copy.rows = std::move(whole);
  copy.version = m_version;
  const auto own = m_tableWrites.find(table);
  copy.ownWrites = own == m_tableWrites.end() ? 0 : own->second;
  copy.unknownWrites = m_unknownWrites;
  copy.used = ++m_keptUse;
  // The least recently used copies make room (never the one just read).
  while (!m_keptTables.empty() && m_keptCells + copy.cells > kKeptCells) {
    auto oldest = std::min_element(
        m_keptTables.begin(), m_keptTables.end(),
        [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
    m_keptCells -= oldest->second.cells;
    m_keptTables.erase(oldest);
  }
  m_keptCells += copy.cells;
  return m_keptTables.emplace(table, std::move(copy)).first;
}

void PgBackend::load(const TranslatedStatement& statement, RowSet& rows) {
  if (loadFromMemory(statement, rows)) return;
  Result r = run(statement.sql, {}, true);
  fill(statement, r.get(), rows, nullptr);
  // A read of a whole table the lookups may use serves them too (the dialog reads the
  // models table whole, then looks models up in it).
  if (readsWholeTable(statement) && PQntuples(r.get()) <= kWholeTableRows &&
      PQtransactionStatus(handle()) == PQTRANS_IDLE) {
    keep(statement.table, std::move(r));
  }
}

std::vector<bool> PgBackend::loadMany(const std::vector<const TranslatedStatement*>& statements,
                                      const std::vector<RowSet*>& rows) {
  std::vector<bool> read(statements.size(), false);
  PGconn* conn = handle();
  // Inside a transaction a failed statement would end it; lookups are answered from memory.
  if (PQtransactionStatus(conn) != PQTRANS_IDLE) return read;
  std::vector<std::size_t> sent;
  for (std::size_t i = 0; i < statements.size(); ++i) {
    if (!textLookup(*statements[i]) && !m_failedAhead.contains(statements[i]->sql)) {
      sent.push_back(i);
    }
  }
  if (sent.size() < 2) return read;
  boundLockWait();
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      answerDeadline(m_lockTimeout.value_or(std::chrono::milliseconds(0)));
  // Each statement is followed by a sync of its own, so that one that fails (a series'
  // table without the columns asked for) takes none of the others with it.
  countServerRoundTrip();
  if (!PQenterPipelineMode(conn)) return read;
  bool queued = true;
  for (const std::size_t i : sent) {
    queued = queued &&
             PQsendQueryParams(conn, statements[i]->sql.c_str(), 0, nullptr, nullptr, nullptr,
                               nullptr, 1) &&
             PQpipelineSync(conn);
  }
  bool timedOut = false;
  for (int left; queued && (left = PQflush(conn)) != 0;) {
    if (left < 0 || !waitSocket(conn, POLLIN | POLLOUT, deadline)) {
      timedOut = left >= 0;
      break;
    }
    if (!PQconsumeInput(conn)) break;
  }
  // The answers come in order: each statement's results, an end (null), then its sync.
  std::vector<Result> results(sent.size());
  std::size_t at = 0;
  int ends = 0;  // nulls in a row: more than one means the answers stopped short
  while (!timedOut && at < sent.size() && PQstatus(conn) == CONNECTION_OK && ends < 2) {
    if (PQisBusy(conn)) {
      if (!waitSocket(conn, POLLIN, deadline)) {
        timedOut = true;
      } else if (!PQconsumeInput(conn)) {
        break;
      }
      continue;
    }
    Result r(PQgetResult(conn));
    if (!r) {
      ++ends;  // the end of a statement's results: its sync follows
      continue;
    }
    ends = 0;
    if (PQresultStatus(r.get()) == PGRES_PIPELINE_SYNC) {
      ++at;
    } else if (!results[at]) {
      results[at] = std::move(r);
    }
  }
  if (timedOut || at < sent.size() || !PQexitPipelineMode(conn)) {
    // What the server is doing is not known: the connection is given up, and the next
    // statement says why.
    m_lost = L"PostgreSQL: the server " + m_address + L" did not answer within " +
             secondsText(Clock::now() - start);
    close();
    return read;
  }
  for (std::size_t k = 0; k < sent.size(); ++k) {
    if (!results[k] || PQresultStatus(results[k].get()) != PGRES_TUPLES_OK) {
      // Not read ahead again while the schema stands: the search of the other table style
      // fails on its columns every time.
      if (m_failedAhead.size() < 4096) m_failedAhead.insert(statements[sent[k]]->sql);
      continue;
    }
    fill(*statements[sent[k]], results[k].get(), *rows[sent[k]], nullptr);
    read[sent[k]] = true;
  }
  return read;
}

void PgBackend::fill(const TranslatedStatement& statement, const pg_result* res, RowSet& rows,
                     const std::vector<int>* only) {
  const int columns = PQnfields(res);
  const int visible = statement.rowidColumn ? columns - 1 : columns;
  // Every table's rowid column is the back end's own: SELECT * leaves it out.
  std::vector<int> shownColumns;
  std::vector<bool> untyped;
  for (int c = 0; c < visible; ++c) {
    const Column* column = columnOf(PQftable(res, c), PQftablecol(res, c));
    if (column && column->name == "rowid") continue;
    shownColumns.push_back(c);
    untyped.push_back(column && column->type == "zr_any");
    FieldInfo f;
    zrbase::appendUtf8AsWide(f.name, PQfname(res, c));
    if (column) {
      f.type = columnTypeOf(column->type.c_str());
      if (m_tables[PQftable(res, c)].name == rows.table()) f.origin = column->name;
    }
    rows.addField(std::move(f));
  }
  if (statement.readsOnlyTable) rows.setReads({statement.table});
  const int count = only ? static_cast<int>(only->size()) : PQntuples(res);
  for (int n = 0; n < count; ++n) {
    const int i = only ? (*only)[static_cast<std::size_t>(n)] : n;
    long long rowid = 0;
    if (statement.rowidColumn && !PQgetisnull(res, i, visible)) {
      rowid = static_cast<long long>(bigEndian(PQgetvalue(res, i, visible), 8));
    }
    Cell* cells = rows.addRow(rowid);
    for (std::size_t k = 0; k < shownColumns.size(); ++k) {
      readCell(res, i, shownColumns[k], untyped[k], rows, cells[k]);
    }
  }
}

long PgBackend::execute(const TranslatedStatement& statement) {
  Result r = run(statement.sql);
  if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) return -1;
  const long changed = std::atol(PQcmdTuples(r.get()));
  if (!statement.writtenTable.empty() && !statement.changesSchema) {
    noteWrite(statement.writtenTable, changed != 0);
  } else if (changesNoRows(statement.sql)) {
    noteWrite(std::string(), false);
  } else {
    noteWrite();  // schema, rollback, settings: what they change is not known here
  }
  if (!statement.createdTable.empty()) {
    for (const std::string& sql : pgTableTriggers(statement.createdTable, statement.integerKey)) {
      run(sql);
    }
  }
  if (statement.changesSchema) {
    // Other clients' table and column caches: the payload names the schema.
    run("SELECT pg_notify(" + quoteLiteral(kPgChangeChannel) + ", current_schema())");
  }
  return changed;
}

long long PgBackend::update(const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<PendingValue>& values, long long rowid) {
  std::vector<std::string> texts;
  for (const PendingValue& v : values) texts.push_back(paramText(v));
  texts.push_back(std::to_string(rowid));
  std::vector<const char*> params;
  for (std::size_t i = 0; i < values.size(); ++i) {
    params.push_back(values[i].kind == Cell::Kind::Null ? nullptr : texts[i].c_str());
  }
  params.push_back(texts.back().c_str());
  Result r = run("UPDATE " + quoteIdentifier(table) + " SET " + setList(columns, 1) +
                     " WHERE rowid = $" + std::to_string(values.size() + 1),
                 params);
  const long long changed = std::atoll(PQcmdTuples(r.get()));
  noteWrite(table, changed != 0);
  return changed;
}

long long PgBackend::insert(const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<PendingValue>& values) {
  std::string sql = "INSERT INTO " + quoteIdentifier(table);
  std::vector<std::string> texts;
  std::vector<const char*> params;
  for (const PendingValue& v : values) texts.push_back(paramText(v));
  if (values.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (std::size_t i = 0; i < values.size(); ++i) {
      names += (i ? ", " : "") + quoteIdentifier(columns[i]);
      marks += (i ? ", $" : "$") + std::to_string(i + 1);
      params.push_back(values[i].kind == Cell::Kind::Null ? nullptr : texts[i].c_str());
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  Result r = run(sql + " RETURNING rowid", params);
  noteWrite(table);
  return std::atoll(PQgetvalue(r.get(), 0, 0));
}

long long PgBackend::remove(const std::string& table, long long rowid) {
  const std::string id = std::to_string(rowid);
  Result r = run("DELETE FROM " + quoteIdentifier(table) + " WHERE rowid = $1", {id.c_str()});
  const long long changed = std::atoll(PQcmdTuples(r.get()));
  noteWrite(table, changed != 0);
  return changed;
}

bool PgBackend::readRow(const std::string& table, const std::vector<std::string>& columns,
                        long long rowid, RowSet& rows, std::size_t row) {
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + quoteIdentifier(columns[i]);
  }
  if (columns.empty()) sql += "rowid";
  const std::string id = std::to_string(rowid);
  Result r = run(sql + " FROM " + quoteIdentifier(table) + " WHERE rowid = $1", {id.c_str()}, true);
  if (PQntuples(r.get()) == 0) return false;
  Cell* cells = rows.rowCells(row);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Column* column =
        columnOf(PQftable(r.get(), static_cast<int>(i)), PQftablecol(r.get(), static_cast<int>(i)));
    readCell(r.get(), 0, static_cast<int>(i), column && column->type == "zr_any", rows, cells[i]);
  }
  return true;
}

void PgBackend::begin() { run("BEGIN"); }
void PgBackend::commit() { run("COMMIT"); }
void PgBackend::rollback() {
  // Not through run: a transaction that failed takes no SET, and one set inside it is undone.
  m_lockTimeout.reset();
  // Undoing the transaction's writes changes what was read since, in tables
  // not named here.
  noteWrite();
  Result result = await("ROLLBACK");
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) fail(result.get());
}

ChangeStamp PgBackend::stamp() {
  PGconn* conn = handle();
  // An empty query: the server sends every notification of a commit made
  // before it ahead of its answer, so a change another client has committed
  // is seen here for certain, not only once it happens to have arrived. One
  // user action asks once (a series change runs some two hundred statements,
  // each a round trip): what another client commits while it runs is seen by
  // the next action, as on a catalogue file.
  const zrbase::UserAction* action = zrbase::currentUserAction();
  const unsigned long long serial = action ? action->serial() : 0;
  if (serial == 0 || serial != m_syncedAction) {
    try {
      Result sync = await("");
    } catch (const _com_error&) {
      return {};  // the server was given up on: nothing is known
    }
    m_syncedAction = serial;
  }
  if (PQstatus(conn) != CONNECTION_OK || !PQconsumeInput(conn)) return {};
  takeNotifications();
  return {m_version, m_changes};
}

void PgBackend::takeNotifications() {
  const int own = PQbackendPID(m_conn);
  bool moved = false;
  std::optional<std::vector<std::string>> tables(std::in_place);
  while (PGnotify* n = PQnotifies(m_conn)) {
    const std::unique_ptr<PGnotify, void (*)(void*)> note(n, PQfreemem);
    // This connection's own commits are in its record of writes.
    if (!n->extra || n->be_pid == own) continue;
    const std::string_view payload = n->extra;
    NoteState& state = m_notes[n->be_pid];
    if (std::strcmp(n->relname, kPgTableChannel) == 0) {
      // schema, transaction and table, tab-separated
      const std::size_t first = payload.find('\t');
      const std::size_t second =
          first == std::string_view::npos ? first : payload.find('\t', first + 1);
      if (second == std::string_view::npos || payload.substr(0, first) != m_schema) continue;
      const std::string_view transaction = payload.substr(first + 1, second - first - 1);
      if (transaction != state.transaction) {
        state.transaction = transaction;
        state.counted = false;
      }
      // No table named: any table may have changed (or gone).
      const std::string table(payload.substr(second + 1));
      if (table.empty()) {
        tables.reset();
      } else if (tables && std::find(tables->begin(), tables->end(), table) == tables->end()) {
        tables->push_back(table);
      }
      moved = true;
    } else if (payload == m_schema) {
      // The schema's note of a transaction whose first note named a table; any other
      // comes from a trigger that names none, and may have changed any table.
      if (state.counted) tables.reset();
      state.counted = true;
      moved = moved || !tables;
    }
  }
  if (!moved) return;
  ++m_version;
  m_changeLog.push_back({m_version, std::move(tables)});
  if (m_changeLog.size() > kChangeLogLength) {
    m_logBase = m_changeLog.front().version;
    m_changeLog.erase(m_changeLog.begin());
  }
}

Backend::OthersChanges PgBackend::othersChangesSince(long long since) {
  OthersChanges out;
  out.version = m_version;
  if (since < m_logBase || since > m_version) return out;
  std::vector<std::string> tables;
  for (const LoggedChange& change : m_changeLog) {
    if (change.version <= since) continue;
    if (!change.tables) return out;
    for (const std::string& table : *change.tables) {
      if (std::find(tables.begin(), tables.end(), table) == tables.end()) tables.push_back(table);
    }
  }
  out.tables = std::move(tables);
  return out;
}

}  // namespace adoimpl
