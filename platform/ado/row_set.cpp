// Reading a SELECT's rows and writing rows back through their rowid.
#include "row_set.h"

#include <sqlite3.h>

#include <cstring>
#include <limits>

#include "ado_errors.h"
#include "base/utf8.h"
#include "number_text.h"
#include "result_cache.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

bool contains(const std::string& upper, const char* part) {
  return upper.find(part) != std::string::npos;
}

std::string typeName(ColumnType type) {
  switch (type) {
    case ColumnType::Text:
      return "TEXT";
    case ColumnType::Integer:
      return "INTEGER";
    case ColumnType::BigInteger:
      return "BIGINT";
    case ColumnType::Double:
      return "DOUBLE";
    case ColumnType::Boolean:
      return "BOOLEAN";
    default:
      return "untyped";
  }
}

}  // namespace

ColumnType columnTypeOf(const char* declaredType) {
  if (!declaredType) return ColumnType::Any;
  std::string upper(declaredType);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (contains(upper, "BOOL") || contains(upper, "BIT") || contains(upper, "YESNO")) {
    return ColumnType::Boolean;
  }
  if (contains(upper, "CHAR") || contains(upper, "TEXT") || contains(upper, "CLOB") ||
      contains(upper, "MEMO") || contains(upper, "STRING")) {
    return ColumnType::Text;
  }
  if (contains(upper, "BIGINT") || contains(upper, "INT64") || contains(upper, "INT8")) {
    return ColumnType::BigInteger;
  }
  if (contains(upper, "INT") || contains(upper, "COUNTER") || contains(upper, "LONG") ||
      contains(upper, "SHORT") || contains(upper, "BYTE")) {
    return ColumnType::Integer;
  }
  if (contains(upper, "REAL") || contains(upper, "FLOA") || contains(upper, "DOUB") ||
      contains(upper, "NUMERIC") || contains(upper, "DECIMAL") || contains(upper, "CURRENCY") ||
      contains(upper, "MONEY") || contains(upper, "SINGLE")) {
    return ColumnType::Double;
  }
  return ColumnType::Any;
}

namespace {

// One set of buffers per thread, kept between recordsets; larger ones are
// given back to the system rather than held.
struct SpareBuffers {
  std::vector<Cell> cells;
  std::string texts;
};
thread_local SpareBuffers t_spare;
constexpr std::size_t kMaxSpareBytes = 64u << 20;

}  // namespace

RowSet::~RowSet() { clear(); }

void RowSet::clear() {
  m_source.reset();
  m_fields.clear();
  m_rows.clear();
  m_table.clear();
  m_writable = false;
  m_cells.clear();
  m_texts.clear();
  if (m_cells.capacity() > t_spare.cells.capacity() &&
      m_cells.capacity() * sizeof(Cell) <= kMaxSpareBytes) {
    m_cells.swap(t_spare.cells);
  }
  if (m_texts.capacity() > t_spare.texts.capacity() && m_texts.capacity() <= kMaxSpareBytes) {
    m_texts.swap(t_spare.texts);
  }
  m_cells.clear();
  m_texts.clear();
}

void RowSet::readCell(sqlite3_stmt* stmt, int column, Cell& cell) {
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
      appendText(cell, bytes, static_cast<std::size_t>(sqlite3_value_bytes(v)));
      break;
    }
    default:  // blobs are taken as text
      appendText(cell, static_cast<const char*>(sqlite3_value_blob(v)),
                 static_cast<std::size_t>(sqlite3_value_bytes(v)));
      break;
  }
}

void RowSet::appendText(Cell& cell, const char* bytes, std::size_t n) {
  cell.kind = Cell::Kind::Text;
  cell.offset = m_texts.size();
  cell.length = static_cast<std::uint32_t>(n);
  m_texts.append(bytes ? bytes : "", n);
}

void RowSet::shareFrom(std::shared_ptr<const RowSet> source) {
  clear();
  m_fields = source->m_fields;
  m_table = source->m_table;
  m_writable = source->m_writable;
  m_source = std::move(source);
}

void RowSet::detach() {
  if (!m_source) return;
  const std::shared_ptr<const RowSet> source = std::move(m_source);
  m_source.reset();
  m_cells = source->m_cells;
  m_rows = source->m_rows;
  m_texts = source->m_texts;
}

