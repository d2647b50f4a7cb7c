// The catalogue's side of the schedule.
#include "sched/schedule_catalogue.h"

#include <optional>
#include <vector>

#include "db/field_text.h"
#include "duty/duty_selection.h"

namespace sched {

namespace {

std::wstring keyText(const CString& series, const CString& fanNo, const CString& drive,
                     const CString& speed) {
  return series.str() + L'\n' + fanNo.str() + L'\n' + drive.str() + L'\n' + speed.str();
}

CString accessoryTable(const duty::CatalogueModel& m) {
  return m.bigModel + L"_" + m.driveMode + L"_Accessory";
}

// The named columns' texts of every row the statement gives; none when it
// fails (a missing table; a column the table lacks reads as empty).
std::optional<std::vector<std::vector<CString>>> readColumns(
    const _ConnectionPtr& connection, const CString& sql,
    const std::vector<const wchar_t*>& columns) {
  std::vector<std::vector<CString>> rows;
  try {
    _RecordsetPtr rs = connection->Execute(_bstr_t(static_cast<LPCTSTR>(sql)), nullptr, adCmdText);
    FieldsPtr fields = rs->GetFields();
    std::vector<long> at;
    for (const wchar_t* c : columns) {
      long found = -1;
      for (long i = 0; i < fields->GetCount(); ++i)
        if (CString(static_cast<const wchar_t*>(fields->GetItem(_variant_t(i))->GetName()))
                .CompareNoCase(c) == 0)
          found = i;
      at.push_back(found);
    }
    for (; rs->GetadoEOF() == VARIANT_FALSE; rs->MoveNext()) {
      std::vector<CString>& row = rows.emplace_back();
      for (long i : at) row.push_back(i < 0 ? CString() : FieldText(rs->GetCollect(_variant_t(i))));
    }
    rs->Close();
  } catch (const _com_error&) {
    return std::nullopt;
  }
  return rows;
}

// The accessory rows as one text: "name type ×quantity; ...".
CString accessoryText(const std::vector<std::vector<CString>>& rows) {
  CString text;
  for (const std::vector<CString>& r : rows) {
    if (r[0].IsEmpty()) continue;  // the placeholder row a new model gets
    CString item = r[0];
    if (!r[1].IsEmpty()) item += L" " + r[1];
    if (!r[2].IsEmpty() && r[2] != L"1") item += L" \u00d7" + r[2];
    text += (text.IsEmpty() ? L"" : L"; ") + item;
  }
  return text;
}

// The row at which a model is rated: its most efficient row (the first of
// equals), or its first when no row gives an efficiency. A range row's
// point is the middle of its box.
std::optional<Performance> ratedPoint(const duty::CatalogueModel& m,
                                      const std::vector<CString>& motors) {
  const duty::PerformanceRow* best = nullptr;
  size_t bestIndex = 0;
  for (size_t i = 0; i < m.rows.size(); ++i) {
    const duty::PerformanceRow& r = m.rows[i];
    if (!best || r.efficiency.value_or(-1) > best->efficiency.value_or(-1)) {
      best = &r;
      bestIndex = i;
    }
  }
  if (!best) return std::nullopt;
  auto middle = [](const std::optional<double>& v, const std::optional<double>& lo,
                   const std::optional<double>& hi) -> std::optional<double> {
    if (v) return v;
    if (lo && hi) return (*lo + *hi) / 2;
    return std::nullopt;
  };
  return Performance{middle(best->flow, best->flowLow, best->flowHigh),
                     middle(best->pressure, best->pressureLow, best->pressureHigh),
                     best->efficiency,
                     best->shaftPower,
                     best->motorPower,
                     bestIndex < motors.size() ? motors[bestIndex] : CString()};
}

// The motor of the row whose motor power the operating point took.
CString motorOfPower(const duty::CatalogueModel& m, const std::vector<CString>& motors,
                     const std::optional<double>& power) {
  for (size_t i = 0; power && i < m.rows.size() && i < motors.size(); ++i)
    if (m.rows[i].motorPower == power) return motors[i];
  return CString();
}

constexpr const wchar_t* kMotorColumn = L"MotorModel";

}  // namespace

CatalogueFacts::CatalogueFacts(const _ConnectionPtr& connection) : m_connection(connection) {
  Read({std::nullopt, {kMotorColumn}});
}

CatalogueFacts::CatalogueFacts(const _ConnectionPtr& connection,
                               const std::vector<ModelKey>& models)
    : m_connection(connection), m_limited(true) {
  std::vector<duty::ModelName> names;
  names.reserve(models.size());
  for (const ModelKey& k : models) names.push_back({k.series, k.fanNo, k.drive, k.speed});
  Read({std::move(names), {kMotorColumn}});
}

void CatalogueFacts::Read(const duty::CatalogueQuery& query) {
  if (m_connection == nullptr) return;
  try {
    m_catalogue = duty::readDutyCatalogue(m_connection, query);
  } catch (const _com_error&) {
    return;
  }
  for (size_t i = 0; i < m_catalogue.models.size(); ++i) {
    const duty::CatalogueModel& m = m_catalogue.models[i];
    m_index.emplace(keyText(m.bigModel, m.fanNo, m.driveMode, m.speed), i);
    if (m_limited) m_tableIds[accessoryTable(m).str()].push_back(m.id);
  }
}

std::optional<ModelFacts> CatalogueFacts::Lookup(const ModelKey& key) {
  const std::wstring text = keyText(key.series, key.fanNo, key.drive, key.speed);
  const auto [known, added] = m_facts.try_emplace(text);
  std::optional<ModelFacts>& facts = known->second;
  if (!added) return facts;
  const auto found = m_index.find(text);
  if (found == m_index.end()) return facts;
  const size_t index = found->second;
  const duty::CatalogueModel& m = m_catalogue.models[index];
  facts.emplace();
  facts->label = m.labelModel;
  facts->accessories =
      accessoryText(RowsOf(accessoryTable(m), m.id, {L"ItemName", L"Spec", L"Quantity"}));
  facts->rated = ratedPoint(m, m.rowTexts);
  facts->atDuty = [this, index](const FanRecord& r) { return AtDuty(index, r); };
  return facts;
}

std::optional<Performance> CatalogueFacts::AtDuty(std::size_t index, const FanRecord& r) {
  const auto [known, added] = m_atDuty.try_emplace(
      {index, r.flow.value_or(0), r.pressure.value_or(0), r.airTemp, r.atmPressure});
  if (!added) return known->second;
  duty::DutyConditions conditions;
  conditions.flow = r.flow.value_or(0);
  conditions.pressure = r.pressure.value_or(0);
  conditions.temperature = r.airTemp.value_or(conditions.temperature);
  conditions.atmPressure = r.atmPressure.value_or(conditions.atmPressure);
  try {
    const duty::DutySelection s = duty::selectForDuty(m_catalogue, conditions, {index});
    if (s.candidates.empty()) return std::nullopt;
    const duty::Candidate& c = s.candidates.front();
    const duty::CatalogueModel& m = m_catalogue.models[index];
    known->second =
        Performance{c.point.flow, c.point.pressure, c.efficiency,
                    c.shaftPower, c.motorPower,     motorOfPower(m, m.rowTexts, c.motorPower)};
  } catch (const std::invalid_argument&) {
  }
  return known->second;
}

const CatalogueFacts::TextRows& CatalogueFacts::RowsOf(const CString& table, int modelId,
                                                       const std::vector<const wchar_t*>& columns) {
  const auto [it, added] = m_tables.try_emplace(table.str());
  if (added) {
    // Only the columns wanted: the data layer converts every column a statement gives.
    std::vector<const wchar_t*> withKey = columns;
    withKey.push_back(L"ModelID");
    CString sql = L"SELECT ";
    for (const wchar_t* c : withKey) sql += CString(c) + (c == withKey.back() ? L" FROM " : L", ");
    sql += table;
    std::optional<TextRows> rows;
    if (const auto ids = m_tableIds.find(table.str()); ids != m_tableIds.end())
      rows = readColumns(m_connection, sql + duty::modelIdLimit(ids->second), withKey);
    // A table whose ModelID cannot be compared with numbers is read whole.
    if (!rows) rows = readColumns(m_connection, sql, withKey);
    for (std::vector<CString>& row : rows.value_or(TextRows())) {
      const std::wstring key = row.back().str();
      row.pop_back();
      it->second[key].push_back(std::move(row));
    }
  }
  static const TextRows kNone;
  const auto rows = it->second.find(std::to_wstring(modelId));
  return rows == it->second.end() ? kNone : rows->second;
}

}  // namespace sched
