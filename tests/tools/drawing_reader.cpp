// Reading view drawings back for the library tests.
#include "drawing_reader.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/utf8.h"

namespace toolstest {

namespace {

std::string layerNameOf(const AcDbEntity* entity) {
  AcDbObjectPointer<AcDbLayerTableRecord> layer(entity->layerId(), AcDb::kForRead);
  return layer ? zrbase::wideToUtf8(layer->name()) : std::string();
}

}  // namespace

ReadDrawing::ReadDrawing(const std::string& path) : m_db(std::make_unique<AcDbDatabase>(false)) {
  if (m_db->readDwgFile(zrbase::utf8ToWide(path).c_str()) != Acad::eOk) {
    m_error = zrbase::wideToUtf8(m_db->lastErrorText());
  }
}

bool ReadDrawing::has(const std::string& block) const {
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  return table && table->has(zrbase::utf8ToWide(block).c_str());
}

std::vector<std::string> ReadDrawing::viewBlockNames() const {
  std::vector<std::string> names;
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  if (!table) return names;
  AcDbBlockTableIterator* it = nullptr;
  if (table->newIterator(it) != Acad::eOk) return names;
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* record = nullptr;
    if (it->getRecord(record, AcDb::kForRead) != Acad::eOk) continue;
    if (!record->isLayout()) names.push_back(zrbase::wideToUtf8(record->name()));
    record->close();
  }
  delete it;
  return names;
}

template <class F>
void ReadDrawing::forEachEntity(const std::string& block, F f) const {
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  AcDbObjectId id;
  if (!table || table->getAt(zrbase::utf8ToWide(block).c_str(), id) != Acad::eOk) return;
  AcDbObjectPointer<AcDbBlockTableRecord> record(id, AcDb::kForRead);
  if (!record) return;
  for (AcDbObjectId entityId : record->entityIds()) {
    AcDbObjectPointer<AcDbEntity> entity(entityId, AcDb::kForRead);
    if (entity) f(entity.object(), layerNameOf(entity.object()));
  }
}

int ReadDrawing::modelSpaceCount() const {
  AcDbObjectPointer<AcDbBlockTableRecord> ms(m_db->modelSpaceId(), AcDb::kForRead);
  return ms ? static_cast<int>(ms->entityIds().size()) : -1;
}

AcDbExtents ReadDrawing::extents(const std::string& block, const std::string& layer,
                                 bool withText) const {
  AcDbExtents total;
  forEachEntity(block, [&](const AcDbEntity* e, const std::string& on) {
    if (!layer.empty() && on != layer) return;
    if (!withText && AcDbAttributeDefinition::cast(e)) return;
    AcDbExtents ext;
    if (e->getGeomExtents(ext) == Acad::eOk) total.addExt(ext);
  });
  return total;
}

std::vector<AcDbExtents> ReadDrawing::entityExtents(const std::string& block,
                                                    const std::string& layer) const {
  std::vector<AcDbExtents> all;
  forEachEntity(block, [&](const AcDbEntity* e, const std::string& on) {
    AcDbExtents ext;
    if ((layer.empty() || on == layer) && e->getGeomExtents(ext) == Acad::eOk) all.push_back(ext);
  });
  return all;
}

bool ReadDrawing::hasCircle(const std::string& block, const std::string& layer,
                            double radius) const {
  bool found = false;
  forEachEntity(block, [&](const AcDbEntity* e, const std::string& on) {
    const AcDbCircle* c = AcDbCircle::cast(e);
    if (c && !AcDbArc::cast(e) && on == layer && std::fabs(c->radius() - radius) < 1e-9 &&
        c->center() == AcGePoint3d::kOrigin) {
      found = true;
    }
  });
  return found;
}

std::map<std::string, int> ReadDrawing::layerColours() const {
  std::map<std::string, int> colours;
  AcDbObjectPointer<AcDbLayerTable> table(m_db->layerTableId(), AcDb::kForRead);
  if (!table) return colours;
  AcDbLayerTableIterator* it = nullptr;
  if (table->newIterator(it) != Acad::eOk) return colours;
  for (; !it->done(); it->step()) {
    AcDbLayerTableRecord* layer = nullptr;
    if (it->getRecord(layer, AcDb::kForRead) != Acad::eOk) continue;
    colours[zrbase::wideToUtf8(layer->name())] = layer->color().colorIndex();
    layer->close();
  }
  delete it;
  return colours;
}

std::set<std::string> ReadDrawing::layersUsed(const std::string& block) const {
  std::set<std::string> layers;
  forEachEntity(block, [&](const AcDbEntity*, const std::string& on) { layers.insert(on); });
  return layers;
}

std::map<std::string, std::string> ReadDrawing::attributeDefinitions(
    const std::string& block) const {
  std::map<std::string, std::string> defs;
  forEachEntity(block, [&](const AcDbEntity* e, const std::string&) {
    if (const AcDbAttributeDefinition* def = AcDbAttributeDefinition::cast(e)) {
      defs[zrbase::wideToUtf8(def->tagConst())] = zrbase::wideToUtf8(def->textStringConst());
    }
  });
  return defs;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string withoutDates(const std::string& dxf) {
  std::istringstream in(dxf);
  std::string out, code, value;
  bool skipNext = false;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (skipNext) {
      skipNext = false;
      value = "(date)";
    } else if (code.substr(std::min(code.find_first_not_of(' '), code.size())) == "9" &&
               value.starts_with("$TD")) {
      skipNext = true;
    }
    out += code + "\n" + value + "\n";
  }
  return out;
}

}  // namespace toolstest
