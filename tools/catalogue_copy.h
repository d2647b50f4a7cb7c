// Copying a catalogue between a file (SQLite) and a PostgreSQL server.
//
// A copy keeps tables (in the order they were made), columns (names, order,
// types as the data-access layer reads them, NOT NULL, defaults, an INTEGER
// PRIMARY KEY) and rows in their order. On the server the catalogue is the
// schema its address's search_path names first (created when missing); any
// tables already there are replaced, in one transaction, so the others see
// the old catalogue or the new one, never half. A file is written under a
// temporary name and renamed into place when complete.
#pragma once

#include <string>

namespace fangen {

struct CopyCounts {
  long long tables = 0;
  long long rows = 0;
};

// Throws CatalogueError (catalogue_writer.h).
CopyCounts copyFileToServer(const std::string& file, const std::string& address);
CopyCounts copyServerToFile(const std::string& address, const std::string& file);

}  // namespace fangen
