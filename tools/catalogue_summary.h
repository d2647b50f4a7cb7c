// A short summary of a catalogue file: its series, models and the rows of every table.
#pragma once

#include <string>

namespace fangen {

// Throws CatalogueError when the file cannot be read as a catalogue.
std::string catalogueSummary(const std::string& path);

}  // namespace fangen
