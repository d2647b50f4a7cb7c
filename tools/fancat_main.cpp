// fancat: copies a catalogue between a file and a PostgreSQL server.
//
//   fancat export [--replace] FILE URL
//                            the catalogue file FILE into the server's schema
//                            that URL names; the catalogue's tables there are
//                            replaced, and a schema that holds other tables too
//                            is refused unless --replace is given (they are
//                            then left as they are)
//   fancat import URL FILE   the server's catalogue into the file FILE
//
// URL is a postgresql:// address; its search_path names the schema, e.g.
//   postgresql://fancad@dbhost/office?options=-csearch_path%3Dcatalogue
#include <iostream>
#include <string>
#include <vector>

#include "ado/pg_schema.h"
#include "catalogue_copy.h"
#include "catalogue_writer.h"

namespace {

int usage() {
  std::cerr << "usage: fancat export [--replace] FILE URL\n"
               "       fancat import URL FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  fangen::CopyOptions options;
  if (args.size() == 4 && args[0] == "export" && args[1] == "--replace") {
    options.replace = true;
    args.erase(args.begin() + 1);
  }
  if (args.size() != 3) return usage();
  try {
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
  } catch (const fangen::CatalogueError& e) {
    std::cerr << "fancat: " << e.what() << "\n";
    return 1;
  }
}
