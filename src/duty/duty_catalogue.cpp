// Reading the catalogue for FANDUTY: models, table styles, headings, parameter rows.
#include "duty/duty_catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/text_case.h"
#include "db/field_text.h"

namespace duty {

namespace {

std::wstring upper(const CString& text) { return zrbase::toUpper(text.str()); }

// A field's value as a finite number: numbers as they are, texts when they
// hold one (the data layer's conversion); NULL and other texts give none.
std::optional<double> numberOf(const _variant_t& value) {
  // The kinds the data layer hands out for numbers, without a conversion.
  switch (value.vt) {
    case VT_R8:
      return std::isfinite(value.dblVal) ? std::optional(value.dblVal) : std::nullopt;
    case VT_I4:
      return static_cast<double>(value.lVal);
    case VT_I8:
      return static_cast<double>(value.llVal);
    case VT_NULL:
      return std::nullopt;
    default:
      break;
  }
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, &value, 0, VT_R8))) return std::nullopt;
  const double v = converted.dblVal;
  VariantClear(&converted);
  return std::isfinite(v) ? std::optional(v) : std::nullopt;
}

// One statement's rows, with its field names, read by position: all at once,
// past the recordset (a large catalogue's hundred thousand performance rows
// would otherwise each make a variant per value).
class Rows {
 public:
  Rows(const _ConnectionPtr& connection, const CString& sql) : m_rows(*connection, sql.str()) {
    for (std::size_t i = 0; i < m_rows.fieldCount(); ++i)
      m_names.push_back(CString(m_rows.fieldName(i)));
  }

  const std::vector<CString>& names() const { return m_names; }
  // The position of a field (any letter case), -1 when there is none.
  long field(const wchar_t* name) const {
    const std::wstring wanted = upper(name);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
      if (upper(m_names[i]) == wanted) return static_cast<long>(i);
    }
    return -1;
  }
  std::size_t rowCount() const { return m_rows.rowCount(); }
  bool atEnd() const { return m_row >= m_rows.rowCount(); }
  void next() { ++m_row; }
  std::optional<double> number(long field) {
    if (field < 0) return std::nullopt;
    m_rows.read(m_row, static_cast<std::size_t>(field), m_value);
    return numberOf(m_value);
  }
  // The field's text as FieldText gives it; empty for a field that is not there.
  CString text(long field) {
    if (field < 0) return CString();
    std::string_view utf8;
    if (textBytes(field, utf8)) return CString::FromUtf8(utf8);
    if (const CString* t = numberText(field)) return *t;
    return FieldText(m_value);
  }
  const adoimpl::ResultRows& result() const { return m_rows; }
  std::size_t row() const { return m_row; }

 private:
  // A text value's bytes, as far as a variant's text would go (to a NUL).
  bool textBytes(long field, std::string_view& utf8) const {
    if (!m_rows.utf8(m_row, static_cast<std::size_t>(field), utf8)) return false;
    utf8 = utf8.substr(0, utf8.find('\0'));
    return true;
  }
  // Reads the field into m_value; when it is a number, its text. A number's
  // text is remembered for the next row with the same value in this field: a
  // column of fan numbers or speeds holds a few dozen values over ten
  // thousand models, and each conversion formats the number anew.
  const CString* numberText(long field) {
    const auto at = static_cast<std::size_t>(field);
    m_rows.read(m_row, at, m_value);
    if (m_value.vt != VT_I4 && m_value.vt != VT_I8 && m_value.vt != VT_R8) return nullptr;
    if (m_numberTexts.size() < m_names.size()) m_numberTexts.resize(m_names.size());
    std::uint64_t bits = 0;
    static_assert(sizeof m_value.dblVal == sizeof bits && sizeof m_value.llVal == sizeof bits);
    if (m_value.vt == VT_R8) {
      std::memcpy(&bits, &m_value.dblVal, sizeof bits);
    } else {
      bits = static_cast<std::uint64_t>(m_value.vt == VT_I4 ? m_value.lVal : m_value.llVal);
    }
    auto& known = m_numberTexts[at];
    const auto key = std::make_pair(m_value.vt, bits);
    if (const auto it = known.find(key); it != known.end()) return &it->second;
    if (known.size() < kNumberTextsKept)
      return &known.emplace(key, FieldText(m_value)).first->second;
    m_unkept = FieldText(m_value);
    return &m_unkept;
  }

  static constexpr std::size_t kNumberTextsKept = 1024;
  adoimpl::ResultRows m_rows;
  std::vector<CString> m_names;
  std::size_t m_row = 0;
  _variant_t m_value;
  std::vector<std::map<std::pair<VARTYPE, std::uint64_t>, CString>> m_numberTexts;  // by field
  CString m_unkept;  // a number's text when the field's are not kept
};

