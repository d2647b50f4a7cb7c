// The schedule's rules: tag order, the model a placement's entry names, which
// values come from the catalogue, the counts, and the table's layout.
#include "sched/schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sched/schedule_table.h"

namespace {

using sched::ScheduleRow;

FanRecord tagged(const wchar_t* tag, FanSource source = FanSource::Browse) {
  FanRecord r;
  r.tag = tag;
  r.series = L"4-72";
  r.fanNo = L"4.5";
  r.drive = L"A";
  r.speed = L"2900";
  r.source = source;
  return r;
}

TEST(Schedule, TagsSortByPrefixThenNumberWithUntaggedLast) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    bool before;
  } cases[] = {
      {L"F-2", L"F-10", true}, {L"F-10", L"F-2", false}, {L"F-9", L"G-1", true},
      {L"F-1", L"", true},     {L"", L"F-1", false},     {L"", L"", false},
      {L"F-", L"F-1", true},   {L"F-3", L"F-3", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sched::TagBefore(c.a, c.b), c.before)
        << CString(c.a).ToUtf8() << " " << CString(c.b).ToUtf8();
}

TEST(Schedule, APlacementEntryNamesItsModel) {
  const struct {
    const wchar_t* entry;
    const wchar_t* series;  // null: no model
    const wchar_t* fanNo;
    const wchar_t* drive;
    const wchar_t* speed;
  } cases[] = {
      {L"4-72No4.5A_2900", L"4-72", L"4.5", L"A", L"2900"},
      {L"Y5-47No12.5皮带_960", L"Y5-47", L"12.5", L"皮带", L"960"},
      {L"4-72No_2900", nullptr, nullptr, nullptr, nullptr},
      {L"No4A_2900", nullptr, nullptr, nullptr, nullptr},
      {L"4-72No4A", nullptr, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const auto key = sched::ParseModelEntry(c.entry);
    ASSERT_EQ(key.has_value(), c.series != nullptr) << CString(c.entry).ToUtf8();
    if (key) {
      EXPECT_EQ(*key, (sched::ModelKey{c.series, c.fanNo, c.drive, c.speed}));
    }
  }
}

TEST(Schedule, RecordedValuesStandAndTheCatalogueFillsTheRest) {
  sched::ModelFacts facts;
  facts.label = L"catalogue label";
  facts.accessories = L"base";
  facts.rated = sched::Performance{1000, 500, 80, 1.5, 2.2, L"Y90"};
  facts.atDuty = [](const FanRecord& r) {
    return sched::Performance{*r.flow + 10, *r.pressure + 5, 70, 1, 1.5, L"Y80"};
  };
  std::vector<sched::DrawingFan> fans(4);
  fans[0].record = tagged(L"F-10", FanSource::Duty);
  fans[0].record->pointFlow = 900;
  fans[0].record->pointPressure = 450;
  fans[0].record->efficiency = 75;
  fans[0].record->shaftPower = 1.2;
  fans[0].record->motorPower = 1.5;
  fans[1].record = tagged(L"F-2", FanSource::Parameters);
  fans[1].record->flow = 800;
  fans[1].record->pressure = 400;
  fans[2].modelEntry = L"4-72No4.5A_2900";  // placed before records were kept
  fans[2].labelModel = L"drawing label";
  fans[3].record = tagged(L"F-1");
  fans[3].record->speed = L"1450";  // a model the catalogue lacks
  const sched::ModelLookup lookup = [&facts](const sched::ModelKey& k) {
    return k.speed == L"2900" ? std::optional(facts) : std::nullopt;
  };
  const std::vector<ScheduleRow> rows = sched::BuildSchedule(fans, lookup);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].tag, L"F-1");
  EXPECT_FALSE(rows[0].performance.flow);
  EXPECT_EQ(rows[0].remark, L"");
  EXPECT_EQ(rows[0].count, 1);
  EXPECT_EQ(rows[1].tag, L"F-2");
  EXPECT_EQ(rows[1].performance.flow, 810);
  EXPECT_EQ(rows[1].remark, sched::kFromCatalogue);
  EXPECT_EQ(rows[2].tag, L"F-10");
  EXPECT_EQ(rows[2].performance.flow, 900);
  EXPECT_EQ(rows[2].performance.motor, L"Y90");
  EXPECT_EQ(rows[2].remark, L"");
  EXPECT_EQ(rows[2].label, L"catalogue label");
  EXPECT_EQ(rows[3].tag, L"");
  EXPECT_EQ(rows[3].label, L"drawing label");
  EXPECT_EQ(rows[3].performance.efficiency, 80);
  EXPECT_EQ(rows[3].remark, sched::kPlacedBeforeTags);
  EXPECT_EQ(rows[3].accessories, L"base");
  EXPECT_EQ(rows[3].count, 3);
}

TEST(Schedule, TheTableHasALineOnEveryCellBoundaryAndEachTextInItsCell) {
  std::vector<ScheduleRow> rows(2);
  rows[0].tag = L"F-1";
  rows[0].name = L"离心式风机";
  rows[1].performance.flow = 1234.4;
  rows[1].performance.shaftPower = 1.50;
  const auto cells = sched::ScheduleCells(rows);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[2][7], L"1234");
  EXPECT_EQ(cells[2][10], L"1.5");
  const sched::TableLayout t = sched::LayOutTable(cells);
  const size_t columns = cells[0].size();
  EXPECT_EQ(t.lines.size(), cells.size() + 1 + columns + 1);
  EXPECT_DOUBLE_EQ(t.height, 3 * sched::kRowHeight);
  std::vector<double> xs;
  for (const auto& l : t.lines)
    if (l.from.x == l.to.x) xs.push_back(l.from.x);
  for (const auto& text : t.texts) {
    const double top = std::ceil(text.position.y / sched::kRowHeight) * sched::kRowHeight;
    EXPECT_LE(text.position.y + sched::kTextHeight, top) << text.text.ToUtf8();
    EXPECT_GE(text.position.y, top - sched::kRowHeight) << text.text.ToUtf8();
    const auto right = std::upper_bound(xs.begin(), xs.end(), text.position.x);
    ASSERT_NE(right, xs.end());
    // The text's estimated width fits before the next column's line.
    const double width =
        sched::kTextHeight * (text.text == L"离心式风机" ? 10 : text.text.GetLength());
    EXPECT_LE(text.position.x + width, *right + 1e-9) << text.text.ToUtf8();
  }
}

}  // namespace
