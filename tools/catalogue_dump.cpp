// Writing a catalogue's models, performance rows, accessories and headings as load sheets.
#include "catalogue_dump.h"
#include "ascii_case.h"

#include <map>
#include <set>

#include "catalogue_connection.h"
#include "load_layout.h"
#include "sheet_file.h"

namespace fangen {

namespace {

// The columns a parameter table has beside the layout's fields: the automatic
// number, the model, and the point number and speed that a load fills in itself.
const std::set<std::string> kImplied = {"ID", "MODELID", "POINTNO", "SPEED"};

struct ModelCells {
  Value series, fanNo, drive, speed, label;
};

// Each table's rows by ModelID, in table order.
std::map<long long, std::vector<std::size_t>> rowsByModel(const CatalogueTable& t) {
  std::map<long long, std::vector<std::size_t>> out;
  const int m = t.column("ModelID");
  for (std::size_t i = 0; m >= 0 && i < t.rows.size(); ++i) {
    if (const auto id = numberOf(t.rows[i][static_cast<std::size_t>(m)])) {
      out[static_cast<long long>(*id)].push_back(i);
    }
  }
  return out;
}

}  // namespace

DumpCounts dumpCatalogue(const std::string& catalogue, const std::string& file) {
  const CatalogueSnapshot s = readSnapshot(openCatalogue(catalogue));
  DumpCounts n;
  for (const auto& [table, why] : s.unreadable) {
    n.leftOut.push_back("table " + table + ": cannot be read: " + why);
  }
  // The performance columns: the model's, then each field some parameter table has.
  std::vector<Field> fields = {Field::Series, Field::FanNo, Field::DriveMode, Field::Speed,
                               Field::Label};
  for (const FieldSpec& f : layoutFields()) {
    if (f.sheet != SheetKind::Performance || !f.column) continue;
    bool any = false;
    for (const auto& [series, t] : s.parameters) any |= t.column(f.column) >= 0;
    if (any) fields.push_back(f.field);
  }
  for (const auto& [series, t] : s.parameters) {
    for (const std::string& c : t.columns) {
      bool known = kImplied.count(upperAscii(c)) != 0;
      for (const FieldSpec& f : layoutFields()) {
        known |=
            f.sheet == SheetKind::Performance && f.column && upperAscii(f.column) == upperAscii(c);
      }
      if (!known) n.leftOut.push_back("table " + t.name + ", column " + c + ": not in the layout");
    }
  }
  OutSheet performance{sheetName(SheetKind::Performance), {{}}};
  for (Field f : fields)
    performance.rows[0].emplace_back(std::in_place_type<std::string>, headerText(fieldSpec(f)));

  std::map<std::string, std::map<long long, std::vector<std::size_t>>> byModel;
  for (const auto& [series, t] : s.parameters) byModel[series] = rowsByModel(t);
  const ModelColumns mc(s.models);
  std::map<long long, ModelCells> models;              // by ID, the first row of an ID
  std::set<std::pair<std::string, long long>> dumped;  // (series, ID) whose rows are out
  for (const auto& row : s.models.rows) {
    auto at = [&row](int c) { return c < 0 ? Value() : row[static_cast<std::size_t>(c)]; };
    const ModelCells cells{at(mc.series), numberOf(at(mc.fanNo)).value_or(0), at(mc.drive),
                           at(mc.speed), at(mc.label)};
    const std::optional<double> id = numberOf(at(mc.id));
    if (!id) continue;
    const long long key = static_cast<long long>(*id);
    models.emplace(key, cells);
    const std::vector<Value> front = {cells.series, cells.fanNo, cells.drive, cells.speed,
                                      cells.label};
    const std::string series = textOf(cells.series);
    const auto table = s.parameters.find(series);
    const auto rows = table == s.parameters.end() ? nullptr : &byModel[series];
    const auto mine = rows ? rows->find(key) : decltype(rows->find(key)){};
    if (!rows || mine == rows->end() || !dumped.insert({series, key}).second) {
      performance.rows.push_back(front);
      performance.rows.back().resize(fields.size());
      continue;
    }
    for (std::size_t r : mine->second) {
      std::vector<Value> out = front;
      for (std::size_t i = front.size(); i < fields.size(); ++i) {
        const int c = table->second.column(fieldSpec(fields[i]).column);
        out.push_back(c < 0 ? Value() : table->second.rows[r][static_cast<std::size_t>(c)]);
      }
      performance.rows.push_back(std::move(out));
      ++n.performanceRows;
    }
  }
  for (const auto& [series, rows] : byModel) {
    for (const auto& [id, list] : rows) {
      if (!dumped.count({series, id})) {
        n.leftOut.push_back("table " + parameterTableName(series) + ": " +
                            std::to_string(list.size()) + " rows of ModelID " + std::to_string(id) +
                            ", which no model of the series has");
      }
    }
  }

  OutSheet accessories{sheetName(SheetKind::Accessories), {{}}};
  const std::vector<Field> accessoryFields = {
      Field::Series,   Field::FanNo, Field::DriveMode,    Field::Speed,
      Field::ItemName, Field::Spec,  Field::ItemQuantity, Field::Remark};
  for (Field f : accessoryFields)
    accessories.rows[0].emplace_back(std::in_place_type<std::string>, headerText(fieldSpec(f)));
  for (const auto& [series, drive] : s.drives) {
    const auto t = s.accessories.find(accessoryTableName(series, drive));
    if (t == s.accessories.end()) continue;
    const int m = t->second.column("ModelID");
    for (std::size_t r = 0; r < t->second.rows.size(); ++r) {
      const auto& row = t->second.rows[r];
      const auto id = m < 0 ? std::nullopt : numberOf(row[static_cast<std::size_t>(m)]);
      const auto model = id ? models.find(static_cast<long long>(*id)) : models.end();
      if (model == models.end() || textOf(model->second.series) != series ||
          textOf(model->second.drive) != drive) {
        n.leftOut.push_back("table " + t->second.name + ", row " + std::to_string(r + 1) +
                            ": its ModelID names no model of " + series + " " + drive);
        continue;
      }
      const ModelCells& mcells = model->second;
      std::vector<Value> out = {mcells.series, mcells.fanNo, mcells.drive, mcells.speed};
      for (const char* column : {"ItemName", "Spec", "Quantity", "Remark"}) {
        const int c = t->second.column(column);
        out.push_back(c < 0 ? Value() : row[static_cast<std::size_t>(c)]);
      }
      accessories.rows.push_back(std::move(out));
      ++n.accessoryRows;
    }
  }

  OutSheet headings{sheetName(SheetKind::Headings), {{}}};
  headings.rows[0] = {headerText(fieldSpec(Field::IndexName)),
                      headerText(fieldSpec(Field::TableHead))};
  const int name = s.headings.column("IndexName"), head = s.headings.column("TableHead");
  for (const auto& row : s.headings.rows) {
    if (name < 0 || head < 0) break;
    headings.rows.push_back(
        {row[static_cast<std::size_t>(name)], row[static_cast<std::size_t>(head)]});
    ++n.headingRows;
  }
  writeWorkbook(file, {performance, accessories, headings});
  return n;
}

}  // namespace fangen