CString describe(const _com_error& e) {
  const _bstr_t d = e.Description();
  const wchar_t* text = static_cast<const wchar_t*>(d);
  return text && *text ? CString(text) : CString(e.ErrorMessage());
}

// Upper-case column name to heading, the first row of each name counting.
std::map<std::wstring, CString> readHeadings(const _ConnectionPtr& connection) {
  std::map<std::wstring, CString> headings;
  try {
    Rows rows(connection, L"SELECT * FROM IndexTableName");
    const long name = rows.field(L"IndexName"), head = rows.field(L"TableHead");
    if (name < 0 || head < 0) return headings;
    for (; !rows.atEnd(); rows.next()) {
      headings.emplace(upper(rows.text(name)), rows.text(head));
    }
  } catch (const _com_error&) {
    // Without the dictionary columns are found by their names alone.
  }
  return headings;
}

// Upper-case series to the kind of its parameter rows, the first row counting.
std::map<std::wstring, std::optional<RowKind>> readStyles(const _ConnectionPtr& connection) {
  std::map<std::wstring, std::optional<RowKind>> styles;
  try {
    Rows rows(connection, L"SELECT * FROM Model_Table_Parameter_Style");
    const long series = rows.field(L"BigModel"), style = rows.field(L"TableStyle");
    if (series < 0 || style < 0) return styles;
    for (; !rows.atEnd(); rows.next()) {
      const std::optional<double> v = rows.number(style);
      std::optional<RowKind> kind;
      if (v) kind = *v != 0 ? RowKind::Points : RowKind::Ranges;
      styles.emplace(upper(rows.text(series)), kind);
    }
  } catch (const _com_error&) {
    // No style table: no series has a usable style, which each one says.
  }
  return styles;
}

void readDensity(const std::map<std::wstring, CString>& headings, DutyCatalogue& catalogue) {
  const auto it = headings.find(kDensityEntry);
  if (it == headings.end()) return;
  const std::optional<double> v = numberOf(_variant_t(it->second));
  // Air anywhere a fan is tested lies far inside these bounds.
  if (v && *v > 0.1 && *v < 10) {
    catalogue.density = *v;
  } else {
    catalogue.densityProblem = CString(kDensityEntry) + L" 的值 '" + it->second + L"' 不是空气密度";
  }
}

// The text that tells models apart: series, fan number, drive and speed.
std::wstring modelKey(const CString& series, const CString& fanNo, const CString& drive,
                      const CString& speed) {
  return series.str() + L'\n' + fanNo.str() + L'\n' + drive.str() + L'\n' + speed.str();
}

// What a read covers: every model, or those whose keys are in `models`; and
// the text columns each row keeps.
struct ReadScope {
  const std::unordered_set<std::wstring>* models = nullptr;  // null: every model
  std::vector<CString> textColumns;
};

// The rows of table Model that a catalogue's models were made from, and for
// each row the model it made (npos: none).
struct ModelRows {
  std::optional<adoimpl::ResultRows> rows;
  std::vector<std::size_t> modelOf;
};

// Models read before, taken over where table Model still gives them: each
// row is compared with the row after the last one matched (or the one after
// that, when a row was removed), and the model that a row the same to the
// byte made is moved, rows and all, rather than made again. `from` gives, for
// each model read, the one it was taken from (npos: made from its row).
struct Earlier {
  std::vector<CatalogueModel>& models;
  const ModelRows& made;
  std::vector<std::size_t>& from;
};

