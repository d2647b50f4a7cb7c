// The equipment schedule: one row per placed fan, built from what the drawing
// records of each fan and, where the record lacks a value, from the catalogue.
//
// Rows are in tag order: by prefix, then by number (F-2 before F-10); fans
// without a tag (placed before fans were tagged) come last, in the order they
// were placed. Nothing here touches the drawing or the catalogue: the command
// gathers DrawingFan values and a ModelLookup, so the rules are tested alone.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "base/cstring.h"
#include "drawings/fan_record.h"

namespace sched {

// What the drawing holds of one placed fan.
struct DrawingFan {
  CString modelEntry;  // the placement's Model entry: <series>No<fan number><drive>_<speed>
  CString labelModel;
  CString name;
  std::optional<FanRecord> record;  // none for fans placed before records were kept
};

// A model's identity in the catalogue.
struct ModelKey {
  CString series;
  CString fanNo;
  CString drive;
  CString speed;
  bool operator==(const ModelKey&) const = default;
};

// The performance of a fan as the schedule lists it.
struct Performance {
  std::optional<double> flow;        // m³/h
  std::optional<double> pressure;    // Pa
  std::optional<double> efficiency;  // %
  std::optional<double> shaftPower;  // kW
  std::optional<double> motorPower;  // kW
  CString motor;
};

// What the catalogue gives for a model: its label, its accessories as one
// text, its performance at a duty point (the operating point in that air)
// and, without one, at its rated point.
struct ModelFacts {
  CString label;
  CString accessories;
  std::function<std::optional<Performance>(const FanRecord& duty)> atDuty;
  std::optional<Performance> rated;
};
using ModelLookup = std::function<std::optional<ModelFacts>(const ModelKey&)>;

inline constexpr const ACHAR* kFromCatalogue = L"按样本补全";
inline constexpr const ACHAR* kPlacedBeforeTags = L"早期布置, 无记录";

struct ScheduleRow {
  CString tag;
  CString name;
  CString label;
  ModelKey model;
  Performance performance;
  CString accessories;
  int count = 0;  // fans of the same model in the drawing
  CString remark;
};

// The model a placement's Model entry names ("4-72No4.5A_2900"): the series
// before "No", the fan number's digits and point after it, the drive to the
// last "_", the speed after it; nullopt when the entry has another shape.
std::optional<ModelKey> ParseModelEntry(const CString& entry);

// The model a fan is of: its record's, or else the one its Model entry names
// (empty when the entry names none).
ModelKey ModelOf(const DrawingFan& fan);

// Whether tag a comes before tag b: by the text before the trailing number,
// then by that number; an empty tag after every other.
bool TagBefore(const CString& a, const CString& b);

// The rows for the fans, in the drawing's order, sorted by tag.
std::vector<ScheduleRow> BuildSchedule(const std::vector<DrawingFan>& fans,
                                       const ModelLookup& lookup);

}  // namespace sched
