// Reading a load file, checking it against the catalogue, and writing it in one transaction.
#include "catalogue_load.h"
#include "ascii_case.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "ado/number_text.h"
#include "ado/pg_schema.h"
#include "ado/sql_dialect.h"
#include "base/utf8.h"
#include "catalogue_connection.h"
#include "load_layout.h"
#include "sheet_file.h"

namespace fangen {

namespace {

// The module reads Model.ID as a 16-bit integer.
constexpr long long kMaxModelId = 32767;

std::string trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A table name the catalogue's statements can carry bare: letters of any script,
// digits, '_', '-' and '.'.
bool nameable(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 0x80 && !std::isalnum(c) && c != '_' && c != '-' && c != '.') return false;
  }
  return !s.empty();
}

struct ModelKey {
  std::string series;
  double fanNo = 0;
  std::string drive;
  long long speed = 0;
  auto tie() const { return std::tie(series, fanNo, drive, speed); }
  bool operator<(const ModelKey& o) const { return tie() < o.tie(); }
};

std::string describe(const ModelKey& k) {
  return k.series + " No" + adoimpl::formatDouble(k.fanNo) + " " + k.drive + " " +
         std::to_string(k.speed) + " r/min";
}

// The problems found, each naming the file, row and column.
class Problems {
 public:
  explicit Problems(std::string file) : m_file(std::move(file)) {}
  void add(int row, const std::string& column, const std::string& why) {
    std::string at = m_file + ": ";
    if (row > 0) at += "row " + std::to_string(row) + (column.empty() ? "" : ", ");
    if (!column.empty()) at += "column " + column;
    m_list.push_back(at + ": " + why);
  }
  bool empty() const { return m_list.empty(); }
  void throwIfAny() {
    if (!m_list.empty()) throw LoadError(m_list);
  }

 private:
  std::string m_file;
  std::vector<std::string> m_list;
};

// One sheet's columns: which field each holds, with its unit's factor.
struct SheetColumns {
  std::map<Field, std::pair<std::size_t, double>> at;  // field -> (index, factor)
  std::vector<std::string> headers;
  std::string name(Field f) const {
    const std::size_t i = at.at(f).first;
    return columnLetters(i) + " (" + headers[i] + ")";
  }
  bool has(Field f) const { return at.count(f) != 0; }
};

std::optional<SheetColumns> readHeaders(const Sheet& sheet, SheetKind kind, Problems& problems) {
  SheetColumns out;
  const SheetRow& header = sheet.rows.front();
  out.headers = header.cells;
  bool ok = true;
  for (std::size_t i = 0; i < header.cells.size(); ++i) {
    if (trim(header.cells[i]).empty()) continue;
    std::string why;
    const auto h = parseHeader(header.cells[i], kind, why);
    const std::string column = columnLetters(i) + " (" + header.cells[i] + ")";
    if (!h) {
      problems.add(header.number, column, why);
      ok = false;
    } else if (out.has(h->field)) {
      problems.add(header.number, column, "a second column for " + out.name(h->field));
      ok = false;
    } else {
      out.at[h->field] = {i, h->factor};
    }
  }
  for (const FieldSpec& f : layoutFields()) {
    if (f.sheet == kind && f.required && !out.has(f.field)) {
      problems.add(
          header.number, "",
          std::string("the ") + sheetName(kind) + " sheet has no column '" + headerText(f) + "'");
      ok = false;
    }
  }
  return ok ? std::optional(out) : std::nullopt;
}

// Reads the cells of one row by field, noting what does not parse.
class RowReader {
 public:
  RowReader(const SheetRow& row, const SheetColumns& columns, Problems& problems)
      : m_row(row), m_columns(columns), m_problems(problems) {}

