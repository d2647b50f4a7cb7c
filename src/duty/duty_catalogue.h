// DutyCatalogue: what FANDUTY reads of the catalogue: every model with its
// performance rows, and for each series the kind of its rows and the columns
// that hold efficiency, shaft power, motor power and, when it has them, sound
// power.
//
// The whole catalogue is read in a handful of statements (the fixed tables,
// then one per series' parameter table) rather than one per model, because
// a large catalogue has ten thousand models. A series whose rows cannot be
// used (no table style, a parameter table that is missing or lacks its
// flow and pressure columns) keeps its models, without rows, and says why;
// the command lists that instead of interrupting with a message box.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ado/ado.h"
#include "base/cstring.h"
#include "fanperf/fan_laws.h"
#include "fanperf/fan_sound.h"

namespace duty {

// Point tables give points of a curve (Flux, AllPress); range tables give a
// box per row (FluxLow..FluxHigh, AllPressLow..AllPressHigh).
enum class RowKind { Points, Ranges };

struct PerformanceRow {
  std::optional<double> flow;      // m³/h, point tables
  std::optional<double> pressure;  // Pa
  std::optional<double> flowLow;   // range tables
  std::optional<double> flowHigh;
  std::optional<double> pressureLow;
  std::optional<double> pressureHigh;
  std::optional<double> efficiency;  // %
  std::optional<double> shaftPower;  // kW
  std::optional<double> motorPower;  // kW
  std::optional<double> lwa;         // dB(A), sound power
  // dB, sound power in the octave bands 63 Hz to 8 kHz: only when the row
  // gives all eight.
  std::optional<fanperf::OctaveLevels> bands;
};

// The column names that hold the values; empty where the series has none.
struct PerformanceColumns {
  CString efficiency;
  CString shaftPower;
  CString motorPower;
  CString lwa;
  std::array<CString, fanperf::kOctaveBands> bands;  // 63 Hz to 8 kHz
};

struct CatalogueSeries {
  CString name;
  std::optional<RowKind> kind;  // none: no usable table style
  PerformanceColumns columns;
  CString problem;  // why its rows could not be read; empty when they were
};

struct CatalogueModel {
  int id = 0;
  std::size_t series = 0;  // index into DutyCatalogue::series
  CString bigModel;
  CString fanNo;
  CString driveMode;
  CString speed;
  CString labelModel;
  std::vector<PerformanceRow> rows;  // in the table's order
  // Beside each row, the texts of the columns a CatalogueQuery names (row
  // after row, rowTexts.size() per row); empty when it names none.
  std::vector<CString> rowTexts;
};

struct DutyCatalogue {
  std::vector<CatalogueSeries> series;  // in order of first appearance in Model
  std::vector<CatalogueModel> models;   // in the order of table Model
  int incompleteModels = 0;  // rows of Model without ID, series, fan number, drive or speed
  double density = fanperf::kCatalogueDensity;  // kg/m³ at which the performance was measured
  CString densityProblem;                       // an AIRDENSITY entry that is not a density
};

// The heading dictionary's reserved entry that gives the catalogue's air
// density in kg/m³, when it is not the standard 1.2.
inline constexpr const wchar_t* kDensityEntry = L"AIRDENSITY";

// Which columns hold efficiency (%), shaft power (kW) and motor power (kW):
// by their names Efficiency, ShaftPower and MotorPower (any letter case), or
// else by the words of their headings: 效率 (but not 电机效率, the motor's),
// 轴功率 or 内功率, 电机功率. The first column in table order wins each role;
// one column fills one role only. Then sound power, from the columns left:
// each octave band by a name or heading that holds Lw63 or 63Hz (1kHz for
// 1000 and so on; blanks and letter case aside), then LwA by the name LwA or
// a heading holding 噪声, 声功率 or LwA. headings maps upper-case column names
// to their headings.
PerformanceColumns findPerformanceColumns(const std::vector<CString>& fields,
                                          const std::map<std::wstring, CString>& headings);

// Reads the catalogue through the connection. Throws _com_error only when the
// fixed table Model cannot be read; every other failure is kept as a problem
// of its series or of the density. The last catalogue read is kept, and a copy
// of it returned while nothing has written to the catalogue since
// (adoimpl::catalogueStamp, ado/ado_connection.h).
DutyCatalogue readDutyCatalogue(const _ConnectionPtr& connection);
// The same without the copy (a tenth of a read of the large catalogue): the
// catalogue kept, shared with later reads. Never null.
std::shared_ptr<const DutyCatalogue> keptDutyCatalogue(const _ConnectionPtr& connection);

// A model as table Model names it.
struct ModelName {
  CString series, fanNo, drive, speed;
  bool operator==(const ModelName&) const = default;
};

// Part of the catalogue, for a caller that needs a few models (a drawing's)
// rather than all of them: only those models are kept, with their series
// (in order of first appearance among them), and their parameter rows are read
// in one statement per table limited to their IDs, as the tables have no
// index and a statement per model would scan its table again; without a list
// of models, every model is read as readDutyCatalogue(connection) reads it.
// A table that refuses the limited statement is read whole. textColumns names further
// columns of the parameter tables whose texts each row keeps
// (CatalogueModel::rowTexts); a table without one gives empty texts.
struct CatalogueQuery {
  std::optional<std::vector<ModelName>> models;  // none: every model
  std::vector<CString> textColumns;
};
DutyCatalogue readDutyCatalogue(const _ConnectionPtr& connection, const CatalogueQuery& query);

// " WHERE ModelID IN (...)": a statement's limit to the models of these IDs,
// listed in ascending order (so that the same models give the same text, which
// the data layer's caches key on) and once each.
CString modelIdLimit(std::vector<long long> ids);

}  // namespace duty
