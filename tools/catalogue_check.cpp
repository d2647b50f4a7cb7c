// The catalogue check's rules over a catalogue read whole.
#include "catalogue_check.h"
#include "ascii_case.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "ado/number_text.h"
#include "base/file_functions.h"
#include "base/utf8.h"
#include "drawings/view_names.h"
#include "duty/duty_catalogue.h"
#include "fanperf/fan_laws.h"

namespace fangen {

namespace {

// kW: catalogues print shaft power to two decimals.
constexpr double kPowerRounding = 0.01;
// m³/h·Pa per kW at 100 % efficiency.
constexpr double kFlowPressurePerKw = 3.6e6;

std::string num(double v) { return adoimpl::formatDouble(v, 6); }

struct Model {
  long row = 0;
  std::optional<long long> id;
  std::string series, fanNoText, drive, speedText;
  double fanNo = 0, speed = 0;
  bool complete = false;
  std::string name() const { return series + " No" + fanNoText + " " + drive + " " + speedText; }
};

// One row of a parameter table as the rules see it.
struct Point {
  long row = 0;     // in the table, from 1
  double flow = 0;  // m³/h: the point's, or the middle of a range
  double pressure = 0;
  std::optional<double> flowLow, flowHigh, pressureLow, pressureHigh;
  std::optional<double> efficiency, shaftPower;
};

struct Check {
  const CatalogueSnapshot& c;
  const CheckOptions& options;
  std::vector<Finding> findings;
  std::vector<Model> models;
  // Per series: the model (index) of each ID, and each model's points.
  std::map<std::string, std::map<long long, std::size_t>> byId;
  std::map<std::size_t, std::vector<Point>> points;
  std::map<std::string, std::optional<TableStyle>> styles;  // upper-case series

  void add(const char* rule, const std::string& table, long row, const Model* m,
           const std::string& reason) {
    findings.push_back({rule, table, row, m && m->id ? *m->id : 0, m ? m->name() : "", reason});
  }

