// What the schedule takes from the catalogue for a model: its label, the
// accessories of its accessory table, its rated point and its operating point
// at a recorded duty.
//
// The catalogue is read as FANDUTY reads it (duty/duty_catalogue.h), the
// parameter rows with their motor models in the same statement, and the
// accessory tables the models are in once more, for their accessories: one
// statement per table rather than per model, as tables have no index and a
// statement per model scans its table again (2,000 scans for 1,000 fans on
// the large catalogue). Given the models a drawing holds, only those are
// read, each table's statement limited to their IDs: a drawing of 1,000 fans
// needs a tenth of the large catalogue's rows. A table that is missing or
// cannot be read gives nothing, silently: the schedule then shows what the
// drawing records.
//
// Facts are worked out once per model, and an operating point once per model
// and duty (a drawing's identical fans share them).
#pragma once

#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "ado/ado.h"
#include "duty/duty_catalogue.h"
#include "sched/schedule.h"

namespace sched {

class CatalogueFacts {
 public:
  // Reads the whole catalogue through the connection; with a null connection,
  // or a catalogue without its Model table, every lookup finds nothing.
  explicit CatalogueFacts(const _ConnectionPtr& connection);
  // Reads what these models need; a lookup of any other finds nothing.
  CatalogueFacts(const _ConnectionPtr& connection, const std::vector<ModelKey>& models);

  std::optional<ModelFacts> Lookup(const ModelKey& key);
  ModelLookup AsLookup() {
    return [this](const ModelKey& key) { return Lookup(key); };
  }

 private:
  void Read(const duty::CatalogueQuery& query);
  std::optional<Performance> AtDuty(std::size_t index, const FanRecord& duty);
  using TextRows = std::vector<std::vector<CString>>;
  const TextRows& RowsOf(const CString& table, int modelId,
                         const std::vector<const wchar_t*>& columns);

  _ConnectionPtr m_connection;
  duty::DutyCatalogue m_catalogue;
  bool m_limited = false;                                 // only the models asked for were read
  std::unordered_map<std::wstring, std::size_t> m_index;  // model text -> m_catalogue.models
  std::unordered_map<std::wstring, std::optional<ModelFacts>> m_facts;
  // Model index, flow, pressure, air temperature, atmospheric pressure.
  using DutyKey =
      std::tuple<std::size_t, double, double, std::optional<double>, std::optional<double>>;
  std::map<DutyKey, std::optional<Performance>> m_atDuty;
  // Per accessory table, when limited: the IDs of the models read that it serves.
  std::unordered_map<std::wstring, std::vector<long long>> m_tableIds;
  // Per table: the rows' texts of the named columns, by the row's ModelID text.
  std::unordered_map<std::wstring, std::unordered_map<std::wstring, TextRows>> m_tables;
};

}  // namespace sched
