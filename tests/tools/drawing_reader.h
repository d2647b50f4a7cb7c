// A view drawing read back through the drawing database, with the questions the library
// tests ask of its blocks; and the file text with its save dates taken out.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cad/acdb.h"

namespace toolstest {

class ReadDrawing {
 public:
  explicit ReadDrawing(const std::string& path);

  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

  bool has(const std::string& block) const;
  // Every block but the layouts, in the order of the block table.
  std::vector<std::string> viewBlockNames() const;
  int modelSpaceCount() const;

  // The extents of a block's entities (only those on layer, when one is given; attribute
  // definitions left out unless withText), about the block's base point.
  AcDbExtents extents(const std::string& block, const std::string& layer = "",
                      bool withText = true) const;
  // The extents of each entity of the block (on layer, when one is given), in order.
  std::vector<AcDbExtents> entityExtents(const std::string& block,
                                         const std::string& layer = "") const;
  // Whether the block has a circle of that radius centred on its base point on layer.
  bool hasCircle(const std::string& block, const std::string& layer, double radius) const;
  std::map<std::string, int> layerColours() const;
  std::set<std::string> layersUsed(const std::string& block) const;
  // Tag -> default text of the block's attribute definitions.
  std::map<std::string, std::string> attributeDefinitions(const std::string& block) const;

 private:
  // Calls f(entity, layer name) for each entity of the block, opened for read.
  template <class F>
  void forEachEntity(const std::string& block, F f) const;

  std::unique_ptr<AcDbDatabase> m_db;
  std::string m_error;
};

std::string readText(const std::string& path);
// DXF text without the values of the header's date variables ($TDCREATE, $TDUPDATE, ...).
std::string withoutDates(const std::string& dxf);

}  // namespace toolstest