  void readModels();
  void readStyles();
  void readParameters();
  void readAccessories();
  void headings();
  void values();
  void curves();
  void fanLaws();
  void drawings();
};

void Check::readModels() {
  const ModelColumns mc(c.models);
  std::map<long long, long> seenIds;
  std::map<std::tuple<std::string, double, std::string, double>, long> seenKeys;
  for (std::size_t i = 0; i < c.models.rows.size(); ++i) {
    const auto& row = c.models.rows[i];
    auto at = [&row](int col) { return col < 0 ? Value() : row[static_cast<std::size_t>(col)]; };
    Model m;
    m.row = static_cast<long>(i) + 1;
    if (const auto id = numberOf(at(mc.id))) m.id = static_cast<long long>(*id);
    m.series = textOf(at(mc.series));
    m.drive = textOf(at(mc.drive));
    m.fanNoText = textOf(at(mc.fanNo));
    m.speedText = textOf(at(mc.speed));
    const auto fanNo = numberOf(at(mc.fanNo));
    const auto speed = numberOf(at(mc.speed));
    m.complete = m.id && !m.series.empty() && !m.drive.empty() && fanNo && speed && *speed > 0;
    m.fanNo = fanNo.value_or(0);
    m.speed = speed.value_or(0);
    models.push_back(m);
    const Model& added = models.back();
    if (!m.complete) {
      add("model-incomplete", "Model", m.row, &added,
          "it lacks its ID, series, fan number, drive mode or a speed above 0");
      continue;
    }
    const auto [id, newId] = seenIds.emplace(*m.id, m.row);
    const auto [key, newKey] =
        seenKeys.emplace(std::tuple(m.series, m.fanNo, m.drive, m.speed), m.row);
    if (!newId) {
      add("model-duplicate", "Model", m.row, &added,
          "ID " + std::to_string(*m.id) + " is also row " + std::to_string(id->second) + "'s");
    } else if (!newKey) {
      add("model-duplicate", "Model", m.row, &added,
          "row " + std::to_string(key->second) + " names the same model");
    } else {
      byId[m.series].emplace(*m.id, models.size() - 1);
    }
  }
}

void Check::readStyles() {
  const int series = c.styles.column("BigModel"), style = c.styles.column("TableStyle");
  for (const auto& row : c.styles.rows) {
    if (series < 0 || style < 0) break;
    const auto v = numberOf(row[static_cast<std::size_t>(style)]);
    styles.emplace(
        upperAscii(textOf(row[static_cast<std::size_t>(series)])),
        v ? std::optional(*v != 0 ? TableStyle::Point : TableStyle::Range) : std::nullopt);
  }
}

std::map<std::wstring, CString> headingMap(const CatalogueTable& h) {
  std::map<std::wstring, CString> out;
  const int name = h.column("IndexName"), head = h.column("TableHead");
  for (const auto& row : h.rows) {
    if (name < 0 || head < 0) break;
    out.emplace(CString::FromUtf8(upperAscii(textOf(row[static_cast<std::size_t>(name)]))).str(),
                CString::FromUtf8(textOf(row[static_cast<std::size_t>(head)])));
  }
  return out;
}

void Check::readParameters() {
  const auto headingsByName = headingMap(c.headings);
  for (const std::string& series : c.series) {
    const auto style = styles.find(upperAscii(series));
    const auto& ids = byId[series];
    const Model* first = ids.empty() ? nullptr : &models[ids.begin()->second];
    if (style == styles.end() || !style->second) {
      if (first) {
        add("series-style", "Model_Table_Parameter_Style", 0, nullptr,
            "series " + series + " has no usable table style (1 point table, 0 range table)");
      }
    }
    const auto table = c.parameters.find(series);
    if (table == c.parameters.end()) {
      const auto why = c.unreadable.find(parameterTableName(series));
      for (const auto& [id, m] : ids) {
        add("model-without-rows", parameterTableName(series), 0, &models[m],
            "its parameter table cannot be read" +
                (why == c.unreadable.end() ? std::string() : ": " + why->second));
      }
      continue;
    }
    const CatalogueTable& t = table->second;
    // Efficiency and shaft power are found as FANDUTY finds them: by name, else heading words.
    std::vector<CString> fields;
    for (const std::string& name : t.columns) fields.push_back(CString::FromUtf8(name));
    const duty::PerformanceColumns roles = duty::findPerformanceColumns(fields, headingsByName);
    const int modelId = t.column("ModelID");
    const int flux = t.column("Flux"), press = t.column("AllPress"), fluxLow = t.column("FluxLow"),
              fluxHigh = t.column("FluxHigh"), pressLow = t.column("AllPressLow"),
              pressHigh = t.column("AllPressHigh"),
              efficiency = t.column(roles.efficiency.ToUtf8()),
              shaftPower = t.column(roles.shaftPower.ToUtf8());
    const bool range = style != styles.end() && style->second == TableStyle::Range;
    std::set<long long> withRows;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
      const auto& row = t.rows[r];
      auto number = [&row](int col) {
        return col < 0 ? std::nullopt : numberOf(row[static_cast<std::size_t>(col)]);
      };
      const auto id = number(modelId);
      const auto model = id ? ids.find(static_cast<long long>(*id)) : ids.end();
      if (model == ids.end()) {
        add("orphan-row", t.name, static_cast<long>(r) + 1, nullptr,
            "ModelID " + (id ? num(*id) : std::string("(none)")) + " is no model of series " +
                series);
        continue;
      }
      withRows.insert(model->first);
      Point p;
      p.row = static_cast<long>(r) + 1;
      p.efficiency = number(efficiency);
      p.shaftPower = number(shaftPower);
      if (range) {
        p.flowLow = number(fluxLow);
        p.flowHigh = number(fluxHigh);
        p.pressureLow = number(pressLow);
        p.pressureHigh = number(pressHigh);
        if (!p.flowLow || !p.flowHigh || !p.pressureLow || !p.pressureHigh) continue;
        p.flow = (*p.flowLow + *p.flowHigh) / 2;
        p.pressure = (*p.pressureLow + *p.pressureHigh) / 2;
      } else {
        const auto q = number(flux), pr = number(press);
        if (!q || !pr) continue;
        p.flow = *q;
        p.pressure = *pr;
      }
      points[model->second].push_back(p);
    }
    for (const auto& [id, m] : ids) {
      if (!withRows.count(id)) {
        add("model-without-rows", t.name, 0, &models[m],
            "no row of the parameter table has its ID");
      }
    }
  }
}

void Check::readAccessories() {
  for (const auto& [name, t] : c.accessories) {
    // The table's series and drive mode: the pair whose name it is.
    std::string series, drive;
    for (const auto& [s, d] : c.drives) {
      if (accessoryTableName(s, d) == name) std::tie(series, drive) = std::tie(s, d);
    }
    const auto& ids = byId[series];
    const int modelId = t.column("ModelID");
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
      const auto id =
          modelId < 0 ? std::nullopt : numberOf(t.rows[r][static_cast<std::size_t>(modelId)]);
      const auto model = id ? ids.find(static_cast<long long>(*id)) : ids.end();
      if (model == ids.end() || models[model->second].drive != drive) {
        add("orphan-row", name, static_cast<long>(r) + 1, nullptr,
            "ModelID " + (id ? num(*id) : std::string("(none)")) + " is no model of " + series +
                " " + drive);
      }
    }
  }
}