  std::string text(Field f) const {
    const auto it = m_columns.at.find(f);
    if (it == m_columns.at.end() || it->second.first >= m_row.cells.size()) return {};
    return trim(m_row.cells[it->second.first]);
  }
  bool given(Field f) const { return !text(f).empty(); }
  // The number in the catalogue's unit; nothing (noted unless the cell is empty) otherwise.
  std::optional<double> number(Field f) {
    const std::string t = text(f);
    if (t.empty()) return std::nullopt;
    double v = 0;
    const char* begin = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(begin, t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) {
      fail(f, "'" + t + "' is not a number");
      return std::nullopt;
    }
    return v * m_columns.at.at(f).second;
  }
  std::optional<long long> integer(Field f) {
    const std::optional<double> v = number(f);
    if (!v) return std::nullopt;
    if (*v != std::floor(*v) || std::fabs(*v) > 2147483647.0) {
      fail(f, "'" + text(f) + "' is not a whole number");
      return std::nullopt;
    }
    return static_cast<long long>(*v);
  }
  void fail(Field f, const std::string& why) {
    m_problems.add(m_row.number, m_columns.name(f), why);
    m_failed = true;
  }
  void failRow(const std::string& why) {
    m_problems.add(m_row.number, "", why);
    m_failed = true;
  }
  bool failed() const { return m_failed; }
  int number() const { return m_row.number; }

 private:
  const SheetRow& m_row;
  const SheetColumns& m_columns;
  Problems& m_problems;
  bool m_failed = false;
};

// The model a row names; nothing (noted) when its key cells are not usable.
std::optional<ModelKey> readKey(RowReader& r) {
  ModelKey k;
  k.series = r.text(Field::Series);
  k.drive = r.text(Field::DriveMode);
  for (const auto& [field, value] :
       {std::pair{Field::Series, k.series}, std::pair{Field::DriveMode, k.drive}}) {
    if (value.empty()) {
      r.fail(field, "empty");
    } else if (!nameable(value)) {
      r.fail(field, "'" + value +
                        "' cannot name a catalogue table: use letters, digits, '_', '-' and '.'");
    }
  }
  const std::optional<double> fanNo = r.number(Field::FanNo);
  if (!r.given(Field::FanNo)) r.fail(Field::FanNo, "empty");
  if (fanNo && *fanNo <= 0) r.fail(Field::FanNo, "a fan number is positive");
  const std::optional<long long> speed = r.integer(Field::Speed);
  if (!r.given(Field::Speed)) r.fail(Field::Speed, "empty");
  if (speed && *speed <= 0) r.fail(Field::Speed, "a speed is positive");
  if (r.failed()) return std::nullopt;
  k.fanNo = *fanNo;
  k.speed = *speed;
  return k;
}

const Field kPointFields[] = {Field::Flow, Field::Pressure};
const Field kRangeFields[] = {Field::FlowLow, Field::FlowHigh, Field::PressureLow,
                              Field::PressureHigh};
const Field kValueFields[] = {Field::Efficiency, Field::ShaftPower, Field::MotorPower,
                              Field::SoundA,     Field::Sound63,    Field::Sound125,
                              Field::Sound250,   Field::Sound500,   Field::Sound1k,
                              Field::Sound2k,    Field::Sound4k,    Field::Sound8k};

struct FileModel {
  ModelKey key;
  int row = 0;                       // where the file first names it
  std::optional<std::string> label;  // given: the text, "" for NULL
};

struct PerformanceRow {
  int row = 0;
  std::size_t model = 0;  // into LoadPlan::models
  std::map<Field, double> numbers;
  std::optional<std::string> motorModel;
};

struct AccessoryRow {
  int row = 0;
  ModelKey key;
  std::string item, type, remark;
  std::optional<long long> quantity;
};

struct SeriesPlan {
  std::optional<TableStyle> style;  // from its rows; none when only model rows
  int row = 0;                      // the row that set the style
  std::set<Field> fields;           // the value fields its rows give
};

// What the file asks for, read and checked on its own.
struct LoadPlan {
  std::vector<FileModel> models;
  std::map<ModelKey, std::size_t> modelIndex;
  std::vector<std::string> seriesOrder;
  std::map<std::string, SeriesPlan> series;
  std::vector<PerformanceRow> rows;
  std::vector<AccessoryRow> accessories;
  std::vector<std::pair<std::string, std::string>> headings;
};

