// fangen: writes the sample catalogue (or the large benchmark one) and summarises catalogues.
//
//   fangen --out DIR            DIR/ZRFan.Mdb, the sample catalogue
//   fangen --large --out DIR    DIR/ZRFan.Mdb, the benchmark catalogue
//   fangen --summary FILE       series, models and rows per table of FILE
#include <filesystem>
#include <iostream>
#include <string>

#include "catalogue_summary.h"
#include "sample_catalogue.h"

namespace {

int usage() {
  std::cerr << "usage: fangen [--large] --out DIR\n"
               "       fangen --summary FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, summary;
  bool large = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--large") {
      large = true;
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (arg == "--summary" && i + 1 < argc) {
      summary = argv[++i];
    } else {
      return usage();
    }
  }
  if (out.empty() == summary.empty()) return usage();
  try {
    if (!summary.empty()) {
      if (!std::filesystem::is_regular_file(summary)) {
        std::cerr << "fangen: no catalogue file '" << summary << "'\n";
        return 1;
      }
      std::cout << fangen::catalogueSummary(summary);
      return 0;
    }
    std::filesystem::create_directories(out);
    const std::string path = (std::filesystem::path(out) / "ZRFan.Mdb").string();
    const fangen::CatalogueCounts n = fangen::writeCatalogueFile(
        path, large ? fangen::largeCatalogue() : fangen::sampleCatalogue());
    std::cout << "fangen: wrote " << path << " (" << n.series << " series, " << n.models
              << " models, " << n.parameterRows << " parameter rows, " << n.accessoryRows
              << " accessory rows)\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "fangen: " << e.what() << "\n";
    return 1;
  }
}