void Check::headings() {
  std::set<std::string> known;
  const int name = c.headings.column("IndexName");
  for (const auto& row : c.headings.rows) {
    if (name >= 0) known.insert(upperAscii(textOf(row[static_cast<std::size_t>(name)])));
  }
  auto check = [&](const CatalogueTable& t) {
    // The first column is the automatic number, which no grid shows.
    for (std::size_t i = 1; i < t.columns.size(); ++i) {
      if (!known.count(upperAscii(t.columns[i]))) {
        add("heading-missing", t.name, 0, nullptr,
            "column " + t.columns[i] + " has no heading in IndexTableName");
      }
    }
  };
  for (const auto& [series, t] : c.parameters) check(t);
  for (const auto& [table, t] : c.accessories) check(t);
}

void Check::values() {
  for (const auto& [m, list] : points) {
    const Model& model = models[m];
    const std::string table = parameterTableName(model.series);
    for (const Point& p : list) {
      if (p.efficiency && (*p.efficiency <= 0 || *p.efficiency > 100)) {
        add("efficiency-range", table, p.row, &model,
            "efficiency " + num(*p.efficiency) + " % lies outside (0, 100]");
        continue;
      }
      if (!p.efficiency || !p.shaftPower) continue;
      const double eta = *p.efficiency / 100;
      // A range's power lies between its two corners' (a point's is its own).
      const double low = (p.flowLow ? *p.flowLow * *p.pressureLow : p.flow * p.pressure) /
                         (kFlowPressurePerKw * eta);
      const double high = (p.flowHigh ? *p.flowHigh * *p.pressureHigh : p.flow * p.pressure) /
                          (kFlowPressurePerKw * eta);
      const double tol = options.powerTolerance;
      if (*p.shaftPower < low * (1 - tol) - kPowerRounding ||
          *p.shaftPower > high * (1 + tol) + kPowerRounding) {
        add("shaft-power", table, p.row, &model,
            "shaft power " + num(*p.shaftPower) + " kW, flow x pressure / efficiency gives " +
                (low == high ? num(low) : num(low) + " to " + num(high)) + " kW (tolerance " +
                num(tol * 100) + " %)");
      }
    }
  }
}

std::vector<Point> byFlow(std::vector<Point> list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const Point& a, const Point& b) { return a.flow < b.flow; });
  return list;
}