void readModels(const _ConnectionPtr& connection, DutyCatalogue& catalogue,
                const std::map<std::wstring, std::optional<RowKind>>& styles,
                const ReadScope& scope, ModelRows* made = nullptr,
                const std::optional<Earlier>& earlier = std::nullopt) {
  Rows rows(connection, L"SELECT * FROM Model");
  const long id = rows.field(L"ID"), series = rows.field(L"BigModel"),
             drive = rows.field(L"DriveMode"), fanNo = rows.field(L"FanNo"),
             speed = rows.field(L"Speed"), label = rows.field(L"LabelModel");
  std::map<std::wstring, std::size_t, std::less<>> seriesIndex;
  if (!scope.models) catalogue.models.reserve(rows.rowCount());
  if (made) {
    made->rows = rows.result();
    made->modelOf.assign(rows.rowCount(), std::string::npos);
  }
  std::wstring wanted;  // a model's key, made in one buffer: most models of a scope are not
  const adoimpl::ResultRows* before =
      earlier && earlier->made.rows && earlier->made.rows->sameFields(rows.result())
          ? &*earlier->made.rows
          : nullptr;
  std::size_t next = 0;  // the earlier row the next row is compared with first
  for (; !rows.atEnd(); rows.next()) {
    CatalogueModel m;
    const std::optional<double> key = rows.number(id);
    std::size_t taken = std::string::npos;
    for (std::size_t k = next; before && k < before->rowCount() && k < next + 2; ++k) {
      if (!rows.result().sameRow(rows.row(), *before, k)) continue;
      next = k + 1;
      taken = earlier->made.modelOf[k];  // npos: the row made no model, nor does it now
      break;
    }
    if (taken != std::string::npos) {
      m = std::move(earlier->models[taken]);
    } else {
      auto text = [&rows](long field) { return rows.text(field); };
      m.bigModel = text(series);
      m.fanNo = text(fanNo);
      m.driveMode = text(drive);
      m.speed = text(speed);
      if (!key || m.bigModel.IsEmpty() || m.fanNo.IsEmpty() || m.driveMode.IsEmpty() ||
          m.speed.IsEmpty()) {
        ++catalogue.incompleteModels;
        continue;
      }
      if (scope.models) {
        wanted.clear();
        for (const CString* part : {&m.bigModel, &m.fanNo, &m.driveMode, &m.speed}) {
          if (!wanted.empty()) wanted += L'\n';
          wanted += part->str();
        }
        if (!scope.models->contains(wanted)) continue;
      }
      m.labelModel = text(label);
      m.id = static_cast<int>(*key);
    }
    if (earlier) earlier->from.push_back(taken);
    if (made) made->modelOf[rows.row()] = catalogue.models.size();
    auto it = seriesIndex.find(m.bigModel.str());
    if (it == seriesIndex.end()) {
      it = seriesIndex.emplace(m.bigModel.str(), catalogue.series.size()).first;
      CatalogueSeries s;
      s.name = m.bigModel;
      const auto style = styles.find(upper(m.bigModel));
      if (style != styles.end()) s.kind = style->second;
      if (!s.kind) s.problem = L"没有可用的表格样式 (Model_Table_Parameter_Style)";
      catalogue.series.push_back(s);
    }
    m.series = it->second;
    catalogue.models.push_back(std::move(m));
  }
}

constexpr std::size_t kRowsPerModel = 12;

// The columns a series' rows are read from: positions, -1 where missing.
struct RowColumns {
  long modelId, flow, pressure, flowLow, flowHigh, pressureLow, pressureHigh;
  long efficiency, shaftPower, motorPower, lwa;
  std::array<long, fanperf::kOctaveBands> bands;
};

