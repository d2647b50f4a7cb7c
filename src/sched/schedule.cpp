// The schedule's rows: the record first, the catalogue for what it lacks.
#include "sched/schedule.h"

#include <algorithm>
#include <climits>
#include <tuple>
#include <unordered_map>

namespace sched {

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A tag split into the text before its trailing number and that number
// (-1 when it ends in no digit, so "F-" comes before "F-1").
std::pair<std::wstring, long long> splitTag(const std::wstring& tag) {
  size_t start = tag.size();
  while (start > 0 && isDigit(tag[start - 1])) --start;
  const std::wstring digits = tag.substr(start);
  // More digits than a number holds compare as the largest number.
  if (digits.empty()) return {tag, -1};
  return {tag.substr(0, start), digits.size() > 18 ? LLONG_MAX : std::stoll(digits)};
}

std::wstring modelText(const ModelKey& k) {
  return k.series.str() + L'\n' + k.fanNo.str() + L'\n' + k.drive.str() + L'\n' + k.speed.str();
}

// Takes every value the record lacks from the catalogue's performance.
void fillFrom(Performance& p, const Performance& catalogue) {
  for (auto member : {&Performance::flow, &Performance::pressure, &Performance::efficiency,
                      &Performance::shaftPower, &Performance::motorPower}) {
    if (!(p.*member)) p.*member = catalogue.*member;
  }
  if (p.motor.IsEmpty()) p.motor = catalogue.motor;
}

ScheduleRow rowOf(const DrawingFan& fan, const ModelLookup& lookup) {
  ScheduleRow row;
  row.name = fan.name;
  row.label = fan.labelModel;
  if (fan.record) {
    const FanRecord& r = *fan.record;
    row.tag = r.tag;
    row.performance = {r.pointFlow,  r.pointPressure, r.efficiency,
                       r.shaftPower, r.motorPower,    r.motor};
  } else {
    row.remark = kPlacedBeforeTags;
  }
  row.model = ModelOf(fan);
  const std::optional<ModelFacts> facts = lookup ? lookup(row.model) : std::nullopt;
  if (!facts) return row;
  if (row.label.IsEmpty()) row.label = facts->label;
  row.accessories = facts->accessories;
  // FANDUTY's own operating point stands; a duty asked for in the dialog is
  // worked out on the catalogue's curve; without a duty the rated point.
  const bool computed = fan.record && fan.record->source == FanSource::Duty;
  std::optional<Performance> catalogue;
  if (fan.record && fan.record->flow && fan.record->pressure && facts->atDuty)
    catalogue = facts->atDuty(*fan.record);
  if (!catalogue) catalogue = facts->rated;
  if (!catalogue) return row;
  const Performance recorded = row.performance;
  fillFrom(row.performance, *catalogue);
  const bool filled = !computed || row.performance.flow != recorded.flow ||
                      row.performance.efficiency != recorded.efficiency ||
                      row.performance.shaftPower != recorded.shaftPower ||
                      row.performance.motorPower != recorded.motorPower;
  if (filled && row.remark.IsEmpty()) row.remark = kFromCatalogue;
  return row;
}

}  // namespace

std::optional<ModelKey> ParseModelEntry(const CString& entry) {
  const std::wstring& e = entry.str();
  const size_t underscore = e.rfind(L'_');
  const size_t no = e.find(L"No");
  if (underscore == std::wstring::npos || no == std::wstring::npos || no == 0 || no > underscore)
    return std::nullopt;
  size_t drive = no + 2;
  while (drive < underscore && (isDigit(e[drive]) || e[drive] == L'.')) ++drive;
  if (drive == no + 2 || underscore + 1 >= e.size()) return std::nullopt;
  return ModelKey{e.substr(0, no), e.substr(no + 2, drive - no - 2),
                  e.substr(drive, underscore - drive), e.substr(underscore + 1)};
}

ModelKey ModelOf(const DrawingFan& fan) {
  if (const std::optional<FanRecord>& r = fan.record)
    return {r->series, r->fanNo, r->drive, r->speed};
  return ParseModelEntry(fan.modelEntry).value_or(ModelKey{});
}

bool TagBefore(const CString& a, const CString& b) {
  if (a.IsEmpty() || b.IsEmpty()) return !a.IsEmpty() && b.IsEmpty();
  return splitTag(a.str()) < splitTag(b.str());
}

std::vector<ScheduleRow> BuildSchedule(const std::vector<DrawingFan>& fans,
                                       const ModelLookup& lookup) {
  std::vector<ScheduleRow> rows;
  rows.reserve(fans.size());
  std::unordered_map<std::wstring, int> counts;
  for (const DrawingFan& fan : fans) {
    rows.push_back(rowOf(fan, lookup));
    ++counts[modelText(rows.back().model)];
  }
  for (ScheduleRow& row : rows) row.count = counts[modelText(row.model)];
  std::stable_sort(rows.begin(), rows.end(), [](const ScheduleRow& a, const ScheduleRow& b) {
    return TagBefore(a.tag, b.tag);
  });
  return rows;
}

}  // namespace sched
