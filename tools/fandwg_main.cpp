// fandwg: writes the view drawings of the sample catalogue (or of the large benchmark one).
//
//   fandwg --out DIR            DIR/Fan/<series>No<fan number><drive mode>.dwg (view_names.h)
//   fandwg --large --out DIR    the same for the benchmark catalogue
#include <iostream>
#include <string>

#include "view_drawing.h"
#include "view_library.h"

namespace {

int usage() {
  std::cerr << "usage: fandwg [--large] --out DIR\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  bool large = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--large") {
      large = true;
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else {
      return usage();
    }
  }
  if (out.empty()) return usage();
  try {
    const fangen::LibraryCounts n =
        fangen::writeViewLibrary(out, large ? fangen::largeCatalogue() : fangen::sampleCatalogue());
    std::cout << "fandwg: wrote " << n.drawings << " view drawings to "
              << fangen::viewDrawingFolder(out) << " (" << n.blocks << " blocks, " << n.entities
              << " entities)\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "fandwg: " << e.what() << "\n";
    return 1;
  }
}
