// Reading a SELECT's rows and writing rows back through their rowid.
#include "row_set.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "ado_errors.h"
#include "ado_statistics.h"
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
// given back to the system rather than held. A thread's buffers go before
// the process's exit handlers run, and those may still free row sets (the
// kept connections' cached results): from then on nothing is kept.
thread_local bool t_spareGone = false;
struct SpareBuffers {
  std::vector<Cell> cells;
  std::string texts;
  ~SpareBuffers() { t_spareGone = true; }
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
  m_reads.clear();
  m_readsKnown = false;
  m_cells.clear();
  m_texts.clear();
  if (t_spareGone) return;
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

void RowSet::setText(Cell& cell, const char* bytes, std::size_t n) {
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
  if (!t_spareGone) {
    m_cells.swap(t_spare.cells);
    m_texts.swap(t_spare.texts);
  }
  startLoad(statement);
  countBackendQuery();
  session.backend().load(statement, *this);
}

void RowSet::prefetch(Session& session, const std::vector<std::wstring>& sqls) {
  if (!session.backend().loadsMany()) return;
  ResultCache& cache = session.results();
  cache.revalidate(session);
  std::vector<std::shared_ptr<const TranslatedStatement>> held;
  std::vector<const TranslatedStatement*> wanted;
  std::vector<std::shared_ptr<RowSet>> results;
  std::vector<RowSet*> into;
  for (const std::wstring& sql : sqls) {
    std::shared_ptr<const TranslatedStatement> statement = session.translate(sql, true);
    if (!statement->isSelect || cache.find(statement->sql)) continue;
    if (std::any_of(wanted.begin(), wanted.end(),
                    [&](const TranslatedStatement* w) { return w->sql == statement->sql; })) {
      continue;
    }
    wanted.push_back(statement.get());
    held.push_back(std::move(statement));
    results.push_back(std::make_shared<RowSet>());
    results.back()->startLoad(*wanted.back());
    into.push_back(results.back().get());
  }
  if (wanted.empty()) return;
  const std::vector<bool> read = session.backend().loadMany(wanted, into);
  for (std::size_t i = 0; i < wanted.size() && i < read.size(); ++i) {
    if (!read[i]) continue;
    countBackendQuery();
    cache.store(wanted[i]->sql, std::move(results[i]));
  }
}

bool RowSet::dependsOn(const std::string& table) const {
  if (m_source) return m_source->dependsOn(table);
  if (!m_readsKnown) return true;
  for (const std::string& read : m_reads) {
    if (equalsFolded(std::string_view(read), std::string_view(table))) return true;
  }
  return false;
}

void RowSet::addField(FieldInfo field) {
  if (field.origin.empty()) m_writable = false;
  m_fields.push_back(std::move(field));
}

Cell* RowSet::addRow(long long rowid) {
  const std::size_t base = m_cells.size();
  m_cells.resize(base + m_fields.size());
  m_rows.push_back({rowid, false});
  return m_cells.data() + base;
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

void setWideText(VARIANT& out, const wchar_t* text, std::size_t length) {
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

bool RowSet::sameFields(const RowSet& other) const {
  if (m_fields.size() != other.m_fields.size()) return false;
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    if (m_fields[i].name != other.m_fields[i].name || m_fields[i].type != other.m_fields[i].type)
      return false;
  }
  return true;
}

bool RowSet::sameRow(std::size_t row, const RowSet& other, std::size_t otherRow) const {
  const std::size_t n = m_fields.size();
  const Cell* a = cells().data() + row * n;
  const Cell* b = other.cells().data() + otherRow * n;
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i].kind != b[i].kind) return false;
    switch (a[i].kind) {
      case Cell::Kind::Null:
        break;
      case Cell::Kind::Integer:
        if (a[i].integer != b[i].integer) return false;
        break;
      case Cell::Kind::Real:
        if (std::memcmp(&a[i].real, &b[i].real, sizeof a[i].real) != 0) return false;
        break;
      case Cell::Kind::Text:
        if (a[i].length != b[i].length ||
            std::memcmp(texts().data() + a[i].offset, other.texts().data() + b[i].offset,
                        a[i].length) != 0)
          return false;
        break;
    }
  }
  return true;
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
      setWideText(out, value.text.data(), value.text.size());
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
  HRESULT hr = VariantChangeType(&converted, &value, 0, storedTypeFor(f.type, value.vt));
  // A catalogue number is finite: an infinity (a number typed beyond the range of a
  // double, as a caller's own parsing returns it) or a NaN is refused as the text
  // "1e309" is, instead of being stored.
  if (SUCCEEDED(hr) && converted.vt == VT_R8 && !std::isfinite(converted.dblVal)) {
    hr = std::isnan(converted.dblVal) ? DISP_E_TYPEMISMATCH : DISP_E_OVERFLOW;
  }
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

[[noreturn]] void rowGone() {
  throw _com_error(E_FAIL, L"无法为更新定位行。一些值可能已在最后一次读取后已更改。", L"ADODB");
}

}  // namespace

std::vector<std::string> RowSet::originsOf(const std::vector<PendingValue>& values) const {
  std::vector<std::string> out;
  out.reserve(values.size());
  for (const PendingValue& v : values) out.push_back(m_fields[v.field].origin);
  return out;
}

void RowSet::updateRow(Session& session, std::size_t row, const std::vector<PendingValue>& values) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  if (values.empty()) return;
  detach();
  if (session.backend().update(m_table, originsOf(values), values, m_rows[row].rowid) == 0) {
    rowGone();
  }
  for (const PendingValue& v : values) {
    m_cells[row * m_fields.size() + v.field] = storeValue(v);
  }
}

std::size_t RowSet::insertRow(Session& session, const std::vector<PendingValue>& values) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  detach();
  const long long rowid = session.backend().insert(m_table, originsOf(values), values);
  const std::size_t row = m_rows.size();
  m_cells.resize(m_cells.size() + m_fields.size());
  m_rows.push_back({rowid, false});
  // Defaults and automatic numbers are the table's: the new row is read back.
  std::vector<std::string> all;
  for (const FieldInfo& f : m_fields) all.push_back(f.origin);
  if (!session.backend().readRow(m_table, all, rowid, *this, row)) rowGone();
  return row;
}

void RowSet::deleteRow(Session& session, std::size_t row) {
  if (!m_writable) throwAdoError(adErrFeatureNotAvailable);
  detach();
  if (session.backend().remove(m_table, m_rows[row].rowid) == 0) rowGone();
  m_rows[row].deleted = true;
}

}  // namespace adoimpl