CString missingColumns(const Rows& rows, RowKind kind) {
  const std::vector<const wchar_t*> needed =
      kind == RowKind::Points ? std::vector<const wchar_t*>{L"ModelID", L"Flux", L"AllPress"}
                              : std::vector<const wchar_t*>{L"ModelID", L"FluxLow", L"FluxHigh",
                                                            L"AllPressLow", L"AllPressHigh"};
  CString missing;
  for (const wchar_t* name : needed) {
    if (rows.field(name) >= 0) continue;
    if (!missing.IsEmpty()) missing += L", ";
    missing += name;
  }
  return missing;
}

// A column name that can stand bare in a select list: letters of any script,
// digits and underscores.
bool bareName(const CString& name) {
  for (wchar_t c : name.str()) {
    if (!std::iswalnum(static_cast<wint_t>(c)) && c != L'_' && c < 0x80) return false;
  }
  return !name.IsEmpty();
}

// The statement that reads the columns FANDUTY uses, and only those: a large
// catalogue's parameter rows hold text columns (motor models) that would be
// read and converted for nothing.
CString rowStatement(const CString& table, RowKind kind, const PerformanceColumns& roles,
                     const std::vector<CString>& texts) {
  std::vector<CString> names = {L"ModelID"};
  if (kind == RowKind::Points) {
    names.insert(names.end(), {L"Flux", L"AllPress"});
  } else {
    names.insert(names.end(), {L"FluxLow", L"FluxHigh", L"AllPressLow", L"AllPressHigh"});
  }
  for (const CString& role : {roles.efficiency, roles.shaftPower, roles.motorPower, roles.lwa}) {
    if (!role.IsEmpty()) names.push_back(role);
  }
  for (const CString& band : roles.bands) {
    if (!band.IsEmpty()) names.push_back(band);
  }
  names.insert(names.end(), texts.begin(), texts.end());
  CString list;
  for (const CString& name : names) {
    if (!bareName(name)) return L"SELECT * FROM " + table;
    if (!list.IsEmpty()) list += L", ";
    list += name;
  }
  return L"SELECT " + list + L" FROM " + table;
}

// The eight bands of the row, when the series has their columns and the row
// gives each of them.
std::optional<fanperf::OctaveLevels> bandsOf(Rows& rows,
                                             const std::array<long, fanperf::kOctaveBands>& at) {
  fanperf::OctaveLevels levels{};
  for (std::size_t b = 0; b < fanperf::kOctaveBands; ++b) {
    const std::optional<double> v = rows.number(at[b]);
    if (!v) return std::nullopt;
    levels[b] = *v;
  }
  return levels;
}

// Each series' models by key (a key given to two models of the series is the
// first one's), made in one pass over the models rather than one per series.
std::vector<std::unordered_map<long long, std::size_t>> modelsByKey(
    const DutyCatalogue& catalogue) {
  std::vector<std::unordered_map<long long, std::size_t>> byKey(catalogue.series.size());
  for (std::size_t i = 0; i < catalogue.models.size(); ++i) {
    byKey[catalogue.models[i].series].emplace(catalogue.models[i].id, i);
  }
  return byKey;
}

