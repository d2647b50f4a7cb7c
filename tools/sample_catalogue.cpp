// The contents of the generated catalogues.
#include "sample_catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fangen {

namespace {

// Curves of real series' shapes, calibrated on their published No.4 points
// at 2900 r/min (4-72: 4012 m³/h at 2014 Pa up to 7419 m³/h at 1320 Pa).
FanCurve curve472() {
  return {{21.6, 24.3, 26.9, 29.6, 32.3, 35.0, 37.6, 40.0},
          {1.497e-3, 1.463e-3, 1.405e-3, 1.338e-3, 1.257e-3, 1.163e-3, 1.086e-3, 0.981e-3},
          {0.787, 0.812, 0.848, 0.877, 0.891, 0.883, 0.862, 0.825}};
}
FanCurve curve479() {
  return {{19.8, 22.9, 26.0, 29.1, 32.2, 35.3, 38.4, 41.5},
          {1.52e-3, 1.49e-3, 1.44e-3, 1.37e-3, 1.29e-3, 1.20e-3, 1.10e-3, 0.99e-3},
          {0.78, 0.81, 0.84, 0.87, 0.885, 0.875, 0.85, 0.81}};
}
FanCurve curve919() {
  return {{4.44, 5.15, 5.87, 6.59, 7.31, 8.02, 8.74, 9.18},
          {2.66e-3, 2.68e-3, 2.67e-3, 2.64e-3, 2.59e-3, 2.53e-3, 2.47e-3, 2.42e-3},
          {0.70, 0.73, 0.755, 0.77, 0.775, 0.77, 0.76, 0.745}};
}
FanCurve curve1162() {
  return {{30.0, 34.5, 39.0, 43.5, 48.0, 52.5, 57.0, 61.5},
          {1.02e-3, 0.99e-3, 0.95e-3, 0.90e-3, 0.84e-3, 0.77e-3, 0.69e-3, 0.60e-3},
          {0.76, 0.79, 0.82, 0.84, 0.845, 0.835, 0.81, 0.77}};
}
FanCurve curveT472() {
  return {{20.9, 23.7, 26.5, 29.3, 32.1, 34.9, 37.7, 40.5},
          {1.48e-3, 1.45e-3, 1.40e-3, 1.33e-3, 1.25e-3, 1.16e-3, 1.07e-3, 0.97e-3},
          {0.78, 0.805, 0.84, 0.87, 0.885, 0.88, 0.855, 0.82}};
}
FanCurve curveY547() {
  return {{11.2, 12.9, 14.6, 16.3, 18.0, 19.7, 21.4, 23.1},
          {2.05e-3, 2.04e-3, 2.01e-3, 1.96e-3, 1.89e-3, 1.81e-3, 1.72e-3, 1.62e-3},
          {0.74, 0.77, 0.80, 0.82, 0.83, 0.825, 0.81, 0.79}};
}

std::string labelFor(const SeriesSpec& s, double fanNo, const DriveSpec& d) {
  return s.name + "No" + fanNoText(fanNo) + d.mode;
}

// The three accessory rows of a model: vibration isolators, the motor, and
// what joins them: pulleys (belt), a coupling (D) or the motor base (direct).
void writeAccessories(CatalogueWriter& w, const std::string& table, long long id, double fanNo,
                      const DriveSpec& d, int speed, const Motor& motor) {
  static const std::vector<std::string> cols = {"ModelID", "ItemName", "Spec", "Quantity",
                                                "Remark"};
  const char* isolator = fanNo <= 4     ? "JG1-3"
                         : fanNo <= 6.3 ? "JG2-4"
                         : fanNo <= 10  ? "JG3-4"
                                        : "ZT-120";
  const long long isolators = fanNo <= 6.3 ? 4 : 6;
  w.insert(
      table, cols,
      {id, std::string("减振器"), std::string(isolator), isolators, std::string("橡胶剪切减振器")});
  char power[32];
  std::snprintf(power, sizeof power, "%g", motor.power);
  w.insert(table, cols,
           {id, std::string("电机"), motor.model + " " + power + "kW", 1LL,
            std::string(d.belt ? "皮带传动" : "直联传动")});
  if (d.belt) {
    const int motorRpm = motorSpeed(speed, true);
    const long long motorPulley = fanNo <= 4.5 ? 125 : fanNo <= 8 ? 160 : 200;
    const long long fanPulley =
        std::lround(static_cast<double>(motorPulley) * motorRpm / speed / 5.0) * 5;
    w.insert(table, cols,
             {id, std::string("皮带轮"),
              "B型 Φ" + std::to_string(fanPulley) + "/Φ" + std::to_string(motorPulley), 1LL,
              std::string("风机/电机")});
  } else if (d.mode == "D") {
    const int size = motor.power <= 7.5 ? 5 : motor.power <= 22 ? 7 : 9;
    w.insert(
        table, cols,
        {id, std::string("联轴器"), "LT" + std::to_string(size), 1LL, std::string("弹性套柱销")});
  } else {
    w.insert(table, cols,
             {id, std::string("底座"), "No." + fanNoText(fanNo) + " 槽钢底座", 1LL, std::string()});
  }
}

long writeParameters(CatalogueWriter& w, const SeriesSpec& s, long long id, double fanNo, int speed,
                     int rows, const Motor& motor) {
  const std::string table = parameterTableName(s.name);
  if (s.style == TableStyle::Point) {
    static const std::vector<std::string> cols = {"ModelID",    "PointNo",    "Speed",
                                                  "Flux",       "AllPress",   "Efficiency",
                                                  "ShaftPower", "MotorModel", "MotorPower"};
    const auto points = performancePoints(s.curve, fanNo, speed, rows);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const PerformancePoint& p = points[i];
      w.insert(table, cols,
               {id, static_cast<long long>(i + 1), static_cast<long long>(speed), p.flux,
                p.pressure, p.efficiency, p.shaftPower, motor.model, motor.power});
    }
    return static_cast<long>(points.size());
  }
  static const std::vector<std::string> cols = {
      "ModelID",      "Speed",      "FluxLow",    "FluxHigh",   "AllPressLow",
      "AllPressHigh", "Efficiency", "ShaftPower", "MotorModel", "MotorPower"};
  // Each row covers the stretch of the curve between two neighbouring points.
  const auto points = performancePoints(s.curve, fanNo, speed, rows + 1);
  for (int i = 0; i < rows; ++i) {
    const PerformancePoint& a = points[static_cast<std::size_t>(i)];
    const PerformancePoint& b = points[static_cast<std::size_t>(i) + 1];
    w.insert(table, cols,
             {id, static_cast<long long>(speed), a.flux, b.flux, std::min(a.pressure, b.pressure),
              std::max(a.pressure, b.pressure), std::round((a.efficiency + b.efficiency) * 5) / 10,
              std::max(a.shaftPower, b.shaftPower), motor.model, motor.power});
  }
  return rows;
}

}  // namespace