void Check::curves() {
  for (const auto& [m, list] : points) {
    const std::vector<Point> sorted = byFlow(list);
    if (sorted.size() < 2) continue;
    const auto peak =
        std::max_element(sorted.begin(), sorted.end(),
                         [](const Point& a, const Point& b) { return a.pressure < b.pressure; });
    for (auto it = peak + 1; it != sorted.end(); ++it) {
      const Point& before = *(it - 1);
      // Equal pressures pass: catalogues print pressure in whole pascals, and at low speeds
      // neighbouring points of a falling curve print alike (the large catalogue's 580 r/min
      // models: 20 Pa at 335 and at 367 m3/h).
      if (it->flow > before.flow && it->pressure <= before.pressure) continue;
      add("curve-falls", parameterTableName(models[m].series), it->row, &models[m],
          "pressure " + num(it->pressure) + " Pa at " + num(it->flow) + " m3/h follows " +
              num(before.pressure) + " Pa at " + num(before.flow) + " m3/h (row " +
              std::to_string(before.row) + ") right of the peak " + num(peak->pressure) +
              " Pa, where pressure falls as flow rises");
    }
  }
}

// The largest share by which `model`'s pressures differ from `other`'s curve moved to
// model's speed, over the flows both cover; nothing when they share no flow.
std::optional<std::pair<double, long>> fanLawDeviation(const std::vector<Point>& model,
                                                       double speed,
                                                       const std::vector<Point>& other,
                                                       double otherSpeed) {
  const fanperf::FanLawRatio ratio{speed / otherSpeed, 1};
  std::vector<std::pair<double, double>> curve;
  for (const Point& p : other)
    curve.emplace_back(p.flow * ratio.flow(), p.pressure * ratio.pressure());
  std::optional<std::pair<double, long>> worst;
  for (const Point& p : model) {
    for (std::size_t i = 1; i < curve.size(); ++i) {
      const auto [q0, p0] = curve[i - 1];
      const auto [q1, p1] = curve[i];
      if (p.flow < q0 || p.flow > q1 || q1 <= q0) continue;
      const double expected = p0 + (p1 - p0) * (p.flow - q0) / (q1 - q0);
      const double share = std::fabs(p.pressure - expected) / expected;
      if (!worst || share > worst->first) worst = std::pair(share, p.row);
      break;
    }
  }
  return worst;
}

void Check::fanLaws() {
  // One fan: a series and fan number, whatever the drive; its models at several speeds.
  std::map<std::pair<std::string, double>, std::vector<std::size_t>> fans;
  for (const auto& [m, list] : points) {
    if (list.size() >= 2) fans[{models[m].series, models[m].fanNo}].push_back(m);
  }
  for (auto& [fan, members] : fans) {
    std::sort(members.begin(), members.end());
    std::map<std::size_t, std::vector<Point>> sorted;
    for (std::size_t m : members) sorted[m] = byFlow(points[m]);
    for (std::size_t i = 0; i < members.size(); ++i) {
      const Model& model = models[members[i]];
      int compared = 0, agree = 0;
      std::optional<std::pair<double, long>> worst;
      std::size_t worstOther = 0;
      for (std::size_t j = 0; j < members.size(); ++j) {
        const Model& other = models[members[j]];
        if (j == i || other.speed == model.speed) continue;
        const auto d =
            fanLawDeviation(sorted[members[i]], model.speed, sorted[members[j]], other.speed);
        if (!d) continue;
        ++compared;
        if (d->first <= options.fanLawTolerance) {
          ++agree;
        } else if (!worst || d->first > worst->first) {
          worst = d;
          worstOther = members[j];
        }
      }
      // The model that disagrees with most of its fan's other speeds is the one reported;
      // of two speeds that disagree, the later row.
      const bool reported = compared > 0 && agree * 2 < compared && (members.size() > 2 || i > 0);
      if (!reported || !worst) continue;
      add("fan-laws", parameterTableName(model.series), worst->second, &model,
          "pressure differs by " + num(worst->first * 100) + " % from model " +
              std::to_string(models[worstOther].id.value_or(0)) + "'s curve at " +
              models[worstOther].speedText + " r/min moved to " + model.speedText +
              " r/min by the fan laws (tolerance " + num(options.fanLawTolerance * 100) + " %)");
    }
  }
}

