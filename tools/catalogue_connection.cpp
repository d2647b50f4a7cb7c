// Opening a catalogue through the data layer and reading its tables whole.
#include "catalogue_connection.h"
#include "ascii_case.h"

#include <cmath>
#include <cstdlib>

#include "ado/number_text.h"
#include "ado/pg_schema.h"
#include "base/utf8.h"

namespace fangen {

namespace {

Value valueOf(const _variant_t& v) {
  switch (v.vt) {
    case VT_I2:
      return static_cast<long long>(v.iVal);
    case VT_I4:
    case VT_INT:
      return static_cast<long long>(v.lVal);
    case VT_I8:
      return static_cast<long long>(v.llVal);
    case VT_BOOL:
      return v.boolVal != VARIANT_FALSE ? 1LL : 0LL;
    case VT_R4:
      return static_cast<double>(v.fltVal);
    case VT_R8:
      return v.dblVal;
    case VT_BSTR:
      return zrbase::wideToUtf8(v.bstrVal ? std::wstring_view(v.bstrVal) : std::wstring_view());
    default:
      return {};
  }
}

}  // namespace

std::string reasonOf(const _com_error& e) {
  const _bstr_t d = e.Description();
  const wchar_t* text = static_cast<const wchar_t*>(d);
  return text && *text ? zrbase::wideToUtf8(text) : e.what();
}

_ConnectionPtr openCatalogue(const std::string& where) {
  // The data layer takes a server's address from ZR_CATALOGUE; fancat's argument is
  // the catalogue meant, so it replaces whatever the environment held.
  if (adoimpl::isPostgresAddress(where)) {
    ::setenv("ZR_CATALOGUE", where.c_str(), 1);
  } else {
    ::unsetenv("ZR_CATALOGUE");
  }
  _ConnectionPtr connection;
  if (FAILED(connection.CreateInstance(L"ADODB.Connection", nullptr, CLSCTX_ALL))) {
    throw CatalogueError("cannot make a data-layer connection");
  }
  const std::string shown =
      adoimpl::isPostgresAddress(where) ? adoimpl::addressForMessages(where) : where;
  try {
    std::wstring cs = L"DBQ=" + zrbase::utf8ToWide(adoimpl::isPostgresAddress(where) ? "-" : where);
    connection->Open(_bstr_t(cs.c_str()), L"", L"", adConnectUnspecified);
  } catch (const _com_error& e) {
    throw CatalogueError("cannot open the catalogue '" + shown + "': " + reasonOf(e));
  }
  return connection;
}

int CatalogueTable::column(const std::string& wanted) const {
  const std::string u = upperAscii(wanted);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (upperAscii(columns[i]) == u) return static_cast<int>(i);
  }
  return -1;
}

std::optional<CatalogueTable> readTable(const _ConnectionPtr& connection, const std::string& table,
                                        std::string* why) {
  try {
    _RecordsetPtr rs =
        connection->Execute(_bstr_t(("SELECT * FROM " + table).c_str()), nullptr, adCmdText);
    CatalogueTable t;
    t.name = table;
    FieldsPtr fields = rs->GetFields();
    const long count = fields->GetCount();
    for (long i = 0; i < count; ++i) {
      t.columns.push_back(zrbase::wideToUtf8(
          static_cast<const wchar_t*>(fields->GetItem(_variant_t(i))->GetName())));
    }
    for (; rs->GetadoEOF() == VARIANT_FALSE; rs->MoveNext()) {
      std::vector<Value> row;
      row.reserve(static_cast<std::size_t>(count));
      for (long i = 0; i < count; ++i) row.push_back(valueOf(rs->value(i)));
      t.rows.push_back(std::move(row));
    }
    rs->Close();
    return t;
  } catch (const _com_error& e) {
    if (why) *why = reasonOf(e);
    return std::nullopt;
  }
}

std::optional<double> numberOf(const Value& v) {
  if (const auto* i = std::get_if<long long>(&v)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&v)) {
    return std::isfinite(*d) ? std::optional(*d) : std::nullopt;
  }
  if (const auto* s = std::get_if<std::string>(&v)) {
    const adoimpl::ParsedNumber n = adoimpl::parseNumber(zrbase::utf8ToWide(*s));
    if (n.ok && std::isfinite(n.real)) return n.real;
  }
  return std::nullopt;
}

std::string textOf(const Value& v) {
  if (const auto* i = std::get_if<long long>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) return adoimpl::formatDouble(*d);
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return {};
}

ModelColumns::ModelColumns(const CatalogueTable& m)
    : id(m.column("ID")),
      series(m.column("BigModel")),
      drive(m.column("DriveMode")),
      fanNo(m.column("FanNo")),
      speed(m.column("Speed")),
      label(m.column("LabelModel")) {}

CatalogueSnapshot readSnapshot(const _ConnectionPtr& connection,
                               const std::set<std::string>* onlySeries) {
  CatalogueSnapshot s;
  std::string why;
  std::optional<CatalogueTable> models = readTable(connection, "Model", &why);
  if (!models) throw CatalogueError("cannot read the table Model: " + why);
  s.models = std::move(*models);
  const ModelColumns mc(s.models);
  if (mc.id < 0 || mc.series < 0 || mc.drive < 0 || mc.fanNo < 0 || mc.speed < 0) {
    throw CatalogueError(
        "the table Model lacks one of its columns ID, BigModel, DriveMode, FanNo, Speed");
  }
  if (auto t = readTable(connection, "Model_Table_Parameter_Style")) s.styles = std::move(*t);
  if (auto t = readTable(connection, "IndexTableName")) s.headings = std::move(*t);
  std::set<std::string> seenSeries;
  std::set<std::pair<std::string, std::string>> seenDrives;
  for (const auto& row : s.models.rows) {
    const std::string series = textOf(row[static_cast<std::size_t>(mc.series)]);
    const std::string drive = textOf(row[static_cast<std::size_t>(mc.drive)]);
    if (series.empty()) continue;
    if (seenSeries.insert(series).second) s.series.push_back(series);
    if (!drive.empty() && seenDrives.insert({series, drive}).second) {
      s.drives.emplace_back(series, drive);
    }
  }
  const int styleSeries = s.styles.column("BigModel");
  for (const auto& row : s.styles.rows) {
    if (styleSeries < 0) break;
    const std::string series = textOf(row[static_cast<std::size_t>(styleSeries)]);
    if (!series.empty() && seenSeries.insert(series).second) s.series.push_back(series);
  }
  for (const std::string& series : s.series) {
    if (onlySeries && onlySeries->count(series) == 0) continue;
    const std::string table = parameterTableName(series);
    if (auto t = readTable(connection, table, &why)) {
      s.parameters.emplace(series, std::move(*t));
    } else {
      s.unreadable.emplace(table, why);
    }
  }
  for (const auto& [series, drive] : s.drives) {
    if (onlySeries && onlySeries->count(series) == 0) continue;
    const std::string table = accessoryTableName(series, drive);
    if (auto t = readTable(connection, table, &why)) {
      s.accessories.emplace(table, std::move(*t));
    } else {
      s.unreadable.emplace(table, why);
    }
  }
  return s;
}

}  // namespace fangen