std::string fanNoText(double fanNo) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", fanNo);
  return buf;
}

// The sample serves two duty points of the selection by parameters with
// tolerance 50 (ERRORNUM), each met by models of several series:
// - 1131 m³/h at 990 Pa, the dialog's default: a small flow at a high
//   pressure, which only the high-pressure series reach. Their belt drives
//   run the fan at the speed the pulleys give it: 9-19 No.5 C at 1250 r/min
//   (1142 m³/h, 1012 Pa) and Y5-47 No.3.15 C at 2240 r/min (1141 m³/h,
//   976 Pa).
// - 4900 m³/h at 1100 Pa: 4-72 No.4.5 C at 2000 r/min and T4-72 No.3.55 at
//   2900 r/min (point tables), 4-79 and 11-62 No.3.6 at 2900 r/min (range
//   tables).
// The points follow the fan laws from each series' curve; the end-to-end
// tests check both searches against the generated file.
CataloguePlan sampleCatalogue() {
  CataloguePlan plan;
  const DriveSpec direct = {"A", false, {2900, 1450}};
  plan.series = {
      {"4-72",
       TableStyle::Point,
       curve472(),
       {2.8, 3.2, 3.6, 4, 4.5, 5, 5.6, 6},
       {direct, {"C", true, {2240, 2000, 1800}, 4.5}}},
      {"4-79",
       TableStyle::Range,
       curve479(),
       {3.6, 4, 5, 6, 7},
       {direct, {"D", false, {1450, 960}, 5}}},
      {"9-19",
       TableStyle::Point,
       curve919(),
       {4, 4.5, 5, 5.6, 6.3},
       {{"A", false, {2900}}, {"C", true, {1800, 1250}, 5}, {"D", false, {2900, 1450}, 5}}},
      {"11-62", TableStyle::Range, curve1162(), {3.6, 4, 4.5, 5}, {direct}},
      {"T4-72",
       TableStyle::Point,
       curveT472(),
       {2.8, 3.15, 3.55, 4, 4.5, 5},
       {{"直联", false, {2900, 1450}}, {"皮带", true, {2000, 1600}, 4}}},
      {"Y5-47",
       TableStyle::Point,
       curveY547(),
       {3.15, 4, 5, 6},
       {{"C", true, {2240, 1800}}, {"D", false, {1450}, 4}},
       false},
  };
  return plan;
}

