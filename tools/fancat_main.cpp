// fancat: a catalogue's data in and out, checked, and copied between a file and a server.
//
//   fancat load FILE CATALOGUE
//                            performance, accessory and heading rows from FILE
//                            (.csv or .xlsx, the layout `fancat template` writes)
//                            into CATALOGUE, in one transaction; any problem and
//                            nothing is written (status 1, each problem named)
//   fancat template FILE     the layout's headers, as .csv or .xlsx
//   fancat check CATALOGUE [--dwg DIR] [--json]
//                            the rules over the whole catalogue (and the view
//                            drawings in DIR/Fan); status 0 clean, 1 with
//                            findings, 2 when the catalogue cannot be read
//   fancat dump CATALOGUE FILE
//                            the whole catalogue in the load layout
//   fancat export [--replace] FILE URL
//                            the catalogue file FILE into the server's schema
//                            that URL names; the catalogue's tables there are
//                            replaced, and a schema that holds other tables too
//                            is refused unless --replace is given (they are
//                            then left as they are)
//   fancat import URL FILE   the server's catalogue into the file FILE
//
// CATALOGUE is a catalogue file (or a file holding a server's address) or a
// postgresql:// address; URL is a postgresql:// address whose search_path names
// the schema, e.g.
//   postgresql://fancad@dbhost/office?options=-csearch_path%3Dcatalogue
#include <iostream>
#include <string>
#include <vector>

#include "ado/pg_schema.h"
#include "catalogue_check.h"
#include "catalogue_connection.h"
#include "catalogue_copy.h"
#include "catalogue_dump.h"
#include "catalogue_load.h"
#include "catalogue_writer.h"
#include "sheet_file.h"

namespace {

int usage() {
  std::cerr << "usage: fancat load FILE CATALOGUE\n"
               "       fancat template FILE\n"
               "       fancat check CATALOGUE [--dwg DIR] [--json]\n"
               "       fancat dump CATALOGUE FILE\n"
               "       fancat export [--replace] FILE URL\n"
               "       fancat import URL FILE\n";
  return 2;
}

int load(const std::string& file, const std::string& catalogue) {
  try {
    const fangen::LoadCounts n = fangen::loadCatalogue(file, catalogue);
    std::cout << "fancat: loaded " << file << ": " << n.modelsAdded << " models added, "
              << n.modelsExtended << " extended, " << n.parameterRows << " parameter rows, "
              << n.accessoryRows << " accessory rows, " << n.tablesCreated << " tables and "
              << n.headingsAdded << " headings made\n";
    return 0;
  } catch (const fangen::LoadError& e) {
    for (const std::string& p : e.problems()) std::cerr << "fancat: " << p << "\n";
    std::cerr << "fancat: nothing was loaded (" << e.problems().size() << " problems)\n";
    return 1;
  }
}

int check(const std::vector<std::string>& args) {
  fangen::CheckOptions options;
  bool json = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--dwg" && i + 1 < args.size()) {
      options.drawingFolder = args[++i];
    } else {
      return usage();
    }
  }
  std::vector<fangen::Finding> findings;
  try {
    findings =
        fangen::checkCatalogue(fangen::readSnapshot(fangen::openCatalogue(args[1])), options);
  } catch (const std::exception& e) {
    std::cerr << "fancat: " << e.what() << "\n";
    return 2;
  }
  std::cout << (json ? fangen::findingsJson(findings) : fangen::findingsText(findings));
  if (!json) std::cout << "fancat: " << findings.size() << " findings\n";
  return findings.empty() ? 0 : 1;
}

int copy(std::vector<std::string> args) {
  fangen::CopyOptions options;
  if (args.size() == 4 && args[0] == "export" && args[1] == "--replace") {
    options.replace = true;
    args.erase(args.begin() + 1);
  }
  if (args.size() != 3) return usage();
  fangen::CopyCounts n;
  if (args[0] == "export" && adoimpl::isPostgresAddress(args[2])) {
    n = fangen::copyFileToServer(args[1], args[2], options);
  } else if (args[0] == "import" && adoimpl::isPostgresAddress(args[1])) {
    n = fangen::copyServerToFile(args[1], args[2]);
  } else {
    return usage();
  }
  fangen::printReplaced(std::cout, "fancat", n);
  std::cout << "fancat: copied " << n.tables << " tables, " << n.rows << " rows\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage();
  try {
    if (args[0] == "check" && args.size() >= 2) return check(args);
    if (args[0] == "load" && args.size() == 3) return load(args[1], args[2]);
    if (args[0] == "template" && args.size() == 2) {
      fangen::writeTemplate(args[1]);
      return 0;
    }
    if (args[0] == "dump" && args.size() == 3) {
      const fangen::DumpCounts n = fangen::dumpCatalogue(args[1], args[2]);
      for (const std::string& s : n.leftOut) std::cerr << "fancat: left out: " << s << "\n";
      std::cout << "fancat: dumped " << n.performanceRows << " performance rows, "
                << n.accessoryRows << " accessory rows, " << n.headingRows << " headings\n";
      return n.leftOut.empty() ? 0 : 1;
    }
    if (args[0] == "export" || args[0] == "import") return copy(args);
    return usage();
  } catch (const std::exception& e) {
    std::cerr << "fancat: " << e.what() << "\n";
    return 1;
  }
}