// Reads the rows of one statement on a series' parameter table into its models.
void readRowsOf(Rows& rows, const CatalogueSeries& series, const ReadScope& scope,
                const std::unordered_map<long long, std::size_t>& byId, DutyCatalogue& catalogue) {
  auto at = [&rows](const CString& name) { return name.IsEmpty() ? -1 : rows.field(name); };
  RowColumns c{
      rows.field(L"ModelID"),        rows.field(L"Flux"),           rows.field(L"AllPress"),
      rows.field(L"FluxLow"),        rows.field(L"FluxHigh"),       rows.field(L"AllPressLow"),
      rows.field(L"AllPressHigh"),   at(series.columns.efficiency), at(series.columns.shaftPower),
      at(series.columns.motorPower), at(series.columns.lwa),        {}};
  for (std::size_t b = 0; b < fanperf::kOctaveBands; ++b) c.bands[b] = at(series.columns.bands[b]);
  std::vector<long> texts;
  for (const CString& name : scope.textColumns) texts.push_back(at(name));
  for (; !rows.atEnd(); rows.next()) {
    const std::optional<double> id = rows.number(c.modelId);
    if (!id) continue;
    const auto model = byId.find(static_cast<long long>(*id));
    if (model == byId.end()) continue;
    PerformanceRow r;
    if (*series.kind == RowKind::Points) {
      r.flow = rows.number(c.flow);
      r.pressure = rows.number(c.pressure);
    } else {
      r.flowLow = rows.number(c.flowLow);
      r.flowHigh = rows.number(c.flowHigh);
      r.pressureLow = rows.number(c.pressureLow);
      r.pressureHigh = rows.number(c.pressureHigh);
    }
    r.efficiency = rows.number(c.efficiency);
    r.shaftPower = rows.number(c.shaftPower);
    r.motorPower = rows.number(c.motorPower);
    r.lwa = rows.number(c.lwa);
    r.bands = bandsOf(rows, c.bands);
    CatalogueModel& m = catalogue.models[model->second];
    // A model has some ten rows: one allocation instead of five.
    if (m.rows.empty()) m.rows.reserve(kRowsPerModel);
    m.rows.push_back(r);
    for (const long t : texts) m.rowTexts.push_back(rows.text(t));
  }
}

void readSeriesRows(const _ConnectionPtr& connection,
                    const std::map<std::wstring, CString>& headings, std::size_t index,
                    const std::unordered_map<long long, std::size_t>& byId, const ReadScope& scope,
                    DutyCatalogue& catalogue) {
  CatalogueSeries& series = catalogue.series[index];
  const CString table = series.name + L"_Parameter";
  try {
    std::vector<CString> texts;  // the text columns the table has
    {
      // The table's columns, without its rows.
      const Rows columns(connection, L"SELECT * FROM " + table + L" WHERE 1 = 0");
      const CString missing = missingColumns(columns, *series.kind);
      if (!missing.IsEmpty()) {
        series.problem = L"参数表 " + table + L" 缺少列 " + missing;
        return;
      }
      series.columns = findPerformanceColumns(columns.names(), headings);
      for (const CString& name : scope.textColumns) {
        const long at = columns.field(name);
        if (at >= 0) texts.push_back(columns.names()[static_cast<std::size_t>(at)]);
      }
    }
    const CString statement = rowStatement(table, *series.kind, series.columns, texts);
    if (scope.models) {
      try {
        std::vector<long long> ids;
        for (const auto& [id, model] : byId) ids.push_back(id);
        Rows rows(connection, statement + modelIdLimit(std::move(ids)));
        readRowsOf(rows, series, scope, byId, catalogue);
        return;
      } catch (const _com_error&) {
        // A table whose ModelID the server cannot compare with numbers is read whole.
        for (const auto& [id, model] : byId) {
          catalogue.models[model].rows.clear();
          catalogue.models[model].rowTexts.clear();
        }
      }
    }
    Rows rows(connection, statement);
    readRowsOf(rows, series, scope, byId, catalogue);
  } catch (const _com_error& e) {
    series.problem = L"参数表 " + table + L" 无法读取: " + describe(e);
  }
}

// Whether upper-case text without blanks names octave band b: LW63 or 63HZ,
// and for 1000 Hz and above also 1KHZ; the number not part of a longer one.
bool namesBand(const std::wstring& text, std::size_t b) {
  const int hz = static_cast<int>(fanperf::kOctaveCentres[b]);
  const std::wstring number = std::to_wstring(hz);
  auto digitAt = [&text](std::size_t i) {
    return i < text.size() && std::iswdigit(static_cast<wint_t>(text[i]));
  };
  auto found = [&](const std::wstring& before, const std::wstring& n, const std::wstring& after) {
    const std::wstring wanted = before + n + after;
    for (std::size_t at = text.find(wanted); at != std::wstring::npos;
         at = text.find(wanted, at + 1)) {
      const std::size_t start = at + before.size();
      if ((start == 0 || !digitAt(start - 1)) && !digitAt(start + n.size())) return true;
    }
    return false;
  };
  return found(L"LW", number, L"") || found(L"", number, L"HZ") ||
         (hz >= 1000 && found(L"", std::to_wstring(hz / 1000), L"KHZ"));
}

