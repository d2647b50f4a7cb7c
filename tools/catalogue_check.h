// fancat check: rules a catalogue's data should keep, each with an id, checked
// over the whole catalogue and reported per model and table row.
//
// The rules look at the data as FANDUTY and the fan dialog use it: curves
// (pressure falls right of the peak), plausible values (efficiency, shaft
// power against flow × pressure / efficiency), the fan laws between the speeds
// of one fan, and the links between tables (rows without their model, models
// without rows, duplicates, headings, view drawings). A check writes nothing.
#pragma once

#include <string>
#include <vector>

#include "catalogue_connection.h"

namespace fangen {

struct CheckRule {
  const char* id;
  const char* summary;
};

// Every rule, in the order findings are reported.
const std::vector<CheckRule>& checkRules();

struct CheckOptions {
  // The drawing library folder (its Fan folder holds the view drawings); empty: not checked.
  std::string drawingFolder;
  // Shaft power may differ from flow × pressure / efficiency by this share, plus
  // kPowerRounding: catalogues print power to two decimals.
  double powerTolerance = 0.05;
  // A model's pressure may differ by this share from another speed's curve moved by
  // the fan laws.
  double fanLawTolerance = 0.05;
};

struct Finding {
  std::string rule;
  std::string table;  // empty when the finding is not about one table
  long row = 0;       // from 1, in table order; 0 when not about one row
  long long modelId = 0;
  std::string model;  // "4-72 No4.5 C 2000", empty when not about one model
  std::string reason;
};

std::vector<Finding> checkCatalogue(const CatalogueSnapshot& catalogue,
                                    const CheckOptions& options);

// One line per finding: "RULE: TABLE row N, model ID (4-72 No4.5 C 2000): reason".
std::string findingsText(const std::vector<Finding>& findings);
// {"findings": [{"rule", "table", "row", "modelId", "model", "reason"}...], "rules": [...]}
std::string findingsJson(const std::vector<Finding>& findings);

}  // namespace fangen
