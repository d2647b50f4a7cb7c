// A view drawing read back through the drawing database, each block's entities
// reduced to what the library tests ask of them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/acdb.h"

namespace toolstest {

struct Entity {
  std::string layer;
  AcDbExtents extents;  // about the block's base point, when bounded
  bool bounded = false;
  double circle = -1;     // the radius of a full circle centred on the base point
  std::string tag, text;  // of an attribute definition (tag empty otherwise)
};

class ReadDrawing {
 public:
  explicit ReadDrawing(const std::string& path);

  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

  // Every block but the layouts, in the order of the block table.
  std::vector<std::string> viewBlockNames() const;
  bool has(const std::string& block) const;
  // The entities of a block (*Model_Space too) in order; none for a missing block.
  std::vector<Entity> entities(const std::string& block) const;
  std::map<std::string, int> layerColours() const;

 private:
  std::unique_ptr<AcDbDatabase> m_db;
  std::string m_error;
};

}  // namespace toolstest