void RowSet::load(Session& session, const TranslatedStatement& statement) {
  if (!statement.isSelect) {
    loadRows(session, statement);
    return;
  }
  shareFrom(loadCached(session, statement));
}

std::shared_ptr<const RowSet> RowSet::loadCached(Session& session,
                                                 const TranslatedStatement& statement) {
  ResultCache& cache = session.results();
  if (std::shared_ptr<const RowSet> probed = cache.takeProbe(statement.sql, session)) {
    return probed;
  }
  cache.revalidate(session);
  std::shared_ptr<const RowSet> result = cache.find(statement.sql);
  if (!result) {
    auto fresh = std::make_shared<RowSet>();
    fresh->loadRows(session, statement);
    result = fresh;
    cache.store(statement.sql, result);
  }
  return result;
}

void RowSet::loadRows(Session& session, const TranslatedStatement& statement) {
  clear();
  m_cells.swap(t_spare.cells);
  m_texts.swap(t_spare.texts);
  StatementPtr stmt = session.prepare(statement.sql);
  sqlite3_stmt* s = stmt.get();
  const int columns = sqlite3_column_count(s);
  const int visible = statement.rowidColumn ? columns - 1 : columns;
  m_table = statement.table;
  m_writable = statement.rowidColumn;
  for (int c = 0; c < visible; ++c) {
    FieldInfo f;
    const char* name = sqlite3_column_name(s, c);
    if (name) zrbase::appendUtf8AsWide(f.name, name);
    f.type = columnTypeOf(sqlite3_column_decltype(s, c));
    const char* table = sqlite3_column_table_name(s, c);
    const char* origin = sqlite3_column_origin_name(s, c);
    if (origin && table && equalsFolded(std::string_view(table), std::string_view(m_table))) {
      f.origin = origin;
    } else {
      m_writable = false;
    }
    m_fields.push_back(std::move(f));
  }
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    const std::size_t base = m_cells.size();
    m_cells.resize(base + static_cast<std::size_t>(visible));
    for (int c = 0; c < visible; ++c) readCell(s, c, m_cells[base + static_cast<std::size_t>(c)]);
    m_rows.push_back({statement.rowidColumn ? sqlite3_column_int64(s, visible) : 0, false});
  }
  if (rc != SQLITE_DONE) session.fail(rc);
}

long RowSet::findField(std::wstring_view name) const {
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    const std::wstring& f = m_fields[i].name;
    if (f.size() == name.size() && (name.empty() || f[0] == name[0]) && f == name) {
      return static_cast<long>(i);
    }
  }
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    if (equalsFolded(std::wstring_view(m_fields[i].name), name)) return static_cast<long>(i);
  }
  return -1;
}

DataTypeEnum RowSet::adoType(std::size_t field) const {
  switch (m_fields[field].type) {
    case ColumnType::Text:
      return adVarWChar;
    case ColumnType::Integer:
      return adInteger;
    case ColumnType::BigInteger:
      return adBigInt;
    case ColumnType::Double:
      return adDouble;
    case ColumnType::Boolean:
      return adBoolean;
    default:
      return adVariant;
  }
}