void readPerformanceRow(RowReader& r, const SheetColumns& columns, LoadPlan& plan) {
  const std::optional<ModelKey> key = readKey(r);
  PerformanceRow row;
  row.row = r.number();
  bool point = false, range = false;
  for (Field f : kPointFields) point |= r.given(f);
  for (Field f : kRangeFields) range |= r.given(f);
  if (point && range) {
    r.failRow(
        "a row is a point (flow, total pressure) or a range (flow low and high, total "
        "pressure low and high), not both");
  }
  for (Field f : point ? std::vector<Field>(std::begin(kPointFields), std::end(kPointFields))
                       : std::vector<Field>(std::begin(kRangeFields), std::end(kRangeFields))) {
    if (!point && !range) break;
    if (!columns.has(f)) {
      r.failRow("the sheet has no column '" + headerText(fieldSpec(f)) + "'");
      continue;
    }
    const std::optional<double> v = r.number(f);
    if (!r.given(f)) r.fail(f, "empty: a " + std::string(point ? "point" : "range") + " needs it");
    if (v && *v < 0) r.fail(f, "negative");
    if (v) row.numbers[f] = *v;
  }
  bool values = false;
  for (Field f : kValueFields) {
    const std::optional<double> v = r.number(f);
    values |= r.given(f);
    if (v && *v < 0) r.fail(f, "negative");
    if (v && f == Field::Efficiency && (*v <= 0 || *v > 100)) {
      r.fail(f, "an efficiency lies within (0, 100] %");
    }
    if (v) row.numbers[f] = *v;
  }
  if (r.given(Field::MotorModel)) row.motorModel = r.text(Field::MotorModel);
  values |= r.given(Field::MotorModel);
  if (!point && !range && values) {
    r.failRow("performance values without flow and total pressure (or their ranges)");
  }
  if (range && row.numbers.count(Field::FlowLow) && row.numbers.count(Field::FlowHigh) &&
      row.numbers[Field::FlowLow] > row.numbers[Field::FlowHigh]) {
    r.fail(Field::FlowLow, "above flow high");
  }
  if (range && row.numbers.count(Field::PressureLow) && row.numbers.count(Field::PressureHigh) &&
      row.numbers[Field::PressureLow] > row.numbers[Field::PressureHigh]) {
    r.fail(Field::PressureLow, "above total pressure high");
  }
  if (!key) return;
  const auto [it, added] = plan.modelIndex.emplace(*key, plan.models.size());
  if (added) plan.models.push_back({*key, r.number(), std::nullopt});
  FileModel& model = plan.models[it->second];
  if (columns.has(Field::Label)) {
    const std::string label = r.text(Field::Label);
    if (!model.label) {
      model.label = label;
    } else if (*model.label != label) {
      r.fail(Field::Label,
             "row " + std::to_string(model.row) + " labels this model '" + *model.label + "'");
    }
  }
  if (!plan.series.count(key->series)) plan.seriesOrder.push_back(key->series);
  SeriesPlan& series = plan.series[key->series];
  if (point || range) {
    const TableStyle style = point ? TableStyle::Point : TableStyle::Range;
    if (!series.style) {
      series.style = style;
      series.row = r.number();
    } else if (*series.style != style) {
      r.failRow("row " + std::to_string(series.row) + " makes series " + key->series + " a " +
                (point ? "range" : "point") + " table; this row is a " +
                (point ? "point" : "range"));
    }
    for (const auto& [f, v] : row.numbers) series.fields.insert(f);
  }
  if (r.failed() || (!point && !range)) return;
  row.model = it->second;
  plan.rows.push_back(std::move(row));
}

void readAccessoryRow(RowReader& r, LoadPlan& plan) {
  const std::optional<ModelKey> key = readKey(r);
  AccessoryRow a;
  a.row = r.number();
  a.item = r.text(Field::ItemName);
  if (a.item.empty()) r.fail(Field::ItemName, "empty");
  a.type = r.text(Field::Spec);
  a.remark = r.text(Field::Remark);
  a.quantity = r.integer(Field::ItemQuantity);
  if (!key || r.failed()) return;
  a.key = *key;
  plan.accessories.push_back(std::move(a));
}

