// fangen: writes the sample catalogue (or the large benchmark one) and summarises catalogues.
//
//   fangen --out DIR            DIR/ZRFan.Mdb, the sample catalogue
//   fangen --large --out DIR    DIR/ZRFan.Mdb, the benchmark catalogue
//   fangen --summary FILE       series, models and rows per table of FILE
//   fangen [--large] [--replace] --url URL
//                               the same catalogue into the schema of a
//                               PostgreSQL server that URL names (as fancat
//                               export, --replace included)
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "catalogue_copy.h"
#include "catalogue_summary.h"
#include "sample_catalogue.h"

namespace {

int usage() {
  std::cerr << "usage: fangen [--large] --out DIR\n"
               "       fangen [--large] [--replace] --url URL\n"
               "       fangen --summary FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, summary, url;
  bool large = false;
  fangen::CopyOptions copy;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--large") {
      large = true;
    } else if (arg == "--replace") {
      copy.replace = true;
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (arg == "--url" && i + 1 < argc) {
      url = argv[++i];
    } else if (arg == "--summary" && i + 1 < argc) {
      summary = argv[++i];
    } else {
      return usage();
    }
  }
  if (out.empty() + summary.empty() + url.empty() != 2 || (copy.replace && url.empty())) {
    return usage();
  }
  try {
    if (!url.empty()) {
      // Written as a file first, then copied: one schema, one writer.
      std::string folder = (std::filesystem::temp_directory_path() / "fangen-XXXXXX").string();
      if (!::mkdtemp(folder.data())) throw std::runtime_error("cannot make a temporary folder");
      const std::string path = folder + "/ZRFan.Mdb";
      try {
        fangen::writeCatalogueFile(path,
                                   large ? fangen::largeCatalogue() : fangen::sampleCatalogue());
        const fangen::CopyCounts n = fangen::copyFileToServer(path, url, copy);
        fangen::printReplaced(std::cout, "fangen", n);
        std::cout << "fangen: wrote " << n.tables << " tables, " << n.rows
                  << " rows to the server\n";
      } catch (...) {
        std::filesystem::remove_all(folder);
        throw;
      }
      std::filesystem::remove_all(folder);
      return 0;
    }
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
