// Catalogues for the selection tests, built in memory: series and models
// with their performance rows, without a catalogue file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "duty/duty_catalogue.h"
#include "fanperf/fan_laws.h"

namespace dutytest {

struct Point {
  double flow, pressure;
  std::optional<double> efficiency = {}, shaftPower = {}, motorPower = {};
};

struct Box {
  double flowLow, flowHigh, pressureLow, pressureHigh;
  std::optional<double> efficiency = {}, shaftPower = {}, motorPower = {};
};

// A catalogue measured in air of 20 °C and 101325 Pa, so that a duty at
// those conditions needs no density correction and hand-worked numbers hold.
class Catalogue {
 public:
  Catalogue() { m_c.density = fanperf::dryAirDensity(20, 101325); }

  Catalogue& series(const std::string& name, duty::RowKind kind, bool columns = true) {
    duty::CatalogueSeries s;
    s.name = CString::FromUtf8(name);
    s.kind = kind;
    if (columns) s.columns = {L"Efficiency", L"ShaftPower", L"MotorPower", {}, {}};
    m_c.series.push_back(s);
    return *this;
  }
  Catalogue& curve(const std::string& fanNo, const std::string& drive, const std::string& speed,
                   const std::vector<Point>& points) {
    duty::CatalogueModel& m = model(fanNo, drive, speed);
    for (const Point& p : points) {
      m.rows.push_back(
          {p.flow, p.pressure, {}, {}, {}, {}, p.efficiency, p.shaftPower, p.motorPower, {}, {}});
    }
    return *this;
  }
  Catalogue& boxes(const std::string& fanNo, const std::string& drive, const std::string& speed,
                   const std::vector<Box>& boxes) {
    duty::CatalogueModel& m = model(fanNo, drive, speed);
    for (const Box& b : boxes) {
      m.rows.push_back({{},
                        {},
                        b.flowLow,
                        b.flowHigh,
                        b.pressureLow,
                        b.pressureHigh,
                        b.efficiency,
                        b.shaftPower,
                        b.motorPower,
                        {},
                        {}});
    }
    return *this;
  }
  const duty::DutyCatalogue& get() const { return m_c; }
  duty::DutyCatalogue& edit() { return m_c; }

 private:
  duty::CatalogueModel& model(const std::string& fanNo, const std::string& drive,
                              const std::string& speed) {
    duty::CatalogueModel m;
    m.id = static_cast<int>(m_c.models.size()) + 1;
    m.series = m_c.series.size() - 1;
    m.bigModel = m_c.series.back().name;
    m.fanNo = CString::FromUtf8(fanNo);
    m.driveMode = CString::FromUtf8(drive);
    m.speed = CString::FromUtf8(speed);
    m_c.models.push_back(m);
    return m_c.models.back();
  }
  duty::DutyCatalogue m_c;
};

// The straight curve p = a - b·Q through two points at 800 and 1600 m³/h,
// with the efficiency and power given at both ends.
inline std::vector<Point> straight(double a, double b, double eta0 = 75, double eta1 = 75,
                                   double power = 1.0) {
  return {{800, a - b * 800, eta0, power, power * 1.5},
          {1600, a - b * 1600, eta1, power, power * 1.5}};
}

}  // namespace dutytest