std::wstring withoutBlanks(const CString& text) {
  std::wstring t = upper(text);
  std::erase_if(t, [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; });
  return t;
}

// The sound columns among those not used yet: the bands first (their
// headings may hold 声功率 too), then LwA.
void findSoundColumns(const std::vector<CString>& fields,
                      const std::map<std::wstring, CString>& headings, std::vector<bool>& used,
                      PerformanceColumns& found) {
  auto headingOf = [&headings](const CString& field) {
    const auto h = headings.find(upper(field));
    return h == headings.end() ? std::wstring() : withoutBlanks(h->second);
  };
  for (std::size_t b = 0; b < fanperf::kOctaveBands; ++b) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (used[i] ||
          !(namesBand(withoutBlanks(fields[i]), b) || namesBand(headingOf(fields[i]), b)))
        continue;
      found.bands[b] = fields[i];
      used[i] = true;
      break;
    }
  }
  auto isLwa = [&](std::size_t i) {
    const std::wstring h = headingOf(fields[i]);
    return upper(fields[i]) == L"LWA" || h.find(L"噪声") != std::wstring::npos ||
           h.find(L"声功率") != std::wstring::npos || h.find(L"LWA") != std::wstring::npos;
  };
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (used[i] || !isLwa(i)) continue;
    found.lwa = fields[i];
    used[i] = true;
    break;
  }
}

// Reads each series' parameter rows into its models (those of a series
// without a usable table style have none).
void readAllRows(const _ConnectionPtr& connection, const std::map<std::wstring, CString>& headings,
                 const ReadScope& scope, DutyCatalogue& catalogue) {
  const auto byKey = modelsByKey(catalogue);
  for (std::size_t i = 0; i < catalogue.series.size(); ++i) {
    if (catalogue.series[i].kind)
      readSeriesRows(connection, headings, i, byKey[i], scope, catalogue);
  }
}

// A catalogue as read, with the headings and table styles that decided each
// series' columns and kind: what a later read of the whole catalogue takes
// over from it.
struct WholeRead {
  DutyCatalogue catalogue;
  std::map<std::wstring, CString> headings;
  std::map<std::wstring, std::optional<RowKind>> styles;
  ModelRows modelRows;
};

WholeRead readWhole(const _ConnectionPtr& connection, const ReadScope& scope) {
  WholeRead read;
  read.headings = readHeadings(connection);
  readDensity(read.headings, read.catalogue);
  read.styles = readStyles(connection);
  readModels(connection, read.catalogue, read.styles, scope, &read.modelRows);
  readAllRows(connection, read.headings, scope, read.catalogue);
  return read;
}

// Reads a series' parameter rows again, from no rows: its models lose
// whatever rows they had or brought along, and the series its columns and
// problem.
void readSeriesAgain(const _ConnectionPtr& connection,
                     const std::map<std::wstring, CString>& headings, std::size_t index,
                     const std::unordered_map<long long, std::size_t>& byId,
                     DutyCatalogue& catalogue) {
  catalogue.series[index].problem.Empty();
  catalogue.series[index].columns = {};
  for (CatalogueModel& m : catalogue.models) {
    if (m.series != index) continue;
    m.rows.clear();
    m.rowTexts.clear();
  }
  readSeriesRows(connection, headings, index, byId, {}, catalogue);
}