namespace {

void setNumber(VARIANT& out, ColumnType type, bool isInteger, long long integer, double real) {
  if (type == ColumnType::Boolean) {
    out.vt = VT_BOOL;
    out.boolVal = (isInteger ? integer != 0 : real != 0) ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (!isInteger) {
    out.vt = VT_R8;
    out.dblVal = real;
  } else if (integer >= std::numeric_limits<LONG>::min() &&
             integer <= std::numeric_limits<LONG>::max()) {
    out.vt = VT_I4;
    out.lVal = static_cast<LONG>(integer);
  } else {
    out.vt = VT_I8;
    out.llVal = integer;
  }
}

// Texts are kept as SQLite gives them (UTF-8) and widened only when read.
void setUtf8Text(VARIANT& out, const char* text, std::size_t length) {
  bool ascii = true;
  for (std::size_t i = 0; i < length && ascii; ++i)
    ascii = static_cast<unsigned char>(text[i]) < 0x80;
  BSTR s;
  if (ascii) {
    s = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (s) {
      for (std::size_t i = 0; i < length; ++i) s[i] = static_cast<unsigned char>(text[i]);
    }
  } else {
    std::wstring wide;
    zrbase::appendUtf8AsWide(wide, std::string_view(text, length));
    s = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  if (!s) _com_issue_error(E_OUTOFMEMORY);
  out.vt = VT_BSTR;
  out.bstrVal = s;
}

void setText(VARIANT& out, const wchar_t* text, std::size_t length) {
  BSTR s = SysAllocStringLen(text, static_cast<UINT>(length));
  if (!s) _com_issue_error(E_OUTOFMEMORY);
  out.vt = VT_BSTR;
  out.bstrVal = s;
}

}  // namespace

void RowSet::read(std::size_t row, std::size_t field, VARIANT& out) const {
  VariantClear(&out);
  const Cell& cell = cells()[row * m_fields.size() + field];
  switch (cell.kind) {
    case Cell::Kind::Null:
      out.vt = VT_NULL;
      break;
    case Cell::Kind::Integer:
      setNumber(out, m_fields[field].type, true, cell.integer, 0);
      break;
    case Cell::Kind::Real:
      setNumber(out, m_fields[field].type, false, 0, cell.real);
      break;
    case Cell::Kind::Text:
      setUtf8Text(out, texts().data() + cell.offset, cell.length);
      break;
  }
}

void RowSet::readPending(const PendingValue& value, const FieldInfo& field, VARIANT& out) {
  VariantClear(&out);
  switch (value.kind) {
    case Cell::Kind::Null:
      out.vt = VT_NULL;
      break;
    case Cell::Kind::Integer:
      setNumber(out, field.type, true, value.integer, 0);
      break;
    case Cell::Kind::Real:
      setNumber(out, field.type, false, 0, value.real);
      break;
    case Cell::Kind::Text:
      setText(out, value.text.data(), value.text.size());
      break;
  }
}

namespace {

// The variant type a value is converted to before it is stored in a column.
VARTYPE storedTypeFor(ColumnType column, VARTYPE given) {
  switch (column) {
    case ColumnType::Text:
      return VT_BSTR;
    case ColumnType::Integer:
      return VT_I4;
    case ColumnType::BigInteger:
      return VT_I8;
    case ColumnType::Double:
      return VT_R8;
    case ColumnType::Boolean:
      return VT_BOOL;
    case ColumnType::Any:
      break;
  }
  switch (given) {  // an untyped column keeps the value's own kind
    case VT_R4:
    case VT_R8:
    case VT_DATE:
      return VT_R8;
    case VT_BSTR:
      return VT_BSTR;
    case VT_BOOL:
      return VT_BOOL;
    default:
      return VT_I8;
  }
}

void setPending(const VARIANT& converted, PendingValue& out) {
  switch (converted.vt) {
    case VT_BSTR:
      out.kind = Cell::Kind::Text;
      out.text.assign(converted.bstrVal ? converted.bstrVal : L"", SysStringLen(converted.bstrVal));
      break;
    case VT_R8:
      out.kind = Cell::Kind::Real;
      out.real = converted.dblVal;
      break;
    case VT_BOOL:
      out.kind = Cell::Kind::Integer;
      out.integer = converted.boolVal != VARIANT_FALSE ? 1 : 0;
      break;
    case VT_I4:
      out.kind = Cell::Kind::Integer;
      out.integer = converted.lVal;
      break;
    default:
      out.kind = Cell::Kind::Integer;
      out.integer = converted.llVal;
      break;
  }
}

}  // namespace

PendingValue RowSet::convert(std::size_t field, const VARIANT& value) const {
  const FieldInfo& f = m_fields[field];
  PendingValue out;
  out.field = field;
  if (value.vt == VT_NULL || value.vt == VT_EMPTY) return out;
  _variant_t converted;
  const HRESULT hr = VariantChangeType(&converted, &value, 0, storedTypeFor(f.type, value.vt));
  if (FAILED(hr)) {
    _variant_t shown;
    const std::wstring valueText =
        SUCCEEDED(VariantChangeType(&shown, &value, 0, VT_BSTR))
            ? L"'" + std::wstring(shown.bstrVal ? shown.bstrVal : L"") + L"'"
            : L"the value";
    throw _com_error(hr, L"cannot store " + valueText + L" in " +
                             zrbase::utf8ToWide(typeName(f.type)) + L" field '" + f.name + L"'");
  }
  setPending(converted, out);
  return out;
}

Cell RowSet::storeValue(const PendingValue& value) {
  Cell cell;
  cell.kind = value.kind;
  if (value.kind == Cell::Kind::Integer) cell.integer = value.integer;
  if (value.kind == Cell::Kind::Real) cell.real = value.real;
  if (value.kind == Cell::Kind::Text) {
    const std::string utf8 = zrbase::wideToUtf8(value.text);
    cell.offset = m_texts.size();
    cell.length = static_cast<std::uint32_t>(utf8.size());
    m_texts += utf8;
  }
  return cell;
}

namespace {

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

[[noreturn]] void rowGone() {
  throw _com_error(E_FAIL, L"无法为更新定位行。一些值可能已在最后一次读取后已更改。", L"ADODB");
}

}  // namespace

void RowSet::updateRow(Session& session, std::size_t row, const std::vector<PendingValue>& values) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  if (values.empty()) return;
  detach();
  std::string sql = "UPDATE " + quoteIdentifier(m_table) + " SET ";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) sql += ", ";
    sql += quoteIdentifier(m_fields[values[i].field].origin) + " = ?";
  }
  sql += " WHERE rowid = ?";
  StatementPtr stmt = session.prepare(sql);
  for (std::size_t i = 0; i < values.size(); ++i) {
    bindValue(stmt.get(), static_cast<int>(i) + 1, values[i]);
  }
  sqlite3_bind_int64(stmt.get(), static_cast<int>(values.size()) + 1, m_rows[row].rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) session.fail(rc);
  if (sqlite3_changes(session.handle()) == 0) rowGone();
  for (const PendingValue& v : values) {
    m_cells[row * m_fields.size() + v.field] = storeValue(v);
  }
}