LoadPlan readPlan(const std::vector<Sheet>& sheets, Problems& problems) {
  LoadPlan plan;
  bool performance = false;
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    const Sheet& sheet = sheets[s];
    std::optional<SheetKind> kind;
    for (SheetKind k : {SheetKind::Performance, SheetKind::Accessories, SheetKind::Headings}) {
      if (namesSheet(sheet.name, k)) kind = k;
    }
    if (!kind && s == 0) kind = SheetKind::Performance;
    if (!kind) {
      problems.add(0, "",
                   "sheet '" + sheet.name + "' is none of performance, accessories and headings");
      continue;
    }
    if (sheet.rows.empty()) continue;
    const std::optional<SheetColumns> columns = readHeaders(sheet, *kind, problems);
    if (!columns) continue;
    performance |= *kind == SheetKind::Performance;
    for (std::size_t i = 1; i < sheet.rows.size(); ++i) {
      RowReader r(sheet.rows[i], *columns, problems);
      if (*kind == SheetKind::Performance) {
        readPerformanceRow(r, *columns, plan);
      } else if (*kind == SheetKind::Accessories) {
        readAccessoryRow(r, plan);
      } else if (r.text(Field::IndexName).empty()) {
        r.fail(Field::IndexName, "empty");
      } else {
        plan.headings.emplace_back(r.text(Field::IndexName), r.text(Field::TableHead));
      }
    }
  }
  if (!performance && plan.accessories.empty() && plan.headings.empty()) {
    problems.add(0, "", "the file has no performance sheet with a header row");
  }
  return plan;
}

// ---- the catalogue's side ----

// Writes through the data layer. Rows go in through a recordset per table (AddNew,
// Update), as the module's model editor adds them: the data layer then binds the values
// to one prepared statement instead of translating a statement's text for every row,
// which made a load of 100,000 rows some five times slower.
class Writer {
 public:
  explicit Writer(const _ConnectionPtr& c) : m_c(c) {}
  ~Writer() { close(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void run(const std::string& sql) {
    try {
      m_c->Execute(_bstr_t(sql.c_str()), nullptr, adCmdText);
    } catch (const _com_error& e) {
      throw CatalogueError(sql.substr(0, 200) + ": " + reasonOf(e));
    }
  }
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) {
    try {
      _RecordsetPtr& rs = m_open[table];
      if (!rs) {
        rs.CreateInstance(L"ADODB.Recordset", nullptr, CLSCTX_ALL);
        rs->Open(_variant_t(("SELECT * FROM " + table + " WHERE 1 = 0").c_str()), m_c, adOpenKeyset,
                 adLockOptimistic, adCmdText);
      }
      rs->AddNew();
      for (std::size_t i = 0; i < columns.size(); ++i) {
        const _bstr_t name(columns[i].c_str());
        const Value& v = values[i];
        if (const auto* n = std::get_if<long long>(&v)) {
          rs->PutCollect(static_cast<const wchar_t*>(name), _variant_t(static_cast<long>(*n)));
        } else if (const auto* d = std::get_if<double>(&v)) {
          rs->PutCollect(static_cast<const wchar_t*>(name), _variant_t(*d));
        } else if (const auto* t = std::get_if<std::string>(&v)) {
          rs->PutCollect(static_cast<const wchar_t*>(name), _variant_t(t->c_str()));
        }
      }
      rs->Update();
    } catch (const _com_error& e) {
      throw CatalogueError("cannot add a row to " + table + ": " + reasonOf(e));
    }
  }
  void create(const std::string& table, const std::vector<Column>& columns) {
    std::string body;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      body += (i ? ", " : "") + columns[i].name + " " + columns[i].type;
    }
    run("CREATE TABLE " + table + " (" + body + ")");
  }
  void close() noexcept {
    for (auto& [table, rs] : m_open) {
      try {
        if (rs) rs->Close();
      } catch (const _com_error&) {
        // Nothing is pending on a recordset whose Update has run.
      }
    }
    m_open.clear();
  }

 private:
  _ConnectionPtr m_c;
  std::map<std::string, _RecordsetPtr> m_open;
};

// The catalogue as the load finds it, and what the load adds as it goes.
struct CatalogueState {
  CatalogueSnapshot snapshot;
  std::map<ModelKey, long long> models;                     // key -> ID (the first row of a key)
  std::set<long long> ids;                                  // every ID in use
  std::map<std::string, std::optional<TableStyle>> styles;  // upper-case series
  std::set<std::string> headings;                           // upper-case IndexName
  std::map<long long, long long> pointCount;  // ModelID -> parameter rows (its series)
  long long nextFree = 1;

