// What the schedule takes from the catalogue for a model: its label, the
// accessories of its accessory table, its rated point and its operating point
// at a recorded duty.
//
// The catalogue is read once, as FANDUTY reads it (duty/duty_catalogue.h), and
// the parameter and accessory tables the drawing's models are in once more,
// whole, for their motors and accessories: one statement per table rather
// than per model, as tables have no index and a statement per model scans its
// table again (2,000 scans for 1,000 fans on the large catalogue). A table that is missing or
// cannot be read gives nothing, silently: the schedule then shows what the
// drawing records.
#pragma once

#include <map>
#include <memory>

#include "ado/ado.h"
#include "duty/duty_catalogue.h"
#include "sched/schedule.h"

namespace sched {

class CatalogueFacts {
 public:
  // Reads the catalogue through the connection; with a null connection, or a
  // catalogue without its Model table, every lookup finds nothing.
  explicit CatalogueFacts(const _ConnectionPtr& connection);

  std::optional<ModelFacts> Lookup(const ModelKey& key);
  ModelLookup AsLookup() {
    return [this](const ModelKey& key) { return Lookup(key); };
  }

 private:
  _ConnectionPtr m_connection;
  duty::DutyCatalogue m_catalogue;
  std::map<std::wstring, std::size_t> m_index;  // model text -> index into m_catalogue.models
  std::map<std::wstring, std::optional<ModelFacts>> m_facts;
  // Per table: the rows' texts of the named columns, by the row's ModelID text.
  using TableRows = std::map<std::wstring, std::vector<std::vector<CString>>>;
  std::map<std::wstring, TableRows> m_tables;
  const std::vector<std::vector<CString>>& RowsOf(const CString& table, int modelId,
                                                  const std::vector<const wchar_t*>& columns);
};

}  // namespace sched