// Brings a whole read up to date when only these tables have changed since:
// table Model is read again when it is among them, and a series' parameter
// rows only when its table is, or when Model now gives it a model ID it did
// not have (whose rows were not read); the other series keep their rows. False
// when the headings or the table styles changed, which every series depends
// on: the caller then reads everything, and drops `kept`, which may be left
// half brought up to date.
bool bringUpToDate(const _ConnectionPtr& connection, WholeRead& kept,
                   const std::vector<std::string>& changedTables) {
  std::unordered_set<std::wstring> changed;
  for (const std::string& table : changedTables) changed.insert(upper(CString::FromUtf8(table)));
  auto isChanged = [&changed](const CString& table) { return changed.contains(upper(table)); };
  if (isChanged(L"IndexTableName") || isChanged(L"Model_Table_Parameter_Style")) return false;
  DutyCatalogue& old = kept.catalogue;
  auto rowTable = [](const CatalogueSeries& s) { return s.name + L"_Parameter"; };
  if (!isChanged(L"Model")) {
    const auto byKey = modelsByKey(old);
    for (std::size_t i = 0; i < old.series.size(); ++i) {
      if (old.series[i].kind && isChanged(rowTable(old.series[i])))
        readSeriesAgain(connection, kept.headings, i, byKey[i], old);
    }
    return true;
  }
  DutyCatalogue fresh;
  fresh.density = old.density;
  fresh.densityProblem = old.densityProblem;
  std::vector<std::size_t> from;
  ModelRows made;
  readModels(connection, fresh, kept.styles, {}, &made, Earlier{old.models, kept.modelRows, from});
  // Where each earlier model went (npos: gone); the IDs and series of those
  // moved stay readable.
  std::vector<std::size_t> movedTo(old.models.size(), std::string::npos);
  for (std::size_t f = 0; f < from.size(); ++f) {
    if (from[f] != std::string::npos) movedTo[from[f]] = f;
  }
  const auto oldByKey = modelsByKey(old);
  std::unordered_map<std::wstring, std::size_t> oldSeries;
  for (std::size_t i = 0; i < old.series.size(); ++i)
    oldSeries.emplace(old.series[i].name.str(), i);
  const auto byKey = modelsByKey(fresh);
  std::vector<bool> readAgain(fresh.series.size(), false);
  for (std::size_t i = 0; i < fresh.series.size(); ++i) {
    CatalogueSeries& s = fresh.series[i];
    if (!s.kind) continue;
    const auto was = oldSeries.find(s.name.str());
    bool keep = was != oldSeries.end() && !isChanged(rowTable(s));
    for (auto it = byKey[i].begin(); keep && it != byKey[i].end(); ++it) {
      keep = oldByKey[was->second].contains(it->first);
    }
    if (!keep) {
      readAgain[i] = true;
      continue;
    }
    // Rows belong to a model ID within its series: those read for the ID go
    // to the model that now holds it, from the one that held them, wherever
    // that is now.
    s.columns = old.series[was->second].columns;
    s.problem = old.series[was->second].problem;
    for (const auto& [id, model] : byKey[i]) {
      const std::size_t held = oldByKey[was->second].at(id);
      CatalogueModel& source =
          movedTo[held] != std::string::npos ? fresh.models[movedTo[held]] : old.models[held];
      CatalogueModel& holder = fresh.models[model];
      if (&source == &holder) continue;
      holder.rows = std::move(source.rows);
      holder.rowTexts = std::move(source.rowTexts);
      source.rows.clear();
      source.rowTexts.clear();
    }
  }
  for (std::size_t i = 0; i < fresh.series.size(); ++i) {
    if (readAgain[i]) readSeriesAgain(connection, kept.headings, i, byKey[i], fresh);
  }
  old = std::move(fresh);
  kept.modelRows = std::move(made);
  return true;
}

}  // namespace