  long long takeId() {
    while (ids.count(nextFree)) ++nextFree;
    ids.insert(nextFree);
    return nextFree;
  }
};

CatalogueState readState(const _ConnectionPtr& c, const LoadPlan& plan) {
  std::set<std::string> series(plan.seriesOrder.begin(), plan.seriesOrder.end());
  for (const AccessoryRow& a : plan.accessories) series.insert(a.key.series);
  CatalogueState s;
  s.snapshot = readSnapshot(c, &series);
  const ModelColumns mc(s.snapshot.models);
  for (const auto& row : s.snapshot.models.rows) {
    const std::optional<double> id = numberOf(row[static_cast<std::size_t>(mc.id)]);
    const std::optional<double> fanNo = numberOf(row[static_cast<std::size_t>(mc.fanNo)]);
    const std::optional<double> speed = numberOf(row[static_cast<std::size_t>(mc.speed)]);
    if (!id) continue;
    s.ids.insert(static_cast<long long>(*id));
    if (!fanNo || !speed) continue;
    const ModelKey key{textOf(row[static_cast<std::size_t>(mc.series)]), *fanNo,
                       textOf(row[static_cast<std::size_t>(mc.drive)]),
                       static_cast<long long>(*speed)};
    s.models.emplace(key, static_cast<long long>(*id));
  }
  const CatalogueTable& st = s.snapshot.styles;
  for (const auto& row : st.rows) {
    if (st.column("BigModel") < 0 || st.column("TableStyle") < 0) break;
    const std::optional<double> v =
        numberOf(row[static_cast<std::size_t>(st.column("TableStyle"))]);
    s.styles.emplace(
        upperAscii(textOf(row[static_cast<std::size_t>(st.column("BigModel"))])),
        v ? std::optional(*v != 0 ? TableStyle::Point : TableStyle::Range) : std::nullopt);
  }
  const CatalogueTable& h = s.snapshot.headings;
  for (const auto& row : h.rows) {
    if (h.column("IndexName") < 0) break;
    s.headings.insert(upperAscii(textOf(row[static_cast<std::size_t>(h.column("IndexName"))])));
  }
  // Tables the catalogue has although Model does not name them yet are appended to, not
  // made again. They are looked for here, before the transaction: on a server a statement
  // that fails inside one ends it.
  for (const std::string& name : series) {
    if (s.snapshot.parameters.count(name)) continue;
    if (auto t = readTable(c, parameterTableName(name))) s.snapshot.parameters.emplace(name, *t);
  }
  std::set<std::string> drives;
  for (const FileModel& m : plan.models)
    drives.insert(accessoryTableName(m.key.series, m.key.drive));
  for (const AccessoryRow& a : plan.accessories) {
    drives.insert(accessoryTableName(a.key.series, a.key.drive));
  }
  for (const std::string& table : drives) {
    if (s.snapshot.accessories.count(table)) continue;
    if (auto t = readTable(c, table)) s.snapshot.accessories.emplace(table, *t);
  }
  for (const auto& [name, table] : s.snapshot.parameters) {
    const int m = table.column("ModelID");
    for (const auto& row : table.rows) {
      if (m < 0) break;
      if (const auto id = numberOf(row[static_cast<std::size_t>(m)])) {
        ++s.pointCount[static_cast<long long>(*id)];
      }
    }
  }
  return s;
}

// Checks the plan against the catalogue; notes what cannot be written.
void checkAgainst(const LoadPlan& plan, const CatalogueState& s, Problems& problems) {
  for (const std::string& series : plan.seriesOrder) {
    const SeriesPlan& p = plan.series.at(series);
    const auto style = s.styles.find(upperAscii(series));
    if (p.style && style != s.styles.end()) {
      if (!style->second) {
        problems.add(
            p.row, "",
            "series " + series + " has a style row without a table style in the catalogue");
      } else if (*style->second != *p.style) {
        problems.add(p.row, "",
                     "series " + series + " is a " +
                         (*style->second == TableStyle::Point ? "point" : "range") +
                         " table in the catalogue; this row is a " +
                         (*p.style == TableStyle::Point ? "point" : "range"));
      }
    }
    const auto table = s.snapshot.parameters.find(series);
    if (table == s.snapshot.parameters.end()) continue;
    for (Field f : p.fields) {
      if (table->second.column(fieldSpec(f).column) < 0) {
        problems.add(p.row, "",
                     "the table " + parameterTableName(series) + " has no column " +
                         fieldSpec(f).column + " for '" + headerText(fieldSpec(f)) + "'");
      }
    }
  }
  for (const AccessoryRow& a : plan.accessories) {
    if (!plan.modelIndex.count(a.key) && !s.models.count(a.key)) {
      problems.add(a.row, "",
                   "no model " + describe(a.key) + " in the catalogue or the performance sheet");
    }
  }
  long long free = 0;
  std::set<long long> ids = s.ids;
  for (const FileModel& m : plan.models) {
    if (s.models.count(m.key)) continue;
    while (ids.count(++free)) {
    }
    if (free > kMaxModelId) {
      problems.add(m.row, "",
                   "no model ID below 32768 is free (the module reads IDs as 16-bit "
                   "integers)");
      break;
    }
  }
}

