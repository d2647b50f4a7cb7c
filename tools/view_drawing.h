// One view drawing being built: a new drawing with the fan layers, and a block per outline.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "cad/acdb.h"
#include "sketch.h"

namespace fangen {

class DrawingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Owns its database. Every method throws DrawingError when the drawing database refuses a
// step, naming the block or file and the cause.
class ViewDrawingBuilder {
 public:
  // A new drawing: the default tables, and the layers of kAllLayers with their colours.
  ViewDrawingBuilder();

  // Defines block name (UTF-8) from the sketch, its base point the sketch's origin. Each
  // shape becomes a line, lightweight polyline, circle or arc on its layer, colour by layer;
  // each label an attribute definition.
  void addBlock(const std::string& name, const Sketch& sketch);
  // Saves the drawing (as the drawing database saves: a complete new file or none).
  void save(const std::string& path);

  AcDbDatabase& database() { return *m_db; }
  long entityCount() const { return m_entities; }

 private:
  AcDbObjectId append(AcDbBlockTableRecord* block, AcDbEntity* entity, Layer layer);

  std::unique_ptr<AcDbDatabase> m_db;
  std::map<Layer, AcDbObjectId> m_layers;
  long m_entities = 0;
};

}  // namespace fangen