CataloguePlan largeCatalogue() {
  static const char* const names[] = {
      "4-72",   "4-79",  "9-19",  "11-62",  "T4-72",  "Y5-47",  "4-68",   "4-73",
      "G4-73",  "Y4-73", "Y4-68", "B4-72",  "9-26",   "6-30",   "6-46",   "5-48",
      "Y9-35",  "Y6-51", "G6-41", "Y6-41",  "11-61",  "4-2X72", "GY4-68", "M9-26",
      "C6-48",  "Y8-39", "8-18",  "Y9-38",  "W9-19",  "DT4-72", "KT4-68", "F4-72",
      "BF4-72", "9-28",  "Y4-60", "FB4-72", "HF4-68", "JF9-19", "ZY4-72", "SY5-47"};
  static const double fanNos[] = {2,   2.2, 2.5, 2.8, 3.15, 3.2,  3.55, 3.6,  4,  4.5, 5,  5.6, 6,
                                  6.3, 7.1, 8,   9,   10,   11.2, 12,   12.5, 14, 16,  18, 20};
  const FanCurve curves[] = {curve472(),  curve479(),  curve919(),
                             curve1162(), curveT472(), curveY547()};
  CataloguePlan plan;
  plan.pointRows = 10;
  plan.rangeRows = 10;
  for (std::size_t i = 0; i < std::size(names); ++i) {
    SeriesSpec s;
    s.name = names[i];
    s.style = i % 3 == 1 ? TableStyle::Range : TableStyle::Point;
    s.curve = curves[i % std::size(curves)];
    s.fanNos.assign(std::begin(fanNos), std::end(fanNos));
    if (i % 2 == 0) {
      s.drives = {{"A", false, {2900, 1450, 960, 730, 580}},
                  {"C", true, {2240, 2000, 1800, 1600, 1400}}};
    } else {
      s.drives = {{"直联", false, {2900, 1450, 960, 730, 580}},
                  {"皮带", true, {2240, 2000, 1800, 1600, 1400}}};
    }
    plan.series.push_back(std::move(s));
  }
  return plan;
}

CatalogueCounts writeCatalogue(CatalogueWriter& w, const CataloguePlan& plan) {
  CatalogueCounts counts;
  w.begin();
  w.createFixedTables();
  for (const auto& [column, heading] : standardHeadings()) {
    w.insert("IndexTableName", {"IndexName", "TableHead"}, {column, heading});
  }
  w.insert("IndexTableName", {"IndexName", "TableHead"}, {std::string("ERRORNUM"), plan.errorNum});
  long long id = 0;
  for (const SeriesSpec& s : plan.series) {
    ++counts.series;
    w.insert("Model_Table_Parameter_Style", {"BigModel", "TableStyle"},
             {s.name, s.style == TableStyle::Point ? 1LL : 0LL});
    w.createTable(parameterTableName(s.name), parameterColumns(s.style));
    for (const DriveSpec& d : s.drives) {
      w.createTable(accessoryTableName(s.name, d.mode), accessoryColumns());
    }
    const int rows = s.style == TableStyle::Point ? plan.pointRows : plan.rangeRows;
    for (double fanNo : s.fanNos) {
      for (const DriveSpec& d : s.drives) {
        if (fanNo < d.minFanNo || fanNo > d.maxFanNo) continue;
        for (int speed : d.speeds) {
          ++id;
          const Value label = s.labels ? Value(labelFor(s, fanNo, d)) : Value();
          w.insert("Model", {"ID", "BigModel", "DriveMode", "FanNo", "Speed", "LabelModel"},
                   {id, s.name, d.mode, fanNo, static_cast<long long>(speed), label});
          // One motor for the model: the largest power along its curve decides.
          double maxPower = 0;
          for (const auto& p : performancePoints(s.curve, fanNo, speed, rows + 1)) {
            maxPower = std::max(maxPower, p.shaftPower);
          }
          const Motor motor = chooseMotor(maxPower, speed, d.belt);
          counts.parameterRows += writeParameters(w, s, id, fanNo, speed, rows, motor);
          writeAccessories(w, accessoryTableName(s.name, d.mode), id, fanNo, d, speed, motor);
          counts.accessoryRows += 3;
          ++counts.models;
        }
      }
    }
  }
  w.commit();
  return counts;
}

CatalogueCounts writeCatalogueFile(const std::string& path, const CataloguePlan& plan) {
  CatalogueCounts counts;
  saveCatalogueFile(path, [&](const std::string& temporary) {
    CatalogueWriter writer(temporary);
    counts = writeCatalogue(writer, plan);
    writer.close();
  });
  return counts;
}

}  // namespace fangen
