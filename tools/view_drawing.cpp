// Turning outlines into the blocks of a drawing database.
#include "view_drawing.h"

#include <type_traits>

#include "base/utf8.h"

namespace fangen {

namespace {

AcGePoint3d point3(Pt p) { return {p.x, p.y, 0}; }

void check(Acad::ErrorStatus es, const std::string& what) {
  if (es != Acad::eOk) {
    throw DrawingError(what + " (error status " + std::to_string(static_cast<int>(es)) + ")");
  }
}

AcDbEntity* makeEntity(const Shape& shape) {
  return std::visit(
      [](const auto& s) -> AcDbEntity* {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, Segment>) {
          return new AcDbLine(point3(s.a), point3(s.b));
        } else if constexpr (std::is_same_v<T, Polyline>) {
          auto* pl = new AcDbPolyline(static_cast<unsigned>(s.points.size()));
          for (std::size_t i = 0; i < s.points.size(); ++i) {
            pl->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(s.points[i].x, s.points[i].y),
                            s.bulges[i]);
          }
          pl->setClosed(s.closed);
          return pl;
        } else if constexpr (std::is_same_v<T, Circle>) {
          return new AcDbCircle(point3(s.centre), AcGeVector3d::kZAxis, s.radius);
        } else {
          return new AcDbArc(point3(s.centre), s.radius, s.start, s.end);
        }
      },
      shape);
}

}  // namespace

ViewDrawingBuilder::ViewDrawingBuilder() : m_db(std::make_unique<AcDbDatabase>(true, true)) {
  AcDbLayerTable* table = nullptr;
  check(m_db->getLayerTable(table, AcDb::kForWrite), "cannot open the layer table");
  for (Layer layer : kAllLayers) {
    auto* record = new AcDbLayerTableRecord;
    record->setName(zrbase::utf8ToWide(layerName(layer)).c_str());
    AcCmColor colour;
    colour.setColorIndex(layerColour(layer));
    record->setColor(colour);
    AcDbObjectId id;
    const Acad::ErrorStatus es = table->add(id, record);
    if (es != Acad::eOk) {
      delete record;
      table->close();
      check(es, std::string("cannot add layer ") + layerName(layer));
    }
    record->close();
    m_layers[layer] = id;
  }
  table->close();
}

AcDbObjectId ViewDrawingBuilder::append(AcDbBlockTableRecord* block, AcDbEntity* entity,
                                        Layer layer) {
  AcDbObjectId id;
  const Acad::ErrorStatus es = block->appendAcDbEntity(id, entity);
  if (es != Acad::eOk) {
    delete entity;
    return id;
  }
  entity->setLayer(m_layers.at(layer));
  entity->close();
  ++m_entities;
  return id;
}

void ViewDrawingBuilder::addBlock(const std::string& name, const Sketch& sketch) {
  AcDbBlockTable* table = nullptr;
  check(m_db->getBlockTable(table, AcDb::kForWrite), "cannot open the block table");
  auto* block = new AcDbBlockTableRecord;
  Acad::ErrorStatus es = block->setName(zrbase::utf8ToWide(name).c_str());
  AcDbObjectId blockId;
  if (es == Acad::eOk) es = table->add(blockId, block);
  table->close();
  if (es != Acad::eOk) {
    delete block;
    check(es, "cannot add block " + name);
  }
  for (const Sketch::Item& item : sketch.items()) {
    append(block, makeEntity(item.shape), item.layer);
  }
  for (const Label& l : sketch.labels()) {
    const std::wstring value = zrbase::utf8ToWide(l.value);
    auto* def =
        new AcDbAttributeDefinition(point3(l.at), value.c_str(), zrbase::utf8ToWide(l.tag).c_str(),
                                    zrbase::utf8ToWide(l.prompt).c_str());
    def->setHeight(l.height);
    def->setHorizontalMode(kTextCenter);
    def->setAlignmentPoint(point3(l.at));
    def->adjustAlignment(m_db.get());
    append(block, def, Layer::Text);
  }
  const std::size_t expected = sketch.items().size() + sketch.labels().size();
  const std::size_t made = block->entityIds().size();
  block->close();
  if (made != expected) {
    throw DrawingError("block " + name + ": " + std::to_string(expected - made) +
                       " entities were refused");
  }
}

void ViewDrawingBuilder::save(const std::string& path) {
  if (m_db->saveAs(zrbase::utf8ToWide(path).c_str()) != Acad::eOk) {
    throw DrawingError(zrbase::wideToUtf8(m_db->lastErrorText()));
  }
}

}  // namespace fangen
