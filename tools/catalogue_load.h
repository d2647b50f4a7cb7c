// fancat load and template: performance, accessory and heading rows from a
// CSV or XLSX file (the layout of load_layout.h) into a catalogue.
//
// A load reads and checks the whole file first, then the catalogue's state for
// the series it names, and writes only when both are without a problem, in
// one transaction: a file with any problem, or a write the catalogue refuses,
// leaves the catalogue as it was. What is missing is made: Model rows (the
// smallest free IDs, and the label <series>No<fan number><drive mode> unless
// the file gives one), the series' style row, its parameter table with a
// heading for every column, an empty accessory table per drive mode. Rows of
// models the catalogue has are appended to theirs. A catalogue file that does
// not exist is made whole through the safe writer, with the fixed tables and
// the selection tolerance ERRORNUM 50.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace fangen {

// The problems that stopped a load, each "FILE: row N, column C (HEADER): reason".
class LoadError : public std::runtime_error {
 public:
  explicit LoadError(std::vector<std::string> problems);
  const std::vector<std::string>& problems() const { return m_problems; }

 private:
  std::vector<std::string> m_problems;
};

struct LoadCounts {
  int modelsAdded = 0;
  int modelsExtended = 0;  // models the catalogue had that got rows
  long parameterRows = 0;
  long accessoryRows = 0;
  int tablesCreated = 0;
  int headingsAdded = 0;
};

// Throws LoadError (nothing written), SheetError for a file that cannot be read,
// CatalogueError for a catalogue that cannot be opened or refuses the writes.
LoadCounts loadCatalogue(const std::string& file, const std::string& catalogue);

// The layout's headers (every column, in the catalogue's units) and no rows.
void writeTemplate(const std::string& file);

}  // namespace fangen