void addHeading(Writer& w, CatalogueState& s, LoadCounts& n, const std::string& name,
                const std::string& text) {
  if (!s.headings.insert(upperAscii(name)).second) return;
  w.insert("IndexTableName", {"IndexName", "TableHead"}, {name, text});
  ++n.headingsAdded;
}

std::string standardHeading(const std::string& column) {
  for (const auto& [name, heading] : standardHeadings()) {
    if (name == column) return heading;
  }
  for (const FieldSpec& f : layoutFields()) {
    if (f.column && f.heading && column == f.column) return f.heading;
  }
  return column;
}

void makeSeries(Writer& w, const std::string& series, const SeriesPlan& p, CatalogueState& s,
                LoadCounts& n) {
  const TableStyle style = p.style.value_or(TableStyle::Point);
  if (!s.styles.count(upperAscii(series))) {
    w.insert("Model_Table_Parameter_Style", {"BigModel", "TableStyle"},
             {series, style == TableStyle::Point ? 1LL : 0LL});
    s.styles.emplace(upperAscii(series), style);
  }
  if (s.snapshot.parameters.count(series)) return;
  std::vector<Column> columns = parameterColumns(style);
  for (Field f : p.fields) {
    if (isSoundField(f)) columns.push_back({fieldSpec(f).column, "DOUBLE"});
  }
  const std::string table = parameterTableName(series);
  w.create(table, columns);
  ++n.tablesCreated;
  CatalogueTable made;
  made.name = table;
  for (const Column& c : columns) made.columns.push_back(c.name);
  s.snapshot.parameters.emplace(series, made);
  for (std::size_t i = 1; i < columns.size(); ++i) {
    addHeading(w, s, n, columns[i].name, standardHeading(columns[i].name));
  }
}

void makeAccessoryTable(Writer& w, const ModelKey& key, CatalogueState& s, LoadCounts& n) {
  const std::string table = accessoryTableName(key.series, key.drive);
  if (s.snapshot.accessories.count(table)) return;
  w.create(table, accessoryColumns());
  ++n.tablesCreated;
  CatalogueTable made;
  made.name = table;
  for (const Column& c : accessoryColumns()) {
    made.columns.push_back(c.name);
    if (c.name != "ID") addHeading(w, s, n, c.name, standardHeading(c.name));
  }
  s.snapshot.accessories.emplace(table, std::move(made));
}