PerformanceColumns findPerformanceColumns(const std::vector<CString>& fields,
                                          const std::map<std::wstring, CString>& headings) {
  PerformanceColumns found;
  CString PerformanceColumns::*const roles[] = {&PerformanceColumns::efficiency,
                                                &PerformanceColumns::shaftPower,
                                                &PerformanceColumns::motorPower};
  const wchar_t* const names[] = {L"EFFICIENCY", L"SHAFTPOWER", L"MOTORPOWER"};
  std::vector<bool> used(fields.size(), false);
  for (int r = 0; r < 3; ++r) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (used[i] || upper(fields[i]) != names[r]) continue;
      found.*roles[r] = fields[i];
      used[i] = true;
      break;
    }
  }
  auto headingFits = [](int role, const CString& h) {
    switch (role) {
      case 0:
        return h.Find(L"效率") >= 0 && h.Find(L"电机") < 0;
      case 1:
        return h.Find(L"轴功率") >= 0 || h.Find(L"内功率") >= 0;
      default:
        return h.Find(L"电机功率") >= 0;
    }
  };
  for (int r = 0; r < 3; ++r) {
    if (!(found.*roles[r]).IsEmpty()) continue;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (used[i]) continue;
      const auto h = headings.find(upper(fields[i]));
      if (h == headings.end() || !headingFits(r, h->second)) continue;
      found.*roles[r] = fields[i];
      used[i] = true;
      break;
    }
  }
  findSoundColumns(fields, headings, used, found);
  return found;
}

std::shared_ptr<const DutyCatalogue> keptDutyCatalogue(const _ConnectionPtr& connection) {
  // The last catalogue read whole, with the stamp taken before reading it:
  // while the catalogue's stamp stays, nothing has written to it, here or in
  // another program, and it is not read again (ten thousand models). When it
  // moved, the data layer tells which tables were written since, and only
  // those are read again (a write to one model reads table Model, not the
  // hundred thousand parameter rows). One is kept, for the catalogue last
  // asked for.
  struct Kept {
    std::mutex mutex;
    adoimpl::CatalogueStamp stamp;
    std::shared_ptr<WholeRead> read;
  };
  // Freed with the module (a kept catalogue of the large sample is some 25 MB).
  static Kept kept;
  const auto catalogueOf = [](const std::shared_ptr<WholeRead>& read) {
    return std::shared_ptr<const DutyCatalogue>(read, &read->catalogue);
  };
  adoimpl::CatalogueStamp stamp;
  if (connection != nullptr) {
    try {
      stamp = adoimpl::catalogueStamp(*connection);
    } catch (const _com_error&) {
      // A closed connection: the read below says why.
    }
  }
  std::shared_ptr<WholeRead> was;
  adoimpl::CatalogueStamp wasStamp;
  {
    const std::lock_guard lock(kept.mutex);
    if (kept.read && adoimpl::sameContent(stamp, kept.stamp)) return catalogueOf(kept.read);
    // Taken out while it is brought up to date: a caller meanwhile reads its own.
    was = std::move(kept.read);
    wasStamp = kept.stamp;
  }
  std::shared_ptr<WholeRead> read;
  std::optional<std::vector<std::string>> changed;
  if (was && stamp.connection != 0) {
    try {
      changed = adoimpl::tablesChangedSince(*connection, wasStamp);
    } catch (const _com_error&) {
      // Read whole below, which says what is wrong.
    }
  }
  if (changed) {
    // A caller still holding the catalogue keeps it as it was.
    if (was.use_count() > 1) was = std::make_shared<WholeRead>(*was);
    if (bringUpToDate(connection, *was, *changed)) read = std::move(was);
  }
  if (!read) read = std::make_shared<WholeRead>(readWhole(connection, {}));
  const std::lock_guard lock(kept.mutex);
  kept.stamp = stamp;
  kept.read = read;
  return catalogueOf(read);
}

DutyCatalogue readDutyCatalogue(const _ConnectionPtr& connection) {
  return *keptDutyCatalogue(connection);
}

DutyCatalogue readDutyCatalogue(const _ConnectionPtr& connection, const CatalogueQuery& query) {
  if (!query.models) return readWhole(connection, {nullptr, query.textColumns}).catalogue;
  std::unordered_set<std::wstring> models;
  for (const ModelName& m : *query.models)
    models.insert(modelKey(m.series, m.fanNo, m.drive, m.speed));
  return readWhole(connection, {&models, query.textColumns}).catalogue;
}

CString modelIdLimit(std::vector<long long> ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  std::wstring list;
  for (const long long id : ids) {
    if (!list.empty()) list += L", ";
    list += std::to_wstring(id);
  }
  return L" WHERE ModelID IN (" + CString(list) + L")";
}

}  // namespace duty