void Check::drawings() {
  if (options.drawingFolder.empty()) return;
  std::map<std::string, std::vector<const Model*>> byDrawing;
  std::vector<std::string> order;
  for (const Model& m : models) {
    if (!m.complete) continue;
    const CString file = ViewDrawingFileName(ViewDrawingBaseName(
        CString::FromUtf8(m.series), CString::FromUtf8(m.fanNoText), CString::FromUtf8(m.drive)));
    const std::string path = zrbase::nativePath(
        ViewDrawingPath(CString(zrbase::pathFromBytes(options.drawingFolder)), file));
    if (!byDrawing.count(path)) order.push_back(path);
    byDrawing[path].push_back(&m);
  }
  for (const std::string& path : order) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) continue;
    const auto& list = byDrawing[path];
    add("drawing-missing", "", 0, list.front(),
        "no view drawing " + path + " (" + std::to_string(list.size()) + " models use it)");
  }
}

}  // namespace

const std::vector<CheckRule>& checkRules() {
  static const std::vector<CheckRule> rules = {
      {"model-incomplete", "a Model row lacks its ID, series, fan number, drive mode or speed"},
      {"model-duplicate",
       "two Model rows share an ID or name the same series, fan number, drive mode and speed"},
      {"series-style", "a series has no usable row in Model_Table_Parameter_Style"},
      {"orphan-row", "a parameter or accessory row whose ModelID is no model of its table"},
      {"model-without-rows", "a model without rows in its series' parameter table"},
      {"heading-missing", "a parameter or accessory column without a heading in IndexTableName"},
      {"efficiency-range", "an efficiency outside (0, 100] %"},
      {"shaft-power", "shaft power off flow x pressure / efficiency by more than the tolerance"},
      {"curve-falls", "pressure right of the curve's peak rises as flow rises"},
      {"fan-laws", "a model's curve is not its fan's curve at another speed moved by the fan laws"},
      {"drawing-missing", "a model without its view drawing in the drawing library (--dwg)"},
  };
  return rules;
}

std::vector<Finding> checkCatalogue(const CatalogueSnapshot& catalogue,
                                    const CheckOptions& options) {
  Check check{catalogue, options, {}, {}, {}, {}, {}};
  check.readModels();
  check.readStyles();
  check.readParameters();
  check.readAccessories();
  check.headings();
  check.values();
  check.curves();
  check.fanLaws();
  check.drawings();
  std::map<std::string, std::size_t> order;
  for (const CheckRule& r : checkRules()) order.emplace(r.id, order.size());
  std::stable_sort(
      check.findings.begin(), check.findings.end(),
      [&order](const Finding& a, const Finding& b) { return order.at(a.rule) < order.at(b.rule); });
  return check.findings;
}

std::string findingsText(const std::vector<Finding>& findings) {
  std::ostringstream out;
  for (const Finding& f : findings) {
    out << f.rule << ": ";
    if (!f.table.empty()) out << f.table << (f.row ? " row " + std::to_string(f.row) : "") << ", ";
    if (!f.model.empty()) out << "model " << f.modelId << " (" << f.model << "), ";
    out << f.reason << "\n";
  }
  return out.str();
}

std::string findingsJson(const std::vector<Finding>& findings) {
  nlohmann::json out = {{"findings", nlohmann::json::array()}, {"rules", nlohmann::json::array()}};
  for (const Finding& f : findings) {
    out["findings"].push_back({{"rule", f.rule},
                               {"table", f.table},
                               {"row", f.row},
                               {"modelId", f.modelId},
                               {"model", f.model},
                               {"reason", f.reason}});
  }
  for (const CheckRule& r : checkRules()) {
    out["rules"].push_back({{"id", r.id}, {"summary", r.summary}});
  }
  return out.dump(1) + "\n";
}

}  // namespace fangen
