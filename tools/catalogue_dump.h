// fancat dump: a whole catalogue written in the load layout (load_layout.h), so
// that loading the file into an empty catalogue makes the same rows.
#pragma once

#include <string>
#include <vector>

namespace fangen {

struct DumpCounts {
  long performanceRows = 0;
  long accessoryRows = 0;
  long headingRows = 0;
  // What the layout cannot carry, each with its table and row or column.
  std::vector<std::string> leftOut;
};

// Throws CatalogueError when the catalogue cannot be read, SheetError when the
// file cannot be written.
DumpCounts dumpCatalogue(const std::string& catalogue, const std::string& file);

}  // namespace fangen
