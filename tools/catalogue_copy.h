// Copying a catalogue between a file (SQLite) and a PostgreSQL server.
//
// A copy keeps tables (in the order they were made), columns (names, order,
// types as the data-access layer reads them, NOT NULL, defaults, an INTEGER
// PRIMARY KEY) and rows in their order. On the server the catalogue is the
// schema its address's search_path names first (created when missing); the
// catalogue's tables already there are replaced, in one transaction, so the
// others see the old catalogue or the new one, never half, and no other table
// of the schema is touched. A file is written under a
// temporary name and renamed into place when complete. A build without
// FANCAD_POSTGRESQL has no server: either copy throws CatalogueError saying so.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace fangen {

struct CopyCounts {
  long long tables = 0;
  long long rows = 0;
  std::vector<std::string> replaced;  // the tables already on the server that were replaced
};

struct CopyOptions {
  // Also when the schema holds tables that are not the catalogue's (these are left alone).
  bool replace = false;
};

// Throws CatalogueError (catalogue_writer.h), having changed nothing: when the schema holds
// tables other than the catalogue's (the file's, the fixed ones, those its Model names) and
// options.replace is not set, or when the server depends on a table being replaced; when a
// value cannot be carried (a BLOB, text with a NUL byte) or a name is longer than the
// server keeps.
CopyCounts copyFileToServer(const std::string& file, const std::string& address,
                            const CopyOptions& options = {});
// "PROGRAM: replaced N tables of the catalogue on the server: A, B, ..." when any were.
void printReplaced(std::ostream& out, const char* program, const CopyCounts& counts);

// Refuses a target that is not a regular file that may be written (links are followed);
// the file is replaced only once complete, and nothing is left behind when the copy fails.
CopyCounts copyServerToFile(const std::string& address, const std::string& file);

}  // namespace fangen
