// fancat: copies a catalogue between a file and a PostgreSQL server.
//
//   fancat export FILE URL   the catalogue file FILE into the server's schema
//                            that URL names (its tables there are replaced)
//   fancat import URL FILE   the server's catalogue into the file FILE
//
// URL is a postgresql:// address; its search_path names the schema, e.g.
//   postgresql://fancad@dbhost/office?options=-csearch_path%3Dcatalogue
#include <iostream>
#include <string>

#include "ado/pg_schema.h"
#include "catalogue_copy.h"
#include "catalogue_writer.h"

namespace {

int usage() {
  std::cerr << "usage: fancat export FILE URL\n"
               "       fancat import URL FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return usage();
  const std::string command = argv[1];
  try {
    fangen::CopyCounts n;
    if (command == "export" && adoimpl::isPostgresAddress(argv[3])) {
      n = fangen::copyFileToServer(argv[2], argv[3]);
    } else if (command == "import" && adoimpl::isPostgresAddress(argv[2])) {
      n = fangen::copyServerToFile(argv[2], argv[3]);
    } else {
      return usage();
    }
    std::cout << "fancat: copied " << n.tables << " tables, " << n.rows << " rows\n";
    return 0;
  } catch (const fangen::CatalogueError& e) {
    std::cerr << "fancat: " << e.what() << "\n";
    return 1;
  }
}
