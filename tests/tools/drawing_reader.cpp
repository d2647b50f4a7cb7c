// Reading view drawings back for the library tests.
#include "drawing_reader.h"

#include "base/utf8.h"
#include "drawing_builder.h"

namespace toolstest {

ReadDrawing::ReadDrawing(const std::string& path) : m_db(std::make_unique<AcDbDatabase>(false)) {
  if (m_db->readDwgFile(zrbase::utf8ToWide(path).c_str()) != Acad::eOk) {
    m_error = zrbase::wideToUtf8(m_db->lastErrorText());
  }
}

std::vector<std::string> ReadDrawing::viewBlockNames() const {
  std::vector<std::string> names;
  for (const std::wstring& name : apptest::blockNames(m_db.get()))
    names.push_back(zrbase::wideToUtf8(name));
  return names;
}

bool ReadDrawing::has(const std::string& block) const {
  return !apptest::blockId(m_db.get(), zrbase::utf8ToWide(block).c_str()).isNull();
}

std::vector<Entity> ReadDrawing::entities(const std::string& block) const {
  std::vector<Entity> out;
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  AcDbObjectId id;
  if (!table || table->getAt(zrbase::utf8ToWide(block).c_str(), id) != Acad::eOk) return out;
  AcDbObjectPointer<AcDbBlockTableRecord> record(id, AcDb::kForRead);
  for (AcDbObjectId entityId : record->entityIds()) {
    AcDbObjectPointer<AcDbEntity> e(entityId, AcDb::kForRead);
    if (!e) continue;
    Entity r;
    AcDbObjectPointer<AcDbLayerTableRecord> layer(e->layerId(), AcDb::kForRead);
    if (layer) r.layer = zrbase::wideToUtf8(layer->name());
    r.bounded = e->getGeomExtents(r.extents) == Acad::eOk;
    const AcDbCircle* c = AcDbCircle::cast(e.object());
    if (c && !AcDbArc::cast(e.object()) && c->center() == AcGePoint3d::kOrigin)
      r.circle = c->radius();
    if (const AcDbAttributeDefinition* def = AcDbAttributeDefinition::cast(e.object())) {
      r.tag = zrbase::wideToUtf8(def->tagConst());
      r.text = zrbase::wideToUtf8(def->textStringConst());
    }
    out.push_back(r);
  }
  return out;
}

std::map<std::string, int> ReadDrawing::layerColours() const {
  std::map<std::string, int> colours;
  AcDbObjectPointer<AcDbLayerTable> table(m_db->layerTableId(), AcDb::kForRead);
  AcDbLayerTableIterator* it = nullptr;
  if (!table || table->newIterator(it) != Acad::eOk) return colours;
  for (; !it->done(); it->step()) {
    AcDbLayerTableRecord* layer = nullptr;
    if (it->getRecord(layer, AcDb::kForRead) != Acad::eOk) continue;
    colours[zrbase::wideToUtf8(layer->name())] = layer->color().colorIndex();
    layer->close();
  }
  delete it;
  return colours;
}

}  // namespace toolstest