LoadCounts write(Writer& w, const LoadPlan& plan, CatalogueState& s, bool fresh) {
  LoadCounts n;
  for (const auto& [name, text] : plan.headings) addHeading(w, s, n, name, text);
  for (const std::string& series : plan.seriesOrder)
    makeSeries(w, series, plan.series.at(series), s, n);
  std::vector<long long> ids(plan.models.size());
  for (std::size_t i = 0; i < plan.models.size(); ++i) {
    const FileModel& m = plan.models[i];
    const auto known = s.models.find(m.key);
    if (known != s.models.end()) {
      ids[i] = known->second;
      ++n.modelsExtended;
      continue;
    }
    ids[i] = s.takeId();
    const std::string fanNo = adoimpl::formatDouble(m.key.fanNo);
    std::vector<Value> values = {ids[i],      m.key.series, m.key.drive,
                                 m.key.fanNo, m.key.speed,  Value()};
    if (!m.label) {
      values[5] = m.key.series + "No" + fanNo + m.key.drive;
    } else if (!m.label->empty()) {
      values[5] = *m.label;
    }
    w.insert("Model", {"ID", "BigModel", "DriveMode", "FanNo", "Speed", "LabelModel"}, values);
    s.models.emplace(m.key, ids[i]);
    makeAccessoryTable(w, m.key, s, n);
    ++n.modelsAdded;
  }
  for (const PerformanceRow& r : plan.rows) {
    const FileModel& m = plan.models[r.model];
    const CatalogueTable& table = s.snapshot.parameters.at(m.key.series);
    const long long id = ids[r.model];
    std::vector<std::string> names = {"ModelID"};
    std::vector<Value> values = {id};
    if (table.column("PointNo") >= 0) {
      names.push_back("PointNo");
      values.push_back(++s.pointCount[id]);
    }
    if (table.column("Speed") >= 0) {
      names.push_back("Speed");
      values.push_back(m.key.speed);
    }
    for (const auto& [f, v] : r.numbers) {
      names.push_back(fieldSpec(f).column);
      values.push_back(v);
    }
    if (r.motorModel) {
      names.push_back("MotorModel");
      values.push_back(*r.motorModel);
    }
    w.insert(table.name, names, values);
    ++n.parameterRows;
  }
  for (const AccessoryRow& a : plan.accessories) {
    makeAccessoryTable(w, a.key, s, n);
    // Item texts are kept as written, an empty one too: the grid shows both alike.
    std::vector<Value> values = {s.models.at(a.key), a.item, a.type, Value(), a.remark};
    if (a.quantity) values[3] = *a.quantity;
    w.insert(accessoryTableName(a.key.series, a.key.drive),
             {"ModelID", "ItemName", "Spec", "Quantity", "Remark"}, values);
    ++n.accessoryRows;
  }
  if (fresh) addHeading(w, s, n, "ERRORNUM", "50");
  return n;
}

LoadCounts loadInto(const std::string& catalogue, const LoadPlan& plan, Problems& problems,
                    bool fresh) {
  _ConnectionPtr c = openCatalogue(catalogue);
  CatalogueState state = readState(c, plan);
  checkAgainst(plan, state, problems);
  problems.throwIfAny();
  c->BeginTrans();
  try {
    LoadCounts n;
    {
      Writer w(c);
      n = write(w, plan, state, fresh);
    }
    c->CommitTrans();
    c->Close();
    return n;
  } catch (...) {
    try {
      c->RollbackTrans();
    } catch (const _com_error&) {
      // The connection lost: the back end has rolled the transaction back itself.
    }
    throw;
  }
}

}  // namespace

LoadError::LoadError(std::vector<std::string> problems)
    : std::runtime_error([&problems] {
        std::string all;
        for (const std::string& p : problems) all += (all.empty() ? "" : "\n") + p;
        return all;
      }()),
      m_problems(std::move(problems)) {}

LoadCounts loadCatalogue(const std::string& file, const std::string& catalogue) {
  Problems problems(file);
  const LoadPlan plan = readPlan(readWorkbook(file), problems);
  problems.throwIfAny();
  std::error_code ec;
  if (!adoimpl::isPostgresAddress(catalogue) && !std::filesystem::exists(catalogue, ec)) {
    LoadCounts n;
    saveCatalogueFile(catalogue, [&](const std::string& temporary) {
      {
        CatalogueWriter w(temporary);
        w.createFixedTables();
        w.close();
      }
      n = loadInto(temporary, plan, problems, true);
      n.tablesCreated += 3;
    });
    return n;
  }
  return loadInto(catalogue, plan, problems, false);
}

void writeTemplate(const std::string& file) {
  std::vector<OutSheet> sheets;
  for (SheetKind kind : {SheetKind::Performance, SheetKind::Accessories, SheetKind::Headings}) {
    OutSheet sheet{sheetName(kind), {{}}};
    for (const FieldSpec& f : layoutFields()) {
      if (f.sheet == kind)
        sheet.rows[0].emplace_back(std::in_place_type<std::string>, headerText(f));
    }
    sheets.push_back(std::move(sheet));
  }
  writeWorkbook(file, sheets);
}

}  // namespace fangen