std::size_t RowSet::insertRow(Session& session, const std::vector<PendingValue>& values) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  detach();
  std::string sql = "INSERT INTO " + quoteIdentifier(m_table);
  if (values.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (std::size_t i = 0; i < values.size(); ++i) {
      names += (i ? ", " : "") + quoteIdentifier(m_fields[values[i].field].origin);
      marks += i ? ", ?" : "?";
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  StatementPtr stmt = session.prepare(sql);
  for (std::size_t i = 0; i < values.size(); ++i) {
    bindValue(stmt.get(), static_cast<int>(i) + 1, values[i]);
  }
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) session.fail(rc);
  const long long rowid = sqlite3_last_insert_rowid(session.handle());
  const std::size_t row = m_rows.size();
  m_cells.resize(m_cells.size() + m_fields.size());
  m_rows.push_back({rowid, false});
  readBackRow(session, rowid, row);
  return row;
}

// Defaults and automatic numbers are the table's: the new row is read back.
void RowSet::readBackRow(Session& session, long long rowid, std::size_t row) {
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    sql += (i ? ", " : "") + quoteIdentifier(m_fields[i].origin);
  }
  if (m_fields.empty()) sql += "rowid";
  sql += " FROM " + quoteIdentifier(m_table) + " WHERE rowid = ?";
  StatementPtr stmt = session.prepare(sql);
  sqlite3_bind_int64(stmt.get(), 1, rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) session.fail(rc);
    rowGone();
  }
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    readCell(stmt.get(), static_cast<int>(i), m_cells[row * m_fields.size() + i]);
  }
}

void RowSet::deleteRow(Session& session, std::size_t row) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  detach();
  StatementPtr stmt =
      session.prepare("DELETE FROM " + quoteIdentifier(m_table) + " WHERE rowid = ?");
  sqlite3_bind_int64(stmt.get(), 1, m_rows[row].rowid);
  const int rc = sqlite3_step(stmt.get());
  if (rc != SQLITE_DONE) session.fail(rc);
  if (sqlite3_changes(session.handle()) == 0) rowGone();
  m_rows[row].deleted = true;
}

}  // namespace adoimpl
