// What the schedule takes from the catalogue for a model: its label, the
// accessories of its accessory table, its rated point and its operating point
// at a recorded duty.
//
// The catalogue is read once, as FANDUTY reads it (duty/duty_catalogue.h), and
// each model the drawing names is looked at once more for its motors and
// accessories, however many fans of it there are. A table that is missing or
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
};

}  // namespace sched
